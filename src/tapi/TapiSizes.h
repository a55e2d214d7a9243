// Fixed-part sizes of the TAPI 2.x structures the provider fills.
//
// The system headers declare the TAPI 3 layout; a TAPI 2.x application
// allocates and sizes (dwTotalSize) only the TAPI 2.x part. The provider
// therefore checks dwTotalSize against these sizes, not against sizeof, and
// never writes a field at or past them. Where a size is smaller than sizeof,
// it is the offset of the first field that TAPI 2.x lacks; the tests tie
// each one to that field.
#pragma once

#include "platform/WinTypes.h"

namespace tapi {

// Ends after dwDeviceClassesOffset, where PermanentLineGuid (TAPI 3) begins.
inline constexpr DWORD kLineDevCapsSize20 = 0xFC;

// The whole LINEADDRESSCAPS: the system headers declare no TAPI 3 fields.
inline constexpr DWORD kLineAddressCapsSize20 = 0xE4;

// Ends before dwCallerIDAddressType and the other TAPI 3 address types.
inline constexpr DWORD kLineCallInfoSize20 = 0x144;

// The whole LINECALLSTATUS, tStateEntryTime included.
inline constexpr DWORD kLineCallStatusSize20 = 0x38;

// The whole LINEADDRESSSTATUS.
inline constexpr DWORD kLineAddressStatusSize20 = 0x40;

// The whole LINEDEVSTATUS.
inline constexpr DWORD kLineDevStatusSize20 = 0x58;

// Ends before dwAddressType (TAPI 3). Incoming parameters: the provider must
// not read past this unless dwTotalSize says the caller passed more.
inline constexpr DWORD kLineCallParamsSize20 = 176;

// Ends after dwMonitoredHeadsetHookSwitchModes, where PermanentPhoneGuid
// (TAPI 3) begins.
inline constexpr DWORD kPhoneCapsSize20 = 180;

// The whole VARSTRING.
inline constexpr DWORD kVarStringSize = 0x18;

}  // namespace tapi
