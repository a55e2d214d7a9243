// A critical section with the provider's vocabulary: Get enters, Release
// leaves. Re-entrant on one thread, exclusive across threads.
#pragma once

#include "platform/CriticalSection.h"

class ZavLock {
public:
    ZavLock() = default;
    ZavLock(const ZavLock&) = delete;
    ZavLock& operator=(const ZavLock&) = delete;

    void Get() { m_cs.Enter(); }
    void Release() { m_cs.Leave(); }
    bool TryGet() { return m_cs.TryEnter(); }

private:
    plat::CriticalSection m_cs;
};

// Holds a ZavLock for a scope, so that an early return or an exception
// cannot leave it taken.
class ZavLockHolder {
public:
    explicit ZavLockHolder(ZavLock& lock) : m_lock(lock) { m_lock.Get(); }
    ~ZavLockHolder() { m_lock.Release(); }
    ZavLockHolder(const ZavLockHolder&) = delete;
    ZavLockHolder& operator=(const ZavLockHolder&) = delete;

private:
    ZavLock& m_lock;
};
