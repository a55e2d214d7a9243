// The few file operations the log needs, with the OS's own guarantees: an
// append of one record by any thread or process lands whole, never
// interleaved with another's.
#pragma once

#include <cstdint>

#include "platform/WinTypes.h"

namespace plat {

// Opened files are small integers wrapped so that they cannot be mixed up
// with handles of other kinds.
struct FileHandle {
    intptr_t value = -1;
    bool IsOpen() const { return value != -1; }
};

// Opens an existing file for appending; fails when it does not exist.
FileHandle OpenFileForAppend(const char* path);
// Creates (or truncates) a file for writing, readable and writable by all.
FileHandle CreateFileForWrite(const char* path);
// Bytes written, or -1.
long WriteToFile(FileHandle file, const void* data, unsigned long size);
void CloseFile(FileHandle file);

// Size in bytes, or -1 when the file does not exist.
int64_t FileSizeOf(const char* path);
// Size of an opened file in bytes, or -1.
int64_t FileSizeOf(FileHandle file);
bool FileExists(const char* path);
bool RemoveFile(const char* path);
// Fails when the target exists.
bool RenameFile(const char* from, const char* to);
// Creates a directory and its parents; true when it exists afterwards.
bool CreateDirectories(const char* path);

// The OS's path separator, for turning a Windows-style path into a native one.
inline constexpr char kPathSeparator =
#ifdef _WIN32
    '\\';
#else
    '/';
#endif

}  // namespace plat
