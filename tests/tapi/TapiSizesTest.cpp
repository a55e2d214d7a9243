// The TAPI 2.x sizes and the structure offsets and constant widths the
// provider relies on, on whichever declarations the target uses.
#include <gtest/gtest.h>

#include <cstddef>

#include "ConstantList.h"
#include "tapi/Tapi.h"

namespace {

// A TAPI 2.x size shorter than the structure must end exactly where the
// first field TAPI 2.x lacks begins.
static_assert(tapi::kLineDevCapsSize20 == offsetof(LINEDEVCAPS, PermanentLineGuid));
static_assert(tapi::kLineCallInfoSize20 == offsetof(LINECALLINFO, dwCallerIDAddressType));
static_assert(tapi::kLineCallParamsSize20 == offsetof(LINECALLPARAMS, dwAddressType));
static_assert(tapi::kPhoneCapsSize20 == offsetof(PHONECAPS, PermanentPhoneGuid));

struct Tapi2Size {
    const char* name;
    DWORD size20;
    std::size_t fullSize;
};

const Tapi2Size kTapi2Sizes[] = {
    {"LINEDEVCAPS", tapi::kLineDevCapsSize20, sizeof(LINEDEVCAPS)},
    {"LINEADDRESSCAPS", tapi::kLineAddressCapsSize20, sizeof(LINEADDRESSCAPS)},
    {"LINECALLINFO", tapi::kLineCallInfoSize20, sizeof(LINECALLINFO)},
    {"LINECALLSTATUS", tapi::kLineCallStatusSize20, sizeof(LINECALLSTATUS)},
    {"LINEADDRESSSTATUS", tapi::kLineAddressStatusSize20, sizeof(LINEADDRESSSTATUS)},
    {"LINEDEVSTATUS", tapi::kLineDevStatusSize20, sizeof(LINEDEVSTATUS)},
    {"LINECALLPARAMS", tapi::kLineCallParamsSize20, sizeof(LINECALLPARAMS)},
    {"PHONECAPS", tapi::kPhoneCapsSize20, sizeof(PHONECAPS)},
    {"VARSTRING", tapi::kVarStringSize, sizeof(VARSTRING)},
};

// A TAPI 2.x caller's buffer may hold no more than the TAPI 2.x part; every
// field the provider fills must lie inside it.
TEST(TapiSizes, Tapi2SizesFitTheDeclaredStructures) {
    for (const Tapi2Size& s : kTapi2Sizes) {
        SCOPED_TRACE(s.name);
        EXPECT_LE(s.size20, s.fullSize);
        EXPECT_EQ(s.size20 % sizeof(DWORD), 0u);
    }
}

struct KnownOffset {
    const char* name;
    std::size_t offset;
    std::size_t expected;
};

#define ZAV_OFFSET(S, f, at) \
    { #S "." #f, offsetof(S, f), at }

// Offsets fixed by the TAPI binary interface: a TAPI application reads these
// bytes whatever our declarations say.
const KnownOffset kKnownOffsets[] = {
    ZAV_OFFSET(VARSTRING, dwStringFormat, 0x0C),
    ZAV_OFFSET(VARSTRING, dwStringOffset, 0x14),
    ZAV_OFFSET(LINEDEVCAPS, dwProviderInfoSize, 0x0C),
    ZAV_OFFSET(LINEDEVCAPS, dwLineNameOffset, 0x24),
    ZAV_OFFSET(LINEDEVCAPS, dwStringFormat, 0x28),
    ZAV_OFFSET(LINEDEVCAPS, dwDevCapFlags, 0x70),
    ZAV_OFFSET(LINEDEVCAPS, MinDialParams, 0x9C),
    ZAV_OFFSET(LINEDEVCAPS, DefaultDialParams, 0xBC),
    ZAV_OFFSET(LINEDEVCAPS, dwDevSpecificOffset, 0xE8),
    ZAV_OFFSET(LINEDEVCAPS, dwLineFeatures, 0xEC),
    ZAV_OFFSET(LINEDEVCAPS, dwDeviceClassesOffset, 0xF8),
    ZAV_OFFSET(LINEADDRESSCAPS, dwAddressOffset, 0x14),
    ZAV_OFFSET(LINEADDRESSCAPS, dwCallFeatures, 0x6C),
    ZAV_OFFSET(LINEADDRESSCAPS, dwDeviceClassesOffset, 0xC8),
    ZAV_OFFSET(LINEADDRESSCAPS, dwAvailableMediaModes, 0xE0),
    ZAV_OFFSET(LINECALLINFO, hLine, 0x0C),
    ZAV_OFFSET(LINECALLINFO, DialParams, 0x40),
    ZAV_OFFSET(LINECALLINFO, dwOrigin, 0x50),
    ZAV_OFFSET(LINECALLINFO, dwCallerIDOffset, 0x74),
    ZAV_OFFSET(LINECALLINFO, dwAppNameOffset, 0xD4),
    ZAV_OFFSET(LINECALLINFO, dwDevSpecificOffset, 0x124),
    ZAV_OFFSET(LINECALLINFO, dwCallTreatment, 0x128),
    ZAV_OFFSET(LINECALLINFO, dwReceivingFlowspecOffset, 0x140),
    ZAV_OFFSET(LINECALLSTATUS, dwCallState, 0x0C),
    ZAV_OFFSET(LINECALLSTATUS, dwCallFeatures, 0x18),
    ZAV_OFFSET(LINECALLSTATUS, dwCallFeatures2, 0x24),
    ZAV_OFFSET(LINECALLSTATUS, tStateEntryTime, 0x28),
    ZAV_OFFSET(LINEADDRESSSTATUS, dwForwardOffset, 0x2C),
    ZAV_OFFSET(LINEADDRESSSTATUS, dwDevSpecificOffset, 0x3C),
    ZAV_OFFSET(LINEDEVSTATUS, dwDevStatusFlags, 0x38),
    ZAV_OFFSET(LINEDEVSTATUS, dwAppInfoOffset, 0x54),
    ZAV_OFFSET(LINECALLPARAMS, dwMediaMode, 0x10),
    ZAV_OFFSET(LINECALLPARAMS, dwAddressMode, 0x18),
    ZAV_OFFSET(LINECALLPARAMS, DialParams, 0x20),
    ZAV_OFFSET(LINECALLPARAMS, dwOrigAddressOffset, 0x34),
    ZAV_OFFSET(LINECALLPARAMS, dwDevSpecificOffset, 0x6C),
    ZAV_OFFSET(LINECALLPARAMS, dwNoAnswerTimeout, 0xA4),
    ZAV_OFFSET(LINECALLPARAMS, dwCallingPartyIDOffset, 0xAC),
    ZAV_OFFSET(LINEFORWARDLIST, ForwardList, 0x08),
    ZAV_OFFSET(PHONECAPS, dwPhoneNameOffset, 0x24),
    ZAV_OFFSET(PHONECAPS, dwDeviceClassesOffset, 0x94),
    ZAV_OFFSET(PHONECAPS, dwMonitoredHeadsetHookSwitchModes, 0xB0),
};

#undef ZAV_OFFSET

TEST(TapiSizes, FieldsSitAtTheirBinaryInterfaceOffsets) {
    for (const KnownOffset& o : kKnownOffsets) {
        SCOPED_TRACE(o.name);
        EXPECT_EQ(o.offset, o.expected);
    }
    // Arrays of these are laid end to end in caller buffers.
    EXPECT_EQ(sizeof(LINEDIALPARAMS), 0x10u);
    EXPECT_EQ(sizeof(LINEFORWARD), 0x20u);
}

struct ConstantWidth {
    const char* name;
    std::size_t size;
    LONG asLong;
};

// Every TSPI function returns LONG, and TAPI hands results back as DWORD
// message parameters: a result code must survive both conversions, which a
// 64-bit literal (an L suffix on LP64) would not.
TEST(TapiSizes, ResultCodesAreNegative32BitValues) {
#define ZAV_RESULT(N) ConstantWidth{#N, sizeof(N), static_cast<LONG>(N)},
    const ConstantWidth results[] = {ZAV_TAPI_RESULT_CODES(ZAV_RESULT)};
#undef ZAV_RESULT
    for (const ConstantWidth& c : results) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.size, 4u);
        EXPECT_LT(c.asLong, 0);
    }
}

TEST(TapiSizes, OtherConstantsAre32BitValues) {
#define ZAV_OTHER(N) ConstantWidth{#N, sizeof(N), static_cast<LONG>(N)},
    const ConstantWidth constants[] = {ZAV_TAPI_OTHER_CONSTANTS(ZAV_OTHER)};
#undef ZAV_OTHER
    for (const ConstantWidth& c : constants) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.size, 4u);
    }
}

}  // namespace
