// A provider with one line that calls the host back in controlled, sometimes
// wrong, ways, so the host's audit can be tested without the real provider.
// The number dialled picks how TSPI_lineMakeCall treats its request, and
// TSPI_lineDevSpecific carries the other commands.
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "host/FakeProviderControl.h"
#include "platform/Thread.h"
#include "tapi/Tapi.h"

#ifdef _WIN32
#define FAKE_EXPORT extern "C"
#else
#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

using namespace fakeprovider;

namespace {

constexpr DWORD kVersion = 0x00020001;
constexpr int kSlots = 4;
const HDRVLINE kHdLine = reinterpret_cast<HDRVLINE>(std::uintptr_t(0x11E00000));

std::mutex g_mutex;
ASYNC_COMPLETION g_completion = nullptr;
LINEEVENT g_lineCreateProc = nullptr;
HPROVIDER g_provider = nullptr;
DWORD g_lineBase = 0;
LINEEVENT g_lineProc = nullptr;
HTAPILINE g_htLine = nullptr;
DWORD g_overrun = 0;
std::vector<HANDLE> g_threads;

// The variables LINE_NEWCALL asks the host to fill. They outlive the event
// so a late answer can be observed; the host writes them atomically.
alignas(8) HTAPICALL g_slots[kSlots] = {};
HTAPICALL g_slotAfterEvent[kSlots] = {};

std::atomic<DWORD> g_createThread{0}, g_createTempId{0}, g_createDeviceId{0};

HTAPICALL LoadSlot(int slot) { return std::atomic_ref<HTAPICALL>(g_slots[slot]).load(); }

void Complete(DRV_REQUESTID id, LONG result) {
    ASYNC_COMPLETION completion;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        completion = g_completion;
    }
    if (completion) completion(id, result);
}

void SendLine(HTAPILINE htLine, HTAPICALL htCall, DWORD msg, DWORD_PTR p1, DWORD_PTR p2) {
    LINEEVENT proc;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        proc = g_lineProc;
    }
    if (proc) proc(htLine, htCall, msg, p1, p2, 0);
}

HTAPILINE OpenLine() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_htLine;
}

struct LineCreate {
    DWORD tempId;
    bool wrongProvider;
};

DWORD SendLineCreate(void* arg) {
    LineCreate* create = static_cast<LineCreate*>(arg);
    LINEEVENT proc;
    HPROVIDER provider;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        proc = g_lineCreateProc;
        provider = g_provider;
    }
    DWORD_PTR handle = reinterpret_cast<DWORD_PTR>(provider) + (create->wrongProvider ? 1 : 0);
    if (proc) proc(nullptr, nullptr, LINE_CREATE, handle, create->tempId, 0);
    delete create;
    return 0;
}

void SendLineCreateFromThread(LineCreate* create) {
    HANDLE thread = plat::StartThread(&SendLineCreate, create, 0, nullptr);
    if (!thread) {
        delete create;
        return;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    g_threads.push_back(thread);
}

void JoinThreads() {
    std::vector<HANDLE> threads;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        threads.swap(g_threads);
    }
    for (HANDLE thread : threads) {
        plat::WaitForThread(thread, INFINITE);
        plat::CloseThread(thread);
    }
}

std::string Narrow(LPCWSTR text) {
    std::string s;
    for (; text && *text; ++text) s += static_cast<char>(*text);
    return s;
}

}  // namespace

FAKE_EXPORT std::uintptr_t FakeTsp_Probe(int what, int index) {
    std::lock_guard<std::mutex> lock(g_mutex);
    bool slot = index >= 0 && index < kSlots;
    switch (what) {
        case kSlotNow: return slot ? reinterpret_cast<std::uintptr_t>(LoadSlot(index)) : 0;
        case kSlotAfterEvent: return slot ? reinterpret_cast<std::uintptr_t>(g_slotAfterEvent[index]) : 0;
        case kCreateLineThread: return g_createThread;
        case kCreateLineTempId: return g_createTempId;
        case kCreateLineDeviceId: return g_createDeviceId;
    }
    return 0;
}

FAKE_EXPORT LONG TSPIAPI TSPI_lineNegotiateTSPIVersion(DWORD, DWORD low, DWORD high, LPDWORD version) {
    *version = kVersion;
    return low <= kVersion && kVersion <= high ? 0 : LINEERR_INCOMPATIBLEAPIVERSION;
}

FAKE_EXPORT LONG TSPIAPI TSPI_providerEnumDevices(DWORD, LPDWORD numLines, LPDWORD numPhones, HPROVIDER provider,
                                                  LINEEVENT lineCreateProc, PHONEEVENT) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_provider = provider;
    g_lineCreateProc = lineCreateProc;
    *numLines = 1;
    *numPhones = 0;
    return 0;
}

FAKE_EXPORT LONG TSPIAPI TSPI_providerInit(DWORD, DWORD, DWORD lineBase, DWORD, DWORD_PTR, DWORD_PTR,
                                           ASYNC_COMPLETION completion, LPDWORD options) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_completion = completion;
    g_lineBase = lineBase;
    g_overrun = 0;
    for (int i = 0; i < kSlots; ++i) {
        std::atomic_ref<HTAPICALL>(g_slots[i]).store(nullptr);
        g_slotAfterEvent[i] = nullptr;
    }
    *options = 0;
    return 0;
}

