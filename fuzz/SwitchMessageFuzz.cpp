// libFuzzer target: random switch messages interleaved with random TSPI
// calls on two extensions, the provider loaded by the host emulator as the
// telephony service loads it. The oracle is the host's audit (a request
// completed twice or never, an event for a call or line TAPI does not know,
// a structure written past its size) and AddressSanitizer.
//
// Each input is a program of 4-byte steps: an operation and three
// arguments. The switch's call model answers the provider's commands, so
// injected messages land among real replies. Each input ends with both
// lines closed (see Settle), every 256 inputs the service is shut down and
// started again (see kInputsPerService).
//
//   tools/fuzz.sh 60        builds the target, runs it for a minute
//   zav_fuzz FILE           runs one saved input again
//   ZAV_FUZZ_LOG_DIR=DIR    the provider's trace, in DIR/Logs
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <sanitizer/allocator_interface.h>

#include "ZavSimControl.h"
#include "host/TapiHost.h"
#include "platform/Module.h"
#include "platform/Registry.h"
#include "platform/Text.h"

namespace {

namespace fs = std::filesystem;

struct Fuzz {
    std::unique_ptr<zavhost::TapiHost> host;
    HDRVLINE lines[2] = {};
    ZavSimInjectMessageFn inject = nullptr;
    ZavSimSetCallModelFn setCallModel = nullptr;
    ZavSimExternalCallFn externalCall = nullptr;
    ZavSimCallFn externalHangUp = nullptr;
    ZavSimCallTextFn externalAnswer = nullptr;
    ZavSimCountFn endPoints = nullptr;
    ZavSimLiveFn liveObjects = nullptr;
    ZavSimClearLogFn clearLog = nullptr;
    std::size_t faults = 0;
    std::size_t firstCall = 0;  // the host's calls before this one are all closed
    unsigned inputs = 0;
};

// The host keeps every call, request and event it has seen, so each input
// would cost more than the last; a fresh service every so many inputs keeps
// them even, and its shutdown is itself a check: nothing may be left
// pending, and the switch component must have every object back.
constexpr unsigned kInputsPerService = 256;

Fuzz* g_fuzz = nullptr;
const char* const kExt[2] = {"201", "202"};

template <class Fn>
Fn Resolve(HMODULE module, const char* name) {
    auto fn = reinterpret_cast<Fn>(plat::GetModuleSymbol(module, name));
    if (!fn) {
        std::fprintf(stderr, "zav_fuzz: %s missing\n", name);
        std::abort();
    }
    return fn;
}

void Fail(const std::string& what) {
    std::fprintf(stderr, "zav_fuzz: %s\n", what.c_str());
    std::abort();
}

void StartService() {
    Fuzz& f = *g_fuzz;
    f.host = std::make_unique<zavhost::TapiHost>();
    f.faults = 0;
    f.firstCall = 0;
    if (!f.host->Load(ZAV_PROVIDER_PATH) || f.host->Start(0, 0) != 0 || f.host->LineOpen(0, &f.lines[0]) != 0 ||
        f.host->LineOpen(1, &f.lines[1]) != 0)
        Fail("cannot start: " + f.host->LastError());
}

void StopService() {
    Fuzz& f = *g_fuzz;
    for (HDRVLINE line : f.lines)
        if (f.host->LineClose(line) != 0) Fail("a line would not close");
    if (f.host->ProviderShutdown() != 0) Fail("the provider would not shut down");
    std::string report = f.host->FaultReport();
    for (const zavhost::RequestRecord& r : f.host->Requests())
        if (r.state != zavhost::RequestState::Completed && r.state != zavhost::RequestState::Refused &&
            r.state != zavhost::RequestState::Synchronous)
            report += r.function + " request " + std::to_string(r.id) + " left " +
                      zavhost::RequestStateName(r.state) + "\n";
    if (f.endPoints(nullptr) != 0 || f.liveObjects() != 0) report += "the provider kept switch objects\n";
    if (!report.empty()) Fail("after the shutdown:\n" + report);
    f.host.reset();
    f.clearLog(nullptr);  // the switch logs every command; that is not the provider's memory
    // ZAV_FUZZ_HEAP: the heap in use after each service, to tell a leak
    // from the sanitizer's own growth (run one input many times).
    if (std::getenv("ZAV_FUZZ_HEAP"))
        std::fprintf(stderr, "zav_fuzz: heap in use after %u inputs: %zu bytes\n", f.inputs,
                     __sanitizer_get_current_allocated_bytes());
}

void Start() {
    const fs::path dir = fs::temp_directory_path() / ("zav-fuzz-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    setenv("ZAV_REGISTRY", (dir / "registry.reg").c_str(), 1);
    setenv("ZAV_REGISTRY_SCRATCH", "1", 1);
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    std::string error;
    HMODULE sim = plat::LoadModule(ZAV_SIM_PATH, &error);
    if (!sim) Fail("cannot load the switch: " + error);
    HKEY key;
    plat::CreateRegKey(HKEY_LOCAL_MACHINE, "Software\\Ostrel\\ZAV\\ZAVTSP", KEY_ALL_ACCESS, &key, nullptr);
    plat::SetRegDword(key, "NumPhones", 2);
    // ZAV_FUZZ_LOG_DIR: the provider's install path, its trace in Logs/
    // there; for a saved input run alone.
    if (const char* logDir = std::getenv("ZAV_FUZZ_LOG_DIR")) plat::SetRegString(key, "InstallPath", logDir);
    for (int i = 0; i < 2; ++i) {
        HKEY phone;
        plat::CreateRegKey(key, ("Phone" + std::to_string(i)).c_str(), KEY_ALL_ACCESS, &phone, nullptr);
        plat::SetRegString(phone, "Extension", kExt[i]);
        plat::SetRegString(phone, "Password", "pw");
        plat::CloseRegKey(phone);
        ZavSimAccount account{kExt[i], "pw", 1, 4001, i, "Fuzz"};
        Resolve<ZavSimAddAccountFn>(sim, "ZavSimAddAccount")(&account);
    }
    plat::CloseRegKey(key);
    Resolve<HRESULT(STDMETHODCALLTYPE*)()>(sim, "DllRegisterServer")();
    // The provider stays loaded from service to service: the fuzzer counts
    // coverage in its code, and an unloaded library would leave it counting
    // in memory that is gone.
    if (!plat::LoadModule(ZAV_PROVIDER_PATH, &error)) Fail("cannot load the provider: " + error);
    g_fuzz = new Fuzz;
    Fuzz& f = *g_fuzz;
    f.inject = Resolve<ZavSimInjectMessageFn>(sim, "ZavSimInjectMessage");
    f.setCallModel = Resolve<ZavSimSetCallModelFn>(sim, "ZavSimSetCallModel");
    f.externalCall = Resolve<ZavSimExternalCallFn>(sim, "ZavSimExternalCall");
    f.externalHangUp = Resolve<ZavSimCallFn>(sim, "ZavSimExternalHangUp");
    f.externalAnswer = Resolve<ZavSimCallTextFn>(sim, "ZavSimExternalAnswer");
    f.endPoints = Resolve<ZavSimCountFn>(sim, "ZavSimEndPointCount");
    f.liveObjects = Resolve<ZavSimLiveFn>(sim, "ZavSimLiveObjects");
    f.clearLog = Resolve<ZavSimClearLogFn>(sim, "ZavSimClearLog");
    f.setCallModel(1);
    StartService();
    std::atexit([] {
        if (g_fuzz && g_fuzz->host) StopService();
    });
}

// The switch's call-control messages, and some it never sends.
const int32_t kTypes[] = {
    ZAVSIM_MSG_OFFHOOK_REPLY, ZAVSIM_MSG_ANSWER_REPLY,     ZAVSIM_MSG_ONHOOK_REPLY,  ZAVSIM_MSG_HOLD_REPLY,
    ZAVSIM_MSG_UNHOLD_REPLY,  ZAVSIM_MSG_NEW_CALL,         ZAVSIM_MSG_RING_BACK,     ZAVSIM_MSG_CONNECTED,
    ZAVSIM_MSG_BUSY,          ZAVSIM_MSG_ONHOOK_REMOTE,    ZAVSIM_MSG_DIGIT_REMOTE,  ZAVSIM_MSG_STOP_DIALTONE,
    ZAVSIM_MSG_TRANSFER_REPLY, ZAVSIM_MSG_TRANSFER_END_REPLY, ZAVSIM_MSG_CONFERENCE_REPLY,
    ZAVSIM_MSG_ADD_TO_CONF_REPLY, ZAVSIM_MSG_TRANSFER_TIMEOUT, ZAVSIM_MSG_PARK_SUCCESS, ZAVSIM_MSG_PARK_TIMEOUT,
    ZAVSIM_MSG_UNPARK_SUCCESS, ZAVSIM_MSG_REDIRECT_SUCCESS, ZAVSIM_MSG_REDIRECT_TIMEOUT,
    ZAVSIM_MSG_TOO_MANY_PARTIES_IN_CONF, 0x28005, 0x2800B, 0x20006, 0x2FFFF,
};
const int32_t kSals[] = {1, 2, 3, 65, 66, 67, 0, 0xFFFF, 400};
const char* const kNumbers[] = {"201", "202", "0612345678", "2", "", "#", "9,1*#"};

// The calls TAPI has open on the two lines.
std::vector<zavhost::CallView> OpenCalls() {
    std::vector<zavhost::CallView> calls;
    for (const zavhost::CallView& c : g_fuzz->host->Calls(g_fuzz->firstCall))
        if (!c.closed && c.hdCall && c.delivered) calls.push_back(c);
    return calls;
}

void Request(unsigned which, HDRVCALL call, HDRVCALL other, int callLine, uint8_t c) {
    Fuzz& f = *g_fuzz;
    zavhost::TapiHost& host = *f.host;
    auto& tspi = host.Tspi();
    const std::u16string number = plat::AnsiToWide(kNumbers[c % (sizeof kNumbers / sizeof kNumbers[0])]);
    const LPCWSTR dest = (c & 0x80) ? static_cast<LPCWSTR>(nullptr) : plat::WidePtr(number);
    HDRVCALL conf = nullptr, consult = nullptr;
    const auto noParams = static_cast<LPLINECALLPARAMS>(nullptr);
    switch (which) {
        case 0:
            tspi.lineSetupConference(call, static_cast<HDRVLINE>(nullptr), host.NewTapiCall(f.lines[callLine]), &conf,
                                     host.NewTapiCall(f.lines[callLine]), &consult, DWORD{3}, noParams);
            return;
        case 1: tspi.linePrepareAddToConference(call, host.NewTapiCall(f.lines[callLine]), &consult, noParams); return;
        case 2: tspi.lineAddToConference(call, other); return;
        case 3: tspi.lineRemoveFromConference(call); return;
        case 4: tspi.linePark(call, DWORD{LINEPARKMODE_DIRECTED}, dest, static_cast<LPVARSTRING>(nullptr)); return;
        case 5: tspi.lineRedirect(call, dest, DWORD{0}); return;
        case 6: tspi.lineBlindTransfer(call, dest, DWORD{0}); return;
        default: tspi.lineAccept(call, static_cast<LPCSTR>(nullptr), DWORD{0}); return;
    }
}

void Step(uint8_t op, uint8_t a, uint8_t b, uint8_t c) {
    Fuzz& f = *g_fuzz;
    zavhost::TapiHost& host = *f.host;
    auto& tspi = host.Tspi();
    const std::vector<zavhost::CallView> calls = OpenCalls();
    const HDRVCALL call = calls.empty() ? reinterpret_cast<HDRVCALL>(uintptr_t{0xE0000000u | a})
                                        : calls[a % calls.size()].hdCall;
    const HDRVCALL other = calls.empty() ? call : calls[b % calls.size()].hdCall;
    const int line = b & 1;
    // TAPI makes a consultation call on the line of the call it consults.
    const int callLine = calls.empty() ? line : static_cast<int>(calls[a % calls.size()].deviceId & 1);
    switch (op % 16) {
        case 0:
        case 1:
        case 2: {
            ZavSimMessage m{};
            m.category = ZAVSIM_CATEGORY_CALL_CONTROL;
            m.msgType = kTypes[a % (sizeof kTypes / sizeof kTypes[0])];
            m.sal1 = kSals[b % (sizeof kSals / sizeof kSals[0])];
            m.sal2 = kSals[c % 3];
            m.requestId = (c & 0x80) ? static_cast<int32_t>(reinterpret_cast<uintptr_t>(call)) : c;
            m.reason = (c >> 2) & 0x1F;
            m.result = (c >> 4) & 1;
            m.digit = '0' + (c % 10);
            m.globalCallId = 1 + (c & 3);
            m.callerNum = kNumbers[c % (sizeof kNumbers / sizeof kNumbers[0])];
            m.callerName = (c & 8) ? "Fuzz" : nullptr;
            m.dialedNum = kExt[line];
            f.inject(kExt[line], &m);
            return;
        }
        case 3: {
            HDRVCALL made = nullptr;
            const char* number = (c & 1) ? nullptr : kNumbers[c % (sizeof kNumbers / sizeof kNumbers[0])];
            host.LineMakeCall(f.lines[line], number && *number ? number : nullptr, &made);
            return;
        }
        case 4: host.LineAnswer(call); return;
        case 5: host.LineDrop(call); return;
        case 6: tspi.lineHold(call); return;
        case 7: tspi.lineUnhold(call); return;
        case 8: tspi.lineSwapHold(call, other); return;
        case 9: host.LineCloseCall(call); return;
        case 10: {
            HDRVCALL consult = nullptr;
            tspi.lineSetupTransfer(call, host.NewTapiCall(f.lines[callLine]), &consult,
                                   static_cast<LPLINECALLPARAMS>(nullptr));
            return;
        }
        case 11:
            tspi.lineCompleteTransfer(call, other, static_cast<HTAPICALL>(nullptr), static_cast<LPHDRVCALL>(nullptr),
                                      DWORD{LINETRANSFERMODE_TRANSFER});
            return;
        case 12: {
            const std::u16string digits = plat::AnsiToWide(kNumbers[c % (sizeof kNumbers / sizeof kNumbers[0])]);
            tspi.lineDial(call, plat::WidePtr(digits), DWORD{0});
            return;
        }
        case 13: {
            // The high bit picks the conference, park, redirect and blind
            // transfer requests (no saved input had it); unpark and pickup
            // are left out, as each waits up to a second for the switch.
            if (op & 0x80) return Request((op >> 4) & 7, call, other, callLine, c);
            zavhost::TapiBuffer info(static_cast<DWORD>(16 + c * 4));
            host.LineGetCallInfo(call, info);
            zavhost::TapiBuffer status(static_cast<DWORD>(16 + c));
            host.LineGetCallStatus(call, status);
            return;
        }
        case 14: {
            const int32_t id = f.externalCall(kExt[line], "0612345678", "Outside", c & 3);
            if (id > 0 && (c & 4)) f.externalHangUp(id);
            return;
        }
        default:
            f.externalHangUp(1 + c);
            f.externalAnswer(1 + c, "Far");
            return;
    }
}

// Closing a line ends its calls, those TAPI has and those it never had or
// forgot, and its message thread: once both closes have returned, nothing
// the input set off can still reach TAPI, so whatever it made the provider
// do shows in its own check, and a saved input does it again when run
// alone. The switch then forgets its calls, and the lines open again on an
// idle switch.
void Settle() {
    Fuzz& f = *g_fuzz;
    for (HDRVLINE line : f.lines)
        if (f.host->LineClose(line) != 0) Fail("a line would not close");
    f.setCallModel(0);
    f.setCallModel(1);
    for (DWORD i = 0; i < 2; ++i)
        if (f.host->LineOpen(i, &f.lines[i]) != 0) Fail("a line would not open again");
    f.firstCall = f.host->CallCount();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fuzz& f = *g_fuzz;
    for (size_t i = 0; i + 4 <= size && i < 4 * 64; i += 4) Step(data[i], data[i + 1], data[i + 2], data[i + 3]);
    Settle();
    const std::vector<zavhost::HostFault> faults = f.host->Faults();
    if (faults.size() > f.faults)
        Fail("the host's audit failed:\n" +
             zavhost::Describe(std::vector<zavhost::HostFault>(faults.begin() + f.faults, faults.end())));
    if (++f.inputs % kInputsPerService == 0) {
        StopService();
        StartService();
    }
    return 0;
}
