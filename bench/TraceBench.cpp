// Records per second through the real trace call, beside two baselines that
// do only file I/O per record: open, append one 150-byte record, close; and
// the same with the size check the log's design also demands before every
// record. Rounds alternate so that all three see the same disk and cache;
// the report is the median ratio over the rounds.
//
//   trace_bench [records-per-round] [rounds]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/FileIoBaseline.h"
#include "platform/Registry.h"
#include "platform/Thread.h"
#include "trace/ZavTraceLog.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

double Baseline(const std::string& path, int records, bool sizeCheck) {
    return zavbench::FileIoRecordsPerSecond(path, records, sizeCheck);
}

double Provider(ZavTraceLog& log, int records) {
    auto start = Clock::now();
    for (int i = 0; i < records; ++i)
        log.Trace(ZavTraceLog::kLevelError, 0, "---- TSPI_lineAnswer() is invoked P%X T%X L%u", 0x1A2Bu,
                  static_cast<unsigned>(i & 0xFFFF), 123u);
    return records / Seconds(start, Clock::now());
}

}  // namespace

int main(int argc, char** argv) {
    int records = argc > 1 ? std::atoi(argv[1]) : 20000;
    int rounds = argc > 2 ? std::atoi(argv[2]) : 5;

    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("zav-trace-bench-" + std::to_string(plat::GetCurrentProcessId()));
    fs::create_directories(dir / "Logs");
    std::string registry = (dir / "registry.reg").string();
#ifdef _WIN32
    _putenv_s("ZAV_REGISTRY", registry.c_str());
#else
    setenv("ZAV_REGISTRY", registry.c_str(), 1);
#endif
    HKEY key;
    plat::CreateRegKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\OSTREL\\ZAV\\ZAVTSP", KEY_ALL_ACCESS, &key, nullptr);
    plat::SetRegString(key, "InstallPath", dir.string().c_str());
    plat::CloseRegKey(key);

    // Every record is also printed to standard output; the console is not
    // what is measured, so that goes nowhere and the report to stderr.
    if (!std::freopen("/dev/null", "w", stdout)) return 1;

    ZavTraceLog log;
    log.Init();
    log.SetVersion("R4.3.5");
    log.RegisterModule("ZAVTSP");
    log.SetMaxSize(50);
    log.Trace(ZavTraceLog::kLevelError, 0, "warm-up");  // the first line of a process rotates
    std::string path = (dir / "Logs" / "ZAV.log").string();

    std::vector<double> ratios, checkedRatios;
    double baseSum = 0, checkedSum = 0, provSum = 0;
    for (int r = 0; r < rounds; ++r) {
        double base = Baseline(path, records, false);
        double checked = Baseline(path, records, true);
        double prov = Provider(log, records);
        baseSum += base;
        checkedSum += checked;
        provSum += prov;
        ratios.push_back(prov / base);
        checkedRatios.push_back(prov / checked);
    }
    std::sort(ratios.begin(), ratios.end());
    std::sort(checkedRatios.begin(), checkedRatios.end());
    double median = ratios[ratios.size() / 2];
    double checkedMedian = checkedRatios[checkedRatios.size() / 2];
    std::fprintf(stderr, "records/s over %d rounds of %d: provider %.0f, open+append+close %.0f, with size check %.0f\n",
                 rounds, records, provSum / rounds, baseSum / rounds, checkedSum / rounds);
    std::fprintf(stderr, "provider / (open+append+close):            median %.3f (min %.3f, max %.3f)\n", median,
                 ratios.front(), ratios.back());
    std::fprintf(stderr, "provider / (open+size check+append+close): median %.3f (min %.3f, max %.3f)\n",
                 checkedMedian, checkedRatios.front(), checkedRatios.back());
    std::error_code ec;
    fs::remove_all(dir, ec);
    return 0;
}
