#pragma once
// A field shared between a worker and the user-interface thread without a
// lock: each read and write is atomic (relaxed), so readers see either the old
// or the new value and the program stays free of data races, while the code
// keeps reading like plain field access (rec.nCurFloor = 5).
#include <atomic>

template <typename T>
class Relaxed {
public:
    constexpr Relaxed(T value = T()) noexcept : m_value(value) {}
    Relaxed(const Relaxed& other) noexcept : m_value(other.load()) {}
    Relaxed& operator=(const Relaxed& other) noexcept { store(other.load()); return *this; }
    Relaxed& operator=(T value) noexcept { store(value); return *this; }

    operator T() const noexcept { return load(); }
    T load() const noexcept { return m_value.load(std::memory_order_relaxed); }
    void store(T value) noexcept { m_value.store(value, std::memory_order_relaxed); }

    // Read-modify-write operations are single atomic steps, so two threads
    // changing different bits of one word never lose each other's change. The
    // few hand-overs that must order two fields (a call bit and its countdown)
    // pass a stronger order.
    T fetch_or(T bits, std::memory_order order = std::memory_order_relaxed) noexcept
    {
        return m_value.fetch_or(bits, order);
    }
    T fetch_and(T bits, std::memory_order order = std::memory_order_relaxed) noexcept
    {
        return m_value.fetch_and(bits, order);
    }
    T fetch_add(T n) noexcept { return m_value.fetch_add(n, std::memory_order_relaxed); }
    T fetch_sub(T n) noexcept { return m_value.fetch_sub(n, std::memory_order_relaxed); }
    T exchange(T value, std::memory_order order = std::memory_order_relaxed) noexcept
    {
        return m_value.exchange(value, order);
    }
    T load(std::memory_order order) const noexcept { return m_value.load(order); }
    void store(T value, std::memory_order order) noexcept { m_value.store(value, order); }
    bool compare_exchange(T& expected, T desired) noexcept
    {
        return m_value.compare_exchange_weak(expected, desired, std::memory_order_relaxed);
    }
    bool compare_exchange_strong(T& expected, T desired) noexcept
    {
        return m_value.compare_exchange_strong(expected, desired, std::memory_order_relaxed);
    }
    Relaxed& operator|=(T bits) noexcept { fetch_or(bits); return *this; }
    Relaxed& operator&=(T bits) noexcept { fetch_and(bits); return *this; }

private:
    std::atomic<T> m_value;
};
