#pragma once
// The lifts on the simulated bus, from --lift options and --config files.
#include <array>
#include <optional>
#include <string>
#include <string_view>

struct SLiftSpec
{
    int nLiftNum = 0; // 1..64
    int nFloors = 0;  // 1..255
    int nModel = 1;   // 1..3
    int nHeight = 0;  // shaft height in mm
};

class CInstallation
{
public:
    static constexpr int MAX_LIFTS = 64;
    static constexpr int MAX_FLOORS = 255;

    // "N:FLOORS[:MODEL[:HEIGHT]]"; on failure returns false with a reason in error.
    bool AddLiftSpec(std::string_view spec, std::string& error);
    // Lines "lift N FLOORS [MODEL [HEIGHT]]", '#' starts a comment.
    bool LoadFile(const std::string& path, std::string& error);

    const std::optional<SLiftSpec>& Lift(int liftNum) const { return m_Lifts[std::size_t(liftNum - 1)]; }

private:
    bool AddLift(const std::array<std::string_view, 4>& fields, int fieldCount, std::string& error);

    std::array<std::optional<SLiftSpec>, MAX_LIFTS> m_Lifts;
};

// Whole-text decimal integer in [min, max]; nothing on anything else.
std::optional<long long> ParseInteger(std::string_view text, long long min, long long max);
