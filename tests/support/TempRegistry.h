// Gives a test a registry of its own.
//
// Linux: ZAV_REGISTRY points at a new file in a fresh temporary directory for
// the object's lifetime. Windows: the real registry is shared, so tests keep
// to keys below kTestRoot, which the object deletes afterwards.
#pragma once

#include <string>

namespace zavtest {

class TempRegistry {
public:
    TempRegistry();
    ~TempRegistry();
    TempRegistry(const TempRegistry&) = delete;
    TempRegistry& operator=(const TempRegistry&) = delete;

    // A directory that lives as long as this object (log files, libraries).
    const std::string& Directory() const { return m_dir; }
    // Linux only: the registry file.
    const std::string& File() const { return m_file; }

private:
    std::string m_dir;
    std::string m_file;
    std::string m_previous;
    bool m_hadPrevious = false;
};

// A path as the target's LoadLibrary takes it: under Wine a Unix path needs
// the drive that maps the root.
std::string NativePath(const std::string& path);

}  // namespace zavtest
