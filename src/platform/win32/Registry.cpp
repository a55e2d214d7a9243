// The registry API over the real registry. The wrappers only add the
// argument checks that the Win32 calls leave to chance (a null out-pointer,
// data without a size), so that both platforms answer those the same way.
#include "platform/Registry.h"

#include <cstring>

namespace plat {

LONG OpenRegKey(HKEY parent, const char* subKey, DWORD access, HKEY* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    return RegOpenKeyExA(parent, subKey, 0, access, result);
}

LONG CreateRegKey(HKEY parent, const char* subKey, DWORD access, HKEY* result, DWORD* disposition) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    return RegCreateKeyExA(parent, subKey ? subKey : "", 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                           result, disposition);
}

LONG CloseRegKey(HKEY key) {
    return RegCloseKey(key);
}

LONG DeleteRegKey(HKEY parent, const char* subKey) {
    if (!subKey) return ERROR_INVALID_PARAMETER;
    return RegDeleteKeyA(parent, subKey);
}

LONG QueryRegValue(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size) {
    if (data && !size) return ERROR_INVALID_PARAMETER;
    return RegQueryValueExA(key, name, nullptr, type, data, size);
}

LONG SetRegValue(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) {
    if (!data && size) return ERROR_INVALID_PARAMETER;
    return RegSetValueExA(key, name, 0, type, data, size);
}

LONG DeleteRegValue(HKEY key, const char* name) {
    return RegDeleteValueA(key, name);
}

LONG EnumRegKey(HKEY key, DWORD index, char* name, DWORD* nameSize) {
    if (!name || !nameSize) return ERROR_INVALID_PARAMETER;
    return RegEnumKeyExA(key, index, name, nameSize, nullptr, nullptr, nullptr, nullptr);
}

LONG SetRegString(HKEY key, const char* name, const char* text) {
    if (!text) return ERROR_INVALID_PARAMETER;
    return SetRegValue(key, name, REG_SZ, reinterpret_cast<const BYTE*>(text),
                       static_cast<DWORD>(std::strlen(text) + 1));
}

LONG SetRegDword(HKEY key, const char* name, DWORD value) {
    return SetRegValue(key, name, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

std::string RegistryLocation() { return "HKEY_LOCAL_MACHINE"; }

}  // namespace plat
