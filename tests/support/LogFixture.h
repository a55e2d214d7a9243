// A log directory configured as the provider's install path, in a registry
// of the test's own.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

#include "platform/Registry.h"
#include "support/TempRegistry.h"

namespace zavtest {

class LogDirectory {
public:
    LogDirectory() { SetInstallPath(NativePath(m_registry.Directory()).c_str()); }
    ~LogDirectory() { SetInstallPath(nullptr); }

    // nullptr removes the value.
    static void SetInstallPath(const char* path) {
        HKEY key;
        if (plat::CreateRegKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\OSTREL\\ZAV\\ZAVTSP", KEY_ALL_ACCESS, &key, nullptr) !=
            ERROR_SUCCESS)
            return;
        if (path)
            plat::SetRegString(key, "InstallPath", path);
        else
            plat::DeleteRegValue(key, "InstallPath");
        plat::CloseRegKey(key);
    }

    std::string Path(const char* name) const { return m_registry.Directory() + "/Logs/" + name; }
    std::string LogsDir() const { return m_registry.Directory() + "/Logs"; }

    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
    }

private:
    TempRegistry m_registry;
};

}  // namespace zavtest
