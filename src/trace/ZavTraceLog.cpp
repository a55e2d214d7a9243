#include "trace/ZavTraceLog.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Clock.h"
#include "platform/File.h"
#include "platform/Registry.h"

namespace {

const char* const kDefaultInstallDir = "C:\\Program Files\\Ostrel\\ZAV\\ZAV TSP";
const char* const kInstallKey = "SOFTWARE\\OSTREL\\ZAV\\ZAVTSP";
const char* const kInstallValue = "InstallPath";
const char* const kBuildDate = "Oct 25 2004";
const char* const kGenerationNames[ZavTraceLog::kGenerations + 1] = {
    "\\Logs\\ZAV.log",     "\\Logs\\OldZAV.log",  "\\Logs\\OldZAV2.log",
    "\\Logs\\OldZAV3.log", "\\Logs\\OldZAV4.log", "\\Logs\\OldZAV5.log",
};
constexpr std::size_t kPathSize = ZavTraceLog::kInstallDirSize + 32;

// Copies `text` into `out`, blank-filled or cut to exactly `width`
// characters, and terminates it.
void Fill(char* out, const char* text, int width) {
    int n = 0;
    for (; n < width && text[n]; ++n) out[n] = text[n];
    for (; n < width; ++n) out[n] = ' ';
    out[width] = '\0';
}

// MMDD:HHMMSS, 11 characters and a terminator; `out` holds at least 12.
// The clock is read on every line, the calendar only when the second
// changes: each thread keeps the stamp it made last.
void FormatTime(char* out, std::size_t /*size*/) {
    thread_local long long lastSecond = -1;
    thread_local char stamp[12];
    long long now = plat::GetWallClockSecond();
    if (now != lastSecond) {
        plat::LocalTime t = plat::GetLocalTime();
        auto two = [](char* p, int v) {
            unsigned u = static_cast<unsigned>(v) % 100u;
            p[0] = static_cast<char>('0' + u / 10);
            p[1] = static_cast<char>('0' + u % 10);
        };
        two(stamp, t.month);
        two(stamp + 2, t.day);
        stamp[4] = ':';
        two(stamp + 5, t.hour);
        two(stamp + 7, t.minute);
        two(stamp + 9, t.second);
        stamp[11] = '\0';
        lastSecond = now;
    }
    std::memcpy(out, stamp, sizeof stamp);
}

char LevelLetter(DWORD level) {
    switch (level) {
        case ZavTraceLog::kLevelError: return 'E';
        case ZavTraceLog::kLevelWarning: return 'W';
        case ZavTraceLog::kLevelQuery: return 'Q';
        default: return 'L';
    }
}

bool WriteAll(plat::FileHandle f, const char* data, unsigned long size) {
    return plat::WriteToFile(f, data, size) == static_cast<long>(size);
}

}  // namespace

ZavTraceLog::ZavTraceLog() : m_version("R4_3_6") {
    std::snprintf(m_installDir, sizeof m_installDir, "%s", kDefaultInstallDir);
    m_logPath[0] = '\0';
    for (auto& m : m_modules) m.store(nullptr, std::memory_order_relaxed);
    for (auto& m : m_masks) m.store(0, std::memory_order_relaxed);
}

ZavTraceLog::~ZavTraceLog() {
    for (auto& m : m_modules) std::free(m.load(std::memory_order_relaxed));
}

bool ZavTraceLog::ReadInstallDir() {
    HKEY key;
    if (plat::OpenRegKey(HKEY_LOCAL_MACHINE, kInstallKey, KEY_READ, &key) != ERROR_SUCCESS) return false;
    char buffer[100];
    DWORD type = 0, size = sizeof buffer;
    LONG rc = plat::QueryRegValue(key, kInstallValue, &type, reinterpret_cast<BYTE*>(buffer), &size);
    plat::CloseRegKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_MULTI_SZ)) return false;
    buffer[sizeof buffer - 1] = '\0';
    std::snprintf(m_installDir, sizeof m_installDir, "%s", buffer);
    return true;
}

int ZavTraceLog::Init() {
    if (IsInitialised()) return 0;
    for (auto& m : m_masks) m.store(0, std::memory_order_relaxed);
    m_filterFlags.store(0, std::memory_order_relaxed);
    m_maxSize.store(5, std::memory_order_relaxed);
    m_outputOptions.fetch_and(~DWORD{4}, std::memory_order_relaxed);
    if (!ReadInstallDir()) return -1;
    PathOf(0, m_logPath, sizeof m_logPath);
    m_initialised.store(true, std::memory_order_release);
    return 0;
}

