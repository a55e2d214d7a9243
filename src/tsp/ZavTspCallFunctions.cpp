// The TSPI_line* functions that work on calls: make, dial, answer, accept,
// drop, close, hold, unhold, swap and the application's value.
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "callctrl/ZavCall.h"
#include "callctrl/ZavCallHub.h"
#include "callctrl/ZavOutCallAuto.h"
#include "callctrl/ZavTspCallIncoming.h"
#include "platform/Text.h"
#include "switchlink/ZavPhone.h"
#include "tapi/TapiSizes.h"
#include "tsp/ZavAddress.h"
#include "tsp/ZavLine.h"
#include "tsp/ZavTspLineLock.h"
#include "provider/ZavExport.h"
#include "provider/ZavSession.h"
#include "provider/ZavTspGlobals.h"
#include "provider/ZavTspGuard.h"
#include "tsp/ZavCallUse.h"
#include "tsp/ZavTspCallSupport.h"

namespace {

// Closing a call whose transfer is still being set up fails the set-up, and
// TAPI forgets the consultation call with it: nobody would ever close that
// one. Its leg, if the switch opens one yet, is hung up when the reply
// finds no call for it.
void EndConsultationOf(ZavCall& held) {
    const DWORD setup = held.GetRequestId(eReqSetupTransfer);
    ZavCallHub* hub = held.GetCallHubPointer();
    if (!setup || !hub) return;
    // Both calls note the set-up; the held call must not be the one found.
    held.SetRequestId(eReqSetupTransfer, 0);
    ZavCall* consult = hub->TransferCompletionIdToCallPtr(setup, false);
    held.SetRequestId(eReqSetupTransfer, setup);
    // Closing the consultation call itself finds the held call: that one stays.
    if (!consult || consult == &held || consult->GetPrimaryRefCallPointer() != &held) return;
    consult->CleanUpCompIds();
    delete consult;
}

}  // namespace

ZAV_EXPORT LONG TSPIAPI TSPI_lineCloseCall(HDRVCALL hdCall) {
    ZAV_TSPI_BEGIN
    ZAV_TRACE("---- TSPI_lineCloseCall PARAM: hdCall 0x%08X",
              static_cast<DWORD>(reinterpret_cast<uintptr_t>(hdCall)));
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavCallUse use(hdCall);
    ZavCall* call = session->ToDeleteCallPointer(hdCall);
    if (!call) return LINEERR_INVALCALLHANDLE;
    // No request of a closed call may stay open at TAPI. A completed
    // transfer's identifier is the exception: TSPI_lineCompleteTransfer
    // returned its result at once, TAPI has finished that request and may
    // have given the identifier to another one, which failing it here
    // would fail.
    call->SetRequestId(eReqCompleteTransfer, 0);
    EndConsultationOf(*call);
    call->CleanUpCompIds();
    call->SetHTapiCall(nullptr);
    delete call;
    return 0;
    ZAV_TSPI_END("ZavTspLineFunctions", LINEERR_OPERATIONFAILED)
}

namespace {

DWORD Bits(const void* h) { return static_cast<DWORD>(reinterpret_cast<uintptr_t>(h)); }

// A hold or unhold still waits for the switch's answer: a second one would
// take its place in the call's request table, and the first would never be
// completed. So does a swap made from the call (it waits on the held call,
// and the call can vouch for one such request only).
bool HoldPending(const ZavCall& call) {
    return call.GetRequestId(eReqHold) != 0 || call.GetRequestId(eReqUnhold) != 0 || call.GetLentRequest() != 0;
}

const LONG kInvalCallHandle = static_cast<LONG>(LINEERR_INVALCALLHANDLE);
const LONG kInvalCallState = static_cast<LONG>(LINEERR_INVALCALLSTATE);

}  // namespace

