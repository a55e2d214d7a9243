// A provider that exports a handful of TSPI functions and calls the host
// back in controlled, sometimes wrong, ways, so the host's bookkeeping can
// be tested without the real provider. Everything it does to the host is
// chosen by the test: the number dialled picks how TSPI_lineMakeCall treats
// its request, and TSPI_lineDevSpecific carries commands.
#include <atomic>
#include <cstring>
#include <map>
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
constexpr int kMaxLines = 4;
constexpr int kSlots = 16;

std::mutex g_mutex;
ASYNC_COMPLETION g_completion = nullptr;
LINEEVENT g_lineCreateProc = nullptr;
HPROVIDER g_provider = nullptr;
DWORD g_lineBase = 0, g_phoneBase = 0;
LINEEVENT g_lineProc[kMaxLines] = {};
HTAPILINE g_htLine[kMaxLines] = {};
PHONEEVENT g_phoneProc = nullptr;
HTAPIPHONE g_htPhone = nullptr;
DWORD g_nextCall = 0;
std::map<std::uintptr_t, DRV_REQUESTID> g_completeOnClose;
std::vector<HANDLE> g_threads;
DWORD g_overrun = 0;
DWORD g_closeCalls = 0;

// The variables LINE_NEWCALL asks the host to fill. They outlive the event
// so a late answer can be observed; the host writes them atomically.
alignas(8) HTAPICALL g_slots[kSlots] = {};
HTAPICALL g_slotAfterEvent[kSlots] = {};

std::atomic<DWORD> g_createThread{0}, g_createTempId{0}, g_createDeviceId{0}, g_senderThread{0};

HTAPICALL LoadSlot(int slot) { return std::atomic_ref<HTAPICALL>(g_slots[slot]).load(); }

void Complete(DRV_REQUESTID id, LONG result) {
    ASYNC_COMPLETION completion;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        completion = g_completion;
    }
    if (completion) completion(id, result);
}

void SendLine(int line, HTAPICALL htCall, DWORD msg, DWORD_PTR p1, DWORD_PTR p2, DWORD_PTR p3) {
    LINEEVENT proc;
    HTAPILINE htLine;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        proc = g_lineProc[line];
        htLine = g_htLine[line];
    }
    if (proc) proc(htLine, htCall, msg, p1, p2, p3);
}

// Work run on a thread of the fake's own.
struct Job {
    enum Kind { CompleteRequest, LineStateBurst, LineCreate } kind;
    DWORD a = 0, b = 0;
};

void SendLineCreate(DWORD tempId, bool wrongProvider) {
    LINEEVENT proc;
    HPROVIDER provider;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        proc = g_lineCreateProc;
        provider = g_provider;
    }
    DWORD_PTR handle = reinterpret_cast<DWORD_PTR>(provider) + (wrongProvider ? 1 : 0);
    if (proc) proc(nullptr, nullptr, LINE_CREATE, handle, tempId, 0);
}

DWORD RunJob(void* arg) {
    Job* job = static_cast<Job*>(arg);
    g_senderThread = plat::GetCurrentThreadId();
    switch (job->kind) {
        case Job::CompleteRequest: Complete(job->a, static_cast<LONG>(job->b)); break;
        case Job::LineStateBurst:
            for (DWORD i = 0; i < job->a; ++i) SendLine(static_cast<int>(job->b), nullptr, LINE_LINEDEVSTATE, LINEDEVSTATE_OTHER, i, 0x1234);
            break;
        case Job::LineCreate: SendLineCreate(job->a, job->b != 0); break;
    }
    delete job;
    return 0;
}

void StartJob(Job* job) {
    DWORD threadId = 0;
    HANDLE thread = plat::StartThread(&RunJob, job, 0, &threadId);
    if (!thread) {
        delete job;
        return;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    g_threads.push_back(thread);
}

void JoinJobs() {
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

int LineIndex(HDRVLINE hdLine) {
    std::uintptr_t value = reinterpret_cast<std::uintptr_t>(hdLine);
    if (value < 0x11E00000 || value >= 0x11E00000 + kMaxLines) return -1;
    return static_cast<int>(value - 0x11E00000);
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
        case kSenderThread: return g_senderThread;
        case kCloseCallCount: return g_closeCalls;
    }
    return 0;
}

FAKE_EXPORT LONG TSPIAPI TSPI_lineNegotiateTSPIVersion(DWORD, DWORD low, DWORD high, LPDWORD version) {
    *version = kVersion;
    return low <= kVersion && kVersion <= high ? 0 : LINEERR_INCOMPATIBLEAPIVERSION;
}

FAKE_EXPORT LONG TSPIAPI TSPI_phoneNegotiateTSPIVersion(DWORD, DWORD low, DWORD high, LPDWORD version) {
    *version = kVersion;
    return low <= kVersion && kVersion <= high ? 0 : PHONEERR_INCOMPATIBLEAPIVERSION;
}

FAKE_EXPORT LONG TSPIAPI TSPI_providerEnumDevices(DWORD, LPDWORD numLines, LPDWORD numPhones, HPROVIDER provider,
                                                  LINEEVENT lineCreateProc, PHONEEVENT) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_provider = provider;
    g_lineCreateProc = lineCreateProc;
    *numLines = 2;
    *numPhones = 1;
    return 0;
}

