// The switch's unsolicited call events: a call offered or updated, ring-back,
// connection, busy, digits and the end of dial tone.
//
// Every call into TAPI (a notification, a line event, a state change) may
// close the call from inside, so after each one a handler checks that the
// call still holds its slot, and where it goes on reporting, that TAPI still
// has a handle for it; if not, it stops.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "callctrl/ZavCall.h"
#include "callctrl/ZavCallCtrlMsg.h"
#include "callctrl/ZavCallHub.h"
#include "callctrl/ZavOutCall.h"
#include "callctrl/ZavTspCallIncoming.h"
#include "callctrl/ZavXferOutCall.h"
#include "trace/ZavTrace.h"
#include "tsp/ZavAddress.h"
#include "tsp/ZavLine.h"

namespace {

// A reason code the switch gives calls it brings back from a park.
constexpr long kParkRecallReason = 0x0E;

}  // namespace

ZavCall* ZavCallHub::LegCall(const ZavCallCtrlMsg& m) const {
    return m.sal1 > 0 ? SALToCallPtr(static_cast<DWORD>(m.sal1), nullptr) : nullptr;
}

bool ZavCallHub::StillHolds(const ZavCall* call, DWORD id) const { return CallIdToCallPtr(id) == call; }

bool ZavCallHub::StillKnown(const ZavCall* call, DWORD id) const {
    return StillHolds(call, id) && call->GetHTapiCall() != nullptr;
}

bool ZavCallHub::ApplyTrunk(ZavCall* call, const char* trunk) {
    if (!trunk || !*trunk) return false;
    long value = std::strtol(trunk, nullptr, 10);
    if (value <= 0) return false;
    if (static_cast<DWORD>(value) != call->GetTrunkNum()) call->SetTrunkNum(static_cast<DWORD>(value));
    return true;
}

void ZavCallHub::OnNewCall(const ZavCallCtrlMsg& m) {
    const ZavMsgText callerNum(m.callerNum), callerName(m.callerName), dialedNum(m.dialedNum), trunk(m.trunk),
        redirectingNum(m.redirectingNum), redirectionNum(m.redirectionNum);
    if (callerNum.Present() && callerName.Present())
        ZAV_TRACE("==== Caller      %s:%s ====", callerNum.Text(), callerName.Text());
    if (trunk.Present()) ZAV_TRACE("==== Trunk       %s ====", trunk.Text());
    if (dialedNum.Present()) ZAV_TRACE("==== Dialed      %s ====", dialedNum.Text());
    if (redirectingNum.Present()) ZAV_TRACE("==== Redirecting %s ====", redirectingNum.Text());
    if (redirectionNum.Present()) ZAV_TRACE("==== Redirection %s ====", redirectionNum.Text());
    ZAV_TRACE("==== Called      %s ====", m.ext);
    if (m.sal1 <= 0) return;
    const DWORD sal = static_cast<DWORD>(m.sal1);

    if (ZavCall* call = SALToCallInclIdlePtr(sal, nullptr)) {
        // New information about a call in progress.
        switch (call->GetCallState()) {
            case 0:
            case LINECALLSTATE_IDLE:
            case LINECALLSTATE_DIALING:
            case LINECALLSTATE_RINGBACK:
            case LINECALLSTATE_ONHOLD:
            case LINECALLSTATE_ONHOLDPENDTRANSFER:
            case LINECALLSTATE_DISCONNECTED:
                return;
            default:
                break;
        }
        if (!call->GetHTapiCall()) return;
        const DWORD id = call->GetId();
        if (callerNum.Present() && call->GetCallerAddr() != callerNum.Text()) {
            call->UpdateCallerId(callerNum.Text(), callerName.OrNull());
            if (!StillKnown(call, id)) return;
            call->HandleHuntGrpCallerID(callerNum.Text(), 0);
            if (!StillKnown(call, id)) return;
            if (call->SetCallInfo(LINECALLINFOSTATE_CALLERID) == -1) return;
        }
        if (redirectingNum.Present()) {
            if (!StillKnown(call, id)) return;
            call->UpdateDivertedCallerId(redirectingNum.Text(), 1);
        }
        if (redirectionNum.Present()) {
            if (!StillKnown(call, id)) return;
            call->UpdateDivertingPartyDialedId(redirectionNum.Text());
        }
        if (dialedNum.Present()) {
            if (!StillKnown(call, id)) return;
            if (call->GetDialedNum() != dialedNum.Text()) call->SetDialedNum(dialedNum.Text());
        }
        if (!StillKnown(call, id)) return;
        ApplyTrunk(call, trunk.Text());
        if (m.reason != 0) call->SetCallReason(static_cast<DWORD>(m.reason), 1);
        if (m.gCallId != 0) call->SetGlobalCallId(static_cast<DWORD>(m.gCallId));
        return;
    }

    // A call offered to the extension.
    std::unique_ptr<ZavInCall> created(new (std::nothrow) ZavInCall(nullptr));
    if (!created) return;
    ZavInCall* call = created.get();
    if (callerName.Present()) call->SetCallerName(callerName.Text());
    if (callerNum.Present()) {
        call->SetOrigin(ZavOriginOf(callerNum.Text()));
        call->SetCallerAddr(callerNum.Text());
        call->HandleHuntGrpCallerID(callerNum.Text(), 0);
    }
    if (dialedNum.Present()) call->SetDialedNum(dialedNum.Text());
    const bool trunkSet = ApplyTrunk(call, trunk.Text());
    if (redirectingNum.Present()) call->UpdateDivertedCallerId(redirectingNum.Text(), 0);
    if (redirectionNum.Present()) call->UpdateDivertingPartyDialedId(redirectionNum.Text());
    if (m.reason == kParkRecallReason)
        call->SetCallReason(LINECALLREASON_PARKED | LINECALLREASON_REMINDER, 0);
    else if (m.reason != 0)
        call->SetCallReason(static_cast<DWORD>(m.reason), 1);
    if (SaveCall(call) < 0) return;
    created.release();
    call->SetSAL(sal);
    call->SetGlobalCallId(static_cast<DWORD>(m.gCallId));
    const DWORD id = call->GetId();
    if (call->NotifyNewCall() == -1 && StillHolds(call, id) && !call->GetHTapiCall()) {
        ZAV_TRACE("**** eNewCall: TAPI new call notification failed");
        delete call;
        return;
    }
    ZavLine* line = m_pLine;
    if (!line) return;
    if (!StillKnown(call, id)) return;
    if (ZavAddress* addr = m_pAddr) addr->SetAddressState(LINEADDRESSSTATE_NUMCALLS);
    if (!StillKnown(call, id)) return;
    line->NotifyLineDevState(LINEDEVSTATE_RINGING, 1, 0);
    DWORD bits[] = {LINECALLINFOSTATE_CALLERID, LINECALLINFOSTATE_CALLEDID, LINECALLINFOSTATE_ORIGIN,
                    trunkSet ? static_cast<DWORD>(LINECALLINFOSTATE_TRUNK) : 0u};
    for (DWORD bit : bits) {
        if (bit == 0 || !StillKnown(call, id)) return;
        line->SendLineEvent(call->GetHTapiCall(), LINE_CALLINFO, bit, 0, 0);
    }
}

