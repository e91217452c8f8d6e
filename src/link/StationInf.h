#pragma once
// One entry of the station table: bus address and installed-lift mask.
#include <cstdint>

struct strStationInf {
    std::int32_t nAddr = 0;       // 1..16; 0 = no installed lift on this station
    std::uint8_t byLiftMask = 0;  // bit i: lift 4*(nAddr-1)+i+1 installed
};
