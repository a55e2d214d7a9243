// The TSPI_line* functions that report a call: its information, its status
// and its address. They also answer for a call the switch has ended and
// TAPI has not closed yet.
#include <cstring>
#include <string>

#include "callctrl/ZavCall.h"
#include "callctrl/ZavCallHub.h"
#include "provider/ZavExport.h"
#include "provider/ZavSession.h"
#include "provider/ZavTspGlobals.h"
#include "provider/ZavTspGuard.h"
#include "tapi/TapiSizes.h"
#include "tsp/ZavAddress.h"
#include "tsp/ZavCallUse.h"
#include "tsp/ZavLine.h"
#include "tsp/ZavVarStruct.h"

namespace {

DWORD Bits(const void* h) { return static_cast<DWORD>(reinterpret_cast<uintptr_t>(h)); }

// A call of TAPI's, live or ended but not yet closed, with where it lives.
struct FoundCall {
    ZavLine* line = nullptr;
    ZavAddress* addr = nullptr;
    ZavCall* call = nullptr;
    DWORD id = 0;

    // The hub still holds the call, in either of its slots.
    bool StillHeld() const {
        ZavCallHub* hub = addr ? addr->GetCallHubPointer() : nullptr;
        return hub && (hub->CallIdToCallPtr(id) == call || hub->CallIdToDeleteCallPtr(id) == call);
    }
};

bool Find(ZavSession& session, HDRVCALL hdCall, FoundCall& found) {
    if (!session.CallHandleToPointers(hdCall, &found.line, &found.addr, &found.call))
        found.call = session.ToDeleteCallPointer(hdCall);
    found.id = static_cast<DWORD>(ZavCall::CallHandleToId(hdCall));
    return found.call && found.line && found.addr;
}

// Every LINECALLSTATE_* from IDLE to UNKNOWN but SPECIALINFO.
constexpr DWORD kReportedCallStates = 0x0000FF7F;
constexpr DWORD kNoTrunk = 0xFFFFFFFF;

// One string of the variable part: where it goes and what to trace when it
// does not fit.
struct Part {
    const std::string* text;
    DWORD* size;
    DWORD* offset;
    DWORD* flags;
    DWORD flag;
    const char* missing;
};

}  // namespace

