// The TSPI_line* functions that tell TAPI what a line device and its address
// can do and what state they are in, and which sound device belongs to an
// extension. Most values are the provider's constants; the rest come from
// the extension's configuration and from what the switch said at
// registration.
#include <cstring>
#include <string>
#include <vector>

#include "callctrl/ZavCallHub.h"
#include "config/ZavRegistry.h"
#include "platform/Text.h"
#include "platform/Ui.h"
#include "platform/Wave.h"
#include "provider/ZavExport.h"
#include "provider/ZavSession.h"
#include "provider/ZavTspGlobals.h"
#include "provider/ZavTspGuard.h"
#include "switchlink/ZavPhone.h"
#include "tapi/TapiSizes.h"
#include "tapi/TapiVersions.h"
#include "tsp/ZavAddress.h"
#include "tsp/ZavCallUse.h"
#include "tsp/ZavLine.h"
#include "tsp/ZavTspCallSupport.h"
#include "tsp/ZavVarStruct.h"

#define ZAV_CAPS_BEGIN ZAV_TSPI_BEGIN
#define ZAV_CAPS_END ZAV_TSPI_END("ZavTspLineFunctions", LINEERR_OPERATIONFAILED)

namespace {

DWORD Bits(const void* h) { return static_cast<DWORD>(reinterpret_cast<uintptr_t>(h)); }

constexpr const char* kProviderInfo = "ZAV TSP 2.1";
constexpr LONG kRoutePointDeviceType = 3;
constexpr LONG kMaxSoundVdn = 0xFFFE;
constexpr DWORD kNoHubMaxActiveCalls = 18;
constexpr int kWinLogoIcon = 32517;  // IDI_WINLOGO
// A VARSTRING holding one device identifier.
constexpr DWORD kDeviceIdVarSize = tapi::kVarStringSize + sizeof(DWORD);

// LINEDEVCAPS
constexpr DWORD kAddressModes = LINEADDRESSMODE_ADDRESSID | LINEADDRESSMODE_DIALABLEADDR;
constexpr DWORD kGenerateToneModes = 0xE;  // RINGBACK | BUSY | BEEP
constexpr DWORD kMonitorDigitModes = LINEDIGITMODE_DTMF | LINEDIGITMODE_DTMFEND;
constexpr DWORD kGatherDigitsMinTimeout = 100, kGatherDigitsMaxTimeout = 0x8000;
constexpr DWORD kDevCapLineFeatures = 0x3F;

// LINEADDRESSCAPS
constexpr DWORD kAddressStates = 0x6C;
constexpr DWORD kCallInfoStates = 0x000D8362;
constexpr DWORD kPartyIdFlags = LINECALLPARTYID_ADDRESS | LINECALLPARTYID_UNKNOWN;
constexpr DWORD kCallStates = 0x7F7F;
constexpr DWORD kDisconnectModes = 0x1861;
constexpr DWORD kAddrCapFlags = 0x000E0023;
constexpr DWORD kCallFeatures = 0x0F218BEF;
constexpr DWORD kForwardModes = 0x116;
constexpr DWORD kCapsAddressFeatures = 0x16AB;
constexpr DWORD kFwdNumRings = 6;

// LINEADDRESSSTATUS and LINEDEVSTATUS
constexpr DWORD kStatusAddressFeatures = 0x068E;
constexpr DWORD kStatusLineFeatures = LINEFEATURE_FORWARD | LINEFEATURE_MAKECALL;
constexpr DWORD kFullLevel = 0xFFFF;
constexpr DWORD kDevStatusFlags = LINEDEVSTATUSFLAGS_CONNECTED | LINEDEVSTATUSFLAGS_INSERVICE;

// Only telephones and soft phones (types 0 and 2) have a sound device, and
// only with a VDN that names one.
bool HasSoundDevice(const ZavPhone* phone) {
    if (!phone) return false;
    const LONG type = phone->GetDeviceType();
    return (type == 0 || type == 2) && phone->GetVdn() <= kMaxSoundVdn;
}

std::string LineName(DWORD lineId) {
    char extension[kZavExtensionSize] = "";
    GetPhoneExtension(lineId, extension);
    char owner[256] = "";
    ZavPhone::GetPhoneOwnerName(lineId, owner, sizeof owner);
    return std::string("x") + extension + ", " + owner;
}

bool SameClass(LPCWSTR a, const char* b) {
    return plat::CompareWideNoCase(a, plat::WidePtr(plat::AnsiToWide(b))) == 0;
}
bool IsLineClass(LPCWSTR c) { return SameClass(c, "tapi/line"); }
bool IsWaveClass(LPCWSTR c) { return SameClass(c, "wave/in") || SameClass(c, "wave/out") || SameClass(c, "wave/in/out"); }

// The index of the first wave output device whose product name starts with
// one of the extension's two names; the device count when none does.
UINT FindWaveDevice(LONG vdn) {
    const std::string number = std::to_string(vdn / 16);
    const std::string names[] = {"ZAV wav driver " + number, "Ostrel wav drv " + number};
    const UINT count = plat::GetWaveOutDeviceCount();
    for (UINT i = 0; i < count; ++i) {
        std::string product;
        if (!plat::GetWaveOutProductName(i, &product)) {
            ZAV_TRACE("---- TSPI_lineGetID() problem getting the wav device information");
            continue;
        }
        for (const std::string& name : names)
            if (product.compare(0, name.size(), name) == 0) return i;
    }
    return count;
}

void PutDeviceId(LPVARSTRING var, DWORD id) {
    var->dwUsedSize = kDeviceIdVarSize;
    var->dwStringFormat = STRINGFORMAT_BINARY;
    var->dwStringSize = sizeof id;
    var->dwStringOffset = tapi::kVarStringSize;
    std::memcpy(reinterpret_cast<BYTE*>(var) + tapi::kVarStringSize, &id, sizeof id);
}

}  // namespace

