// Wave output devices: how many there are and their product names. The
// provider matches product names to find an extension's audio devices.
//
// On Windows the multimedia API. Elsewhere there is no sound system to ask,
// so the list comes from the emulated registry: the REG_MULTI_SZ value
// kWaveOutListValue under HKEY_LOCAL_MACHINE\kWaveOutListKey, one product
// name per string; no value means no devices.
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace plat {

inline constexpr const char* kWaveOutListKey = "Software\\Ostrel\\ZAV\\Emulation";
inline constexpr const char* kWaveOutListValue = "WaveOutDevices";

UINT GetWaveOutDeviceCount();

// False for an index out of range or a device that cannot be asked.
bool GetWaveOutProductName(UINT index, std::string* name);

}  // namespace plat
