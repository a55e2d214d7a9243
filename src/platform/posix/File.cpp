#include "platform/File.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace plat {

FileHandle OpenFileForAppend(const char* path) {
    FileHandle f;
    if (path) f.value = ::open(path, O_WRONLY | O_APPEND | O_CLOEXEC);
    return f;
}

FileHandle CreateFileForWrite(const char* path) {
    FileHandle f;
    if (path) f.value = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return f;
}

long WriteToFile(FileHandle file, const void* data, unsigned long size) {
    if (!file.IsOpen()) return -1;
    for (;;) {
        ssize_t n = ::write(static_cast<int>(file.value), data, size);
        if (n < 0 && errno == EINTR) continue;
        return static_cast<long>(n);
    }
}

void CloseFile(FileHandle file) {
    if (file.IsOpen()) ::close(static_cast<int>(file.value));
}

int64_t FileSizeOf(const char* path) {
    struct stat st;
    if (!path || ::stat(path, &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

int64_t FileSizeOf(FileHandle file) {
    struct stat st;
    if (!file.IsOpen() || ::fstat(static_cast<int>(file.value), &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

bool FileExists(const char* path) {
    struct stat st;
    return path && ::stat(path, &st) == 0;
}

bool RemoveFile(const char* path) { return path && ::unlink(path) == 0; }

bool RenameFile(const char* from, const char* to) {
    if (!from || !to || FileExists(to)) return false;
    return ::rename(from, to) == 0;
}

bool CreateDirectories(const char* path) {
    if (!path || !*path) return false;
    std::string p(path);
    for (std::size_t i = 1; i <= p.size(); ++i) {
        if (i == p.size() || p[i] == '/') {
            std::string part = p.substr(0, i);
            if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
        }
    }
    struct stat st;
    return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace plat