ZAV_EXPORT LONG TSPIAPI TSPI_lineGetDevCaps(DWORD dwDeviceID, DWORD dwTSPIVersion, DWORD dwExtVersion,
                                            LPLINEDEVCAPS lpLineDevCaps) {
    ZAV_CAPS_BEGIN
    ZAV_TRACE("---- TSPI_lineGetDevCaps() ### device %d", static_cast<int>(dwDeviceID));
    if (!lpLineDevCaps) return LINEERR_INVALPOINTER;
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    if (!session->IsValidLineDeviceId(dwDeviceID)) return LINEERR_BADDEVICEID;
    if (!session->IsRightVersion(dwTSPIVersion)) return LINEERR_INCOMPATIBLEAPIVERSION;
    if (dwExtVersion != 0) return LINEERR_INCOMPATIBLEEXTVERSION;
    if (lpLineDevCaps->dwTotalSize < tapi::kLineDevCapsSize20) return LINEERR_STRUCTURETOOSMALL;

    const DWORD lineId = session->ToLineId(dwDeviceID);
    ZavLine* line = ZavLine::m_LineVect.at(lineId);
    ZavAddress* addr = line ? line->GetAddrPointer(0) : nullptr;
    ZavCallHub* hub = addr ? addr->GetCallHubPointer() : nullptr;
    const std::string name = LineName(lineId);
    std::vector<std::string> classes{"tapi/line"};
    if (HasSoundDevice(ZavPhoneOfLine(line))) classes.insert(classes.end(), {"wave/in", "wave/out"});

    LINEDEVCAPS& caps = *lpLineDevCaps;
    ZavVarStruct out(&caps, tapi::kLineDevCapsSize20);
    out.Need(ZavVarStruct::WideSize(kProviderInfo, ZavVarStruct::Null::Dropped));
    out.Need(ZavVarStruct::WideSize(name, ZavVarStruct::Null::Dropped));
    out.Need(ZavVarStruct::WideListSize(classes));

    caps.dwProviderInfoSize = caps.dwProviderInfoOffset = 0;
    caps.dwSwitchInfoSize = caps.dwSwitchInfoOffset = 0;
    caps.dwPermanentLineID = dwDeviceID - 0x10000;
    caps.dwLineNameSize = caps.dwLineNameOffset = 0;
    caps.dwStringFormat = STRINGFORMAT_ASCII;
    caps.dwAddressModes = kAddressModes;
    caps.dwNumAddresses = 1;
    caps.dwBearerModes = LINEBEARERMODE_VOICE;
    caps.dwMaxRate = 64000;
    caps.dwMediaModes = ZavLine::s_DefaultMediaModes | (ReadEmulateModem() ? LINEMEDIAMODE_DATAMODEM : 0);
    caps.dwGenerateToneModes = kGenerateToneModes;
    caps.dwGenerateToneMaxNumFreq = 2;
    caps.dwGenerateDigitModes = LINEDIGITMODE_DTMF;
    caps.dwMonitorToneMaxNumFreq = 2;
    caps.dwMonitorToneMaxNumEntries = 1;
    caps.dwMonitorDigitModes = kMonitorDigitModes;
    caps.dwGatherDigitsMinTimeout = kGatherDigitsMinTimeout;
    caps.dwGatherDigitsMaxTimeout = kGatherDigitsMaxTimeout;
    caps.dwMedCtlDigitMaxListSize = caps.dwMedCtlMediaMaxListSize = 0;
    caps.dwMedCtlToneMaxListSize = caps.dwMedCtlCallStateMaxListSize = 0;
    caps.dwDevCapFlags = LINEDEVCAPFLAGS_CLOSEDROP;
    caps.dwMaxNumActiveCalls = hub ? static_cast<DWORD>(hub->MaxNumCalls() - 1) : kNoHubMaxActiveCalls;
    caps.dwAnswerMode = LINEANSWERMODE_DROP;
    caps.dwRingModes = ZavPhone::s_DefaultRingMode;
    caps.dwLineStates = ZavLine::s_DefaultLineStates;
    caps.dwUUIAcceptSize = caps.dwUUIAnswerSize = caps.dwUUIMakeCallSize = 0;
    caps.dwUUIDropSize = caps.dwUUISendUserUserInfoSize = caps.dwUUICallInfoSize = 0;
    caps.MinDialParams = caps.MaxDialParams = caps.DefaultDialParams = ZavLine::s_DefaultDialParams;
    caps.dwNumTerminals = 0;
    caps.dwTerminalCapsSize = caps.dwTerminalCapsOffset = 0;
    caps.dwTerminalTextEntrySize = 0;
    caps.dwTerminalTextSize = caps.dwTerminalTextOffset = 0;
    caps.dwDevSpecificSize = caps.dwDevSpecificOffset = 0;
    caps.dwLineFeatures = kDevCapLineFeatures;
    caps.dwSettableDevStatus = 0;
    caps.dwDeviceClassesSize = caps.dwDeviceClassesOffset = 0;

    // All of the variable part, or none of it.
    if (out.AllFits()) {
        out.AppendWide(kProviderInfo, &caps.dwProviderInfoSize, &caps.dwProviderInfoOffset,
                       ZavVarStruct::Null::Dropped);
        out.AppendWide(name, &caps.dwLineNameSize, &caps.dwLineNameOffset, ZavVarStruct::Null::Dropped);
        out.AppendWideList(classes, &caps.dwDeviceClassesSize, &caps.dwDeviceClassesOffset);
    }
    return 0;
    ZAV_CAPS_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineGetAddressCaps(DWORD dwDeviceID, DWORD dwAddressID, DWORD dwTSPIVersion,
                                                DWORD dwExtVersion, LPLINEADDRESSCAPS lpAddressCaps) {
    ZAV_CAPS_BEGIN
    ZAV_TRACE("---- TSPI_lineGetAddressCaps() is invoked for address 0x%08X on device 0x%08X", dwAddressID,
              dwDeviceID);
    if (!lpAddressCaps) return LINEERR_INVALPOINTER;
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    if (!session->IsValidLineDeviceId(dwDeviceID)) return LINEERR_BADDEVICEID;
    if (!ZavLine::IsValidAddrId(dwAddressID)) return LINEERR_INVALADDRESSID;
    if (!session->IsRightVersion(dwTSPIVersion)) return LINEERR_INCOMPATIBLEAPIVERSION;
    if (dwExtVersion != 0) return LINEERR_INCOMPATIBLEEXTVERSION;
    if (lpAddressCaps->dwTotalSize < tapi::kLineAddressCapsSize20) return LINEERR_STRUCTURETOOSMALL;

    ZavLine* line = ZavLine::m_LineVect.at(session->ToLineId(dwDeviceID));
    ZavAddress* addr = line ? line->GetAddrPointer(dwAddressID) : nullptr;
    const ZavPhone* phone = ZavPhoneOfLine(line);
    const std::string number = addr ? addr->GetAddress() : std::string();

    LINEADDRESSCAPS& caps = *lpAddressCaps;
    ZavVarStruct out(&caps, tapi::kLineAddressCapsSize20);
    caps.dwLineDeviceID = dwDeviceID;
    caps.dwAddressSize = caps.dwAddressOffset = 0;
    caps.dwDevSpecificSize = caps.dwDevSpecificOffset = 0;
    caps.dwAddressSharing = LINEADDRESSSHARING_PRIVATE;
    caps.dwAddressStates = kAddressStates;
    caps.dwCallInfoStates = kCallInfoStates;
    caps.dwCallerIDFlags = caps.dwCalledIDFlags = kPartyIdFlags;
    caps.dwConnectedIDFlags = caps.dwRedirectionIDFlags = caps.dwRedirectingIDFlags = LINECALLPARTYID_UNKNOWN;
    caps.dwCallStates = kCallStates;
    caps.dwDialToneModes = LINEDIALTONEMODE_UNAVAIL;
    caps.dwBusyModes = LINEBUSYMODE_UNAVAIL;
    caps.dwSpecialInfo = 0;
    caps.dwDisconnectModes = kDisconnectModes;
    caps.dwMaxNumActiveCalls = 1;
    caps.dwMaxNumOnHoldCalls = 17;
    caps.dwMaxNumOnHoldPendingCalls = 1;
    caps.dwMaxNumConference = 4;
    caps.dwMaxNumTransConf = 1;
    // Left as TAPI passed it when the address has no telephone to ask.
    if (phone)
        caps.dwAddrCapFlags =
            phone->GetDeviceType() == kRoutePointDeviceType ? LINEADDRCAPFLAGS_ROUTEPOINT : kAddrCapFlags;
    caps.dwCallFeatures = kCallFeatures;
    caps.dwRemoveFromConfCaps = LINEREMOVEFROMCONF_LAST;
    caps.dwRemoveFromConfState = LINECALLSTATE_IDLE;
    caps.dwTransferModes = LINETRANSFERMODE_TRANSFER;
    caps.dwParkModes = LINEPARKMODE_DIRECTED;
    caps.dwForwardModes = kForwardModes;
    caps.dwMaxForwardEntries = 1;
    caps.dwMaxSpecificEntries = 0;
    caps.dwMinFwdNumRings = caps.dwMaxFwdNumRings = kFwdNumRings;
    caps.dwMaxCallCompletions = caps.dwCallCompletionConds = caps.dwCallCompletionModes = 0;
    caps.dwNumCompletionMessages = caps.dwCompletionMsgTextEntrySize = 0;
    caps.dwCompletionMsgTextSize = caps.dwCompletionMsgTextOffset = 0;
    caps.dwAddressFeatures = kCapsAddressFeatures;
    caps.dwPredictiveAutoTransferStates = 0;
    caps.dwNumCallTreatments = caps.dwCallTreatmentListSize = caps.dwCallTreatmentListOffset = 0;
    caps.dwDeviceClassesSize = caps.dwDeviceClassesOffset = 0;
    caps.dwMaxCallDataSize = caps.dwCallFeatures2 = caps.dwMaxNoAnswerTimeout = 0;
    caps.dwConnectedModes = caps.dwOfferingModes = caps.dwAvailableMediaModes = 0;

    if (number.empty()) return 0;
    out.Need(ZavVarStruct::WideSize(number, ZavVarStruct::Null::Dropped));
    if (!out.AppendWide(number, &caps.dwAddressSize, &caps.dwAddressOffset, ZavVarStruct::Null::Dropped))
        ZAV_TRACE("**** ERROR: Not enough buffer to hold Address");
    return 0;
    ZAV_CAPS_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineGetAddressStatus(HDRVLINE hdLine, DWORD dwAddressID,
                                                  LPLINEADDRESSSTATUS lpAddressStatus) {
    ZAV_CAPS_BEGIN
    ZAV_TRACE("---- TSPI_lineGetAddressStatus PARAM: hdLine 0x%08X", Bits(hdLine));
    ZAV_TRACE("---- TSPI_lineGetAddressStatus PARAM: dwAddressID 0x%08X", dwAddressID);
    ZAV_TRACE("---- TSPI_lineGetAddressStatus PARAM: lpAddressStatus 0x%08X", Bits(lpAddressStatus));
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavLine* line = session->ToLinePointer(hdLine);
    if (!line) return LINEERR_INVALLINEHANDLE;
    if (!ZavLine::IsValidAddrId(dwAddressID)) return LINEERR_INVALADDRESSID;
    // TAPI always passes the whole structure; anything less would be
    // written past its end.
    if (!lpAddressStatus) return LINEERR_INVALPOINTER;
    if (lpAddressStatus->dwTotalSize < tapi::kLineAddressStatusSize20) return LINEERR_STRUCTURETOOSMALL;

    ZavAddress* addr = line->GetAddrPointer(dwAddressID);
    ZavCallHub* hub = addr ? addr->GetCallHubPointer() : nullptr;
    DWORD active = 0, idle = 0, onHold = 0, onHoldPending = 0;
    if (hub) hub->NumCallStatistics(&active, &idle, &onHold, &onHoldPending);
    LINEADDRESSSTATUS& status = *lpAddressStatus;
    status.dwNeededSize = status.dwUsedSize = tapi::kLineAddressStatusSize20;
    status.dwNumInUse = 0;
    status.dwNumActiveCalls = active;
    status.dwNumOnHoldCalls = onHold;
    status.dwNumOnHoldPendCalls = onHoldPending;
    status.dwAddressFeatures = kStatusAddressFeatures;
    status.dwNumRingsNoAnswer = addr ? addr->GetNumRingsNoAnswer() : 0;
    status.dwForwardNumEntries = status.dwForwardSize = status.dwForwardOffset = 0;
    status.dwTerminalModesSize = status.dwTerminalModesOffset = 0;
    status.dwDevSpecificSize = status.dwDevSpecificOffset = 0;
    return 0;
    ZAV_CAPS_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineGetLineDevStatus(HDRVLINE hdLine, LPLINEDEVSTATUS lpLineDevStatus) {
    ZAV_CAPS_BEGIN
    ZAV_TRACE("---- TSPI_lineGetLineDevStatus() is invoked");
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavLine* line = session->ToLinePointer(hdLine);
    if (!line) return LINEERR_INVALLINEHANDLE;
    if (!lpLineDevStatus) return LINEERR_INVALPOINTER;
    if (lpLineDevStatus->dwTotalSize < tapi::kLineDevStatusSize20) return LINEERR_STRUCTURETOOSMALL;

    // One address per line, so its statistics are the line's.
    ZavAddress* addr = line->GetAddrPointer(0);
    ZavCallHub* hub = addr ? addr->GetCallHubPointer() : nullptr;
    DWORD active = 0, idle = 0, onHold = 0, onHoldPending = 0;
    if (hub) hub->NumCallStatistics(&active, &idle, &onHold, &onHoldPending);
    LINEDEVSTATUS& status = *lpLineDevStatus;
    status.dwNeededSize = status.dwUsedSize = tapi::kLineDevStatusSize20;
    status.dwNumActiveCalls = active;
    status.dwNumOnHoldCalls = onHold;
    status.dwNumOnHoldPendCalls = onHoldPending;
    status.dwLineFeatures = kStatusLineFeatures;
    status.dwNumCallCompletions = 0;
    status.dwRingMode = ZavPhone::s_DefaultRingMode;
    status.dwSignalLevel = status.dwBatteryLevel = kFullLevel;
    status.dwRoamMode = LINEROAMMODE_HOME;
    status.dwDevStatusFlags = kDevStatusFlags;
    status.dwTerminalModesSize = status.dwTerminalModesOffset = 0;
    status.dwDevSpecificSize = status.dwDevSpecificOffset = 0;
    return 0;
    ZAV_CAPS_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineGetNumAddressIDs(HDRVLINE hdLine, LPDWORD lpdwNumAddressIDs) {
    ZAV_CAPS_BEGIN
    ZAV_TRACE("---- TSPI_lineGetNumAddressIDs() is invoked for line handle 0x%08X", Bits(hdLine));
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    if (!session->ToLinePointer(hdLine)) return LINEERR_INVALLINEHANDLE;
    if (!lpdwNumAddressIDs) return LINEERR_INVALPOINTER;
    *lpdwNumAddressIDs = 1;
    return 0;
    ZAV_CAPS_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineGetAddressID(HDRVLINE hdLine, LPDWORD lpdwAddressID, DWORD dwAddressMode,
                                              LPCWSTR lpsAddress, DWORD /*dwSize*/) {
    ZAV_CAPS_BEGIN
    ZAV_TRACE("---- TSPI_lineGetAddressID() is invoked");
    // TAPI calls this only while the provider is initialised; without a
    // session no line handle is valid.
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavLine* line = session->ToLinePointer(hdLine);
    if (!line) return LINEERR_INVALLINEHANDLE;
    if (dwAddressMode != LINEADDRESSMODE_DIALABLEADDR) return LINEERR_INVALADDRESSMODE;
    if (!lpsAddress || !*lpsAddress) return LINEERR_INVALADDRESS;
    const std::string wanted = plat::WideToAnsi(lpsAddress);
    ZavAddress* addr = line->GetAddrPointer(0);
    if (!addr || addr->GetAddress() != wanted) return LINEERR_INVALADDRESS;
    if (!lpdwAddressID) return LINEERR_INVALPOINTER;
    *lpdwAddressID = 0;
    return 0;
    ZAV_CAPS_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineGetID(HDRVLINE hdLine, DWORD /*dwAddressID*/, HDRVCALL hdCall, DWORD dwSelect,
                                       LPVARSTRING lpDeviceID, LPCWSTR lpszDeviceClass, HANDLE /*hTargetProcess*/) {
    ZAV_CAPS_BEGIN
    ZAV_TRACE("---- TSPI_lineGetID() is invoked for hdLine 0x%08X", Bits(hdLine));
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavLine* line = nullptr;
    if (dwSelect == LINECALLSELECT_CALL) {
        // Only the line is read, and lines outlive their calls.
        ZavCallUse use(hdCall);
        ZavAddress* addr = nullptr;
        ZavCall* call = nullptr;
        if (!session->CallHandleToPointers(hdCall, &line, &addr, &call) || !line) return LINEERR_INVALCALLHANDLE;
    } else {
        line = session->ToLinePointer(hdLine);
        if (!line) return LINEERR_INVALLINEHANDLE;
    }
    if (!lpDeviceID || !lpszDeviceClass) return LINEERR_INVALPOINTER;
    const bool lineClass = IsLineClass(lpszDeviceClass);
    if (!lineClass && !IsWaveClass(lpszDeviceClass)) return LINEERR_NODEVICE;
    if (lpDeviceID->dwTotalSize < tapi::kVarStringSize) return LINEERR_STRUCTURETOOSMALL;
    lpDeviceID->dwNeededSize = kDeviceIdVarSize;
    // Room for the header only: TAPI's rule for a structure of variable
    // size is success with the size it needs, so that the caller retries
    // with a larger one.
    if (lpDeviceID->dwTotalSize < kDeviceIdVarSize) {
        lpDeviceID->dwUsedSize = tapi::kVarStringSize;
        lpDeviceID->dwStringFormat = STRINGFORMAT_BINARY;
        lpDeviceID->dwStringSize = lpDeviceID->dwStringOffset = 0;
        return 0;
    }
    if (lineClass) {
        PutDeviceId(lpDeviceID, session->ToDeviceId(line->GetId()));
        return 0;
    }
    const ZavPhone* phone = ZavPhoneOfLine(line);
    const LONG vdn = phone ? phone->GetVdn() : -1;
    if (vdn < 0 || vdn > kMaxSoundVdn) return LINEERR_NODEVICE;
    const UINT device = FindWaveDevice(vdn);
    // No device carries the extension's name: an index one past the last
    // device would send the caller to a device that does not exist.
    if (device >= plat::GetWaveOutDeviceCount()) return LINEERR_NODEVICE;
    PutDeviceId(lpDeviceID, device);
    return 0;
    ZAV_CAPS_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineGetDevConfig(DWORD dwDeviceID, LPVARSTRING lpDeviceConfig, LPCWSTR lpszDeviceClass) {
    ZAV_CAPS_BEGIN
    ZAV_TRACE("---- TSPI_lineGetDevConfig PARAM: devID %x devConfig %x devClass %x", dwDeviceID,
              Bits(lpDeviceConfig), Bits(lpszDeviceClass));
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    if (!session->IsValidLineDeviceId(dwDeviceID)) {
        ZAV_TRACE("**** ERROR: Invalid DeviceID");
        return LINEERR_NODRIVER;
    }
    if (!lpDeviceConfig || !lpszDeviceClass) return LINEERR_INVALPOINTER;
    if (!IsLineClass(lpszDeviceClass) && !IsWaveClass(lpszDeviceClass)) return LINEERR_INVALDEVICECLASS;
    if (lpDeviceConfig->dwTotalSize < tapi::kVarStringSize) return LINEERR_STRUCTURETOOSMALL;
    // Nothing is configurable: the configuration is empty.
    lpDeviceConfig->dwNeededSize = lpDeviceConfig->dwUsedSize = tapi::kVarStringSize;
    lpDeviceConfig->dwStringFormat = STRINGFORMAT_BINARY;
    lpDeviceConfig->dwStringSize = lpDeviceConfig->dwStringOffset = 0;
    return 0;
    ZAV_CAPS_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineGetIcon(DWORD /*dwDeviceID*/, LPCWSTR /*lpszDeviceClass*/, LPHICON lphIcon) {
    ZAV_CAPS_BEGIN
    HICON icon = plat::LoadStockIcon(kWinLogoIcon);
    if (!icon || !lphIcon) return LINEERR_OPERATIONFAILED;
    *lphIcon = icon;
    return 0;
    ZAV_CAPS_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineGetExtensionID(DWORD /*dwDeviceID*/, DWORD /*dwTSPIVersion*/,
                                                LPLINEEXTENSIONID lpExtensionID) {
    ZAV_CAPS_BEGIN
    // No extensions: the identifier is all zeros.
    if (lpExtensionID) std::memset(lpExtensionID, 0, sizeof *lpExtensionID);
    return 0;
    ZAV_CAPS_END
}