ZAV_EXPORT LONG TSPIAPI TSPI_lineMakeCall(DRV_REQUESTID dwRequestID, HDRVLINE hdLine, HTAPICALL htCall,
                                          LPHDRVCALL lphdCall, LPCWSTR lpszDestAddress, DWORD dwCountryCode,
                                          LPLINECALLPARAMS const lpCallParams) {
    ZAV_TSPI_BEGIN
    ZAV_TRACE("---- TSPI_lineMakeCall() is invoked");
    ZavLockHolder hold(s_TspLineLock);
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    if (lpszDestAddress && ZavWideLength(lpszDestAddress) == 0) return LINEERR_INVALADDRESS;
    ZavLine* line = session->ToLinePointer(hdLine);
    if (!line) return LINEERR_INVALLINEHANDLE;
    if (!lphdCall) return LINEERR_INVALPOINTER;
    ZavAddress* addr = line->GetAddrPointer(0);
    ZavCallHub* hub = addr ? addr->GetCallHubPointer() : nullptr;
    ZavPhone* phone = hub ? hub->GetPhonePointer() : nullptr;
    if (!phone) return LINEERR_INVALLINEHANDLE;
    // A call that fails below is destroyed again, so it is made under the
    // extension's lock.
    ZavCallUse use(phone);
    std::unique_ptr<ZavOutCall> call;
    if (lpszDestAddress) {
        std::string dest = plat::WideToAnsi(lpszDestAddress, static_cast<int>(ZavWideLength(lpszDestAddress)));
        call.reset(new (std::nothrow) ZavOutCallAuto(htCall, dest.c_str()));
    } else {
        call.reset(new (std::nothrow) ZavOutCall(htCall));
    }
    if (!call) return LINEERR_NOMEM;
    if (dwCountryCode != 0) call->SetCountryCode(dwCountryCode);
    if (phone->GetDeviceType() == ZavPhone::s_RoutePointDeviceType) return LINEERR_OPERATIONUNAVAIL;
    if (hub->SaveCall(call.get()) < 0) {
        ZAV_TRACE("**** ERROR: Failed at theCHub->SaveCall()!");
        return LINEERR_RESOURCEUNAVAIL;
    }
    ZavApplyCallParams(*call, lpCallParams, *addr);
    *lphdCall = call->ToCallHandle();
    call->SetRequestId(eReqMakeCall, static_cast<DWORD>(dwRequestID));
    if (call->MakeCall() != 0) {
        ZAV_TRACE("**** ERROR: Failed at theCall->MakeCall()!");
        return LINEERR_RESOURCEUNAVAIL;
    }
    ZavOutCall* made = call.release();
    session->SendCompletionStatus(static_cast<DWORD>(dwRequestID), 0);
    made->SetRequestId(eReqMakeCall, 0);
    return ZavAccepted(dwRequestID);
    ZAV_TSPI_END("ZavTspLineFunctions", LINEERR_OPERATIONFAILED)
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineDial(DRV_REQUESTID /*dwRequestID*/, HDRVCALL hdCall, LPCWSTR lpszDestAddress,
                                      DWORD /*dwCountryCode*/) {
    ZAV_TSPI_BEGIN
    ZAV_TRACE("---- TSPI_lineDial() is invoked");
    ZavLockHolder hold(s_TspLineLock);
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavCallUse use(hdCall);
    ZavLine* line = nullptr;
    ZavAddress* addr = nullptr;
    ZavCall* call = nullptr;
    if (!session->CallHandleToPointers(hdCall, &line, &addr, &call) || !ZavStillInHub(addr, call))
        return LINEERR_INVALCALLHANDLE;
    if (call->IsIdle() || call->IsDisconnected()) return LINEERR_INVALCALLSTATE;
    if (!lpszDestAddress) return LINEERR_INVALADDRESS;
    std::string digits = plat::WideToAnsi(lpszDestAddress, static_cast<int>(ZavWideLength(lpszDestAddress)));
    if (!ZavStillInHub(addr, call)) return LINEERR_INVALCALLHANDLE;
    long dialled;
    if (auto* out = dynamic_cast<ZavOutCall*>(call)) {
        out->SetOutdialNumber(digits.c_str());
        dialled = out->Dial();
    } else {
        // Digits into an answered call, for a voice menu at the far end.
        dialled = call->DialOnLeg(digits.c_str());
    }
    return dialled == -1 ? kInvalCallState : 0;
    ZAV_TSPI_END("ZavTspLineFunctions", LINEERR_OPERATIONFAILED)
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineAnswer(DRV_REQUESTID /*dwRequestID*/, HDRVCALL hdCall, LPCSTR /*lpsUserUserInfo*/,
                                        DWORD /*dwSize*/) {
    ZAV_TSPI_BEGIN
    ZAV_TRACE("---- TSPI_lineAnswer() is invoked");
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavCallUse use(hdCall);
    ZavLine* line = nullptr;
    ZavAddress* addr = nullptr;
    ZavCall* call = nullptr;
    if (!session->CallHandleToPointers(hdCall, &line, &addr, &call) || !call) return LINEERR_INVALCALLHANDLE;
    ZavCallHub* hub = addr->GetCallHubPointer();
    if (!hub) return LINEERR_INVALCALLHANDLE;
    if (!hub->CallIdToCallPtr(static_cast<DWORD>(ZavCall::CallHandleToId(hdCall)))) return LINEERR_OPERATIONUNAVAIL;
    if (!call->GetHTapiCall()) return LINEERR_INVALCALLHANDLE;
    // Offering or accepted: only incoming calls are either.
    const DWORD state = call->GetCallState();
    if (state != LINECALLSTATE_OFFERING && state != LINECALLSTATE_ACCEPTED) return LINEERR_INVALCALLSTATE;
    auto* in = dynamic_cast<ZavInCall*>(call);
    if (!in || !ZavStillInHub(addr, call) || !call->GetHTapiCall()) return LINEERR_INVALCALLHANDLE;
    const LONG sal = static_cast<LONG>(call->GetSAL());
    if (!ZavStillInHub(addr, call) || !call->GetHTapiCall()) return LINEERR_INVALCALLHANDLE;
    return in->Answer(call->ToCallHandle(), sal) == -1 ? static_cast<LONG>(LINEERR_OPERATIONFAILED) : 0;
    ZAV_TSPI_END("ZavTspLineFunctions", LINEERR_OPERATIONFAILED)
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineAccept(DRV_REQUESTID dwRequestID, HDRVCALL hdCall, LPCSTR /*lpsUserUserInfo*/,
                                        DWORD /*dwSize*/) {
    ZAV_TSPI_BEGIN
    ZAV_TRACE("---- TSPI_lineAccept() is invoked");
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavCallUse use(hdCall);
    ZavCall* call = session->ToCallPointer(hdCall);
    if (!call) return LINEERR_INVALCALLHANDLE;
    auto* in = dynamic_cast<ZavInCall*>(call);
    if (!in || !call->IsOffering()) return LINEERR_INVALCALLSTATE;
    in->Accept();
    session->SendCompletionStatus(static_cast<DWORD>(dwRequestID), 0);
    return ZavAccepted(dwRequestID);
    ZAV_TSPI_END("ZavTspLineFunctions", LINEERR_OPERATIONFAILED)
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineDrop(DRV_REQUESTID /*dwRequestID*/, HDRVCALL hdCall, LPCSTR /*lpsUserUserInfo*/,
                                      DWORD /*dwSize*/) {
    ZAV_TSPI_BEGIN
    ZAV_TRACE("---- TSPI_lineDrop() is invoked");
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    // The line lock before the extension's, as everywhere: so taken before
    // the translation, which needs the extension's lock.
    ZavLockHolder hold(s_TspLineLock);
    ZavCallUse use(hdCall);
    ZavLine* line = nullptr;
    ZavAddress* addr = nullptr;
    ZavCall* call = nullptr;
    if (!session->CallHandleToPointers(hdCall, &line, &addr, &call)) return LINEERR_INVALCALLHANDLE;
    if (!call) return LINEERR_INVALCALLHANDLE;
    ZAV_TRACE("---- TSPI_lineDrop ### %d callPtr 0x%08X", static_cast<int>(session->ToDeviceId(line->GetId())),
              Bits(call));
    if (!ZavStillInHub(addr, call)) return LINEERR_INVALCALLHANDLE;
    return call->Drop() == 0 ? 0 : kInvalCallState;
    ZAV_TSPI_END("ZavTspLineFunctions", LINEERR_OPERATIONFAILED)
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineHold(DRV_REQUESTID dwRequestID, HDRVCALL hdCall) {
    ZAV_TSPI_BEGIN
    ZAV_TRACE("---- TSPI_lineHold() is invoked");
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavCallUse use(hdCall);
    ZavCall* call = session->ToCallPointer(hdCall);
    if (!call) return LINEERR_INVALCALLHANDLE;
    if (call->IsIdle() || call->IsHeld() || call->IsHeldPend() || HoldPending(*call)) return LINEERR_INVALCALLSTATE;
    call->SetRequestId(eReqHold, static_cast<DWORD>(dwRequestID));
    call->Hold();
    return ZavAccepted(dwRequestID);
    ZAV_TSPI_END("ZavTspLineFunctions", LINEERR_OPERATIONFAILED)
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineUnhold(DRV_REQUESTID dwRequestID, HDRVCALL hdCall) {
    ZAV_TSPI_BEGIN
    ZAV_TRACE("---- TSPI_lineUnhold() is invoked");
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavCallUse use(hdCall);
    ZavCall* call = session->ToCallPointer(hdCall);
    if (!call) return LINEERR_INVALCALLHANDLE;
    if ((!call->IsHeld() && !call->IsHeldPend()) || HoldPending(*call)) return LINEERR_INVALCALLSTATE;
    call->SetRequestId(eReqUnhold, static_cast<DWORD>(dwRequestID));
    call->Unhold();
    return ZavAccepted(dwRequestID);
    ZAV_TSPI_END("ZavTspLineFunctions", LINEERR_OPERATIONFAILED)
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineSwapHold(DRV_REQUESTID dwRequestID, HDRVCALL hdActiveCall, HDRVCALL hdHeldCall) {
    ZAV_TSPI_BEGIN
    ZAV_TRACE("---- TSPI_lineSwapHold() is invoked");
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    // TAPI swaps calls of one address, and the held call carries the
    // request: calls of two lines would leave it on a line TAPI did not
    // make it on, and would need two extensions' locks.
    ZavCallUse use(hdActiveCall);
    ZavCall* active = session->ToCallPointer(hdActiveCall);
    ZavCall* held = ZavSameExtension(hdActiveCall, hdHeldCall) ? session->ToCallPointer(hdHeldCall) : nullptr;
    if (!active || !held) return LINEERR_INVALCALLHANDLE;
    if (active->IsIdle() || active->IsHeld() || active->IsHeldPend()) return LINEERR_INVALCALLSTATE;
    if (!held->IsHeld() && !held->IsHeldPend()) return LINEERR_INVALCALLSTATE;
    if (HoldPending(*active) || HoldPending(*held)) return LINEERR_INVALCALLSTATE;
    // The held call's unhold reply completes the swap.
    active->SetRequestId(eReqHold, 0);
    held->SetRequestId(eReqUnhold, static_cast<DWORD>(dwRequestID));
    active->LendRequest(static_cast<DWORD>(dwRequestID));
    active->Hold();
    held->Unhold();
    return ZavAccepted(dwRequestID);
    ZAV_TSPI_END("ZavTspLineFunctions", LINEERR_OPERATIONFAILED)
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineSetAppSpecific(HDRVCALL hdCall, DWORD dwAppSpecific) {
    ZAV_TSPI_BEGIN
    ZAV_TRACE("---- TSPI_lineSetAppSpecific() is invoked");
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavCallUse use(hdCall);
    ZavLine* line = nullptr;
    ZavAddress* addr = nullptr;
    ZavCall* call = nullptr;
    if (!session->CallHandleToPointers(hdCall, &line, &addr, &call)) return LINEERR_INVALCALLHANDLE;
    if (!ZavStillInHub(addr, call)) return LINEERR_INVALCALLHANDLE;
    call->SetAppSpecific(dwAppSpecific);
    return 0;
    ZAV_TSPI_END("ZavTspLineFunctions", LINEERR_OPERATIONFAILED)
}

// Call completion and dropping on close or without an owner are not
// features of this switch.
#define ZAV_UNSUPPORTED(name, params)              \
    ZAV_EXPORT LONG TSPIAPI name params {          \
        ZAV_TRACE("---- " #name "() is invoked"); \
        return LINEERR_OPERATIONUNAVAIL;           \
    }
ZAV_UNSUPPORTED(TSPI_lineCompleteCall, (DRV_REQUESTID, HDRVCALL, LPDWORD, DWORD, DWORD))
ZAV_UNSUPPORTED(TSPI_lineUncompleteCall, (DRV_REQUESTID, HDRVLINE, DWORD))
ZAV_UNSUPPORTED(TSPI_lineDropOnClose, (HDRVCALL))
ZAV_UNSUPPORTED(TSPI_lineDropNoOwner, (HDRVCALL))
