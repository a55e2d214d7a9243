#include "callctrl/ZavConfCall.h"

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
    SetCallState(LINECALLSTATE_IDLE, 0);
    HandleCallTermination();
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