void ZavCallHub::OnRingBack(const ZavCallCtrlMsg& m) {
    ZavCall* call = LegCall(m);
    if (!call || call->IsDisconnected()) return;
    const ZavMsgText callerNum(m.callerNum), callerName(m.callerName);
    if (callerName.Present()) call->SetCallerName(callerName.Text());
    if (callerNum.Present()) call->SetCallerAddr(callerNum.Text());
    const DWORD id = call->GetId();
    if (m.gCallId != 0) call->SetGlobalCallId(static_cast<DWORD>(m.gCallId));
    if (!StillHolds(call, id)) return;
    call->NotifyRingBack();
}

void ZavCallHub::OnConnected(const ZavCallCtrlMsg& m) {
    ZavCall* call = LegCall(m);
    if (!call) return;
    if (m.digit != 0) {
        // A digit report rides on this message; it never connects.
        if (call->GetHTapiCall() && call->IsConnected())
            call->HandleNewDTMFDigit(static_cast<DWORD>(m.digit), LINEDIGITMODE_DTMF);
        return;
    }
    const ZavMsgText callerNum(m.callerNum), callerName(m.callerName), dialedNum(m.dialedNum), trunk(m.trunk),
        redirectingNum(m.redirectingNum);
    const DWORD id = call->GetId();
    if (m.gCallId != 0) {
        if (!StillKnown(call, id)) return;
        call->SetGlobalCallId(static_cast<DWORD>(m.gCallId));
    }
    if (!call->IsConferenced()) {
        if (call->CompleteRequest(eReqUnpark, 0) != 0 && callerNum.Present())
            call->UpdateUnParkCallerId(callerNum.Text(), callerName.OrNull());
        if (!StillKnown(call, id)) return;
        call->NotifyConnected();
    }
    if (!StillKnown(call, id)) return;
    if (callerNum.Present() && call->GetCallerAddr() != callerNum.Text()) {
        call->UpdateCallerId(callerNum.Text(), callerName.OrNull());
        if (!StillHolds(call, id)) return;
        call->HandleHuntGrpCallerID(callerNum.Text(), 0);
    }
    if (redirectingNum.Present()) {
        if (!StillKnown(call, id)) return;
        call->UpdateDivertedCallerId(redirectingNum.Text(), 0);
    }
    if (dialedNum.Present()) {
        if (!StillKnown(call, id)) return;
        if (call->GetDialedNum() != dialedNum.Text()) call->SetDialedNum(dialedNum.Text());
    }
    if (!StillKnown(call, id)) return;
    ApplyTrunk(call, trunk.Text());
}

void ZavCallHub::OnBusy(const ZavCallCtrlMsg& m) {
    ZavCall* call = LegCall(m);
    if (!call) return;
    const DWORD state = call->GetCallState();
    if (state != LINECALLSTATE_DIALING && state != LINECALLSTATE_RINGBACK && state != LINECALLSTATE_CONNECTED) return;
    if (state == LINECALLSTATE_RINGBACK) {
        ZAV_TRACE("eBusy: Set callReason NoCoverageAvail");
        call->SetCallReason(static_cast<DWORD>(m.reason), 1);
    }
    if (call->IsBlindTransfer()) {
        const bool badAddress = m.reason == 8 || m.reason == 10;
        static_cast<ZavXferOutCall*>(call)->NotifyBlindTransferError(
            static_cast<LONG>(badAddress ? LINEERR_INVALADDRESS : LINEERR_OPERATIONFAILED));
        return;
    }
    ZavOutCall::NotifyBusy(*call);
}

void ZavCallHub::OnDigit(const ZavCallCtrlMsg& m) {
    if (m.sal1 == 0) return;
    if (ZavCall* call = SALToCallPtr(static_cast<DWORD>(m.sal1), nullptr))
        call->HandleNewDTMFDigit(static_cast<DWORD>(m.digit), LINEDIGITMODE_DTMF);
}

void ZavCallHub::OnStopDialtone(const ZavCallCtrlMsg& m) {
    if (m.sal1 <= 0) return;
    DWORD index = 0;
    ZavCall* call = SALToCallPtr(static_cast<DWORD>(m.sal1), &index);
    if (call && CallIdToCallPtr(index)) call->SetCallState(LINECALLSTATE_DIALING, 0);
}
