#include "platform/File.h"

#include <mutex>
#include <string>

namespace plat {
namespace {
// Windows appends a FILE_APPEND_DATA write atomically; Wine computes the end
// of the file and writes there in two steps, so two threads' records can land
// on the same offset. Writes from this process go one at a time.
std::mutex g_writeMutex;

HANDLE H(FileHandle f) { return reinterpret_cast<HANDLE>(f.value); }
FileHandle F(HANDLE h) {
    FileHandle f;
    f.value = h == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<intptr_t>(h);
    return f;
}
}  // namespace

FileHandle OpenFileForAppend(const char* path) {
    // FILE_APPEND_DATA alone makes every write an atomic append.
    return F(::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

FileHandle CreateFileForWrite(const char* path) {
    return F(::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

long WriteToFile(FileHandle file, const void* data, unsigned long size) {
    DWORD written = 0;
    if (!file.IsOpen()) return -1;
    std::lock_guard<std::mutex> lock(g_writeMutex);
    if (!::WriteFile(H(file), data, size, &written, nullptr)) return -1;
    return static_cast<long>(written);
}

void CloseFile(FileHandle file) {
    if (file.IsOpen()) ::CloseHandle(H(file));
}

int64_t FileSizeOf(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!path || !::GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return -1;
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

int64_t FileSizeOf(FileHandle file) {
    LARGE_INTEGER size;
    if (!file.IsOpen() || !::GetFileSizeEx(H(file), &size)) return -1;
    return static_cast<int64_t>(size.QuadPart);
}

bool FileExists(const char* path) { return path && ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

bool RemoveFile(const char* path) { return path && ::DeleteFileA(path) != 0; }

bool RenameFile(const char* from, const char* to) { return from && to && ::MoveFileA(from, to) != 0; }

bool CreateDirectories(const char* path) {
    if (!path || !*path) return false;
    std::string p(path);
    for (std::size_t i = 3; i <= p.size(); ++i) {
        if (i == p.size() || p[i] == '\\' || p[i] == '/') ::CreateDirectoryA(p.substr(0, i).c_str(), nullptr);
    }
    DWORD attr = ::GetFileAttributesA(path);
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace plat
