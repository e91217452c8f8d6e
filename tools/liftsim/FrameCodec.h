#pragma once
// Byte-level helpers shared by the request framer and the reply builders: the
// fixed request lengths per function and the CRC trailer (low byte first).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Frame = std::vector<std::uint8_t>;

class CFrameCodec
{
public:
    static constexpr std::uint8_t FUNC_PAGE = 0x00;
    static constexpr std::uint8_t FUNC_STATUS = 0x10;
    static constexpr std::uint8_t FUNC_CONFIG = 0x1F;
    static constexpr std::uint8_t FUNC_LOCK = 0x30;

    // Length of a request frame for the function, 0 for an unknown function.
    static std::size_t RequestLength(std::uint8_t function);
    // Highest bus address the function may carry (stations 16, lifts 64), 0 if unknown.
    static int MaxAddress(std::uint8_t function);
    // Appends the CRC of the bytes so far.
    static void AppendCrc(Frame& frame);
    // True when the last two bytes are the CRC of the ones before.
    static bool HasValidCrc(const std::uint8_t* data, std::size_t length);
    // "01 10 00 ..." in lower-case hex.
    static std::string ToHex(const Frame& frame);
};
