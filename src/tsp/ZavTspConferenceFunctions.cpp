// The TSPI_line* functions that transfer calls and build conferences. Each
// one makes or finds the provider's call objects for the operation, notes
// TAPI's request on them and starts the switch's command; the switch does
// the transfer or conference, and the call hub follows its answers.
//
// Every function holds the extension's message lock (ZavCallUse) from the
// translation of a handle to its last use: the message thread cannot end a
// call under it, nor handle the command's answer before the request that
// answer completes has been stored.
#include <memory>
#include <new>
#include <string>

#include "callctrl/ZavCall.h"
#include "callctrl/ZavCallHub.h"
#include "callctrl/ZavConfCall.h"
#include "callctrl/ZavConfOutCall.h"
#include "callctrl/ZavXferOutCall.h"
#include "callctrl/ZavXferOutCallAuto.h"
#include "provider/ZavExport.h"
#include "provider/ZavSession.h"
#include "provider/ZavTspGlobals.h"
#include "provider/ZavTspGuard.h"
#include "tsp/ZavAddress.h"
#include "tsp/ZavCallUse.h"
#include "tsp/ZavLine.h"
#include "tsp/ZavTspCallSupport.h"
#include "tsp/ZavTspLineLock.h"

#define ZAV_CONF_BEGIN ZAV_TSPI_BEGIN
#define ZAV_CONF_END ZAV_TSPI_END("ZavTspLineFunctions", LINEERR_OPERATIONFAILED)

namespace {

DWORD Bits(const void* h) { return static_cast<DWORD>(reinterpret_cast<uintptr_t>(h)); }

bool InState(const ZavCall& call, std::initializer_list<DWORD> states) {
    const DWORD state = call.GetCallState();
    for (DWORD s : states)
        if (state == s) return true;
    return false;
}

// A new call object the hub has not taken yet, or has taken and must give
// back: destroying it clears its slot.
template <class T>
using Owned = std::unique_ptr<T>;

}  // namespace

