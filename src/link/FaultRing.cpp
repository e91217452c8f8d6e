#include "link/FaultRing.h"

#include <algorithm>

// Pages of the buffer that no fault touches are never backed by memory.
CFaultRing::CFaultRing()
    : m_codes(std::make_unique_for_overwrite<std::uint8_t[]>(kCapacity))
{
}

void CFaultRing::Push(std::uint8_t code)
{
    const std::uint32_t head = m_nHead.load(std::memory_order_relaxed);
    // The recorder's release of a slot comes before the slot is written again.
    if (head - m_nTail.load(std::memory_order_acquire) >= kCapacity) {
        m_nDropped.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    m_codes[head % kCapacity] = code;
    m_nHead.store(head + 1, std::memory_order_release);
}

std::uint32_t CFaultRing::Waiting() const
{
    return m_nHead.load(std::memory_order_acquire) - m_nTail.load(std::memory_order_relaxed);
}

std::uint32_t CFaultRing::Take(std::uint32_t nMax, std::vector<int>* pOut)
{
    const std::uint32_t head = m_nHead.load(std::memory_order_acquire);
    const std::uint32_t tail = m_nTail.load(std::memory_order_relaxed);
    const std::uint32_t n = std::min(head - tail, nMax);
    for (std::uint32_t k = 0; k < n; ++k)
        pOut->push_back(m_codes[(tail + k) % kCapacity]);
    m_nTail.store(tail + n, std::memory_order_release);
    return n;
}

std::uint32_t CFaultRing::Discard()
{
    const std::uint32_t head = m_nHead.load(std::memory_order_acquire);
    const std::uint32_t gone = head - m_nTail.load(std::memory_order_relaxed);
    m_nTail.store(head, std::memory_order_release);
    return gone;
}

std::uint32_t CFaultRing::TakeDropped()
{
    const std::uint32_t dropped = m_nDropped.load(std::memory_order_relaxed);
    const std::uint32_t fresh = dropped - m_nDroppedTaken;
    m_nDroppedTaken = dropped;
    return fresh;
}
