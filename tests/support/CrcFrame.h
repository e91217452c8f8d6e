#pragma once
// A bus frame as the tests build it: the body followed by its CRC, low byte first.
#include <cstdint>
#include <vector>

#include "link/Crc16.h"

using Bytes = std::vector<std::uint8_t>;

inline Bytes WithCrc(Bytes body)
{
    const std::uint16_t crc = CalcCrc16(body.data(), body.size());
    body.push_back(std::uint8_t(crc & 0xFF));
    body.push_back(std::uint8_t(crc >> 8));
    return body;
}
