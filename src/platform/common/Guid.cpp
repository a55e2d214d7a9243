#include <cstdio>
#include <cstring>

#include "platform/Com.h"

namespace plat {

std::string GuidToString(REFGUID g) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2],
                  g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return buf;
}

bool GuidFromString(const char* text, GUID* guid) {
    if (!text || !guid || std::strlen(text) != 38) return false;
    unsigned d1, d2, d3, b[8];
    char close = 0;
    int n = std::sscanf(text, "{%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x%c", &d1, &d2, &d3, &b[0], &b[1], &b[2], &b[3],
                        &b[4], &b[5], &b[6], &b[7], &close);
    if (n != 12 || close != '}') return false;
    guid->Data1 = d1;
    guid->Data2 = static_cast<unsigned short>(d2);
    guid->Data3 = static_cast<unsigned short>(d3);
    for (int i = 0; i < 8; ++i) guid->Data4[i] = static_cast<unsigned char>(b[i]);
    return true;
}

std::string ClsidKeyPath(REFCLSID clsid) { return "Software\\Classes\\CLSID\\" + GuidToString(clsid) + "\\InprocServer32"; }

}  // namespace plat
