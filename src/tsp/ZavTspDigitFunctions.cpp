// The TSPI_line* functions that gather, monitor and generate digits and
// tones on a call. They check their arguments and hand the work to the
// call; what comes of it reaches TAPI later as LINE_GATHERDIGITS and
// LINE_MONITORDIGITS, or at once as LINE_GENERATE.
//
// Each holds the extension's message lock (ZavCallUse) from the
// translation of the handle to its last use, so the message thread cannot
// end the call under it.
#include <string>

#include "callctrl/ZavCall.h"
#include "callctrl/ZavCallHub.h"
#include "platform/Text.h"
#include "platform/Thread.h"
#include "provider/ZavExport.h"
#include "provider/ZavFixedResult.h"
#include "provider/ZavSession.h"
#include "provider/ZavTspGlobals.h"
#include "provider/ZavTspGuard.h"
#include "tsp/ZavAddress.h"
#include "tsp/ZavCallUse.h"
#include "tsp/ZavTspCallSupport.h"
#include "tsp/ZavTspLineLock.h"

#define ZAV_DIGIT_BEGIN ZAV_TSPI_BEGIN
#define ZAV_DIGIT_END ZAV_TSPI_END("ZavTspLineFunctions", LINEERR_OPERATIONFAILED)

namespace {

constexpr DWORD kMinDigitTimeout = 100, kMaxDigitTimeout = 0x8000;
// What the switch takes in one dial command, the terminating zero included.
constexpr std::size_t kMaxGenerateBytes = 128;

bool ValidTimeout(DWORD ms) { return ms >= kMinDigitTimeout && ms <= kMaxDigitTimeout; }

// The switch's code for each tone TAPI can ask for; 0 for none.
WORD SwitchTone(DWORD toneMode) {
    switch (toneMode) {
        case LINETONEMODE_RINGBACK: return 11;
        case LINETONEMODE_BUSY: return 9;
        case LINETONEMODE_BEEP: return 16;
        case LINETONEMODE_BILLING: return 34;
        default: return 0;
    }
}

}  // namespace

