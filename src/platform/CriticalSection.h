// A critical section: mutual exclusion between threads, re-entrant on the
// owning thread, as Windows critical sections are.
#pragma once

namespace plat {

class CriticalSection {
public:
    CriticalSection();
    ~CriticalSection();
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter();
    void Leave();
    bool TryEnter();

private:
    // Storage for the OS object, sized for the larger of CRITICAL_SECTION and
    // a pthread mutex, so that this header needs no OS header.
    alignas(8) unsigned char m_storage[64];
};

}  // namespace plat
