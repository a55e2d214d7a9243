#include "callctrl/ZavConfCall.h"

#include "callctrl/ZavCallHub.h"
#include "switchlink/ZavPhone.h"
#include "trace/ZavTrace.h"

ZavConfCall::ZavConfCall(HTAPICALL htConfCall, ZavCall* primaryCall, ZavConfOutCall* consultCall)
    : ZavCall(htConfCall, LINECALLORIGIN_CONFERENCE), m_pConsultCall(consultCall) {
    SetPrimaryRefCallId(primaryCall ? primaryCall->GetId() : s_NoId);
    SetCallObjectType(eCallObjectConfCall);
}

long ZavConfCall::Drop() {
    ZAV_TRACE("ZavConfCall::Drop() is invoked");
    if (IsHeld() || IsHeldPendConf()) return -1;
    if (ZavCall* primary = GetPrimaryCallPointer()) primary->Drop();
    // The hub's conference slot is freed, but the call waits, as every
    // ended call does, for TAPI to close it: forgotten outright, it could
    // be neither closed nor freed. Last, because TAPI may close it from
    // inside the notification.
    // Dropping the primary call may have dropped this one already.
    ZavCallHub* hub = GetCallHubPointer();
    const DWORD id = GetId();
    // One TAPI forgot (its set-up failed) has no handle to be closed by: it
    // stays in the slot, idle, until the next set-up or the line's close
    // frees it; out of the slot nobody would.
    const bool waits =
        hub && (hub->CallIdToDeleteCallPtr(id) == this || hub->SaveToDeleteCall(static_cast<long>(id)) == 0);
    if (!waits && GetHTapiCall()) HandleCallTermination();
    SetCallState(LINECALLSTATE_IDLE, 0);
    return 0;
}

void ZavConfCall::Hold() {
    ZAV_TRACE("ZavConfCall::Hold() is invoked");
    if (ZavCall* primary = GetPrimaryCallPointer()) primary->Hold();
}

void ZavConfCall::Unhold() {
    ZAV_TRACE("ZavConfCall::Unhold() is invoked");
    if (ZavCall* primary = GetPrimaryCallPointer()) primary->Unhold();
}

long ZavConfCall::Park() {
    ZAV_TRACE("ZavConfCall::Park() is invoked");
    ZavCall* primary = GetPrimaryCallPointer();
    return primary ? primary->Park() : -1;
}

void ZavConfCall::SetParkNumber(const char* number) {
    ZAV_TRACE("ZavConfCall::SetParkNumber() is invoked");
    if (ZavCall* primary = GetPrimaryCallPointer()) primary->SetParkNumber(number);
}

const std::string& ZavConfCall::GetParkNumber() const {
    ZavCall* primary = GetPrimaryCallPointer();
    return primary ? primary->GetParkNumber() : ZavCall::GetParkNumber();
}

long ZavConfCall::GenerateDigits() {
    return GenerateDigitsOn(GetPrimaryCallPointer());
}

long ZavConfCall::ConfDrop() {
    ZAV_TRACE("ZavConfCall::ConfDrop is invoked");
    ZavCall* primary = GetPrimaryCallPointer();
    ZavPhone* phone = primary ? primary->GetPhonePointer() : nullptr;
    return phone ? phone->ConfDrop(static_cast<LONG>(GetSAL())) : -1;
}

void ZavConfCall::NotifyNewConfCall() {
    ZAV_TRACE("ZavConfCall::NotifyNewConfCall() is invoked");
}

void ZavConfCall::NotifyPrimaryCallDisconnected() {
    ZAV_TRACE("ZavConfCall::NotifyPrimaryCallDisconnected() is invoked");
    SetPrimaryRefCallId(s_NoId);
    Drop();
}
