// Writes the provider's telephone list into the registry as the
// configuration dialog stores it.
#pragma once

#include <string>
#include <vector>

#include "platform/Registry.h"

namespace zavtest {

inline const char* const kProviderKey = "Software\\Ostrel\\ZAV\\ZAVTSP";

// Removes every PhoneN subkey and the telephone count; other values (the
// install path) stay.
inline void ClearPhones() {
    HKEY key;
    if (plat::OpenRegKey(HKEY_LOCAL_MACHINE, kProviderKey, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    for (int i = 0; i < 64; ++i) {
        std::string sub = "Phone" + std::to_string(i);
        plat::DeleteRegKey(key, sub.c_str());
    }
    plat::DeleteRegValue(key, "NumPhones");
    plat::CloseRegKey(key);
}

// Phone i gets extensions[i]; an empty extension leaves the subkey without
// an "Extension" value. `numPhones` < 0 writes extensions.size(). Passwords
// are written as given: the stored (transformed) form.
inline void ConfigurePhones(const std::vector<std::string>& extensions, int numPhones = -1,
                            const std::vector<std::string>& passwords = {}) {
    ClearPhones();
    HKEY key;
    if (plat::CreateRegKey(HKEY_LOCAL_MACHINE, kProviderKey, KEY_ALL_ACCESS, &key, nullptr) != ERROR_SUCCESS) return;
    plat::SetRegDword(key, "NumPhones", static_cast<DWORD>(numPhones < 0 ? extensions.size() : numPhones));
    for (std::size_t i = 0; i < extensions.size(); ++i) {
        HKEY phone;
        std::string sub = "Phone" + std::to_string(i);
        if (plat::CreateRegKey(key, sub.c_str(), KEY_ALL_ACCESS, &phone, nullptr) != ERROR_SUCCESS) continue;
        if (!extensions[i].empty()) plat::SetRegString(phone, "Extension", extensions[i].c_str());
        plat::SetRegString(phone, "Password", i < passwords.size() ? passwords[i].c_str() : "");
        plat::CloseRegKey(phone);
    }
    plat::CloseRegKey(key);
}

}  // namespace zavtest
