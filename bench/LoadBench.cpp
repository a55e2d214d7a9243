// The provider under load, through the host emulator and the stand-in
// switch, each figure beside a baseline measured in the same run:
//
//  1. telephones: N telephones enumerated, initialised and opened (each one
//     registered at the switch, with its message thread); the time, and the
//     resident memory each costs once open and idle;
//  2. route point: the cost of one switch message about a call on a route
//     point (device type 3) holding 400 calls, against the same message on
//     a line with one call;
//  3. message pump: switch messages carried to TAPI's callback per second,
//     trace log off and on, beside the bare file I/O of the log's records.
//
// The messages of 2 and 3 are digits the far end sends (eDigitRemote) to a
// call whose digits TAPI monitors: each becomes one LINE_MONITORDIGITS, and
// the provider must first find the call among the line's calls by its SAL.
//
//   load_bench [telephones=1000] [messages=20000]
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <type_traits>
#include <vector>

#include "ZavSimControl.h"
#include "bench/FileIoBaseline.h"
#include "host/TapiHost.h"
#include "platform/Module.h"
#include "platform/Registry.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using zavhost::JournalEntry;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The switch's control functions, resolved by name as the tests do.
struct Switch {
    HMODULE module = nullptr;
    ZavSimAddAccountFn AddAccount = nullptr;
    ZavSimInjectMessageFn Inject = nullptr;
    ZavSimSetCallModelFn SetCallModel = nullptr;
    ZavSimLiveFn LiveObjects = nullptr;
    HRESULT(STDMETHODCALLTYPE* Register)() = nullptr;

    bool Load() {
        std::string error;
        module = plat::LoadModule(ZAV_SIM_PATH, &error);
        if (!module) return false;
        auto get = [&](auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(plat::GetModuleSymbol(module, name));
            return fn != nullptr;
        };
        return get(AddAccount, "ZavSimAddAccount") && get(Inject, "ZavSimInjectMessage") &&
               get(SetCallModel, "ZavSimSetCallModel") && get(LiveObjects, "ZavSimLiveObjects") &&
               get(Register, "DllRegisterServer");
    }
};

// A registry of `count` telephones, extensions from `first`, written as a
// file in one go (the registry API rewrites the whole file per value), with
// the switch component registered and, when given, the install path.
bool WriteRegistry(const fs::path& file, Switch& sw, int first, int count, const char* installPath) {
    setenv("ZAV_REGISTRY", file.c_str(), 1);
    std::ofstream out(file, std::ios::trunc);
    out << "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Ostrel\\ZAV\\ZAVTSP]\n";
    char dword[16];
    std::snprintf(dword, sizeof dword, "%08x", count);
    out << "\"NumPhones\"=dword:" << dword << "\n";
    if (installPath) out << "\"InstallPath\"=\"" << installPath << "\"\n";
    for (int i = 0; i < count; ++i)
        out << "\n[HKEY_LOCAL_MACHINE\\Software\\Ostrel\\ZAV\\ZAVTSP\\Phone" << i << "]\n\"Extension\"=\""
            << first + i << "\"\n\"Password\"=\"pw\"\n";
    out.close();
    return sw.Register() == S_OK;
}

bool AddAccounts(Switch& sw, int first, int count, int deviceType) {
    for (int i = 0; i < count; ++i) {
        const std::string ext = std::to_string(first + i);
        ZavSimAccount a{ext.c_str(), "pw", deviceType, 4001, i, "Bench"};
        if (sw.AddAccount(&a) != 0) return false;
    }
    return true;
}

// Counts TAPI's callbacks of one kind as they arrive.
class Counter {
public:
    explicit Counter(zavhost::Journal& journal, DWORD msg) : m_journal(journal) {
        journal.SetListener([this, msg](const JournalEntry& e) {
            if (e.msg != msg) return;
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_count;
            m_last = e;
            m_changed.notify_all();
        });
    }
    ~Counter() { m_journal.SetListener({}); }
    bool WaitFor(long count, JournalEntry* last = nullptr) {
        std::unique_lock<std::mutex> lock(m_mutex);
        bool ok = m_changed.wait_for(lock, std::chrono::seconds(60), [&] { return m_count >= count; });
        if (last) *last = m_last;
        return ok;
    }
    void Reset() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_count = 0;
    }

