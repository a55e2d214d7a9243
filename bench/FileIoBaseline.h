// The floor the log's design sets for one trace record: open the log,
// check its size, append one 150-byte record, close it. Benchmarks compare
// the provider's cost with this, measured in the same run.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "platform/File.h"

namespace zavbench {

// Records per second of bare file I/O into `path`, with or without the
// size check before each.
inline double FileIoRecordsPerSecond(const std::string& path, int records, bool sizeCheck) {
    using Clock = std::chrono::steady_clock;
    char record[150];
    std::snprintf(record, sizeof record, "%-148s\n", "1205:120000 ZAVTSP         E baseline record");
    long long sizes = 0;
    auto start = Clock::now();
    for (int i = 0; i < records; ++i) {
        plat::FileHandle f = plat::OpenFileForAppend(path.c_str());
        if (sizeCheck) sizes += plat::FileSizeOf(f);
        plat::WriteToFile(f, record, sizeof record);
        plat::CloseFile(f);
    }
    double rate = records / std::chrono::duration<double>(Clock::now() - start).count();
    return sizes < 0 ? 0 : rate;
}

}  // namespace zavbench
