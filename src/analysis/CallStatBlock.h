#pragma once
// Per-floor call counts of one call statistics block: four of them belong to
// the analysis page, which hands them to the record export and the column chart.
#include <QString>
#include <array>
#include <cstdint>

struct strCallStatBlock {
    static constexpr int kMaxFloors = 56;

    std::int32_t nUsed = 0;           // nonzero when the block holds data
    std::int32_t nFloorCount = 0;     // at most kMaxFloors
    std::int32_t nCarCallTotal = 0;
    std::int32_t nUpCallTotal = 0;
    std::int32_t nDownCallTotal = 0;
    std::array<std::int32_t, kMaxFloors> nCarCalls{};   // by floor index from 0
    std::array<std::int32_t, kMaxFloors> nUpCalls{};
    std::array<std::int32_t, kMaxFloors> nDownCalls{};
    QString strCaption;
};
