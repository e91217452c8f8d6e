#pragma once
// Cuts the byte stream from the station into request frames. The line carries
// no delimiters, so a frame is recognised by a plausible address, a known
// function, its fixed length and a good CRC; anything else is skipped a byte at
// a time so that the framer finds its footing again after garbage.
#include <cstddef>
#include <optional>

#include "FrameCodec.h"

class CRequestFramer
{
public:
    void Feed(const std::uint8_t* data, std::size_t length);
    // The next complete request, or nothing while more bytes are needed.
    std::optional<Frame> Next();

private:
    // True when a request could start at offset (address and function plausible).
    bool CouldStartAt(std::size_t offset) const;

    // Far more than one request: a station never has more than one in flight.
    static constexpr std::size_t MAX_PENDING = 256;
    Frame m_Buffer;
};
