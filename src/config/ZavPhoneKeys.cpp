// Reading the telephone list: the provider's side of the store.
#include <cstring>

#include "config/ZavRegistry.h"
#include "config/ZavRegistryText.h"
#include "platform/Registry.h"
#include "trace/ZavTrace.h"

using zavconfig::kPhoneKeyPathSize;

namespace {

// A missing key or value, or one that is not a DWORD, reads as 0.
DWORD ReadProviderDword(const char* pszName, DWORD dwAccess) {
    HKEY hKey;
    if (plat::OpenRegKey(HKEY_LOCAL_MACHINE, kZavProviderKey, dwAccess, &hKey) != ERROR_SUCCESS) return 0;
    DWORD dwType = REG_NONE, dwData = 0, dwSize = sizeof dwData;
    LONG rc = plat::QueryRegValue(hKey, pszName, &dwType, reinterpret_cast<BYTE*>(&dwData), &dwSize);
    plat::CloseRegKey(hKey);
    return rc == ERROR_SUCCESS && dwType == REG_DWORD && dwSize == sizeof dwData ? dwData : 0;
}

// Opens telephone i's key; null when it is missing.
HKEY OpenPhoneKey(DWORD dwIndex, DWORD dwAccess) {
    char szPath[kPhoneKeyPathSize];
    zavconfig::PhoneKeyPath(dwIndex, szPath);
    HKEY hKey;
    return plat::OpenRegKey(HKEY_LOCAL_MACHINE, szPath, dwAccess, &hKey) == ERROR_SUCCESS ? hKey : nullptr;
}

// Reads one text value of telephone i's key into `szValue`.
template <std::size_t N>
bool ReadPhoneText(HKEY hKey, const char* pszName, char (&szValue)[N]) {
    bool ok = zavconfig::ReadRegText(hKey, pszName, szValue, static_cast<DWORD>(N));
    plat::CloseRegKey(hKey);
    return ok;
}

}  // namespace

DWORD ReadNumPhones() {
    return ReadProviderDword("NumPhones", KEY_READ);
}

DWORD ReadEmulateModem() {
    return ReadProviderDword("EmulateModem", KEY_ALL_ACCESS);
}

int GetPhoneExtension(DWORD dwIndex, char* pszExtension) {
    if (!pszExtension) return -1;
    char szPath[kPhoneKeyPathSize];
    zavconfig::PhoneKeyPath(dwIndex, szPath);
    HKEY hKey = OpenPhoneKey(dwIndex, KEY_READ);
    if (!hKey) {
        ZAV_TRACE("**** GetPhoneExtension() %s key is not found in the Registry!", szPath);
        return -1;
    }
    char szValue[kZavExtensionSize];
    if (!ReadPhoneText(hKey, "Extension", szValue)) {
        ZAV_TRACE("**** GetPhoneExtension() Extension is not found under %s!", szPath);
        return -1;
    }
    std::memcpy(pszExtension, szValue, std::strlen(szValue) + 1);
    return 0;
}

int GetUserPassword(DWORD dwIndex, char* pszPassword) {
    ZAV_TRACE("GetUserPassword() is invoked");
    if (!pszPassword) return -1;
    char szPath[kPhoneKeyPathSize];
    zavconfig::PhoneKeyPath(dwIndex, szPath);
    HKEY hKey = OpenPhoneKey(dwIndex, KEY_READ);
    if (!hKey) {
        ZAV_TRACE("**** %s key is not found in the Registry!", szPath);
        return -1;
    }
    char szValue[kZavPasswordSize];
    if (!ReadPhoneText(hKey, "Password", szValue)) {
        ZAV_TRACE("**** Password is not found under %s!", szPath);
        return -1;
    }
    std::memcpy(pszPassword, szValue, std::strlen(szValue) + 1);
    return 0;
}

int CheckPhoneKeys(DWORD dwNumPhones) {
    ZAV_TRACE("CheckPhoneKeys() is invoked");
    for (DWORD i = 0; i < dwNumPhones; ++i) {
        char szPath[kPhoneKeyPathSize];
        zavconfig::PhoneKeyPath(i, szPath);
        HKEY hKey = OpenPhoneKey(i, KEY_ALL_ACCESS);
        if (!hKey) {
            ZAV_TRACE("**** %s key is not found in the Registry!", szPath);
            return -1;
        }
        char szValue[kZavExtensionSize];
        if (!ReadPhoneText(hKey, "Extension", szValue)) {
            ZAV_TRACE("**** Extension is not found under %s!", szPath);
            return -1;
        }
    }
    return 0;
}

int TransformPassword(char* pszPassword) {
    if (!pszPassword) return -1;
    for (unsigned i = 0; pszPassword[i] != '\0'; ++i) {
        unsigned b = static_cast<unsigned char>(pszPassword[i]);
        pszPassword[i] = static_cast<char>(static_cast<unsigned char>((i - b + 127u) & 0xFFu));
    }
    return 0;
}
