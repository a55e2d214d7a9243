#include "platform/Wave.h"

#include <string>
#include <vector>

#include "platform/Registry.h"

namespace plat {
namespace {

std::vector<std::string> ReadDeviceList() {
    std::vector<std::string> names;
    HKEY key;
    if (OpenRegKey(HKEY_LOCAL_MACHINE, kWaveOutListKey, KEY_READ, &key) != ERROR_SUCCESS) return names;
    DWORD type = 0, size = 0;
    if (QueryRegValue(key, kWaveOutListValue, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_MULTI_SZ) {
        std::string data(size, '\0');
        if (QueryRegValue(key, kWaveOutListValue, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
            ERROR_SUCCESS) {
            data.resize(size);
            std::size_t pos = 0;
            while (pos < data.size() && data[pos] != '\0') {
                std::size_t end = data.find('\0', pos);
                if (end == std::string::npos) end = data.size();
                names.push_back(data.substr(pos, end - pos));
                pos = end + 1;
            }
        }
    }
    CloseRegKey(key);
    return names;
}

}  // namespace

UINT GetWaveOutDeviceCount() { return static_cast<UINT>(ReadDeviceList().size()); }

bool GetWaveOutProductName(UINT index, std::string* name) {
    std::vector<std::string> names = ReadDeviceList();
    if (!name || index >= names.size()) return false;
    *name = names[index];
    return true;
}

}  // namespace plat