private:
    zavhost::Journal& m_journal;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    long m_count = 0;
    JournalEntry m_last;
};

void Fail(const char* what, const zavhost::TapiHost& host) {
    std::fprintf(stderr, "load_bench: %s %s\n", what, host.LastError().c_str());
    std::exit(2);
}

// 1. N telephones: enumerated, initialised and each line opened.
void Telephones(const fs::path& dir, Switch& sw, const std::string& provider, int n) {
    if (!WriteRegistry(dir / "phones.reg", sw, 10000, n, nullptr) || !AddAccounts(sw, 10000, n, 1)) {
        std::fprintf(stderr, "load_bench: cannot configure %d telephones\n", n);
        std::exit(2);
    }
    malloc_trim(0);
    const long before = ResidentKiB();
    zavhost::TapiHost host;
    if (!host.Load(provider)) Fail("load", host);
    auto start = Clock::now();
    DWORD lines = 0;
    if (host.NegotiateTSPIVersion() != 0 || host.EnumDevices(&lines) != 0 || lines != static_cast<DWORD>(n))
        Fail("enumerate", host);
    const double enumerated = Seconds(start);
    if (host.ProviderInit(0, 0) != 0) Fail("initialise", host);
    const double initialised = Seconds(start);
    const long built = ResidentKiB();
    std::vector<HDRVLINE> open(n);
    for (int i = 0; i < n; ++i)
        if (host.LineOpen(i, &open[i]) != 0) Fail("open", host);
    const double opened = Seconds(start);
    malloc_trim(0);
    const long idle = ResidentKiB();
    std::fprintf(stderr, "%d telephones: enumerated %.3f s, initialised %.3f s, all open %.3f s (goal < 2 s)\n", n,
                enumerated, initialised, opened);
    std::fprintf(stderr, "  resident per open idle telephone: %.1f KiB (goal < 100), of which the link and its thread %.1f KiB;"
                " the stand-in switch's endpoint is counted in\n",
                static_cast<double>(idle - before) / n, static_cast<double>(idle - built) / n);
    start = Clock::now();
    for (HDRVLINE line : open) host.LineClose(line);
    host.ProviderShutdown();
    std::fprintf(stderr, "  closed and shut down in %.3f s; faults %zu, switch objects left %d\n", Seconds(start),
                host.Faults().size(), sw.LiveObjects());
}

ZavSimMessage CallMessage(int32_t type, int32_t sal) {
    ZavSimMessage m{};
    m.category = ZAVSIM_CATEGORY_CALL_CONTROL;
    m.msgType = type;
    m.sal1 = sal;
    m.globalCallId = 100000 + sal;
    m.callerNum = "0612345678";
    m.callerName = "Bench";
    m.digit = '5';
    return m;
}

struct PumpFigures {
    double messagesPerSecond = 0;
    double recordsPerMessage = 0;
};

