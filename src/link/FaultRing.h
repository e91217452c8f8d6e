#pragma once
// The fault occurrences of one lift between the reply that brings them and the
// save that writes them: the worker (or the scan, when no worker runs) puts
// each code in, the recorder on the user-interface thread takes them out. The
// user-interface thread may be held for minutes (a compaction, a write-back, a
// box that waits) while the worker goes on, so there is room for an hour of a
// fault that comes with every reply; what still finds no room is counted, not
// put over an occurrence not yet taken.
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class CFaultRing {
public:
    static constexpr std::uint32_t kCapacity = 1u << 16;

    CFaultRing();
    CFaultRing(const CFaultRing&) = delete;
    CFaultRing& operator=(const CFaultRing&) = delete;

    // Producer side. A code is one byte of a reply.
    void Push(std::uint8_t code);

    // Recorder side.
    std::uint32_t Waiting() const;
    // Appends at most nMax of the oldest codes to *pOut; returns how many.
    std::uint32_t Take(std::uint32_t nMax, std::vector<int>* pOut);
    // Forgets what waits (the lift is gone); returns how many went.
    std::uint32_t Discard();
    // Occurrences that found no room since the last call.
    std::uint32_t TakeDropped();

private:
    std::unique_ptr<std::uint8_t[]> m_codes;
    std::atomic<std::uint32_t> m_nHead{0};     // written by the producer
    std::atomic<std::uint32_t> m_nTail{0};     // written by the recorder
    std::atomic<std::uint32_t> m_nDropped{0};  // counted by the producer
    std::uint32_t m_nDroppedTaken = 0;         // the recorder's own
};
