// Waiting in tests for what another thread brings about. The bound only
// turns a hang into a failure; nothing waits for a time to pass.
#pragma once

#include "platform/Clock.h"
#include "platform/Thread.h"

namespace zavtest {

template <typename Pred>
bool Eventually(Pred pred, DWORD timeoutMs = 10000) {
    DWORD start = plat::GetTickCount();
    while (!pred()) {
        if (plat::GetTickCount() - start > timeoutMs) return false;
        plat::Sleep(1);
    }
    return true;
}

}  // namespace zavtest
