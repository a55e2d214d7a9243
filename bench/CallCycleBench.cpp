// Full call cycles through the host emulator, the provider and the stand-in
// switch, on the provider's real message thread: an outside call offered,
// LINE_NEWCALL answered, TSPI_lineAnswer, connected, TSPI_lineDrop, idle,
// TSPI_lineCloseCall. Once with the trace log off (no install path: the
// trace facility never starts) and once with it on, each with a provider
// loaded fresh; beside them, in the same run, the bare file I/O the log's
// design demands per record.
//
//   call_cycle_bench [cycles-log-off] [cycles-log-on]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/FileIoBaseline.h"
#include "host/DemoSetup.h"
#include "host/SwitchControl.h"
#include "host/TapiHost.h"
#include "platform/Registry.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using zavhost::JournalEntry;

bool SetInstallPath(const char* path) {
    HKEY key;
    if (plat::CreateRegKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\OSTREL\\ZAV\\ZAVTSP", KEY_ALL_ACCESS, &key, nullptr) != 0)
        return false;
    if (path)
        plat::SetRegString(key, "InstallPath", path);
    else
        plat::DeleteRegValue(key, "InstallPath");
    plat::CloseRegKey(key);
    return true;
}

// Cycles per second, or 0 when a cycle did not complete.
double RunCycles(const std::string& provider, zavhost::SwitchControl& sw, int cycles) {
    zavhost::TapiHost host;
    HDRVLINE line = nullptr;
    if (!host.Load(provider) || host.NegotiateTSPIVersion() != 0 || host.EnumDevices() != 0 ||
        host.ProviderInit(0, 0) != 0 || host.LineOpen(0, &line) != 0) {
        std::fprintf(stderr, "call_cycle_bench: cannot start the provider: %s\n", host.LastError().c_str());
        return 0;
    }
    zavhost::Journal& journal = host.GetJournal();
    auto waitFor = [&](std::size_t from, auto&& match) { return journal.WaitFor(match, 5000, from); };
    auto start = Clock::now();
    for (int i = 0; i < cycles; ++i) {
        std::size_t from = journal.Size();
        sw.ExternalCall("201", "0612345678", "Bench", 0);
        auto offered = waitFor(from, [](const JournalEntry& e) { return e.msg == LINE_NEWCALL; });
        if (!offered) return 0;
        HDRVCALL hdCall = reinterpret_cast<HDRVCALL>(offered->p1);
        HTAPICALL htCall = offered->assignedCall;
        auto reaches = [&](DWORD state) {
            return waitFor(from, [&](const JournalEntry& e) {
                return e.msg == LINE_CALLSTATE && e.p1 == state && e.htCall == htCall;
            });
        };
        if (host.LineAnswer(hdCall) != 0 || !reaches(LINECALLSTATE_CONNECTED)) return 0;
        if (host.LineDrop(hdCall) != 0 || !reaches(LINECALLSTATE_IDLE)) return 0;
        if (host.LineCloseCall(hdCall) != 0) return 0;
    }
    double rate = cycles / std::chrono::duration<double>(Clock::now() - start).count();
    host.LineClose(line);
    host.ProviderShutdown();
    if (!host.Faults().empty()) std::fprintf(stderr, "faults:\n%s\n", host.FaultReport().c_str());
    return rate;
}

}  // namespace

int main(int argc, char** argv) {
    const int cyclesOff = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int cyclesOn = argc > 2 ? std::atoi(argv[2]) : 2000;

    fs::path dir = fs::temp_directory_path() / ("zav-call-bench-" + std::to_string(std::rand()));
    fs::create_directories(dir / "Logs");
    const std::string registry = (dir / "registry.reg").string();
#ifdef _WIN32
    _putenv_s("ZAV_REGISTRY", registry.c_str());
#else
    setenv("ZAV_REGISTRY", registry.c_str(), 1);
#endif
    // Every trace record also goes to standard output, as in the telephony
    // service; the console is not what is measured, so it goes nowhere.
    if (!std::freopen("/dev/null", "w", stdout)) return 1;

    std::string report, error;
    if (!zavhost::SetUpDemo(ZAV_SIM_PATH, nullptr, &report, &error)) {
        std::fprintf(stderr, "call_cycle_bench: %s\n", error.c_str());
        return 1;
    }
    zavhost::SwitchControl sw(ZAV_SIM_PATH);
    if (!sw.Ok()) return 1;
    sw.SetCallModel(1);

    // A fresh copy of the provider for each run: its trace facility starts
    // once, when the library is loaded.
    auto copy = [&](const char* name) {
        fs::path to = dir / name;
        fs::copy_file(ZAV_PROVIDER_PATH, to, fs::copy_options::overwrite_existing);
        return to.string();
    };
    SetInstallPath(nullptr);
    const double off = RunCycles(copy("off.so"), sw, cyclesOff);
    SetInstallPath(dir.string().c_str());
    const std::string log = (dir / "Logs" / "ZAV.log").string();
    const double on = RunCycles(copy("on.so"), sw, cyclesOn);
    std::error_code ec;
    const double records = static_cast<double>(fs::file_size(log, ec)) / 150.0 / cyclesOn;
    // Appends go to an existing file, as the log's do.
    const std::string baseline = (dir / "Logs" / "baseline.log").string();
    std::fclose(std::fopen(baseline.c_str(), "wb"));
    const double io = zavbench::FileIoRecordsPerSecond(baseline, 20000, true);

    std::fprintf(stderr, "cycles/s, trace log off: %.0f (%d cycles)\n", off, cyclesOff);
    std::fprintf(stderr, "cycles/s, trace log on:  %.0f (%d cycles)\n", on, cyclesOn);
    std::fprintf(stderr, "trace records per cycle: %.1f\n", records);
    std::fprintf(stderr, "bare file I/O (open+size check+append+close): %.0f records/s\n", io);
    if (on > 0 && records > 0 && io > 0)
        std::fprintf(stderr, "log-on cycle / its records' bare file I/O: %.2f\n", (1.0 / on) / (records / io));
    fs::remove_all(dir, ec);
    return off > 0 && on > 0 ? 0 : 2;
}
