#include "support/TempRegistry.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>

#include "platform/Thread.h"

namespace zavtest {
namespace fs = std::filesystem;

namespace {
std::atomic<int> g_counter{0};

void SetEnv(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value ? value : "");
#else
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
#endif
}
}  // namespace

TempRegistry::TempRegistry() {
    fs::path dir = fs::temp_directory_path() / ("zavtest-" + std::to_string(plat::GetCurrentProcessId()) + "-" +
                                                std::to_string(plat::GetTickCount()) + "-" +
                                                std::to_string(g_counter.fetch_add(1)));
    fs::create_directories(dir);
    m_dir = dir.string();
    m_file = (dir / "registry.reg").string();
    if (const char* prev = std::getenv("ZAV_REGISTRY")) {
        m_previous = prev;
        m_hadPrevious = true;
    }
    SetEnv("ZAV_REGISTRY", m_file.c_str());
    SetEnv("ZAV_REGISTRY_SCRATCH", "1");
}

TempRegistry::~TempRegistry() {
    SetEnv("ZAV_REGISTRY", m_hadPrevious ? m_previous.c_str() : nullptr);
    std::error_code ec;
    fs::remove_all(m_dir, ec);
}

std::string NativePath(const std::string& path) {
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') return "Z:" + path;
#endif
    return path;
}

}  // namespace zavtest
