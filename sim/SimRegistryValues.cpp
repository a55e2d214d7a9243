#include "SimRegistryValues.h"

#include <vector>

#include "platform/Registry.h"

namespace zavsim {

bool ReadRegText(HKEY key, const char* name, std::string* text) {
    DWORD type = REG_NONE, size = 0;
    if (plat::QueryRegValue(key, name, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    std::vector<char> buffer(size + 1, 0);
    if (plat::QueryRegValue(key, name, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
        return false;
    buffer[size] = 0;
    text->assign(buffer.data());  // ends at the stored terminator, if any
    return true;
}

bool ReadRegDword(HKEY key, const char* name, DWORD* value) {
    DWORD type = REG_NONE, data = 0, size = sizeof data;
    if (plat::QueryRegValue(key, name, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_DWORD || size != sizeof data) return false;
    *value = data;
    return true;
}

LONG WriteRegText(HKEY key, const char* name, const std::string& text) {
    return plat::SetRegValue(key, name, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1));
}

}  // namespace zavsim
