// Text conversion between TAPI's UTF-16 and the system's ANSI code page
// (UTF-8 on Linux), and case-insensitive UTF-16 comparison.
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace plat {

// `length` in UTF-16 units, or -1 for zero-terminated input. Characters the
// code page cannot hold become '?'.
std::string WideToAnsi(const WCHAR* text, int length = -1);
std::u16string AnsiToWide(const char* text, int length = -1);

// Our texts are UTF-16 in std::u16string; on Windows WCHAR is wchar_t of the
// same width. These let code move between the two without casts at call sites.
inline const WCHAR* WidePtr(const std::u16string& s) { return reinterpret_cast<const WCHAR*>(s.c_str()); }
inline std::u16string WideString(const WCHAR* s) {
    return s ? std::u16string(reinterpret_cast<const char16_t*>(s)) : std::u16string();
}

// Ordinal comparison ignoring case: <0, 0, >0.
int CompareWideNoCase(const WCHAR* a, const WCHAR* b);

}  // namespace plat
