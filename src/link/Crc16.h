#pragma once
// CRC-16 of the lift bus: initial 0xFFFF, reflected polynomial 0xA001, no final
// XOR; sent low byte first.
#include <cstddef>
#include <cstdint>

std::uint16_t CalcCrc16(const std::uint8_t* data, std::size_t length);