void ZavTraceLog::SetVersion(const char* version) { m_version.store(version, std::memory_order_release); }

int ZavTraceLog::RegisterModule(const char* name) {
    if (!name) return -1;
    // Registration happens at library load; a CAS on each slot keeps two
    // simultaneous registrations from taking the same one.
    for (;;) {
        int count = m_moduleCount.load(std::memory_order_acquire);
        int firstEmpty = -1;
        for (int i = 0; i < count; ++i) {
            const char* existing = m_modules[i].load(std::memory_order_acquire);
            if (existing && std::strcmp(existing, name) == 0) return i;
            if (!existing && firstEmpty < 0) firstEmpty = i;
        }
        int slot = firstEmpty >= 0 ? firstEmpty : count;
        if (slot >= kMaxModules) return -1;
        char* copy = static_cast<char*>(std::malloc(std::strlen(name) + 1));
        if (!copy) return -1;
        std::strcpy(copy, name);
        char* expected = nullptr;
        if (!m_modules[slot].compare_exchange_strong(expected, copy, std::memory_order_acq_rel)) {
            std::free(copy);
            continue;
        }
        int newCount = count;
        while (newCount <= slot && !m_moduleCount.compare_exchange_weak(newCount, slot + 1)) {
        }
        return slot;
    }
}

void ZavTraceLog::SetOutputOptions(DWORD options) {
    if (options & 2) m_outputOptions.fetch_or(2, std::memory_order_relaxed);
    if (options & 4)
        m_outputOptions.fetch_or(4, std::memory_order_relaxed);
    else
        m_outputOptions.fetch_and(~DWORD{4}, std::memory_order_relaxed);
}

void ZavTraceLog::SetMaxSize(DWORD megabytes) {
    if (megabytes != 0) m_maxSize.store(megabytes << 20, std::memory_order_relaxed);
}

void ZavTraceLog::SetModuleMask(int module, DWORD mask) {
    if (module >= 0 && module < kMaxModules) m_masks[module].store(mask, std::memory_order_relaxed);
}

int ZavTraceLog::Filter(DWORD level, int module, const char* format) const {
    if (!IsInitialised() || !format) return -1;
    if (module < 0 || module >= m_moduleCount.load(std::memory_order_acquire)) return 1;
    if (*format == '\0') return -1;
    if (level & 0x80000000u) return 0;
    DWORD flags = m_filterFlags.load(std::memory_order_relaxed);
    if (((level & 0x40000000u) && (flags & 4)) || ((level & 0x10000000u) && (flags & 2))) return 0;
    if (!(flags & 1)) return 1;
    return (m_masks[module].load(std::memory_order_relaxed) & level) ? 0 : 1;
}

int ZavTraceLog::Trace(DWORD level, int module, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int rc = TraceV(level, module, format, args);
    va_end(args);
    return rc;
}

int ZavTraceLog::TraceV(DWORD level, int module, const char* format, va_list args) {
    int verdict = Filter(level, module, format);
    if (verdict != 0) return verdict < 0 ? -1 : 0;

    char message[kMessageBufferSize];
    int n = std::vsnprintf(message, sizeof message, format, args);
    if (n < 0 || n >= kMessageBufferSize) return -1;

    // "%s %s %c %s\n" of time, module, letter and message, laid out by hand:
    // 11 + 1 + 14 + 1 + 1 + 1 + 119 + 1 characters and the terminating zero.
    char record[kRecordSize];
    char stamp[16];
    FormatTime(stamp, sizeof stamp);
    std::memcpy(record, stamp, 11);
    record[11] = ' ';
    const char* registered = m_modules[module].load(std::memory_order_acquire);
    Fill(record + 12, registered ? registered : "", kModuleWidth);
    record[26] = ' ';
    record[27] = LevelLetter(level);
    record[28] = ' ';
    Fill(record + 29, message, kMessageWidth);
    record[148] = '\n';
    record[149] = '\0';
    if (m_consoleEcho.load(std::memory_order_relaxed)) std::fputs(record, stdout);
    return Append(record);
}

