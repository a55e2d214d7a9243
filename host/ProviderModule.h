// A provider library loaded by path, as the telephony service loads it, with
// its exports resolved by name.
#pragma once

#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace zavhost {

class ProviderModule {
public:
    ProviderModule() = default;
    ~ProviderModule();
    ProviderModule(const ProviderModule&) = delete;
    ProviderModule& operator=(const ProviderModule&) = delete;

    // False with LastError() set when the library cannot be loaded.
    bool Load(const std::string& path);
    void Unload();
    bool IsLoaded() const { return m_module != nullptr; }
    const std::string& LastError() const { return m_error; }
    const std::string& Path() const { return m_path; }

    // Null when the provider does not export `name`.
    void* Find(const char* name) const;

    template <typename Fn>
    Fn Get(const char* name) const {
        return reinterpret_cast<Fn>(Find(name));
    }

    // Of the names a telephony service looks up, those present and missing.
    std::vector<std::string> PresentExports() const;
    std::vector<std::string> MissingExports() const;

private:
    HMODULE m_module = nullptr;
    std::string m_path;
    std::string m_error;
};

}  // namespace zavhost
