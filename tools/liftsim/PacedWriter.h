#pragma once
// Writes replies to the pty master at their due time. Paced, each byte leaves
// one character time (10 bits at the baud rate) after the one before, so that
// a reader sees replies arrive as slowly as on a real line.
#include <chrono>
#include <deque>
#include <optional>

#include "Car.h"
#include "FrameCodec.h"

class CPacedWriter
{
public:
    // baud 0: no pacing, each reply is written whole at its due time.
    CPacedWriter(int fd, int baud);

    void Enqueue(Frame bytes, TimePoint due);
    // Writes every byte whose time has come (as far as the pty takes them).
    void Flush(TimePoint now);
    // When Flush has work to do next; nothing when idle.
    std::optional<TimePoint> NextDue() const;
    // The pty would not take more bytes: wait for it to become writable.
    bool Blocked() const { return m_bBlocked; }

private:
    struct SPending
    {
        Frame bytes;
        TimePoint due;
        std::size_t sent = 0;
        TimePoint start; // set when its first byte is due
    };
    TimePoint ByteDue(const SPending& pending, std::size_t index) const;

    int m_Fd;
    std::chrono::nanoseconds m_ByteTime{0};
    std::deque<SPending> m_Queue;
    TimePoint m_tLineFree;
    bool m_bBlocked = false;
};
