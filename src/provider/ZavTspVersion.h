// Versions and names the provider announces.
#pragma once

#include "platform/WinTypes.h"

inline constexpr DWORD kZavTspiVersion = 0x00020001;
inline constexpr const char* kZavVersionText = "R4.3.5";
// The provider is its own UI library.
inline constexpr char16_t kZavUiLibraryName[] = u"ZAVTSP.TSP";
