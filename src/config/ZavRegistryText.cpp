#include "config/ZavRegistryText.h"

#include <cstdio>
#include <cstring>

#include "config/ZavRegistry.h"
#include "platform/Registry.h"

namespace zavconfig {

void PhoneSubKey(DWORD dwIndex, char (&szSubKey)[kPhoneSubKeySize]) {
    std::snprintf(szSubKey, sizeof szSubKey, "Phone%u", static_cast<unsigned>(dwIndex));
}

void PhoneKeyPath(DWORD dwIndex, char (&szPath)[kPhoneKeyPathSize]) {
    std::snprintf(szPath, sizeof szPath, "%s\\Phone%u", kZavProviderKey, static_cast<unsigned>(dwIndex));
}

bool ReadRegText(HKEY hKey, const char* pszName, char* pszBuffer, DWORD dwSize) {
    if (!pszBuffer || dwSize == 0) return false;
    DWORD dwType = REG_NONE;
    DWORD dwRead = dwSize;
    if (plat::QueryRegValue(hKey, pszName, &dwType, reinterpret_cast<BYTE*>(pszBuffer), &dwRead) !=
        ERROR_SUCCESS)
        return false;
    if (dwType != REG_SZ && dwType != REG_EXPAND_SZ) return false;
    // The registry does not promise a terminating zero: a value that fills
    // the buffer without one is one character too long.
    if (dwRead == 0) {
        pszBuffer[0] = '\0';
        return true;
    }
    if (pszBuffer[dwRead - 1] == '\0') return true;
    if (dwRead >= dwSize) return false;
    pszBuffer[dwRead] = '\0';
    return true;
}

LONG WriteRegText(HKEY hKey, const char* pszName, const char* pszText) {
    return plat::SetRegValue(hKey, pszName, REG_SZ, reinterpret_cast<const BYTE*>(pszText),
                             static_cast<DWORD>(std::strlen(pszText) + 1));
}

void CopyText(char* dst, std::size_t dstSize, const char* src, std::size_t length) {
    if (!dst || dstSize == 0) return;
    std::size_t n = 0;
    if (src)
        while (n < length && n + 1 < dstSize && src[n] != '\0') ++n;
    if (n) std::memcpy(dst, src, n);
    dst[n] = '\0';
}

void AppendText(char* dst, std::size_t dstSize, const char* src) {
    if (!dst || !src) return;
    const void* end = std::memchr(dst, '\0', dstSize);
    if (!end) return;
    std::size_t used = static_cast<std::size_t>(static_cast<const char*>(end) - dst);
    CopyText(dst + used, dstSize - used, src, std::strlen(src));
}

}  // namespace zavconfig