FAKE_EXPORT LONG TSPIAPI TSPI_providerInit(DWORD, DWORD, DWORD lineBase, DWORD phoneBase, DWORD_PTR, DWORD_PTR,
                                           ASYNC_COMPLETION completion, LPDWORD options) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_completion = completion;
    g_lineBase = lineBase;
    g_phoneBase = phoneBase;
    g_overrun = 0;
    g_closeCalls = 0;
    g_completeOnClose.clear();
    for (int i = 0; i < kSlots; ++i) {
        std::atomic_ref<HTAPICALL>(g_slots[i]).store(nullptr);
        g_slotAfterEvent[i] = nullptr;
    }
    *options = 0;
    return 0;
}

FAKE_EXPORT LONG TSPIAPI TSPI_providerShutdown(DWORD, DWORD) {
    JoinJobs();
    std::lock_guard<std::mutex> lock(g_mutex);
    g_completion = nullptr;
    for (int i = 0; i < kMaxLines; ++i) g_lineProc[i] = nullptr;
    g_phoneProc = nullptr;
    return 0;
}

FAKE_EXPORT LONG TSPIAPI TSPI_providerCreateLineDevice(DWORD_PTR tempId, DWORD deviceId) {
    g_createThread = plat::GetCurrentThreadId();
    g_createTempId = static_cast<DWORD>(tempId);
    g_createDeviceId = deviceId;
    return tempId == 99 ? LINEERR_BADDEVICEID : 0;
}

FAKE_EXPORT LONG TSPIAPI TSPI_lineOpen(DWORD deviceId, HTAPILINE htLine, LPHDRVLINE hdLine, DWORD,
                                       LINEEVENT eventProc) {
    DWORD index;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        index = deviceId - g_lineBase;
        if (index >= kMaxLines) return LINEERR_BADDEVICEID;
        g_lineProc[index] = eventProc;
        g_htLine[index] = htLine;
    }
    *hdLine = reinterpret_cast<HDRVLINE>(std::uintptr_t(0x11E00000) + index);
    // Reported from inside the open, as the provider does.
    SendLine(static_cast<int>(index), nullptr, LINE_LINEDEVSTATE, LINEDEVSTATE_INSERVICE, 0, 0);
    return 0;
}

FAKE_EXPORT LONG TSPIAPI TSPI_lineClose(HDRVLINE hdLine) {
    int index = LineIndex(hdLine);
    if (index < 0) return LINEERR_INVALLINEHANDLE;
    std::lock_guard<std::mutex> lock(g_mutex);
    g_lineProc[index] = nullptr;
    g_htLine[index] = nullptr;
    return 0;
}

FAKE_EXPORT LONG TSPIAPI TSPI_lineMakeCall(DRV_REQUESTID id, HDRVLINE hdLine, HTAPICALL, LPHDRVCALL hdCall,
                                           LPCWSTR dest, DWORD, LPLINECALLPARAMS const) {
    if (LineIndex(hdLine) < 0) return LINEERR_INVALLINEHANDLE;
    const std::string how = Narrow(dest);
    if (how == kRefuse) return LINEERR_CALLUNAVAIL;
    HDRVCALL call;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        call = reinterpret_cast<HDRVCALL>(std::uintptr_t(0xCA110000) + g_nextCall++);
    }
    if (how == kRefuseAfterCompleting) {
        Complete(id, 0);
        return LINEERR_OPERATIONFAILED;
    }
    *hdCall = call;
    if (how == kCompleteBeforeReturn) {
        Complete(id, 0);
    } else if (how == kCompleteFromThread) {
        StartJob(new Job{Job::CompleteRequest, id, 0});
    } else if (how == kCompleteTwice) {
        Complete(id, 0);
        Complete(id, LINEERR_OPERATIONFAILED);
    } else if (how == kCompleteUnknownId) {
        Complete(id + 1000, 0);
        Complete(id, 0);
    } else if (how == kSynchronous) {
        return 0;
    } else if (how == kSynchronousAfterCompleting) {
        Complete(id, 0);
        return 0;
    } else if (how == kReturnOtherId) {
        return static_cast<LONG>(id + 1);
    } else if (how == kCompleteOnClose) {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_completeOnClose[reinterpret_cast<std::uintptr_t>(call)] = id;
    }
    // kNeverComplete and anything else: accepted, never completed.
    return static_cast<LONG>(id);
}

