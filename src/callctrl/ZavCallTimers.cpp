// A call's timers: one short-lived thread per started timer, cancelled
// through an event the thread owns and an active flag its starter sets.
//
// Two rules keep the threads safe beside the message thread and TAPI's:
// - A timer acts on its call only under the extension's message lock, the
//   lock every other user of the call holds. While it waits for the lock it
//   keeps watching its event, so a canceller that holds the lock and waits
//   for the timer to go is never kept waiting by it.
// - A call keeps the handle of every timer thread it started and joins them
//   all before it is destroyed; destruction happens under the message lock,
//   which the timers give way to, so the join always ends.
#include <mutex>

#include "callctrl/ZavCall.h"
#include "callctrl/ZavCallHub.h"
#include "platform/Event.h"
#include "platform/Thread.h"
#include "switchlink/ZavPhone.h"
#include "trace/ZavTrace.h"

namespace {

constexpr std::size_t kTimerStackSize = 1024;

// What a timer thread needs from its starter; the thread takes it over.
struct TimerStart {
    ZavCall* call;
    ZavPhone* phone;  // the call's telephone, which outlives the call
    HANDLE event;     // the call's event for the kind
    ZavCall::TimerEventE kind;
    DWORD times;
    DWORD timeout;
};

// Takes the extension's message lock, as everything that acts on a call
// does, but gives way when the timer is cancelled meanwhile: a canceller
// holds that lock while it waits for the timer to go.
bool LockGivingWay(ZavPhone* phone, HANDLE event) {
    for (;;) {
        if (phone->TryLock()) return true;
        if (plat::WaitForEvent(event, 1) == WAIT_OBJECT_0) return false;
    }
}

bool IsDigitTimer(ZavCall::TimerEventE kind) {
    return kind == ZavCall::eTimerFirstDigit || kind == ZavCall::eTimerInterDigit;
}

}  // namespace

HANDLE ZavCall::CreateTimer(TimerEventE kind, DWORD times, DWORD timeout) {
    ZAV_TRACE("ZavCall::CreateTimer() is invoked, EventId %d Times %d TimeOut %d", static_cast<int>(kind),
              static_cast<int>(times), static_cast<int>(timeout));
    m_TimerEventId = kind;
    m_dwTimerTimes = times;
    m_dwTimerTimeout = timeout;
    std::lock_guard<std::mutex> lock(m_TimerThreadsMutex);
    if (!m_TimerEventStore[kind].load()) m_TimerEventStore[kind].store(plat::MakeEvent(true, false));
    HANDLE event = m_TimerEventStore[kind].load();
    if (!event) return nullptr;
    // A cancel meant for an earlier timer of the kind is over: that timer
    // has gone, or this one would not be started. Reset here, not in the
    // thread, so that a cancel between this start and the thread's first
    // step is not lost.
    plat::ResetEvent(event);
    ZavCallHub* hub = GetCallHubPointer();
    auto* start = new (std::nothrow)
        TimerStart{this, hub ? hub->GetPhonePointer() : nullptr, event, kind, times, timeout};
    if (!start) return nullptr;
    // Threads that have ended are joined here, so the list stays short.
    for (auto it = m_TimerThreads.begin(); it != m_TimerThreads.end();) {
        if (plat::WaitForThread(it->handle, 0) == WAIT_OBJECT_0) {
            plat::CloseThread(it->handle);
            it = m_TimerThreads.erase(it);
        } else {
            ++it;
        }
    }
    DWORD id = 0;
    HANDLE thread = plat::StartThread(&ZavCall::TimerThread, start, kTimerStackSize, &id);
    if (!thread) {
        delete start;
        return nullptr;
    }
    m_TimerThreads.push_back({thread, id});
    return thread;
}

void ZavCall::SignalTimer(TimerEventE kind) {
    if (HANDLE event = m_TimerEventStore[kind].load()) plat::SetEvent(event);
}