ZAV_EXPORT LONG TSPIAPI TSPI_lineGetCallInfo(HDRVCALL hdCall, LPLINECALLINFO lpCallInfo) {
    ZAV_TSPI_BEGIN
    ZAV_TRACE("---- TSPI_lineGetCallInfo() is invoked");
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavCallUse use(hdCall);
    FoundCall f;
    if (!Find(*session, hdCall, f)) return LINEERR_INVALCALLHANDLE;
    if (!lpCallInfo) return LINEERR_INVALPOINTER;
    if (lpCallInfo->dwTotalSize < tapi::kLineCallInfoSize20) return LINEERR_STRUCTURETOOSMALL;
    if (!f.StillHeld()) return LINEERR_INVALCALLHANDLE;
    LINECALLINFO& info = *lpCallInfo;
    ZavVarStruct out(&info, tapi::kLineCallInfoSize20);
    info.dwLineDeviceID = session->ToDeviceId(f.line->GetId());
    info.dwAddressID = f.addr->GetId();
    info.dwBearerMode = LINEBEARERMODE_VOICE;
    info.dwRate = 3100;
    info.dwOrigin = f.call->GetOrigin();
    info.dwMediaMode = f.call->GetMediaMode();
    if (!f.StillHeld()) return LINEERR_INVALCALLHANDLE;
    info.dwAppSpecific = f.call->GetAppSpecific();
    info.dwCallID = f.call->GetGlobalCallId();
    info.dwRelatedCallID = 0;
    info.dwCallParamFlags = 0;
    info.dwCallStates = kReportedCallStates;
    info.DialParams = ZavLine::s_DefaultDialParams;
    if (!f.StillHeld()) return LINEERR_INVALCALLHANDLE;
    info.dwReason = f.call->GetCallReason();
    info.dwCompletionID = 0;
    const DWORD trunk = f.call->GetTrunkNum();
    info.dwTrunk = trunk ? trunk : kNoTrunk;
    info.dwCallerIDFlags = info.dwCalledIDFlags = info.dwConnectedIDFlags = 0;
    info.dwRedirectionIDFlags = info.dwRedirectingIDFlags = 0;
    info.dwDisplaySize = info.dwDisplayOffset = 0;
    info.dwUserUserInfoSize = info.dwUserUserInfoOffset = 0;
    info.dwHighLevelCompSize = info.dwHighLevelCompOffset = 0;
    info.dwLowLevelCompSize = info.dwLowLevelCompOffset = 0;
    info.dwChargingInfoSize = info.dwChargingInfoOffset = 0;
    info.dwTerminalModesSize = info.dwTerminalModesOffset = 0;
    info.dwDevSpecificSize = info.dwDevSpecificOffset = 0;

    // The strings, read while the call is known to be held.
    if (!f.StillHeld()) return LINEERR_INVALCALLHANDLE;
    const std::string remoteAddr = f.call->GetOtherAddr(), remoteName = f.call->GetOtherName();
    if (!f.StillHeld()) return LINEERR_INVALCALLHANDLE;
    const std::string localAddr = f.addr->GetAddress(), dialed = f.call->GetDialedNum();
    if (!f.StillHeld()) return LINEERR_INVALCALLHANDLE;
    const std::string divertedNum = f.call->GetDivertedNumber(), divertedName = f.call->GetDivertedName();
    const std::string divertingNum = f.call->GetDivertingPartyDialedNumber();
    const std::string divertingName = f.call->GetDivertingPartyDialedName();

    // An outbound call's remote party is the called one.
    const bool outbound = info.dwOrigin == LINECALLORIGIN_OUTBOUND;
    DWORD* remoteSize = outbound ? &info.dwCalledIDSize : &info.dwCallerIDSize;
    DWORD* remoteOffset = outbound ? &info.dwCalledIDOffset : &info.dwCallerIDOffset;
    DWORD* remoteFlags = outbound ? &info.dwCalledIDFlags : &info.dwCallerIDFlags;
    DWORD* remoteNameSize = outbound ? &info.dwCalledIDNameSize : &info.dwCallerIDNameSize;
    DWORD* remoteNameOffset = outbound ? &info.dwCalledIDNameOffset : &info.dwCallerIDNameOffset;
    DWORD* localSize = outbound ? &info.dwCallerIDSize : &info.dwCalledIDSize;
    DWORD* localOffset = outbound ? &info.dwCallerIDOffset : &info.dwCalledIDOffset;
    DWORD* localFlags = outbound ? &info.dwCallerIDFlags : &info.dwCalledIDFlags;
    Part parts[] = {
        {&remoteAddr, remoteSize, remoteOffset, remoteFlags, LINECALLPARTYID_ADDRESS,
         "**** ERROR: Not enough buffer to hold Remote Party Address"},
        {&remoteName, remoteNameSize, remoteNameOffset, remoteFlags, LINECALLPARTYID_NAME,
         "**** ERROR: Not enough buffer to hold Remote Party Name"},
        {&localAddr, localSize, localOffset, localFlags, LINECALLPARTYID_ADDRESS,
         "**** ERROR: Not enough buffer to hold Local Party Address"},
        {divertedNum.empty() ? nullptr : &divertedNum, &info.dwRedirectingIDSize, &info.dwRedirectingIDOffset,
         &info.dwRedirectingIDFlags, LINECALLPARTYID_ADDRESS,
         "**** ERROR: Not enough buffer to hold Redirected Party Address"},
        {divertedNum.empty() ? nullptr : &divertedName, &info.dwRedirectingIDNameSize,
         &info.dwRedirectingIDNameOffset, &info.dwRedirectingIDFlags, LINECALLPARTYID_NAME,
         "*** ERROR: Not enough buffer to hold Redirected Party Name"},
        {divertingNum.empty() ? nullptr : &divertingNum, &info.dwRedirectionIDSize, &info.dwRedirectionIDOffset,
         &info.dwRedirectionIDFlags, LINECALLPARTYID_ADDRESS,
         "**** ERROR: Not enough buffer to hold Redirection Party Address"},
        {divertingNum.empty() ? nullptr : &divertingName, &info.dwRedirectionIDNameSize,
         &info.dwRedirectionIDNameOffset, &info.dwRedirectionIDFlags, LINECALLPARTYID_NAME,
         "*** ERROR: Not enough buffer to hold Redirection Party Name"},
    };
    for (const Part& p : parts)
        if (p.text) out.Need(ZavVarStruct::WideSize(*p.text));
    if (!dialed.empty()) out.Need(static_cast<DWORD>(dialed.size() + 1));
    if (out.TotalSize() == tapi::kLineCallInfoSize20) return 0;

    // The identifiers are only rewritten when there is room for any of them.
    for (DWORD* word : {&info.dwCallerIDSize, &info.dwCallerIDOffset, &info.dwCallerIDNameSize,
                        &info.dwCallerIDNameOffset, &info.dwCalledIDSize, &info.dwCalledIDOffset,
                        &info.dwCalledIDNameSize, &info.dwCalledIDNameOffset, &info.dwConnectedIDSize,
                        &info.dwConnectedIDOffset, &info.dwConnectedIDNameSize, &info.dwConnectedIDNameOffset,
                        &info.dwRedirectionIDSize, &info.dwRedirectionIDOffset, &info.dwRedirectionIDNameSize,
                        &info.dwRedirectionIDNameOffset, &info.dwRedirectingIDSize, &info.dwRedirectingIDOffset,
                        &info.dwRedirectingIDNameSize, &info.dwRedirectingIDNameOffset})
        *word = 0;
    for (const Part& p : parts) {
        if (!p.text) continue;
        if (!out.AppendWide(*p.text, p.size, p.offset)) {
            ZAV_TRACE("%s", p.missing);
            return 0;
        }
        *p.flags |= p.flag;
    }
    if (!dialed.empty() &&
        !out.Append(dialed.c_str(), static_cast<DWORD>(dialed.size() + 1), &info.dwDevSpecificSize,
                    &info.dwDevSpecificOffset)) {
        ZAV_TRACE("*** ERROR: Not enough buffer to hold Dialed number field");
        return 0;
    }
    // The dialled number's size counts its characters, not the zero byte.
    if (!dialed.empty()) info.dwDevSpecificSize = static_cast<DWORD>(dialed.size());
    return 0;
    ZAV_TSPI_END("ZavTspLineFunctions", LINEERR_OPERATIONFAILED)
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineGetCallStatus(HDRVCALL hdCall, LPLINECALLSTATUS lpCallStatus) {
    ZAV_TSPI_BEGIN
    ZAV_TRACE("---- TSPI_lineGetCallStatus() is invoked");
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavCallUse use(hdCall);
    FoundCall f;
    if (!Find(*session, hdCall, f) || !f.StillHeld()) return LINEERR_INVALCALLHANDLE;
    // TAPI always passes at least the fixed part; a smaller block would be
    // written past its end.
    if (!lpCallStatus) return LINEERR_INVALPOINTER;
    if (lpCallStatus->dwTotalSize < tapi::kLineCallStatusSize20) return LINEERR_STRUCTURETOOSMALL;
    lpCallStatus->dwCallState = f.call->GetCallState();
    lpCallStatus->dwCallStateMode = f.call->GetCallStateMode();
    ZAV_TRACE("---- TSPI_lineGetCallStatus Current Call State 0x%08X", lpCallStatus->dwCallState);
    if (!f.StillHeld()) return LINEERR_INVALCALLHANDLE;
    lpCallStatus->dwCallFeatures = f.call->GetCallFeatures();
    lpCallStatus->dwNeededSize = tapi::kLineCallStatusSize20;
    lpCallStatus->dwUsedSize = tapi::kLineCallStatusSize20;
    lpCallStatus->dwDevSpecificSize = 0;
    lpCallStatus->dwDevSpecificOffset = 0;
    return 0;
    ZAV_TSPI_END("ZavTspLineFunctions", LINEERR_OPERATIONFAILED)
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineGetCallAddressID(HDRVCALL hdCall, LPDWORD lpdwAddressID) {
    ZAV_TSPI_BEGIN
    ZAV_TRACE("---- TSPI_lineGetCallAddressID PARAM: hdCall 0x%08X lpdwAddressID 0x%08X", Bits(hdCall),
              Bits(lpdwAddressID));
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavCallUse use(hdCall);
    ZavLine* line = nullptr;
    ZavAddress* addr = nullptr;
    ZavCall* call = nullptr;
    if (!session->CallHandleToPointers(hdCall, &line, &addr, &call) || !addr) return LINEERR_INVALCALLHANDLE;
    // Not among TAPI's own checks, but a null pointer must not crash the
    // service.
    if (!lpdwAddressID) return LINEERR_INVALPOINTER;
    *lpdwAddressID = addr->GetId();
    return 0;
    ZAV_TSPI_END("ZavTspLineFunctions", LINEERR_OPERATIONFAILED)
}
