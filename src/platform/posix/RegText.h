// Text helpers for the file-backed registry: the API speaks UTF-8 (this
// platform's ANSI code page) and keeps string data that is not UTF-8 as the
// Windows-1252 bytes Windows' own ANSI calls store, the file regedit writes
// speaks UTF-16LE, and names compare the way the registry compares them,
// without regard to case.
#pragma once

#include <string>
#include <string_view>

namespace plat::reg {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

// Appends the UTF-16LE bytes of `text`; false if `text` is not valid UTF-8.
bool Utf8ToUtf16Le(std::string_view text, std::string& out);

// Appends the UTF-8 form of UTF-16LE `bytes`; false on an odd byte count or
// an unpaired surrogate.
bool Utf16LeToUtf8(std::string_view bytes, std::string& out);

// String data as the file holds it: UTF-16LE of `data` read as UTF-8 when it
// is valid UTF-8, else read byte by byte as Windows-1252.
void StringDataToUtf16Le(std::string_view data, std::string& out);

// The string data UTF-16LE `bytes` from the file stand for; false on an odd
// byte count or an unpaired surrogate. Not always the inverse of
// StringDataToUtf16Le: see RegFile.h for the values the file marks.
bool StringDataFromUtf16Le(std::string_view bytes, std::string& out);

// Orders names as the registry does: by their upper-case form. Letters of the
// Latin, Greek and Cyrillic scripts fold; everything else compares as is.
int CompareNames(std::string_view a, std::string_view b);

inline bool SameName(std::string_view a, std::string_view b) {
    return CompareNames(a, b) == 0;
}

}  // namespace plat::reg