ZAV_EXPORT LONG TSPIAPI TSPI_lineGatherDigits(HDRVCALL hdCall, DWORD dwEndToEndID, DWORD dwDigitModes,
                                              LPWSTR lpsDigits, DWORD dwNumDigits, LPCWSTR lpszTerminationDigits,
                                              DWORD dwFirstDigitTimeout, DWORD dwInterDigitTimeout) {
    ZAV_DIGIT_BEGIN
    ZAV_TRACE("---- TSPI_lineGatherDigits() is invoked");
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavCallUse use(hdCall);
    ZavCall* call = session->ToCallPointer(hdCall);
    if (!call) return LINEERR_INVALCALLHANDLE;
    if (call->IsIdle()) return LINEERR_INVALCALLSTATE;
    // No buffer: the application cancels its gathering.
    if (!lpsDigits) {
        call->StopGatheringDigits();
        return 0;
    }
    if (!ValidTimeout(dwFirstDigitTimeout) || !ValidTimeout(dwInterDigitTimeout)) return LINEERR_INVALTIMEOUT;
    if (dwDigitModes != LINEDIGITMODE_DTMF) return LINEERR_INVALDIGITMODE;
    if (dwNumDigits == 0) return LINEERR_INVALPARAM;
    return call->GatherDigits(dwEndToEndID, LINEDIGITMODE_DTMF, lpsDigits, dwNumDigits, lpszTerminationDigits,
                              dwFirstDigitTimeout, dwInterDigitTimeout) == 0
               ? 0
               : static_cast<LONG>(LINEERR_OPERATIONFAILED);
    ZAV_DIGIT_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineMonitorDigits(HDRVCALL hdCall, DWORD dwDigitModes) {
    ZAV_DIGIT_BEGIN
    ZAV_TRACE("---- TSPI_lineMonitorDigits() is invoked");
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavCallUse use(hdCall);
    ZavLine* line = nullptr;
    ZavAddress* addr = nullptr;
    ZavCall* call = nullptr;
    if (!session->CallHandleToPointers(hdCall, &line, &addr, &call) || !call) return LINEERR_INVALCALLHANDLE;
    if (dwDigitModes & LINEDIGITMODE_PULSE) return LINEERR_INVALDIGITMODE;
    if (!ZavStillInHub(addr, call)) return LINEERR_INVALCALLHANDLE;
    if (call->IsIdle() || call->IsDisconnected()) return LINEERR_INVALCALLSTATE;
    if (!ZavStillInHub(addr, call)) return LINEERR_INVALCALLHANDLE;
    // Without a leg the call only traces its refusal.
    call->MonitorDigits(dwDigitModes);
    return 0;
    ZAV_DIGIT_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineGenerateDigits(HDRVCALL hdCall, DWORD dwEndToEndID, DWORD dwDigitMode,
                                                LPCWSTR lpszDigits, DWORD /*dwDuration*/) {
    ZAV_DIGIT_BEGIN
    const DWORD started = plat::GetTickCount();
    ZAV_TRACE("---- TSPI_lineGenerateDigits() is invoked");
    ZavLockHolder hold(s_TspLineLock);
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavCallUse use(hdCall);
    ZavCall* call = session->ToCallPointer(hdCall);
    if (!call) return LINEERR_INVALCALLHANDLE;
    const DWORD state = call->GetCallState();
    if (state != LINECALLSTATE_CONNECTED && state != LINECALLSTATE_CONFERENCED) return LINEERR_INVALCALLSTATE;
    // Cancelling a generation is not offered: the switch plays digits at once.
    if (!lpszDigits) return LINEERR_OPERATIONUNAVAIL;
    if (dwDigitMode != LINEDIGITMODE_DTMF) return LINEERR_INVALDIGITMODE;
    // Longer strings are refused rather than cut: a cut string would dial
    // something the application did not ask for.
    const std::string digits = ZavToAnsi(lpszDigits);
    if (digits.size() + 1 > kMaxGenerateBytes) return LINEERR_INVALDIGITS;
    call->SetGenerateDigits(digits.c_str());
    if (call->GenerateDigits() == -1) return LINEERR_OPERATIONFAILED;
    call->NotifyLineGenerate(LINEGENERATETERM_DONE, dwEndToEndID, plat::GetTickCount() - started);
    return 0;
    ZAV_DIGIT_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineGenerateTone(HDRVCALL hdCall, DWORD dwEndToEndID, DWORD dwToneMode,
                                              DWORD dwDuration, DWORD /*dwNumTones*/,
                                              LPLINEGENERATETONE const /*lpTones*/) {
    ZAV_DIGIT_BEGIN
    const DWORD started = plat::GetTickCount();
    ZAV_TRACE("---- TSPI_lineGenerateTone() is invoked");
    ZavLockHolder hold(s_TspLineLock);
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavCallUse use(hdCall);
    ZavCall* call = session->ToCallPointer(hdCall);
    if (!call) return LINEERR_INVALCALLHANDLE;
    // Neither cancelling nor custom tones are offered.
    if (dwToneMode == 0 || dwToneMode == LINETONEMODE_CUSTOM) return LINEERR_OPERATIONUNAVAIL;
    if (call->GetCallState() != LINECALLSTATE_CONNECTED) return LINEERR_INVALCALLSTATE;
    const WORD tone = SwitchTone(dwToneMode);
    if (tone == 0) return LINEERR_INVALTONEMODE;
    if (call->GenerateTone(tone, static_cast<LONG>(dwDuration)) == -1) return LINEERR_OPERATIONFAILED;
    call->NotifyLineGenerate(LINEGENERATETERM_DONE, dwEndToEndID, plat::GetTickCount() - started);
    return 0;
    ZAV_DIGIT_END
}

// The switch reports neither media nor tones.
ZAV_FIXED_RESULT(TSPI_lineMonitorMedia, (HDRVCALL, DWORD), LINEERR_OPERATIONUNAVAIL)
ZAV_FIXED_RESULT(TSPI_lineMonitorTones, (HDRVCALL, DWORD, LPLINEMONITORTONE const, DWORD),
                 LINEERR_OPERATIONUNAVAIL)
