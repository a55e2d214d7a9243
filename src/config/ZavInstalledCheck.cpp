// Whether the telephony service already lists this provider: it takes one
// instance only, so installing it again is refused.
#include <cstdio>

#include "config/ZavConfigDialogs.h"
#include "config/ZavRegistryText.h"
#include "platform/Registry.h"

namespace {

constexpr const char* kProvidersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Providers";
constexpr const char* kProviderFile = "zavtsp.tsp";
// The telephony service's own limit for a provider's file name.
constexpr DWORD kFileNameSize = 64;

bool IsOurFile(const char* pszName) {
    const char* p = kProviderFile;
    for (; *pszName && *p; ++pszName, ++p) {
        char c = *pszName;
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != *p) return false;
    }
    return *pszName == *p;
}

}  // namespace

bool ZavIsProviderInstalled() {
    HKEY hKey;
    if (plat::OpenRegKey(HKEY_LOCAL_MACHINE, kProvidersKey, KEY_READ, &hKey) != ERROR_SUCCESS) return false;
    DWORD dwType = REG_NONE, dwCount = 0, dwSize = sizeof dwCount;
    if (plat::QueryRegValue(hKey, "NumProviders", &dwType, reinterpret_cast<BYTE*>(&dwCount), &dwSize) !=
            ERROR_SUCCESS ||
        dwType != REG_DWORD)
        dwCount = 0;
    bool installed = false;
    for (DWORD i = 0; i < dwCount && !installed; ++i) {
        char szValue[32], szName[kFileNameSize];
        std::snprintf(szValue, sizeof szValue, "ProviderFilename%u", static_cast<unsigned>(i));
        installed = zavconfig::ReadRegText(hKey, szValue, szName, sizeof szName) && IsOurFile(szName);
    }
    plat::CloseRegKey(hKey);
    return installed;
}
