// The TSPI_line* functions that open and close lines, negotiate versions,
// set status messages and media modes, and carry device-specific requests.
#include <cstring>

#include "callctrl/ZavCall.h"
#include "callctrl/ZavCallHub.h"
#include "config/ZavRegistry.h"
#include "provider/ZavExport.h"
#include "provider/ZavFixedResult.h"
#include "provider/ZavSession.h"
#include "provider/ZavTspGlobals.h"
#include "provider/ZavTspGuard.h"
#include "switchlink/ZavPhone.h"
#include "tsp/ZavAddress.h"
#include "tsp/ZavCallUse.h"
#include "tsp/ZavLine.h"
#include "tsp/ZavTspCallSupport.h"
#include "tsp/ZavTspLineLock.h"

#define ZAV_LINE_BEGIN ZAV_TSPI_BEGIN
#define ZAV_LINE_END ZAV_TSPI_END("ZavTspLineFunctions", LINEERR_OPERATIONFAILED)

ZavLock s_TspLineLock;

namespace {

DWORD Bits(const void* h) { return static_cast<DWORD>(reinterpret_cast<uintptr_t>(h)); }

// dwLow <= version <= dwHigh, major word first, then minor.
bool InRange(DWORD version, DWORD low, DWORD high) { return low <= version && version <= high; }

// The parameter block of TSPI_lineDevSpecific: little-endian 32-bit words.
constexpr DWORD kDevSpecificTypeOffset = 4;
constexpr DWORD kDevSpecificDataOffset = 8;
constexpr DWORD kDisplayTextLength = 12;
enum DevSpecificTypeE : DWORD { eDevSpecificDisplay = 1, eDevSpecificSerialNumber = 2, eDevSpecificSecondaryCli = 4 };

DWORD ReadWord(const void* block, DWORD offset) {
    DWORD v;
    std::memcpy(&v, static_cast<const BYTE*>(block) + offset, sizeof v);
    return v;
}

void WriteWord(void* block, DWORD offset, DWORD v) { std::memcpy(static_cast<BYTE*>(block) + offset, &v, sizeof v); }

}  // namespace

