// The operations of a call that become switch commands.
#include "callctrl/ZavCall.h"
#include "switchlink/ZavPhone.h"
#include "trace/ZavTrace.h"

namespace {

// Keeps the call's lock for a scope, with the call's own traces.
class CallLockHolder {
public:
    explicit CallLockHolder(ZavCall& call) : m_call(call) { m_call.Lock(); }
    ~CallLockHolder() { m_call.Unlock(); }
    CallLockHolder(const CallLockHolder&) = delete;
    CallLockHolder& operator=(const CallLockHolder&) = delete;

private:
    ZavCall& m_call;
};

LONG Sal(DWORD sal) {
    return static_cast<LONG>(sal);
}

}  // namespace

long ZavCall::Drop() {
    ZAV_TRACE("ZavCall::Drop() is invoked");
    CallLockHolder hold(*this);
    switch (GetCallState()) {
        case LINECALLSTATE_IDLE:
            return 0;
        case LINECALLSTATE_OFFERING:
        case LINECALLSTATE_ONHOLD:
        case LINECALLSTATE_ONHOLDPENDCONF:
        case LINECALLSTATE_ONHOLDPENDTRANSFER:
            return -1;
        default:
            break;
    }
    HangUpLeg();
    if (GetMonitorDigitModes() != 0) MonitorDigits(0);
    if (IsDigitGatheringOn()) StopGatheringDigits();
    return 0;
}

void ZavCall::HangUpLeg() {
    // The state itself follows the switch's on-hook and disconnect messages.
    if (!IsDisconnected())
        if (ZavPhone* phone = GetPhonePointer()) phone->OnHook(Sal(GetSAL()));
    if (IsPrimaryInConference()) NotifyConferenceDisconnected();
}

void ZavCall::Hold() {
    if (ZavPhone* phone = GetPhonePointer()) phone->Hold(Sal(GetSAL()));
}

void ZavCall::Unhold() {
    if (ZavPhone* phone = GetPhonePointer()) phone->Unhold(Sal(GetSAL()), this);
}

long ZavCall::Park() {
    ZavPhone* phone = GetPhonePointer();
    if (!phone || phone->Park(Sal(GetSAL()), m_strParkNumber.c_str()) != 0) return -1;
    return 0;
}

long ZavCall::UnPark() {
    ZavPhone* phone = GetPhonePointer();
    if (!phone || phone->UnPark(Sal(GetSAL()), m_strParkNumber.c_str()) != 0) return -1;
    SetCallState(LINECALLSTATE_DIALING, 0);
    return 0;
}

void ZavCall::Pickup(LONG directed) {
    if (ZavPhone* phone = GetPhonePointer())
        phone->Pickup(Sal(GetSAL()), m_strPickupNumber.c_str(), directed);
}
