// Owns one reference to a COM-style object, so that a failed assertion does
// not leave an object alive for the next test to trip over.
#pragma once

#include <utility>

template <typename T>
class SimComPtr {
public:
    SimComPtr() = default;
    explicit SimComPtr(T* p) : m_p(p) {}
    ~SimComPtr() { Reset(); }
    SimComPtr(const SimComPtr&) = delete;
    SimComPtr& operator=(const SimComPtr&) = delete;
    SimComPtr(SimComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    SimComPtr& operator=(SimComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            m_p = std::exchange(other.m_p, nullptr);
        }
        return *this;
    }

    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // For out parameters: releases what is held first.
    T** Out() {
        Reset();
        return &m_p;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }
    void Reset() {
        if (m_p) m_p->Release();
        m_p = nullptr;
    }

private:
    T* m_p = nullptr;
};
