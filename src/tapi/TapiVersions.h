// The interface versions the provider speaks. A version is major in the high
// word and minor in the low word.
#pragma once

#include "platform/WinTypes.h"

namespace tapi {

// TSPI 2.1: the only version the provider negotiates, and the one TAPI must
// pass back to every call that carries a version.
inline constexpr DWORD kTspiVersion = 0x00020001;

// TSPI 2.0: from here on the TAPI 2.x structure sizes of tapi/TapiSizes.h
// apply.
inline constexpr DWORD kTspiVersion20 = 0x00020000;

// The one device-specific extension version the provider offers (1.0).
inline constexpr DWORD kExtVersion = 0x00010000;

}  // namespace tapi
