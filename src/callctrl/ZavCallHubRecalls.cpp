// Calls the switch brings back to the extension when a transfer, a park or
// a redirect was not taken in time: each is offered to TAPI as a new
// incoming call.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "callctrl/ZavCall.h"
#include "callctrl/ZavCallCtrlMsg.h"
#include "callctrl/ZavCallHub.h"
#include "callctrl/ZavOutCall.h"
#include "callctrl/ZavTspCallIncoming.h"
#include "switchlink/ZavPhone.h"
#include "trace/ZavTrace.h"
#include "tsp/ZavAddress.h"
#include "tsp/ZavLine.h"

namespace {

// The diverting party's numbers go to the call that was diverted; a call
// TAPI no longer knows takes none, and the recall ends there.
bool ApplyDivertedParty(ZavCall* call, const ZavMsgText& redirectingNum, const ZavMsgText& redirectionNum) {
    if (redirectingNum.Present()) {
        if (!call->GetHTapiCall()) return false;
        call->UpdateDivertedCallerId(redirectingNum.Text(), 0);
    }
    if (redirectionNum.Present()) {
        if (!call->GetHTapiCall()) return false;
        call->UpdateDivertingPartyDialedId(redirectionNum.Text());
    }
    return true;
}

// The party a transfer or park recall brings back, where the switch says.
void TakeCaller(ZavInCall* call, const ZavMsgText& callerNum, const ZavMsgText& callerName,
                const ZavMsgText& dialedNum) {
    if (callerName.Present()) call->SetCallerName(callerName.Text());
    if (callerNum.Present()) {
        call->SetOrigin(ZavOriginOf(callerNum.Text()));
        call->SetCallerAddr(callerNum.Text());
    }
    if (dialedNum.Present()) call->SetDialedNum(dialedNum.Text());
}

}  // namespace

DWORD ZavCallHub::FirstFreeSal() const {
    DWORD sal = ZavOutCall::s_FirstOutgoingSal;
    if (!m_pPhone) return sal;
    const DWORD last = ZavOutCall::s_FirstOutgoingSal + m_pPhone->MaxNumLineAppearences();
    while (sal <= last && SALToCallPtr(sal, nullptr)) ++sal;
    return sal;
}

bool ZavCallHub::OfferRecall(ZavInCall* call, const ZavCallCtrlMsg& m, bool announce) {
    std::unique_ptr<ZavInCall> owned(call);
    if (SaveCall(call) < 0) return false;
    owned.release();
    const DWORD id = call->GetId();
    if (!announce) {
        call->SetGlobalCallId(static_cast<DWORD>(m.gCallId));
        call->NotifyNewCall();
        return true;
    }
    if (call->NotifyNewCall() == -1) {
        if (StillHolds(call, id) && !call->GetHTapiCall()) delete call;
        return false;
    }
    if (!StillKnown(call, id)) return true;
    if (m_pAddr) m_pAddr->SetAddressState(LINEADDRESSSTATE_NUMCALLS);
    if (!StillKnown(call, id)) return true;
    if (m_pLine) m_pLine->NotifyLineDevState(LINEDEVSTATE_RINGING, 1, 0);
    if (!StillKnown(call, id)) return true;
    call->SetGlobalCallId(static_cast<DWORD>(m.gCallId));
    if (!StillKnown(call, id)) return true;
    call->NotifyNewCallInfo();
    return true;
}

void ZavCallHub::OnTransferTimeout(const ZavCallCtrlMsg& m) {
    ZavCall* old = m.sal1 > 0 ? SALToCallInclIdlePtr(static_cast<DWORD>(m.sal1), nullptr) : ReqIdCall(m);
    if (old && old->IsIdle()) return;
    if (old) {
        auto* out = dynamic_cast<ZavOutCall*>(old);
        if (!out || !out->IsHumanInitiated()) {
            const DWORD id = old->GetId();
            old->NotifyTransferEnd();
            // A blind transfer's call leaves with the end of its transfer.
            if (!StillHolds(old, id)) old = nullptr;
        }
    }
    ZAV_TRACE("eTransferTimeout is being processed");
    const ZavMsgText callerNum(m.callerNum), callerName(m.callerName), dialedNum(m.dialedNum),
        redirectingNum(m.redirectingNum), redirectionNum(m.redirectionNum);
    std::unique_ptr<ZavInCall> call(new (std::nothrow) ZavInCall(nullptr));
    if (!call) return;
    if (old && !ApplyDivertedParty(old, redirectingNum, redirectionNum)) return;
    call->SetSAL(m.sal1 != 0 ? static_cast<DWORD>(m.sal1) : FirstFreeSal());
    TakeCaller(call.get(), callerNum, callerName, dialedNum);
    call->SetCallReason(LINECALLREASON_TRANSFER | LINECALLREASON_REMINDER, 0);
    OfferRecall(call.release(), m, true);
}

void ZavCallHub::OnParkTimeout(const ZavCallCtrlMsg& m) {
    ZavCall* old = SalCall(m);
    if (old && old->IsHeld()) return;
    ZAV_TRACE("eParkTimeout is being processed");
    const ZavMsgText callerNum(m.callerNum), callerName(m.callerName), dialedNum(m.dialedNum),
        redirectingNum(m.redirectingNum), redirectionNum(m.redirectionNum);
    std::unique_ptr<ZavInCall> call(new (std::nothrow) ZavInCall(nullptr));
    if (!call) return;
    call->SetSAL(static_cast<DWORD>(m.sal1));
    call->SetNotifyTimedOut();
    TakeCaller(call.get(), callerNum, callerName, dialedNum);
    // A parked call that was diverted keeps its diverting party, held back
    // until TAPI knows the call, as a new call's is.
    if (redirectingNum.Present()) call->UpdateDivertedCallerId(redirectingNum.Text(), 0);
    if (redirectionNum.Present()) call->UpdateDivertingPartyDialedId(redirectionNum.Text());
    call->SetCallReason(LINECALLREASON_UNPARK | LINECALLREASON_REMINDER, 0);
    OfferRecall(call.release(), m, true);
}

void ZavCallHub::OnRedirectTimeout(const ZavCallCtrlMsg& m) {
    ZavCall* old = SalCall(m);
    if (old && old->IsOffering()) return;
    ZAV_TRACE("eRedirectTimeout is being processed");
    const ZavMsgText callerNum(m.callerNum), callerName(m.callerName), dialedNum(m.dialedNum),
        redirectingNum(m.redirectingNum), redirectionNum(m.redirectionNum);
    if (old && !ApplyDivertedParty(old, redirectingNum, redirectionNum)) return;
    std::unique_ptr<ZavInCall> call(new (std::nothrow) ZavInCall(nullptr));
    if (!call) return;
    call->SetSAL(static_cast<DWORD>(m.sal1));
    call->SetCallerName(callerName.Text());
    call->SetOrigin(ZavOriginOf(callerNum.Text()));
    call->SetCallerAddr(callerNum.Text());
    call->SetSecondaryCallerIDNum(std::strtol(callerNum.Text(), nullptr, 10));
    if (dialedNum.Present()) call->SetDialedNum(dialedNum.Text());
    // As for a park recall: the new call takes the diverting party too.
    if (redirectingNum.Present()) call->UpdateDivertedCallerId(redirectingNum.Text(), 0);
    if (redirectionNum.Present()) call->UpdateDivertingPartyDialedId(redirectionNum.Text());
    call->SetCallReason(LINECALLREASON_REDIRECT | LINECALLREASON_REMINDER, 0);
    OfferRecall(call.release(), m, false);
}
