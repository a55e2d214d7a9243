#include "SimText.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "platform/Bstr.h"

namespace zavsim {

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (needed > 0) {
        std::vector<char> buffer(static_cast<size_t>(needed) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        text.assign(buffer.data(), static_cast<size_t>(needed));
    }
    va_end(args);
    return text;
}

std::string LogText(BSTR text) {
    std::string out;
    for (unsigned char c : plat::BstrToString(text)) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        }
    }
    return out;
}

}  // namespace zavsim
