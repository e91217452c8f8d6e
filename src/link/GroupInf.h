#pragma once
// One lift group: its number, members and name.
#include <QString>
#include <array>
#include <cstdint>

constexpr int kMaxGroupMembers = 64;

struct strGroupInf {
    std::int32_t nGroupNum = 0;
    std::int32_t nLiftCount = 0;
    std::array<std::uint8_t, kMaxGroupMembers> byLiftNum{};  // lift numbers 1..64
    QString strGroupName;
};