// `calls` calls offered on the extension's line, TAPI monitoring the digits
// of the last; then `messages` digits sent to that call.
PumpFigures Pump(const std::string& provider, Switch& sw, const char* ext, DWORD device, int calls, int messages,
                 const fs::path& log) {
    zavhost::TapiHost host;
    HDRVLINE line = nullptr;
    if (!host.Load(provider) || host.Start(0, 0) != 0 || host.LineOpen(device, &line) != 0) Fail("start", host);
    JournalEntry offered;
    {
        Counter newCalls(host.GetJournal(), LINE_NEWCALL);
        for (int sal = 1; sal <= calls; ++sal) {
            ZavSimMessage m = CallMessage(ZAVSIM_MSG_NEW_CALL, sal);
            sw.Inject(ext, &m);
        }
        if (!newCalls.WaitFor(calls, &offered)) Fail("offer", host);
    }
    const HDRVCALL target = reinterpret_cast<HDRVCALL>(offered.p1);
    ZavSimMessage connected = CallMessage(ZAVSIM_MSG_CONNECTED, calls);
    sw.Inject(ext, &connected);
    Counter digits(host.GetJournal(), LINE_MONITORDIGITS);
    if (host.Tspi().lineMonitorDigits(target, DWORD{LINEDIGITMODE_DTMF}) != 0) Fail("monitor", host);
    // Warm up, then measure.
    ZavSimMessage digit = CallMessage(ZAVSIM_MSG_DIGIT_REMOTE, calls);
    for (int i = 0; i < 200; ++i) sw.Inject(ext, &digit);
    if (!digits.WaitFor(200)) Fail("warm-up", host);
    digits.Reset();
    std::error_code ec;
    const auto logBefore = fs::file_size(log, ec);
    const auto start = Clock::now();
    for (int i = 0; i < messages; ++i) sw.Inject(ext, &digit);
    if (!digits.WaitFor(messages)) Fail("digits", host);
    PumpFigures f;
    f.messagesPerSecond = messages / Seconds(start);
    const auto logAfter = fs::file_size(log, ec);
    f.recordsPerMessage = ec ? 0 : static_cast<double>(logAfter - logBefore) / 150.0 / messages;
    host.LineClose(line);
    host.ProviderShutdown();
    if (!host.Faults().empty()) std::fprintf(stderr, "faults:\n%s\n", host.FaultReport().c_str());
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    const int telephones = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int messages = argc > 2 ? std::atoi(argv[2]) : 20000;
    const fs::path dir = fs::temp_directory_path() / ("zav-load-bench-" + std::to_string(getpid()));
    fs::create_directories(dir / "Logs");
    // The trace echoes to standard output; the console is not what is measured.
    if (!std::freopen("/dev/null", "w", stdout)) return 1;
    Switch sw;
    if (!sw.Load()) return 1;
    auto copy = [&](const char* name) {
        fs::path to = dir / name;
        fs::copy_file(ZAV_PROVIDER_PATH, to, fs::copy_options::overwrite_existing);
        return to.string();
    };

    Telephones(dir, sw, copy("phones.so"), telephones);

    // 401 is a route point (400 line appearances), 402 a line of one call.
    sw.SetCallModel(0);  // every message is the bench's own
    if (!AddAccounts(sw, 401, 1, 3) || !AddAccounts(sw, 402, 1, 1)) return 2;
    const fs::path log = dir / "Logs" / "ZAV.log";
    WriteRegistry(dir / "pump.reg", sw, 401, 2, nullptr);
    // Rounds alternate, and the median of each counts: on two busy cores one
    // round can be taken by a neighbour.
    std::vector<double> routeRates, singleRates;
    for (int round = 0; round < 5; ++round) {
        routeRates.push_back(Pump(copy("route.so"), sw, "401", 0, 400, messages, log).messagesPerSecond);
        singleRates.push_back(Pump(copy("single.so"), sw, "402", 1, 1, messages, log).messagesPerSecond);
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    PumpFigures route, single;
    route.messagesPerSecond = median(routeRates);
    single.messagesPerSecond = median(singleRates);
    WriteRegistry(dir / "pump-log.reg", sw, 401, 2, dir.c_str());
    const PumpFigures logged = Pump(copy("logged.so"), sw, "402", 1, 1, messages / 4, log);
    // Appends go to an existing file, as the log's do.
    const std::string baseline = (dir / "Logs" / "baseline.log").string();
    std::fclose(std::fopen(baseline.c_str(), "wb"));
    const double io = zavbench::FileIoRecordsPerSecond(baseline, 20000, true);

    std::fprintf(stderr, "route point of 400 calls: %.0f messages/s; line of 1 call: %.0f messages/s\n", route.messagesPerSecond,
           single.messagesPerSecond);
    std::fprintf(stderr, "  cost of a message on the route point / on the line: %.2f (goal < 2)\n",
           single.messagesPerSecond / route.messagesPerSecond);
    std::fprintf(stderr, "message pump to TAPI's callback: %.0f messages/s log off, %.0f log on (%.1f records each)\n",
           single.messagesPerSecond, logged.messagesPerSecond, logged.recordsPerMessage);
    std::fprintf(stderr, "  bare file I/O (open + size check + append + close): %.0f records/s\n", io);
    if (logged.recordsPerMessage > 0)
        std::fprintf(stderr, "  log-on message / its records' bare file I/O: %.2f; log-on / log-off message: %.2f\n",
               (1.0 / logged.messagesPerSecond) / (logged.recordsPerMessage / io),
               single.messagesPerSecond / logged.messagesPerSecond);
    std::error_code ec;
    fs::remove_all(dir, ec);
    return 0;
}
