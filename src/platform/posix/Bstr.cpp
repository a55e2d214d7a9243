#include "platform/Bstr.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace plat {

BSTR AllocBstrBytes(const char* bytes, UINT length) {
    unsigned char* block = static_cast<unsigned char*>(std::malloc(sizeof(uint32_t) + length + 2));
    if (!block) return nullptr;
    uint32_t len = length;
    std::memcpy(block, &len, sizeof len);
    unsigned char* data = block + sizeof(uint32_t);
    if (bytes)
        std::memcpy(data, bytes, length);
    else
        std::memset(data, 0, length);
    data[length] = 0;
    data[length + 1] = 0;
    return reinterpret_cast<BSTR>(data);
}

BSTR AllocBstrText(const char* text) {
    return AllocBstrBytes(text, text ? static_cast<UINT>(std::strlen(text)) : 0);
}

UINT BstrByteLength(BSTR bstr) {
    if (!bstr) return 0;
    uint32_t len;
    std::memcpy(&len, reinterpret_cast<unsigned char*>(bstr) - sizeof(uint32_t), sizeof len);
    return len;
}

void FreeBstr(BSTR bstr) {
    if (bstr) std::free(reinterpret_cast<unsigned char*>(bstr) - sizeof(uint32_t));
}

std::string BstrToString(BSTR bstr) {
    if (!bstr) return std::string();
    // A component may count the terminator in the length; text ends at it.
    const char* p = reinterpret_cast<const char*>(bstr);
    return std::string(p, ::strnlen(p, BstrByteLength(bstr)));
}

}  // namespace plat
