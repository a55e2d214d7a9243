#include "platform/Text.h"

namespace plat {

std::string WideToAnsi(const WCHAR* text, int length) {
    if (!text || length == 0) return std::string();
    int n = ::WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, length, out.data(), n, nullptr, nullptr);
    if (length < 0 && !out.empty() && out.back() == '\0') out.pop_back();
    return out;
}

std::u16string AnsiToWide(const char* text, int length) {
    if (!text || length == 0) return std::u16string();
    int n = ::MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
    if (n <= 0) return std::u16string();
    std::u16string out(static_cast<std::size_t>(n), u'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, length, reinterpret_cast<LPWSTR>(out.data()), n);
    if (length < 0 && !out.empty() && out.back() == u'\0') out.pop_back();
    return out;
}

int CompareWideNoCase(const WCHAR* a, const WCHAR* b) {
    if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
    int r = ::CompareStringOrdinal(a, -1, b, -1, TRUE);
    return r == CSTR_LESS_THAN ? -1 : (r == CSTR_EQUAL ? 0 : 1);
}

}  // namespace plat
