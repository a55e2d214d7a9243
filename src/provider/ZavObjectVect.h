// A process-wide registry of objects by index (the lines and phones of the
// configured telephones).
//
// Message threads look objects up while TAPI's threads may be adding a
// telephone, so growing the registry must never move its storage: entries
// live in a fixed array of atomics and only the visible size changes.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>

template <typename T>
class ZavObjectVect {
public:
    // Line indexes travel in 12 bits of a handle; no more can be addressed.
    static constexpr std::size_t kCapacity = 4096;

    std::size_t size() const { return m_size.load(std::memory_order_acquire); }

    // Entries past the new size are cleared; the storage is never freed.
    void resize(std::size_t n) {
        if (n > kCapacity) n = kCapacity;
        std::size_t old = size();
        for (std::size_t i = n; i < old; ++i) m_items[i].store(nullptr, std::memory_order_release);
        m_size.store(n, std::memory_order_release);
    }

    // Null for an index at or past the size.
    T* at(std::size_t i) const { return i < size() ? m_items[i].load(std::memory_order_acquire) : nullptr; }

    // Returns false for an index beyond the capacity.
    bool set(std::size_t i, T* p) {
        if (i >= kCapacity) return false;
        m_items[i].store(p, std::memory_order_release);
        return true;
    }

    // Clears entry i only if it still holds p (a newer object may own it).
    void clear(std::size_t i, T* p) {
        if (i < kCapacity) m_items[i].compare_exchange_strong(p, nullptr, std::memory_order_acq_rel);
    }

    // The object stored at i regardless of the visible size.
    T* raw(std::size_t i) const { return i < kCapacity ? m_items[i].load(std::memory_order_acquire) : nullptr; }

private:
    std::array<std::atomic<T*>, kCapacity> m_items{};
    std::atomic<std::size_t> m_size{0};
};