ZAV_EXPORT LONG TSPIAPI TSPI_lineSetupTransfer(DRV_REQUESTID dwRequestID, HDRVCALL hdCall, HTAPICALL htConsultCall,
                                               LPHDRVCALL lphdConsultCall, LPLINECALLPARAMS const lpCallParams) {
    ZAV_CONF_BEGIN
    ZAV_TRACE("---- TSPI_lineSetupTransfer() is invoked");
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavCallUse use(hdCall);
    ZavCallRefs found;
    if (!ZavFindCall(*session, hdCall, found)) return LINEERR_INVALCALLHANDLE;
    ZavCall* call = found.call;
    ZavAddress* addr = found.addr;
    // A call still waiting for the switch's answer to a set-up (made from it,
    // or its own as a consultation call) takes no other, though the switch
    // may have reported it connected meanwhile: the new set-up would take
    // the first one's place in its request table, and closing the call could
    // then no longer end the first one's consultation call.
    if (call->GetCallState() != LINECALLSTATE_CONNECTED || call->GetRequestId(eReqSetupTransfer) != 0)
        return LINEERR_INVALCALLSTATE;
    if (!lphdConsultCall) return LINEERR_INVALPOINTER;
    ZavCallHub* hub = addr->GetCallHubPointer();
    if (!hub) return LINEERR_INVALCALLHANDLE;
    Owned<ZavXferOutCall> consult(new (std::nothrow) ZavXferOutCall(htConsultCall, call));
    if (!consult) return LINEERR_NOMEM;
    if (hub->SaveCall(consult.get()) < 0) return LINEERR_RESOURCEUNAVAIL;
    consult->SetRequestId(eReqSetupTransfer, 0);
    call->SetRequestId(eReqSetupTransfer, 0);
    ZavApplyCallParams(*consult, lpCallParams, *addr);
    *lphdConsultCall = consult->ToCallHandle();
    consult->SetRequestId(eReqSetupTransfer, static_cast<DWORD>(dwRequestID));
    call->SetRequestId(eReqSetupTransfer, static_cast<DWORD>(dwRequestID));
    if (consult->Transfer() != 0) {
        consult->SetRequestId(eReqSetupTransfer, 0);
        call->SetRequestId(eReqSetupTransfer, 0);
        return LINEERR_OPERATIONFAILED;
    }
    consult.release();
    return ZavAccepted(dwRequestID);
    ZAV_CONF_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineCompleteTransfer(DRV_REQUESTID dwRequestID, HDRVCALL hdCall, HDRVCALL hdConsultCall,
                                                  HTAPICALL /*htConfCall*/, LPHDRVCALL /*lphdConfCall*/,
                                                  DWORD dwTransferMode) {
    ZAV_CONF_BEGIN
    ZAV_TRACE("---- TSPI_lineCompleteTransfer() PARAM: hdCall %08x hdConsultCall %08x", Bits(hdCall),
              Bits(hdConsultCall));
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavCallUse use(hdCall);
    ZavCallRefs found;
    if (!ZavFindCall(*session, hdCall, found)) return LINEERR_INVALCALLHANDLE;
    ZavCall* call = found.call;
    ZavAddress* addr = found.addr;
    // Transferring into a conference is not offered.
    if (dwTransferMode != LINETRANSFERMODE_TRANSFER) return LINEERR_INVALTRANSFERMODE;
    // A consultation call of another extension cannot be the first call's:
    // the hub check below refuses it, so its lock is never needed.
    ZavCall* consult = ZavSameExtension(hdCall, hdConsultCall) ? session->ToCallPointer(hdConsultCall) : nullptr;
    if (!consult) return LINEERR_INVALCALLHANDLE;
    ZavCallHub* hub = addr->GetCallHubPointer();
    if (!hub || hub->CallIdToCallPtr(call->GetId()) != call || hub->CallIdToCallPtr(consult->GetId()) != consult)
        return LINEERR_INVALCALLHANDLE;
    if (!InState(*call, {LINECALLSTATE_ONHOLDPENDTRANSFER, LINECALLSTATE_ONHOLDPENDCONF, LINECALLSTATE_ONHOLD}))
        return LINEERR_INVALCALLSTATE;
    if (!InState(*consult, {LINECALLSTATE_CONNECTED, LINECALLSTATE_RINGBACK, LINECALLSTATE_BUSY,
                            LINECALLSTATE_PROCEEDING, LINECALLSTATE_DIALING, LINECALLSTATE_CONFERENCED}))
        return LINEERR_INVALCALLSTATE;
    if (consult->GetCallState() == LINECALLSTATE_CONFERENCED) {
        static const DWORD kReached[] = {LINECALLSTATE_CONNECTED, LINECALLSTATE_RINGBACK, LINECALLSTATE_BUSY,
                                         LINECALLSTATE_PROCEEDING, LINECALLSTATE_DIALING, 0};
        if (!hub->FindCallInStates(kReached)) return LINEERR_INVALCALLSTATE;
    }
    if (hub->CallIdToCallPtr(call->GetId()) != call) return LINEERR_INVALCALLHANDLE;
    auto* xfer = dynamic_cast<ZavXferOutCall*>(consult);
    // Only a consultation call of a transfer can complete one.
    if (!xfer) return LINEERR_INVALCALLHANDLE;
    // A set-up is normally answered, and forgotten by both calls, before its
    // transfer completes. One still noted here waits for the switch's answer
    // or for the close of its calls: cleared, it would never be completed,
    // and if it is another set-up made from one of these calls since, closing
    // that call could no longer end its consultation call.
    consult->SetRequestId(eReqCompleteTransfer, static_cast<DWORD>(dwRequestID));
    if (xfer->CompleteTransfer() != 0) {
        consult->SetRequestId(eReqCompleteTransfer, 0);
        return LINEERR_OPERATIONFAILED;
    }
    return 0;
    ZAV_CONF_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineBlindTransfer(DRV_REQUESTID dwRequestID, HDRVCALL hdCall, LPCWSTR lpszDestAddress,
                                               DWORD /*dwCountryCode*/) {
    ZAV_CONF_BEGIN
    ZAV_TRACE("---- TSPI_lineBlindTransfer() is invoked");
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    if (!lpszDestAddress || !*lpszDestAddress) return LINEERR_INVALADDRESS;
    ZavCallUse use(hdCall);
    ZavCallRefs found;
    if (!ZavFindCall(*session, hdCall, found)) return LINEERR_INVALCALLHANDLE;
    ZavCall* call = found.call;
    ZavAddress* addr = found.addr;
    // The transient call carries the request, the call vouches for it (see
    // ZavCall::LendRequest), and for one such request only.
    if (call->GetCallState() != LINECALLSTATE_CONNECTED || call->GetLentRequest() != 0)
        return LINEERR_INVALCALLSTATE;
    ZavCallHub* hub = addr->GetCallHubPointer();
    if (!hub) return LINEERR_INVALCALLHANDLE;
    const std::string dest = ZavToAnsi(lpszDestAddress);
    Owned<ZavXferOutCallAuto> transient(new (std::nothrow) ZavXferOutCallAuto(nullptr, call, dest.c_str()));
    if (!transient) return LINEERR_NOMEM;
    if (hub->SaveCall(transient.get()) < 0) return LINEERR_RESOURCEUNAVAIL;
    // From here the hub owns it: the transient call completes the request
    // and deletes itself, also when the set-up fails at the switch.
    ZavXferOutCallAuto* xfer = transient.release();
    ZavApplyCallParams(*xfer, nullptr, *addr);
    xfer->SetRequestId(eReqBlindTransfer, static_cast<DWORD>(dwRequestID));
    call->LendRequest(static_cast<DWORD>(dwRequestID));
    // The switch answers a refused set-up, which completes the request.
    xfer->Transfer();
    return ZavAccepted(dwRequestID);
    ZAV_CONF_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineSetupConference(DRV_REQUESTID dwRequestID, HDRVCALL hdCall, HDRVLINE /*hdLine*/,
                                                 HTAPICALL htConfCall, LPHDRVCALL lphdConfCall,
                                                 HTAPICALL htConsultCall, LPHDRVCALL lphdConsultCall,
                                                 DWORD /*dwNumParties*/, LPLINECALLPARAMS const lpCallParams) {
    ZAV_CONF_BEGIN
    ZAV_TRACE("---- TSPI_lineSetupConference() is invoked");
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavCallUse use(hdCall);
    // A conference starts from an existing call only.
    ZavCallRefs found;
    if (!ZavFindCall(*session, hdCall, found)) return LINEERR_INVALCALLHANDLE;
    ZavCall* call = found.call;
    ZavAddress* addr = found.addr;
    // The call vouches for one request that waits on another call (see
    // ZavCall::LendRequest); a swap made from it still waits.
    if (call->GetCallState() != LINECALLSTATE_CONNECTED || call->GetLentRequest() != 0)
        return LINEERR_INVALCALLSTATE;
    if (!lphdConfCall || !lphdConsultCall) return LINEERR_INVALPOINTER;
    ZavCallHub* hub = addr->GetCallHubPointer();
    if (!hub) return LINEERR_INVALCALLHANDLE;
    // One conference per extension, being set up, standing, or ended and
    // not yet closed: its call has the one conference slot and its handle,
    // and a second would push the first out while TAPI still holds it. One
    // TAPI forgot with its failed set-up makes room.
    const DWORD confSlot = static_cast<DWORD>(hub->MaxNumCalls() - 1);
    bool inUse = false;
    for (ZavCall* held : {hub->CallIdToCallPtr(confSlot), hub->CallIdToDeleteCallPtr(confSlot)}) {
        if (held && !held->GetHTapiCall()) {
            held->CleanUpCompIds();
            delete held;
        } else if (held) {
            inUse = true;
        }
    }
    if (inUse || hub->FindCallInState(LINECALLSTATE_ONHOLDPENDCONF)) return LINEERR_INUSE;
    Owned<ZavConfOutCall> consult(new (std::nothrow) ZavConfOutCall(htConsultCall, call));
    if (!consult) return LINEERR_NOMEM;
    if (hub->SaveCall(consult.get()) < 0) return LINEERR_RESOURCEUNAVAIL;
    ZavApplyCallParams(*consult, lpCallParams, *addr);
    Owned<ZavConfCall> conf(new (std::nothrow) ZavConfCall(htConfCall, call, consult.get()));
    if (!conf) return LINEERR_NOMEM;
    conf->SetGlobalCallId(call->GetGlobalCallId());
    hub->SaveConfCall(conf.get());
    *lphdConfCall = conf->ToCallHandle();
    *lphdConsultCall = consult->ToCallHandle();
    call->SetPrimaryInConference();
    ZavConfCall* made = conf.release();
    ZavConfOutCall* started = consult.release();
    started->SetRequestId(eReqConference, static_cast<DWORD>(dwRequestID));
    // The conference call is the set-up's too: TAPI closing it fails the
    // set-up, and a failed set-up makes TAPI forget it.
    made->SetRequestId(eReqConference, static_cast<DWORD>(dwRequestID));
    call->LendRequest(static_cast<DWORD>(dwRequestID));
    // A refusal comes back as the switch's answer and completes the request.
    started->Conference();
    return ZavAccepted(dwRequestID);
    ZAV_CONF_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_linePrepareAddToConference(DRV_REQUESTID dwRequestID, HDRVCALL hdConfCall,
                                                        HTAPICALL htConsultCall, LPHDRVCALL lphdConsultCall,
                                                        LPLINECALLPARAMS const lpCallParams) {
    ZAV_CONF_BEGIN
    ZAV_TRACE("---- TSPI_linePrepareAddToConference() is invoked");
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavCallUse use(hdConfCall);
    ZavCallRefs found;
    if (!ZavFindCall(*session, hdConfCall, found)) return LINEERR_INVALCONFCALLHANDLE;
    ZavCall* conf = found.call;
    ZavAddress* addr = found.addr;
    // As for a set-up: an addition, or a swap, from it still waits.
    if (conf->GetCallState() != LINECALLSTATE_CONNECTED || conf->GetLentRequest() != 0)
        return LINEERR_INVALCALLSTATE;
    if (!lphdConsultCall) return LINEERR_INVALPOINTER;
    ZavCallHub* hub = addr->GetCallHubPointer();
    if (!hub) return LINEERR_INVALCONFCALLHANDLE;
    ZavCall* primary = conf->GetPrimaryRefCallPointer();
    Owned<ZavConfOutCall> consult(new (std::nothrow) ZavConfOutCall(htConsultCall, primary));
    if (!consult) return LINEERR_NOMEM;
    if (hub->SaveCall(consult.get()) < 0) return LINEERR_RESOURCEUNAVAIL;
    ZavApplyCallParams(*consult, lpCallParams, *addr);
    *lphdConsultCall = consult->ToCallHandle();
    ZavConfOutCall* started = consult.release();
    started->SetRequestId(eReqConference, static_cast<DWORD>(dwRequestID));
    if (primary) primary->SetRequestId(eReqConference, static_cast<DWORD>(dwRequestID));
    conf->LendRequest(static_cast<DWORD>(dwRequestID));
    started->Conference();
    return ZavAccepted(dwRequestID);
    ZAV_CONF_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineAddToConference(DRV_REQUESTID dwRequestID, HDRVCALL hdConfCall,
                                                 HDRVCALL hdConsultCall) {
    ZAV_CONF_BEGIN
    ZAV_TRACE("---- TSPI_lineAddToConference() is invoked");
    // Without a session no handle translates; TAPI calls only while one exists.
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavCallUse use(hdConfCall);
    ZavCall* conf = session->ToCallPointer(hdConfCall);
    ZavCall* consult = ZavSameExtension(hdConfCall, hdConsultCall) ? session->ToCallPointer(hdConsultCall) : nullptr;
    if (!conf || !consult) return LINEERR_INVALCALLHANDLE;
    if (!InState(*conf, {LINECALLSTATE_ONHOLDPENDCONF, LINECALLSTATE_ONHOLDPENDTRANSFER, LINECALLSTATE_ONHOLD}))
        return LINEERR_INVALCALLSTATE;
    if (!InState(*consult, {LINECALLSTATE_CONNECTED, LINECALLSTATE_RINGBACK, LINECALLSTATE_BUSY,
                            LINECALLSTATE_PROCEEDING}))
        return LINEERR_INVALCALLSTATE;
    auto* confOut = dynamic_cast<ZavConfOutCall*>(consult);
    if (!confOut || confOut->AddToConf() != 0) return LINEERR_OPERATIONFAILED;
    session->SendCompletionStatus(static_cast<DWORD>(dwRequestID), 0);
    return ZavAccepted(dwRequestID);
    ZAV_CONF_END
}

ZAV_EXPORT LONG TSPIAPI TSPI_lineRemoveFromConference(DRV_REQUESTID /*dwRequestID*/, HDRVCALL hdCall) {
    ZAV_CONF_BEGIN
    ZAV_TRACE("---- TSPI_lineRemoveFromConference() is invoked");
    ZavLockHolder hold(s_TspLineLock);
    ZavSession* session = gpTS.load();
    if (!session) return LINEERR_UNINITIALIZED;
    ZavCallUse use(hdCall);
    ZavCall* call = session->ToCallPointer(hdCall);
    if (!call) return LINEERR_INVALCALLHANDLE;
    ZavCallHub* hub = call->GetCallHubPointer();
    if (!hub) return LINEERR_RESOURCEUNAVAIL;
    // The call only names the extension: it leaves its conference.
    auto* conf = dynamic_cast<ZavConfCall*>(hub->GetConfCallPointer());
    if (conf && conf->ConfDrop() != 0) return LINEERR_OPERATIONFAILED;
    return 0;
    ZAV_CONF_END
}