void ZavTraceLog::PathOf(int generation, char* buffer, std::size_t size) const {
    std::snprintf(buffer, size, "%s%s", m_installDir, kGenerationNames[generation]);
    // The directory is configured as Windows writes it.
    if (plat::kPathSeparator != '\\')
        for (char* p = buffer; *p; ++p)
            if (*p == '\\') *p = plat::kPathSeparator;
}

void ZavTraceLog::GetLogPath(char* buffer, std::size_t size) const {
    if (!buffer || size == 0) return;
    if (!IsInitialised()) {
        buffer[0] = '\0';
        return;
    }
    std::snprintf(buffer, size, "%s", m_logPath);
}

int ZavTraceLog::Append(const char* record) {
    // Another thread is rotating: this line goes.
    if (m_rotationPending.load(std::memory_order_acquire) == 1 &&
        m_linesWritten.load(std::memory_order_acquire) >= 1)
        return -1;

    const char* path = m_logPath;
    // The size is read from the file opened for the append, which saves a
    // second lookup of the path on every line.
    plat::FileHandle f = plat::OpenFileForAppend(path);
    int64_t size = plat::FileSizeOf(f);
    // A missing log file counts as full: it is re-created by a rotation
    // rather than leaving the log silent until the next process starts.
    if (size < 0 || static_cast<uint64_t>(size) > m_maxSize.load(std::memory_order_relaxed))
        m_rotationPending.store(1, std::memory_order_release);

    bool rotationFailed = false;
    if (m_rotationPending.load(std::memory_order_acquire) == 1) {
        plat::CloseFile(f);
        f = plat::FileHandle{};
        bool expected = false;
        if (!m_rotating.compare_exchange_strong(expected, true, std::memory_order_acq_rel)) return -1;
        rotationFailed = Rotate(path) != 0;
        m_linesWritten.store(0, std::memory_order_release);
        m_rotationPending.store(0, std::memory_order_release);
        m_rotating.store(false, std::memory_order_release);
        f = plat::OpenFileForAppend(path);
    }

    if (!f.IsOpen()) return -1;
    bool ok = WriteAll(f, record, kRecordSize);
    plat::CloseFile(f);
    if (!ok) return -1;
    if (!rotationFailed) m_linesWritten.fetch_add(1, std::memory_order_acq_rel);
    return 0;
}

int ZavTraceLog::Rotate(const char* logPath) {
    char target[kPathSize], source[kPathSize];
    for (int n = kGenerations; n >= 1; --n) {
        PathOf(n, target, sizeof target);
        PathOf(n - 1, source, sizeof source);
        if (plat::FileExists(target)) plat::RemoveFile(target);
        plat::RenameFile(source, target);
    }

    // The Logs folder belongs to the installation, but a missing one should
    // not silence the log for good.
    char dir[kPathSize];
    std::snprintf(dir, sizeof dir, "%s", logPath);
    if (char* slash = std::strrchr(dir, plat::kPathSeparator)) {
        *slash = '\0';
        plat::CreateDirectories(dir);
    }

    plat::FileHandle f = plat::CreateFileForWrite(logPath);
    if (!f.IsOpen()) return -1;

    char stamp[16];
    FormatTime(stamp, sizeof stamp);
    char header[kRecordSize + 1];
    char text[kRecordSize];
    char line[kRecordSize + 1];

    Fill(text, "ZAV LOGGING FACILITY LOG FILE", kRecordSize - 2);
    std::snprintf(header, sizeof header, "%s\n", text);
    bool ok = WriteAll(f, header, kRecordSize);  // 149 characters and the zero

    std::snprintf(line, sizeof line, "ZAV TSP Version: %s, %s", m_version.load(std::memory_order_acquire), kBuildDate);
    Fill(text, line, kRecordSize - 1);
    std::snprintf(header, sizeof header, "%s\n", text);
    ok = ok && WriteAll(f, header, kRecordSize);

    std::snprintf(line, sizeof line, "%s Logfile Created\n", stamp);
    Fill(text, line, kRecordSize - 1);
    std::snprintf(header, sizeof header, "%s\n", text);
    ok = ok && WriteAll(f, header, kRecordSize);

    plat::CloseFile(f);
    return ok ? 0 : -1;
}

ZavTraceLog& ZavTheTraceLog() {
    static ZavTraceLog* log = new ZavTraceLog;
    return *log;
}