FAKE_EXPORT LONG TSPIAPI TSPI_providerShutdown(DWORD, DWORD) {
    JoinThreads();
    std::lock_guard<std::mutex> lock(g_mutex);
    g_completion = nullptr;
    g_lineProc = nullptr;
    return 0;
}

FAKE_EXPORT LONG TSPIAPI TSPI_providerCreateLineDevice(DWORD_PTR tempId, DWORD deviceId) {
    g_createThread = plat::GetCurrentThreadId();
    g_createTempId = static_cast<DWORD>(tempId);
    g_createDeviceId = deviceId;
    return 0;
}

FAKE_EXPORT LONG TSPIAPI TSPI_lineOpen(DWORD deviceId, HTAPILINE htLine, LPHDRVLINE hdLine, DWORD,
                                       LINEEVENT eventProc) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (deviceId != g_lineBase) return LINEERR_BADDEVICEID;
    g_lineProc = eventProc;
    g_htLine = htLine;
    *hdLine = kHdLine;
    return 0;
}

FAKE_EXPORT LONG TSPIAPI TSPI_lineClose(HDRVLINE hdLine) {
    if (hdLine != kHdLine) return LINEERR_INVALLINEHANDLE;
    std::lock_guard<std::mutex> lock(g_mutex);
    g_lineProc = nullptr;
    g_htLine = nullptr;
    return 0;
}

FAKE_EXPORT LONG TSPIAPI TSPI_lineMakeCall(DRV_REQUESTID id, HDRVLINE hdLine, HTAPICALL, LPHDRVCALL hdCall,
                                           LPCWSTR dest, DWORD, LPLINECALLPARAMS const) {
    if (hdLine != kHdLine) return LINEERR_INVALLINEHANDLE;
    const std::string how = Narrow(dest);
    *hdCall = reinterpret_cast<HDRVCALL>(std::uintptr_t(0xCA110000));
    if (how == kCompleteBeforeReturn) {
        Complete(id, 0);
    } else if (how == kCompleteTwice) {
        Complete(id, 0);
        Complete(id, LINEERR_OPERATIONFAILED);
    } else if (how == kCompleteUnknownId) {
        Complete(id + 1000, 0);
        Complete(id, 0);
    } else if (how == kSynchronousAfterCompleting) {
        Complete(id, 0);
        return 0;
    } else if (how == kReturnOtherId) {
        return static_cast<LONG>(id + 1);
    }
    // kNeverComplete: accepted, never completed.
    return static_cast<LONG>(id);
}

FAKE_EXPORT LONG TSPIAPI TSPI_lineCloseCall(HDRVCALL) { return 0; }

FAKE_EXPORT LONG TSPIAPI TSPI_lineGetCallInfo(HDRVCALL, LPLINECALLINFO info) {
    DWORD overrun;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        overrun = g_overrun;
    }
    DWORD total = info->dwTotalSize;
    std::memset(reinterpret_cast<BYTE*>(info) + 4, 0, total - 4 + overrun);
    info->dwNeededSize = total + overrun;
    return 0;
}

FAKE_EXPORT LONG TSPIAPI TSPI_lineDevSpecific(DRV_REQUESTID, HDRVLINE, DWORD, HDRVCALL, LPVOID params, DWORD) {
    CommandBlock block;
    std::memcpy(&block, params, sizeof block);
    const DWORD* arg = block.arg;
    switch (block.command) {
        case kNewCall: {
            int slot = static_cast<int>(arg[0]) % kSlots;
            HDRVCALL call = reinterpret_cast<HDRVCALL>(std::uintptr_t(0xCA120000) + slot);
            SendLine(OpenLine(), nullptr, LINE_NEWCALL, reinterpret_cast<DWORD_PTR>(call),
                     reinterpret_cast<DWORD_PTR>(&g_slots[slot]));
            std::lock_guard<std::mutex> lock(g_mutex);
            g_slotAfterEvent[slot] = LoadSlot(slot);
            break;
        }
        case kCallState:
            SendLine(OpenLine(), LoadSlot(static_cast<int>(arg[0]) % kSlots), LINE_CALLSTATE, LINECALLSTATE_OFFERING,
                     1);
            break;
        case kLineCreate: {
            LineCreate* create = new LineCreate{arg[0], arg[1] != 0};
            if (arg[2])
                SendLineCreateFromThread(create);
            else
                SendLineCreate(create);
            break;
        }
        case kComplete: Complete(arg[0], 0); break;
        case kBadLineHandle: {
            std::uintptr_t bad = arg[0] ? reinterpret_cast<std::uintptr_t>(OpenLine()) & 0xFFFFFFFFu : 0x1234;
            SendLine(reinterpret_cast<HTAPILINE>(bad), nullptr, LINE_LINEDEVSTATE, LINEDEVSTATE_OTHER, 0);
            break;
        }
        case kCallInfoOverrun: {
            std::lock_guard<std::mutex> lock(g_mutex);
            g_overrun = arg[0];
            break;
        }
    }
    return 0;
}
