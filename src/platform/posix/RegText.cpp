#include "platform/posix/RegText.h"

#include <cstdint>

namespace plat::reg {
namespace {

constexpr char32_t kInvalid = 0xFFFFFFFF;

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
        AppendUtf8(cp, out);
    }
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
