// The TAPI 2.x / TSPI declarations for the whole tree.
//
// On Windows these are the system's own <tapi.h> and <tspi.h>, so the
// provider's exports are checked against exactly what TAPI calls. Elsewhere
// tapi/own/ declares the same names with the same values, widths and
// layouts, so the provider builds and is tested unchanged.
#pragma once

#include "platform/WinTypes.h"

#ifdef _WIN32

#include <tapi.h>
#include <tspi.h>

#else  // !_WIN32

// Order matters: these headers include nothing themselves.
// clang-format off
#include "tapi/own/SystemTime.h"
#include "tapi/own/TapiHandles.h"
#include "tapi/own/LineDeviceStructs.h"
#include "tapi/own/LineCallStructs.h"
#include "tapi/own/PhoneStructs.h"
#include "tapi/own/TspiTypes.h"
#include "tapi/own/TspiFunctions.h"
#include "tapi/own/TapiConstants.h"
// clang-format on

#endif  // _WIN32

#include "tapi/TapiSizes.h"
#include "tapi/TapiVersions.h"
