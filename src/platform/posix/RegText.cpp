#include "platform/posix/RegText.h"

#include <cstdint>

namespace plat::reg {
namespace {

constexpr char32_t kInvalid = 0xFFFFFFFF;

// Windows-1252 at 0x80..0x9F; the rest of its bytes are their own code
// points. The five bytes it leaves undefined stand for the C1 controls of
// the same value, as in Windows' own conversion, so that every byte has a
// code point and comes back from it.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t FromCp1252(uint8_t b) {
    return b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b;
}

// The Windows-1252 byte for `cp`, or -1 when it has none.
int ToCp1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == cp) return 0x80 + i;
    return -1;
}

// Decodes one code point at `i` and advances past it; a byte that does not
// start a valid sequence yields kInvalid and advances by one.
char32_t NextCodePoint(std::string_view s, size_t& i) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
    const uint8_t b0 = byte(i);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    size_t len = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        ++i;
        return kInvalid;
    }
    if (i + len > s.size()) {
        ++i;
        return kInvalid;
    }
    for (size_t k = 1; k < len; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return kInvalid;
        }
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kInvalid;
    }
    i += len;
    return cp;
}

void AppendUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendUnit(char32_t unit, std::string& out) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>((unit >> 8) & 0xFF);
}

// Calls `emit` with each code point of UTF-16LE `bytes`; false on an odd
// byte count or an unpaired surrogate.
template <typename Emit>
bool DecodeUtf16Le(std::string_view bytes, Emit&& emit) {
    if (bytes.size() % 2 != 0) return false;
    const auto unit = [&](size_t k) {
        return static_cast<char32_t>(static_cast<uint8_t>(bytes[k]) |
                                     (static_cast<uint8_t>(bytes[k + 1]) << 8));
    };
    for (size_t i = 0; i < bytes.size(); i += 2) {
        char32_t cp = unit(i);
        if (cp >= 0xDC00 && cp <= 0xDFFF) return false;
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (i + 4 > bytes.size()) return false;
            const char32_t low = unit(i + 2);
            if (low < 0xDC00 || low > 0xDFFF) return false;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        emit(cp);
    }
    return true;
}

char32_t Upper(char32_t c) {
    if (c >= 'a' && c <= 'z') return c - 0x20;
    if (c < 0x80) return c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
    if (c == 0xFF) return 0x178;
    // Latin Extended-A pairs its letters upper, lower, except for a few
    // stretches where the pairing flips parity or a letter has no partner.
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return c & ~char32_t{1};
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : c - 1;
    if ((c >= 0x3B1 && c <= 0x3C1) || (c >= 0x3C3 && c <= 0x3CB)) return c - 0x20;
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    return c;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();)
        if (NextCodePoint(text, i) == kInvalid) return false;
    return true;
}

bool Utf8ToUtf16Le(std::string_view text, std::string& out) {
    for (size_t i = 0; i < text.size();) {
        const char32_t cp = NextCodePoint(text, i);
        if (cp == kInvalid) return false;
        if (cp >= 0x10000) {
            AppendUnit(0xD800 + ((cp - 0x10000) >> 10), out);
            AppendUnit(0xDC00 + ((cp - 0x10000) & 0x3FF), out);
        } else {
            AppendUnit(cp, out);
        }
    }
    return true;
}

bool Utf16LeToUtf8(std::string_view bytes, std::string& out) {
    return DecodeUtf16Le(bytes, [&](char32_t cp) { AppendUtf8(cp, out); });
}

void StringDataToUtf16Le(std::string_view data, std::string& out) {
    if (IsValidUtf8(data)) {
        Utf8ToUtf16Le(data, out);
        return;
    }
    for (const char c : data) AppendUnit(FromCp1252(static_cast<uint8_t>(c)), out);
}

// UTF-16 does not say which kind of data it was written from: U+00E9 is
// the UTF-8 bytes C3 A9 as much as the Windows-1252 byte E9. Data that is
// not UTF-8 is only ever written as 1252, so text that 1252 can hold and
// whose 1252 bytes are not UTF-8 is taken as those bytes: what a caller
// stored in a code page of its own, a transformed password say, comes back
// byte for byte, as does what Windows' ANSI calls stored in a file exported
// there. Everything else is UTF-8, as ever. This guesses wrong only for
// UTF-8 text made of 1252's characters in a value the file cannot quote
// ("Caf" and U+00E9 in a multi-string); the writer marks those.
bool StringDataFromUtf16Le(std::string_view bytes, std::string& out) {
    std::string utf8;
    std::string cp1252;
    bool in1252 = true;
    const bool ok = DecodeUtf16Le(bytes, [&](char32_t cp) {
        AppendUtf8(cp, utf8);
        const int b = ToCp1252(cp);
        in1252 = in1252 && b >= 0;
        if (in1252) cp1252 += static_cast<char>(b);
    });
    if (!ok) return false;
    out += in1252 && !IsValidUtf8(cp1252) ? cp1252 : utf8;
    return true;
}

int CompareNames(std::string_view a, std::string_view b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const size_t ai = i;
        const size_t bj = j;
        char32_t ca = NextCodePoint(a, i);
        char32_t cb = NextCodePoint(b, j);
        // Stray bytes still need a stable order: compare them as raw bytes.
        if (ca == kInvalid) ca = 0x110000 + static_cast<uint8_t>(a[ai]);
        if (cb == kInvalid) cb = 0x110000 + static_cast<uint8_t>(b[bj]);
        ca = Upper(ca);
        cb = Upper(cb);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

}  // namespace plat::reg
