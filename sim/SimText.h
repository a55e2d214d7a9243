// Small text helpers for the command log.
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace zavsim {

#if defined(__GNUC__)
#define ZAVSIM_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define ZAVSIM_PRINTF(fmt, args)
#endif

std::string Format(const char* format, ...) ZAVSIM_PRINTF(1, 2);

// A BSTR's text for one log line: bytes outside printable ASCII become \xNN,
// so that a line never breaks and never hides what was sent.
std::string LogText(BSTR text);

// Numbers in the log are shown as the 32-bit pattern the switch receives.
inline unsigned Hex(LONG value) {
    return static_cast<unsigned>(value);
}
inline unsigned Hex(DWORD value) {
    return static_cast<unsigned>(value);
}

}  // namespace zavsim
