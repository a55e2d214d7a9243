// Reading and writing single values of the switch's registry keys.
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace zavsim {

// False when the value is missing or not text.
bool ReadRegText(HKEY key, const char* name, std::string* text);
// False when the value is missing or not a REG_DWORD.
bool ReadRegDword(HKEY key, const char* name, DWORD* value);
// A Win32 error code.
LONG WriteRegText(HKEY key, const char* name, const std::string& text);

}  // namespace zavsim