DWORD ZavCall::TimerThread(void* arg) {
    TimerStart start = *static_cast<TimerStart*>(arg);
    delete static_cast<TimerStart*>(arg);
    ZavCall* call = start.call;
    const TimerEventE kind = start.kind;
    DWORD times = start.times;
    ZAV_TRACE("ZavCall::TimerThread() started, EventId %d Times %d, TimeOut %d", static_cast<int>(kind),
              static_cast<int>(times), static_cast<int>(start.timeout));
    // Only the digit timers have a flag; the others are never waited for
    // by one and must not clear a digit timer's.
    std::atomic<int>* flag = kind == eTimerFirstDigit   ? &call->m_bFirstDigitTimerActive
                             : kind == eTimerInterDigit ? &call->m_bInterDigitTimerActive
                                                        : nullptr;
    auto clearFlag = [flag] {
        if (flag) flag->store(0);
    };
    if (!call->IsDigitGatheringOn()) {
        clearFlag();
        ZAV_TRACE("ZavCall::TimerThread() returning early, EventId %d", static_cast<int>(kind));
        return 0;
    }
    HANDLE event = start.event;
    call->m_TimerEvents[kind].store(event);
    ZAV_TRACE("Timer Tick Count Begin: %d", static_cast<int>(plat::GetTickCount()));
    // Gives the slot up; the event itself stays with the call.
    auto releaseEvent = [&] {
        HANDLE mine = event;
        call->m_TimerEvents[kind].compare_exchange_strong(mine, nullptr);
    };
    if (!call->IsDigitGatheringOn()) {
        clearFlag();
        ZAV_TRACE("ZavCall::TimerThread() returning early, EventId %d", static_cast<int>(kind));
        releaseEvent();
        return 0;
    }
    ZAV_TRACE("ZavCall::TimerThread() Timer Tick Count Begin: %d", static_cast<int>(kind));
    for (;;) {
        const DWORD waited = plat::WaitForEvent(event, start.timeout);
        if (waited == WAIT_OBJECT_0) break;
        if (waited != WAIT_TIMEOUT) {
            ZAV_TRACE(waited == WAIT_FAILED ? "**** ZavCall::TimerThread() wait failed"
                                            : "**** ZavCall::TimerThread() wait returned unknown value");
            break;
        }
        if (!IsDigitTimer(kind) && --times != 0) continue;
        ZavPhone* phone = start.phone;
        if (phone && !LockGivingWay(phone, event)) break;  // cancelled meanwhile
        // A cancel that came while the lock was being taken still wins, and
        // so does the end of the gathering the timer was started for.
        const bool act = plat::WaitForEvent(event, 0) != WAIT_OBJECT_0 && call->IsDigitGatheringOn();
        // The flag and the slot go first: the action waits for both, and
        // may end with the call closed, after which nothing of it is touched.
        clearFlag();
        releaseEvent();
        ZAV_TRACE("ZavCall::TimerThread() returning, EventId %d", static_cast<int>(kind));
        if (act) {
            switch (kind) {
                case eTimerFirstDigit: call->NotifyDigitGatheringDone(LINEGATHERTERM_FIRSTTIMEOUT); break;
                case eTimerInterDigit: call->NotifyDigitGatheringDone(LINEGATHERTERM_INTERTIMEOUT); break;
                case eTimerNoDialTone:
                    call->NotifyDisconnected(LINEDISCONNECTMODE_NODIALTONE);
                    call->SetCallState(LINECALLSTATE_IDLE, 0);
                    break;
                case eTimerNoAnswer:
                    call->NotifyDisconnected(LINEDISCONNECTMODE_NOANSWER);
                    call->SetCallState(LINECALLSTATE_IDLE, 0);
                    break;
                default: break;
            }
        }
        // The call may be gone by now; its phone is not.
        if (phone) phone->Unlock();
        return 0;
    }
    ZAV_TRACE("ZavCall::TimerThread() Timer Tick Count End: %d", static_cast<int>(plat::GetTickCount()));
    if (call->m_TimerEvents[kind].load() == event) {
        clearFlag();
        releaseEvent();
        ZAV_TRACE("ZavCall::TimerThread() returning, EventId %d", static_cast<int>(kind));
    } else {
        clearFlag();
        releaseEvent();
        ZAV_TRACE("ZavCall::TimerThread() returning no handle but EventId %d", static_cast<int>(kind));
    }
    return 0;
}

void ZavCall::CleanUpTimers() {
    SignalTimer(eTimerFirstDigit);
    SignalTimer(eTimerInterDigit);
    auto wait = [](auto&& done, const char* trace) {
        const DWORD start = plat::GetTickCount();
        while (!done() && plat::GetTickCount() - start < 1000) {
            ZAV_TRACE("%s", trace);
            plat::Sleep(2);
        }
    };
    wait([&] { return !m_TimerEvents[eTimerFirstDigit].load() && !m_TimerEvents[eTimerInterDigit].load(); },
         "ZavCall::CleanUpTimers(), trying to cancel timers, based on the timer handle");
    wait([&] { return !m_bFirstDigitTimerActive.load() && !m_bInterDigitTimerActive.load(); },
         "ZavCall::CleanUpTimers(), trying to cancel timers, based on the timer thread ids");
    if (m_TimerEvents[eTimerFirstDigit].load() || m_TimerEvents[eTimerInterDigit].load() ||
        m_bFirstDigitTimerActive.load() || m_bInterDigitTimerActive.load())
        ZAV_TRACE("**** ZavCall::CleanUpTimers(), couldn't cancel timers, despite trying like crazy");
}

void ZavCall::JoinTimerThreads() {
    std::vector<TimerThreadRecord> threads;
    {
        std::lock_guard<std::mutex> lock(m_TimerThreadsMutex);
        threads.swap(m_TimerThreads);
    }
    auto signalAll = [this] {
        for (std::size_t kind = 0; kind < s_NumTimerEvents; ++kind) SignalTimer(static_cast<TimerEventE>(kind));
    };
    signalAll();
    const DWORD self = plat::GetCurrentThreadId();
    for (const TimerThreadRecord& t : threads) {
        // A timer whose own action ended the call: it touches nothing of the
        // call after that action, and cannot wait for itself.
        if (t.id != self) {
            // Every wait of a timer ends at its event, which is signalled,
            // or at the message lock, which it gives way to.
            while (plat::WaitForThread(t.handle, 1) == WAIT_TIMEOUT) signalAll();
        }
        plat::CloseThread(t.handle);
    }
    // Only a timer that ended the call itself may still run; it no longer
    // looks at its event.
    for (auto& event : m_TimerEventStore)
        if (HANDLE e = event.exchange(nullptr)) plat::CloseEvent(e);
}