ZAV_EXPORT LONG TSPIAPI TSPI_lineOpen(DWORD dwDeviceID, HTAPILINE htLine, LPHDRVLINE lphdLine, DWORD dwTSPIVersion,
                                      LINEEVENT lpfnEventProc) {
    ZAV_LINE_BEGIN
    ZAV_TRACE("---- TSPI_lineOpen ### device %d htLine 0x%08X", static_cast<int>(dwDeviceID), Bits(htLine));
    ZavSession* session = gpTS.load();
    if (!session) {
        ZAV_TRACE("**** ERROR: TSP not initialized");
        return LINEERR_UNINITIALIZED;
    }
    if (!session->IsValidLineDeviceId(dwDeviceID)) {
        ZAV_TRACE("**** ERROR: invalid device id");
        return LINEERR_NODRIVER;
    }
    if (!session->IsRightVersion(dwTSPIVersion)) {
        ZAV_TRACE("**** ERROR: invalid TSP version");
        return LINEERR_INCOMPATIBLEAPIVERSION;
    }
    ZavLine* line = ZavLine::m_LineVect.at(session->ToLineId(dwDeviceID));
    if (line && line->IsActive()) {
        ZAV_TRACE("**** ERROR: line already initialized");
        return LINEERR_REINIT;
    }
    // Not among TAPI's own checks, but a null out-pointer must not crash
    // the service; refused before anything changes.
    if (!lphdLine) return LINEERR_INVALPOINTER;
    ZavPhone* phone = ZavPhoneOfLine(line);
    if (!line || !phone) return LINEERR_NODRIVER;

    line->Activate(htLine, lpfnEventProc);
    phone->ActivateLineDevice();
    if (phone->Init() != 0) {
        ZAV_TRACE("**** ERROR: Server is down or Registration is rejected by server!!!");
        return LINEERR_OPERATIONFAILED;
    }
    line->GetAddrPointer(0)->GetCallHubPointer()->CheckCallVectSize();
    *lphdLine = line->ToLineHandle();
    return 0;
    ZAV_LINE_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineClose(HDRVLINE hdLine) {
    ZAV_LINE_BEGIN
    ZAV_TRACE("---- TSPI_lineClose() is invoked");
    ZavSession* session = gpTS.load();
    if (!session) {
        ZAV_TRACE("---- TSPI_lineClose(), TSP is not initialized");
        return LINEERR_UNINITIALIZED;
    }
    ZavLine* line = session->ToLinePointer(hdLine);
    if (!line || !line->IsActive()) {
        ZAV_TRACE("---- TSPI_lineClose(), invalid line handle");
        return LINEERR_INVALLINEHANDLE;
    }
    ZAV_TRACE("---- TSPI_lineClose() ### device %d", static_cast<int>(session->ToDeviceId(line->GetId())));
    ZavAddress* addr = line->GetAddrPointer(0);
    if (!addr) return LINEERR_INVALLINEHANDLE;
    ZavCallHub* hub = addr->GetCallHubPointer();
    ZavPhone* phone = hub ? hub->GetPhonePointer() : nullptr;
    // The calls are read and closed under the message lock; the link goes
    // down after it is released, since that waits for the message thread.
    // Ended calls TAPI has not closed yet count too: a request still
    // pending on one must be completed before the line goes.
    // A call TAPI never had a handle for cannot be closed through one; it
    // goes with the line all the same.
    auto close = [](ZavCall* call) {
        if (!call) return;
        if (call->GetHTapiCall()) {
            TSPI_lineCloseCall(call->ToCallHandle());
            return;
        }
        call->CleanUpCompIds();
        delete call;
    };
    auto closeCalls = [&] {
        if (phone) phone->Lock();
        for (DWORD i = 0; i < addr->GetMaxNumCalls(); ++i) {
            close(addr->GetCallPointer(i));
            close(hub ? hub->CallIdToDeleteCallPtr(i) : nullptr);
        }
        if (phone) phone->Unlock();
    };
    closeCalls();
    if (!phone) return LINEERR_INVALLINEHANDLE;
    line->Deactivate();
    phone->DeactivateLineDevice();
    // The message thread may have made calls between the first pass and the
    // line's deactivation; TAPI forgets every call of a line it closes, and
    // nobody else would ever close those.
    closeCalls();
    return 0;
    ZAV_LINE_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineNegotiateTSPIVersion(DWORD dwDeviceID, DWORD dwLowVersion, DWORD dwHighVersion,
                                                      LPDWORD lpdwTSPIVersion) {
    ZAV_LINE_BEGIN
    ZAV_TRACE("---- TSPI_lineNegotiateTSPIVersion() is invoked");
    if (dwDeviceID != INITIALIZE_NEGOTIATION) {
        // Devices exist only while the provider is initialised.
        ZavSession* session = gpTS.load();
        if (!session) return LINEERR_UNINITIALIZED;
        if (!session->IsValidLineDeviceId(dwDeviceID)) return LINEERR_BADDEVICEID;
    } else {
        ZAV_TRACE("---- TSPI_lineNegotiateTSPIVersion ZAVTSP Current Version %d.%d", 2, 1);
    }
    if (!lpdwTSPIVersion) return LINEERR_INVALPOINTER;
    *lpdwTSPIVersion = tapi::kTspiVersion;
    return InRange(tapi::kTspiVersion, dwLowVersion, dwHighVersion) ? 0 : LINEERR_INCOMPATIBLEAPIVERSION;
    ZAV_LINE_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineNegotiateExtVersion(DWORD /*dwDeviceID*/, DWORD /*dwTSPIVersion*/,
                                                     DWORD dwLowVersion, DWORD dwHighVersion,
                                                     LPDWORD lpdwExtVersion) {
    ZAV_LINE_BEGIN
    ZAV_TRACE("---- TSPI_lineNegotiateExtVersion() is invoked");
    if (!lpdwExtVersion) return LINEERR_INVALPOINTER;
    *lpdwExtVersion = tapi::kExtVersion;
    return InRange(tapi::kExtVersion, dwLowVersion, dwHighVersion) ? 0 : LINEERR_INCOMPATIBLEAPIVERSION;
    ZAV_LINE_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineSetStatusMessages(HDRVLINE hdLine, DWORD dwLineStates, DWORD dwAddressStates) {
    ZAV_LINE_BEGIN
    ZAV_TRACE("---- TSPI_lineSetStatusMessages PARAM: hdLine 0x%08X", Bits(hdLine));
    ZAV_TRACE("---- TSPI_lineSetStatusMessages PARAM: dwLineStates 0x%08X", dwLineStates);
    ZAV_TRACE("---- TSPI_lineSetStatusMessages PARAM: dwAddressStates 0x%08X", dwAddressStates);
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavLine* line = session->ToLinePointer(hdLine);
    if (!line) return LINEERR_INVALLINEHANDLE;
    // A zero mask means "no change", so messages once enabled stay enabled.
    if (dwLineStates) line->SetLineStates(dwLineStates);
    if (dwAddressStates) line->SetAddressStates(dwAddressStates);
    return 0;
    ZAV_LINE_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineSetDefaultMediaDetection(HDRVLINE hdLine, DWORD dwMediaModes) {
    ZAV_LINE_BEGIN
    ZAV_TRACE("---- TSPI_lineSetDefaultMediaDetection PARAM: hdLine 0x%08X dwMediaModes 0x%08X", Bits(hdLine),
              dwMediaModes);
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavLine* line = session->ToLinePointer(hdLine);
    if (!line) return LINEERR_INVALLINEHANDLE;
    if ((dwMediaModes & ~ZavLine::s_DefaultMediaModes) &&
        !(ReadEmulateModem() != 0 && dwMediaModes == LINEMEDIAMODE_DATAMODEM))
        return LINEERR_INVALMEDIAMODE;
    line->SetMediaModes(dwMediaModes);
    return 0;
    ZAV_LINE_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineConditionalMediaDetection(HDRVLINE hdLine, DWORD dwMediaModes,
                                                           LPLINECALLPARAMS const /*lpCallParams*/) {
    ZAV_LINE_BEGIN
    ZAV_TRACE("---- TSPI_lineConditionalMediaDetection() PARAM: dwMediaModes 0x%08X", dwMediaModes);
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    if (!session->ToLinePointer(hdLine)) return LINEERR_INVALLINEHANDLE;
    if (dwMediaModes == 0) return LINEERR_INVALMEDIAMODE;
    if (dwMediaModes & ~ZavLine::s_DefaultMediaModes) return LINEERR_OPERATIONUNAVAIL;
    return 0;
    ZAV_LINE_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineSetMediaMode(HDRVCALL hdCall, DWORD dwMediaMode) {
    ZAV_LINE_BEGIN
    ZAV_TRACE("---- TSPI_lineSetMediaMode() is invoked");
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavLine* line = nullptr;
    ZavAddress* addr = nullptr;
    ZavCall* call = nullptr;
    ZavCallUse use(hdCall);
    if (!session->CallHandleToPointers(hdCall, &line, &addr, &call)) return LINEERR_INVALCALLHANDLE;
    // The message thread may have deleted the call since; ask its hub again.
    ZavCallHub* hub = addr->GetCallHubPointer();
    if (!hub || hub->CallIdToCallPtr(call->GetId()) != call) return LINEERR_INVALCALLHANDLE;
    call->SetMediaMode(dwMediaMode);
    return 0;
    ZAV_LINE_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineSetLineDevStatus(DRV_REQUESTID /*dwRequestID*/, HDRVLINE hdLine,
                                                  DWORD dwStatusToChange, DWORD fStatus) {
    ZAV_LINE_BEGIN
    ZAV_TRACE("---- TSPI_lineSetLineDevStatus() is invoked");
    ZavLockHolder hold(s_TspLineLock);
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavLine* line = session->ToLinePointer(hdLine);
    if (!line) return LINEERR_INVALLINEHANDLE;
    if (dwStatusToChange != LINEDEVSTATUSFLAGS_MSGWAIT) return LINEERR_OPERATIONFAILED;
    ZavPhone* phone = ZavPhoneOfLine(line);
    if (!phone || phone->SetMWIState(fStatus ? 1 : 0) != 0) return LINEERR_OPERATIONFAILED;
    return 0;
    ZAV_LINE_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineDevSpecific(DRV_REQUESTID /*dwRequestID*/, HDRVLINE hdLine, DWORD dwAddressID,
                                             HDRVCALL hdCall, LPVOID lpParams, DWORD dwSize) {
    ZAV_LINE_BEGIN
    ZAV_TRACE("---- TSPI_lineDevSpecific() is invoked");
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavLine* line = session->ToLinePointer(hdLine);
    if (!line) return LINEERR_INVALLINEHANDLE;
    if (!ZavLine::IsValidAddrId(dwAddressID)) return LINEERR_INVALADDRESSID;
    if (!lpParams) return LINEERR_INVALPOINTER;
    ZavAddress* addr = line->GetAddrPointer(0);
    ZavCallHub* hub = addr ? addr->GetCallHubPointer() : nullptr;
    if (!hub) return LINEERR_NOMEM;
    // The block is TAPI's copy of the application's, dwSize bytes long:
    // nothing is read or written past it.
    if (dwSize < kDevSpecificDataOffset) return LINEERR_STRUCTURETOOSMALL;
    DWORD type = ReadWord(lpParams, kDevSpecificTypeOffset);
    ZAV_TRACE("---- TSPI_lineDevSpecific(), dwMsgType %d", static_cast<int>(type));
    switch (type) {
        case eDevSpecificDisplay: {
            if (dwSize < kDevSpecificDataOffset + kDisplayTextLength) return LINEERR_STRUCTURETOOSMALL;
            ZavLockHolder hold(s_TspLineLock);
            char text[kDisplayTextLength + 1];
            std::memcpy(text, static_cast<const BYTE*>(lpParams) + kDevSpecificDataOffset, kDisplayTextLength);
            text[kDisplayTextLength] = '\0';
            if (ZavPhone* phone = hub->GetPhonePointer()) phone->SetLCDDisplay(text);
            return 0;
        }
        case eDevSpecificSerialNumber: {
            if (dwSize < kDevSpecificDataOffset + 4) return LINEERR_STRUCTURETOOSMALL;
            ZavPhone* phone = hub->GetPhonePointer();
            WriteWord(lpParams, kDevSpecificDataOffset, phone ? static_cast<DWORD>(phone->GetSerialNumber()) : 0);
            return 0;
        }
        case eDevSpecificSecondaryCli: {
            ZavCallUse use(hdCall);
            ZavCall* call = session->ToCallPointer(hdCall);
            if (!call) return LINEERR_INVALCALLHANDLE;
            if (dwSize < kDevSpecificDataOffset + 4) return LINEERR_STRUCTURETOOSMALL;
            WriteWord(lpParams, kDevSpecificDataOffset, 0);
            if (hub->CallIdToCallPtr(call->GetId()) == call)
                WriteWord(lpParams, kDevSpecificDataOffset, static_cast<DWORD>(call->GetSecondaryCallerIDNum()));
            return 0;
        }
        default:
            return 0;
    }
    ZAV_LINE_END
}

// Accepted by TAPI's interface, not by this switch.
ZAV_FIXED_RESULT(TSPI_lineSelectExtVersion, (HDRVLINE, DWORD), LINEERR_OPERATIONUNAVAIL)
ZAV_FIXED_RESULT(TSPI_lineDevSpecificFeature, (DRV_REQUESTID, HDRVLINE, DWORD, LPVOID, DWORD),
                 LINEERR_OPERATIONUNAVAIL)
ZAV_FIXED_RESULT(TSPI_lineSecureCall, (DRV_REQUESTID, HDRVCALL), LINEERR_OPERATIONUNAVAIL)
ZAV_FIXED_RESULT(TSPI_lineSendUserUserInfo, (DRV_REQUESTID, HDRVCALL, LPCSTR, DWORD), LINEERR_OPERATIONUNAVAIL)
ZAV_FIXED_RESULT(TSPI_lineReleaseUserUserInfo, (DRV_REQUESTID, HDRVCALL), LINEERR_OPERATIONUNAVAIL)
ZAV_FIXED_RESULT(TSPI_lineSetCallData, (DRV_REQUESTID, HDRVCALL, LPVOID, DWORD), LINEERR_OPERATIONUNAVAIL)
ZAV_FIXED_RESULT(TSPI_lineSetCallParams, (DRV_REQUESTID, HDRVCALL, DWORD, DWORD, DWORD, LPLINEDIALPARAMS const),
                 LINEERR_OPERATIONUNAVAIL)
ZAV_FIXED_RESULT(TSPI_lineSetCallQualityOfService, (DRV_REQUESTID, HDRVCALL, LPVOID, DWORD, LPVOID, DWORD),
                 LINEERR_OPERATIONUNAVAIL)
ZAV_FIXED_RESULT(TSPI_lineSetCallTreatment, (DRV_REQUESTID, HDRVCALL, DWORD), LINEERR_OPERATIONUNAVAIL)
ZAV_FIXED_RESULT(TSPI_lineSetMediaControl,
                 (HDRVLINE, DWORD, HDRVCALL, DWORD, LPLINEMEDIACONTROLDIGIT const, DWORD,
                  LPLINEMEDIACONTROLMEDIA const, DWORD, LPLINEMEDIACONTROLTONE const, DWORD,
                  LPLINEMEDIACONTROLCALLSTATE const, DWORD),
                 LINEERR_OPERATIONUNAVAIL)
ZAV_FIXED_RESULT(TSPI_lineSetTerminal, (DRV_REQUESTID, HDRVLINE, DWORD, HDRVCALL, DWORD, DWORD, DWORD, DWORD),
                 LINEERR_OPERATIONUNAVAIL)
ZAV_FIXED_RESULT(TSPI_lineSetCurrentLocation, (DWORD), 0)
ZAV_FIXED_RESULT(TSPI_lineSetDevConfig, (DWORD, LPVOID const, DWORD, LPCWSTR), 0)
