#include "platform/Bstr.h"

#include <cstring>

namespace plat {

BSTR AllocBstrBytes(const char* bytes, UINT length) { return ::SysAllocStringByteLen(bytes, length); }

BSTR AllocBstrText(const char* text) {
    return ::SysAllocStringByteLen(text, text ? static_cast<UINT>(std::strlen(text)) : 0);
}

UINT BstrByteLength(BSTR bstr) { return ::SysStringByteLen(bstr); }

void FreeBstr(BSTR bstr) { ::SysFreeString(bstr); }

std::string BstrToString(BSTR bstr) {
    if (!bstr) return std::string();
    // A component may count the terminator in the length; text ends at it.
    const char* p = reinterpret_cast<const char*>(bstr);
    return std::string(p, ::strnlen(p, BstrByteLength(bstr)));
}

}  // namespace plat