FAKE_EXPORT LONG TSPIAPI TSPI_lineCloseCall(HDRVCALL hdCall) {
    DRV_REQUESTID pending = 0;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        ++g_closeCalls;
        auto it = g_completeOnClose.find(reinterpret_cast<std::uintptr_t>(hdCall));
        if (it != g_completeOnClose.end()) {
            pending = it->second;
            g_completeOnClose.erase(it);
        }
    }
    if (pending) Complete(pending, LINEERR_OPERATIONFAILED);
    return 0;
}

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
            int line = static_cast<int>(arg[0]), slot = static_cast<int>(arg[1]) % kSlots;
            HDRVCALL call = reinterpret_cast<HDRVCALL>(std::uintptr_t(0xCA120000) + slot);
            SendLine(line, nullptr, LINE_NEWCALL, reinterpret_cast<DWORD_PTR>(call),
                     reinterpret_cast<DWORD_PTR>(&g_slots[slot]), 0);
            std::lock_guard<std::mutex> lock(g_mutex);
            g_slotAfterEvent[slot] = LoadSlot(slot);
            break;
        }
        case kCallState:
            SendLine(static_cast<int>(arg[0]), LoadSlot(static_cast<int>(arg[1]) % kSlots), LINE_CALLSTATE,
                     LINECALLSTATE_OFFERING, 1, 0);
            break;
        case kLineCreate:
            if (arg[2])
                StartJob(new Job{Job::LineCreate, arg[0], arg[1]});
            else
                SendLineCreate(arg[0], arg[1] != 0);
            break;
        case kLineStateBurst: StartJob(new Job{Job::LineStateBurst, arg[0], arg[1]}); break;
        case kComplete: Complete(arg[0], static_cast<LONG>(arg[1])); break;
        case kForeignLine: {
            LINEEVENT proc;
            {
                std::lock_guard<std::mutex> lock(g_mutex);
                proc = g_lineProc[0];
            }
            if (proc) proc(reinterpret_cast<HTAPILINE>(std::uintptr_t(0x1234)), nullptr, LINE_LINEDEVSTATE, 1, 0, 0);
            break;
        }
        case kTruncatedLine: {
            LINEEVENT proc;
            HTAPILINE htLine;
            {
                std::lock_guard<std::mutex> lock(g_mutex);
                proc = g_lineProc[arg[0] % kMaxLines];
                htLine = g_htLine[arg[0] % kMaxLines];
            }
            std::uintptr_t cut = reinterpret_cast<std::uintptr_t>(htLine) & 0xFFFFFFFFu;
            if (proc) proc(reinterpret_cast<HTAPILINE>(cut), nullptr, LINE_LINEDEVSTATE, 1, 0, 0);
            break;
        }
        case kPhoneState: {
            PHONEEVENT proc;
            HTAPIPHONE htPhone;
            {
                std::lock_guard<std::mutex> lock(g_mutex);
                proc = g_phoneProc;
                htPhone = g_htPhone;
            }
            if (proc) proc(htPhone, PHONE_STATE, PHONESTATE_DISPLAY, 0, 0);
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

FAKE_EXPORT LONG TSPIAPI TSPI_phoneOpen(DWORD, HTAPIPHONE htPhone, LPHDRVPHONE hdPhone, DWORD, PHONEEVENT eventProc) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_phoneProc = eventProc;
    g_htPhone = htPhone;
    *hdPhone = reinterpret_cast<HDRVPHONE>(std::uintptr_t(0x9E000000));
    return 0;
}

FAKE_EXPORT LONG TSPIAPI TSPI_phoneClose(HDRVPHONE) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_phoneProc = nullptr;
    g_htPhone = nullptr;
    return 0;
}
