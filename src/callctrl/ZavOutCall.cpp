#include "callctrl/ZavOutCall.h"

#include "callctrl/ZavCallHub.h"
#include "switchlink/ZavPhone.h"
#include "trace/ZavTrace.h"
#include "tsp/ZavAddress.h"

ZavOutCall::ZavOutCall(HTAPICALL htCall)
    : ZavCall(htCall, LINECALLORIGIN_OUTBOUND),
      m_bDropped(0),
      m_bProceedingPending(1),
      m_bHumanInitiated(0) {
    SetCallObjectType(eCallObjectOutCall);
}

DWORD ZavOutCall::GetCallFeatures() {
    switch (GetCallState()) {
        case LINECALLSTATE_DIALTONE:
        case LINECALLSTATE_DIALING:
            return LINECALLFEATURE_DIAL | LINECALLFEATURE_DROP;
        case LINECALLSTATE_RINGBACK:
        case LINECALLSTATE_PROCEEDING:
        case LINECALLSTATE_BUSY:
            return LINECALLFEATURE_DROP;
        default:
            return ZavCall::GetCallFeatures();
    }
}

long ZavOutCall::MakeCall() {
    ZAV_TRACE("ZavOutCall::MakeCall() is invoked");
    if (GetCallState() != 0) {
        ZAV_TRACE("ZavOutCall::MakeCall(), invalid call state");
        return -1;
    }
    ZavPhone* phone = GetPhonePointer();
    ZavCallHub* hub = phone ? phone->GetCallHubPointer() : nullptr;
    const DWORD sal = hub ? hub->FirstFreeSal() : s_FirstOutgoingSal;
    if (!phone || phone->OffHook(static_cast<LONG>(sal), this) != 0) {
        ZAV_TRACE("ZavOutCall::MakeCall(), failed to go offhook");
        return -1;
    }
    return 0;
}

long ZavOutCall::Dial() {
    DWORD sal = GetSAL();
    if (sal == 0) {
        ZAV_TRACE("ZavOutCall::Dial(), invalid SAL");
        return -1;
    }
    return DialOnLeg(m_strOutdialNumber.c_str());
}

long ZavOutCall::Drop() {
    ZAV_TRACE("ZavOutCall::Drop() is invoked");
    switch (GetCallState()) {
        case LINECALLSTATE_IDLE:
            return 0;
        case LINECALLSTATE_ONHOLD:
        case LINECALLSTATE_ONHOLDPENDCONF:
        case LINECALLSTATE_ONHOLDPENDTRANSFER:
            return -1;
        default:
            break;
    }
    HangUpLeg();
    return 0;
}

long ZavOutCall::NotifyNewCall() {
    ZavCall::NotifyNewCall();
    if (!GetHTapiCall()) return -1;
    // Read before the state goes out: TAPI may close the call from inside.
    const bool humanInitiated = m_bHumanInitiated != 0;
    ZavAddress* addr = GetAddrPointer();
    SetCallState(LINECALLSTATE_DIALTONE, LINEDIALTONEMODE_UNAVAIL);
    if (!humanInitiated && addr) addr->SetAddressState(LINEADDRESSSTATE_NUMCALLS);
    return 0;
}

long ZavOutCall::NotifyDisconnected(DWORD /*dwDisconnectMode*/) {
    CompleteRequest(eReqPark, 0);
    if (IsIdle()) return -1;
    // The hub reports disconnected and idle itself.
    UpdateCallState(LINECALLSTATE_IDLE, 0);
    return 0;
}

void ZavOutCall::NotifyConnected() {
    ZAV_TRACE("ZavOutCall::NotifyConnected() is invoked");
    if (!m_bDropped) ZavCall::NotifyConnected();
}

void ZavOutCall::NotifyDialTone() {
    if (!m_bDropped) SetCallState(LINECALLSTATE_DIALTONE, LINEDIALTONEMODE_UNAVAIL);
}

void ZavOutCall::NotifyDialing() {
    if (!m_bDropped) SetCallState(LINECALLSTATE_DIALING, 0);
}

void ZavOutCall::NotifyRingBack() {
    if (m_bDropped) return;
    if (m_bProceedingPending) {
        SetCallState(LINECALLSTATE_PROCEEDING, 0);
        m_bProceedingPending = 0;
    }
    // Held back while TAPI has no handle for the call; the ring-back state
    // waits for them.
    if (SetCallInfo(LINECALLINFOSTATE_CALLERID) == -1) return;
    if (SetCallInfo(LINECALLINFOSTATE_CALLEDID) == -1) return;
    if (SetCallInfo(LINECALLINFOSTATE_ORIGIN) == -1) return;
    SetCallState(LINECALLSTATE_RINGBACK, 0);
}

void ZavOutCall::UpdateCallerId(const char* number, const char* name) {
    UpdateOtherParty(number, name, LINECALLINFOSTATE_CALLEDID);
}

void ZavOutCall::NotifyBusy(ZavCall& call) {
    call.CompleteRequest(eReqUnpark, 0);
    ZAV_TRACE("ZavOutCall::NotifyBusy() is invoked");
    call.SetCallState(LINECALLSTATE_BUSY, LINEBUSYMODE_UNAVAIL);
}

void ZavOutCall::SetOutdialNumber(const char* digits) {
    ZAV_TRACE("ZavOutCall::SetOutdialNumber() is invoked ### %s", digits ? digits : "");
    m_strOutdialNumber = digits ? digits : "";
}
