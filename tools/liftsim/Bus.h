#pragma once
// The 16 controller stations and their lifts as one bus: routes each request
// to the station or lift it addresses and builds the reply, if any.
#include <array>
#include <memory>
#include <optional>

#include "Installation.h"
#include "Lift.h"

class CBus
{
public:
    static constexpr int STATION_COUNT = 16;

    CBus(const CInstallation& installation, SCarTiming timing, TimePoint now);

    // request: a complete frame with a good CRC. Nothing when nobody answers.
    std::optional<Frame> Answer(const Frame& request, TimePoint now);

    // The installed lift, or nullptr.
    CLift* Lift(int liftNum);
    void SetSilent(int station, bool silent) { m_Silent[std::size_t(station - 1)] = silent; }
    void SetLockConfirm(bool confirm) { m_bLockConfirm = confirm; }

    static int StationOf(int liftNum) { return (liftNum - 1) / 4 + 1; }

private:
    bool StationInstalled(int station) const;
    std::optional<Frame> AnswerStatus(int station, TimePoint now);
    std::optional<Frame> AnswerConfig(int station);

    std::array<std::unique_ptr<CLift>, CInstallation::MAX_LIFTS> m_Lifts;
    std::array<bool, STATION_COUNT> m_Silent{};
    bool m_bLockConfirm = true;
};
