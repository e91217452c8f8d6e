#pragma once
// A manual-reset event: stays set until reset; waits are bounded.
#include <chrono>
#include <condition_variable>
#include <mutex>

class CManualResetEvent {
public:
    explicit CManualResetEvent(bool initiallySet = false) : m_set(initiallySet) {}

    void Set();
    void Reset();
    bool IsSet() const;  // a zero-time wait
    // True when the event was (or became) set within the time.
    bool Wait(std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cond;
    bool m_set;
};
