#include "callctrl/ZavNewCallSlots.h"

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>

#include "platform/Thread.h"

namespace ZavNewCallSlots {
namespace {

struct Released {
    HTAPICALL* slot;
    DWORD tick;
};

// The slots live as long as the process: a late write must always find
// memory that is ours.
struct Pool {
    std::mutex mutex;
    std::deque<std::unique_ptr<HTAPICALL>> all;
    std::deque<Released> quarantine;  // oldest first
};

Pool& ThePool() {
    static Pool* pool = new Pool;
    return *pool;
}

}  // namespace

HTAPICALL* Acquire() {
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> lock(pool.mutex);
    HTAPICALL* slot = nullptr;
    if (!pool.quarantine.empty() && plat::GetTickCount() - pool.quarantine.front().tick >= kQuarantineMs) {
        slot = pool.quarantine.front().slot;
        pool.quarantine.pop_front();
    } else {
        pool.all.push_back(std::make_unique<HTAPICALL>(nullptr));
        slot = pool.all.back().get();
    }
    std::atomic_ref<HTAPICALL>(*slot).store(nullptr);
    return slot;
}

void Release(HTAPICALL* slot) {
    if (!slot) return;
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> lock(pool.mutex);
    pool.quarantine.push_back(Released{slot, plat::GetTickCount()});
}

}  // namespace ZavNewCallSlots
