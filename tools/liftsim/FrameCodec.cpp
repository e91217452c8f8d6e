#include "FrameCodec.h"

#include <string>

#include "link/Crc16.h"

std::size_t CFrameCodec::RequestLength(std::uint8_t function)
{
    switch (function) {
    case FUNC_STATUS:
    case FUNC_CONFIG:
        return 12;
    case FUNC_PAGE:
        return 14;
    case FUNC_LOCK:
        return 13;
    default:
        return 0;
    }
}

int CFrameCodec::MaxAddress(std::uint8_t function)
{
    switch (function) {
    case FUNC_STATUS:
    case FUNC_CONFIG:
        return 16;
    case FUNC_PAGE:
    case FUNC_LOCK:
        return 64;
    default:
        return 0;
    }
}

void CFrameCodec::AppendCrc(Frame& frame)
{
    const std::uint16_t crc = CalcCrc16(frame.data(), frame.size());
    frame.push_back(std::uint8_t(crc & 0xFF));
    frame.push_back(std::uint8_t(crc >> 8));
}

bool CFrameCodec::HasValidCrc(const std::uint8_t* data, std::size_t length)
{
    if (length < 2)
        return false;
    const std::uint16_t crc = CalcCrc16(data, length - 2);
    return data[length - 2] == (crc & 0xFF) && data[length - 1] == (crc >> 8);
}

std::string CFrameCodec::ToHex(const Frame& frame)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(frame.size() * 3);
    for (std::size_t i = 0; i < frame.size(); ++i) {
        if (i)
            text += ' ';
        text += digits[frame[i] >> 4];
        text += digits[frame[i] & 0x0F];
    }
    return text;
}
