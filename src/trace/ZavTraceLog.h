// The trace facility and its log file.
//
// A trace line is filtered, formatted into a fixed-width 150-byte record,
// printed to standard output and appended to "<install dir>\Logs\ZAV.log",
// which rotates through five older generations. The facility has no thread
// and takes no lock per line: the file is opened, appended and closed for
// every record, so records from threads and processes interleave whole.
//
// One instance serves the process (ZavTheTraceLog); tests make their own.
#pragma once

#include <atomic>
#include <cstdarg>

#include "platform/WinTypes.h"

class ZavTraceLog {
public:
    static constexpr int kMaxModules = 3000;
    static constexpr int kRecordSize = 150;
    static constexpr int kMessageWidth = 119;
    static constexpr int kModuleWidth = 14;
    static constexpr int kMessageBufferSize = 256;
    static constexpr int kInstallDirSize = 112;
    static constexpr int kGenerations = 5;

    static constexpr DWORD kLevelError = 0x80000000;
    static constexpr DWORD kLevelWarning = 0x40000000;
    static constexpr DWORD kLevelQuery = 0x10000000;

    ZavTraceLog();
    ~ZavTraceLog();
    ZavTraceLog(const ZavTraceLog&) = delete;
    ZavTraceLog& operator=(const ZavTraceLog&) = delete;

    // 0 when the install directory was read from the registry (or the log
    // was already initialised); -1 otherwise, and nothing is ever written.
    int Init();
    // `version` must outlive the facility.
    void SetVersion(const char* version);
    // Index of the module, or -1 when the table is full.
    int RegisterModule(const char* name);
    void SetOutputOptions(DWORD options);
    void SetMaxSize(DWORD megabytes);
    // Whether records are also printed to standard output (they are unless
    // turned off). Test executables that link the facility turn it off: a
    // suite of call tests prints tens of megabytes otherwise. The provider
    // never does.
    void SetConsoleEcho(bool on) { m_consoleEcho.store(on, std::memory_order_relaxed); }

    // 0 when written or filtered out; -1 when not initialised, without a
    // format, or for a message of 256 characters or more.
    int Trace(DWORD level, int module, const char* format, ...)
#ifndef _WIN32
        __attribute__((format(printf, 4, 5)))
#endif
        ;
    int TraceV(DWORD level, int module, const char* format, va_list args);

    // Where the current log file is (native separators); empty before Init.
    void GetLogPath(char* buffer, std::size_t size) const;
    bool IsInitialised() const { return m_initialised.load(std::memory_order_acquire); }

    // Never set by the provider; kept so the filter reads as designed.
    void SetFilterFlags(DWORD flags) { m_filterFlags.store(flags, std::memory_order_relaxed); }
    void SetModuleMask(int module, DWORD mask);

private:
    // 0 pass, else the result of a filtered-out call.
    int Filter(DWORD level, int module, const char* format) const;
    int Append(const char* record);
    int Rotate(const char* logPath);
    void PathOf(int generation, char* buffer, std::size_t size) const;
    bool ReadInstallDir();

    std::atomic<bool> m_initialised{false};
    char m_installDir[kInstallDirSize];
    // The current log's native path, built once the install directory is
    // known so that no line pays for it.
    char m_logPath[kInstallDirSize + 32];
    std::atomic<const char*> m_version;
    std::atomic<char*> m_modules[kMaxModules];
    std::atomic<DWORD> m_masks[kMaxModules];
    std::atomic<int> m_moduleCount{0};
    std::atomic<DWORD> m_filterFlags{0};
    std::atomic<DWORD> m_outputOptions{0};
    std::atomic<DWORD> m_maxSize{5};
    std::atomic<bool> m_consoleEcho{true};
    // 1 at process start so that a process's first line starts a fresh log.
    std::atomic<int> m_rotationPending{1};
    std::atomic<int> m_linesWritten{0};
    // Held by the one thread that rotates; the others drop their line.
    std::atomic<bool> m_rotating{false};
};

// The process-wide facility, created on first use and never destroyed:
// threads may still trace while the process unloads.
ZavTraceLog& ZavTheTraceLog();
