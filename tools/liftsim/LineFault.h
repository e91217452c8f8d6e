#pragma once
// Damage the line does to replies on command. Every mode is deterministic: the
// garbage generator restarts from the same seed with each command, so a test
// sees the same bytes on every run.
#include <cstdint>
#include <string>

#include "FrameCodec.h"

enum class ELineMode { Ok, Garbage, Short, Long, Crc, Late, Silence };

class CLineFault
{
public:
    // count < 0: until the next "line ok".
    void Set(ELineMode mode, int count, int lateMs);
    // Damages one reply; returns false when the reply is not to be sent at all.
    // delayMs is the time from request to reply, replaced for a late reply.
    bool Apply(Frame& reply, int& delayMs);

    static bool ParseMode(const std::string& word, ELineMode& mode);

private:
    std::uint32_t NextRandom();

    ELineMode m_Mode = ELineMode::Ok;
    int m_nRemaining = -1;
    int m_nLateMs = 0;
    std::uint32_t m_nSeed = 1;
};
