#include "callctrl/ZavConfOutCall.h"

#include "callctrl/ZavCallHub.h"
#include "switchlink/ZavPhone.h"
#include "trace/ZavTrace.h"

ZavConfOutCall::ZavConfOutCall(HTAPICALL htConsultCall, ZavCall* primaryCall)
    : ZavOutCall(htConsultCall),
      m_pPrimaryCall(primaryCall),
      m_dwPrimaryId(primaryCall ? primaryCall->GetId() : s_NoId),
      m_qwPrimarySerial(primaryCall ? primaryCall->GetSerial() : 0) {
    SetCallObjectType(eCallObjectConfOutCall);
}

ZavCall* ZavConfOutCall::GetPrimaryCall() const {
    ZavCallHub* hub = GetCallHubPointer();
    if (!m_pPrimaryCall || !hub) return nullptr;
    // An ended primary call TAPI has not closed yet still counts.
    for (ZavCall* held : {hub->CallIdToCallPtr(m_dwPrimaryId), hub->CallIdToDeleteCallPtr(m_dwPrimaryId)})
        if (held && held == m_pPrimaryCall && held->GetSerial() == m_qwPrimarySerial) return held;
    return nullptr;
}

long ZavConfOutCall::Conference() {
    ZAV_TRACE("ZavConfOutCall::Conference() is invoked");
    ZavCallHub* hub = GetCallHubPointer();
    if (!hub || !hub->GetConfCallPointer()) return -1;
    ZavCall* primary = GetPrimaryCall();
    if (primary) primary->NotifyConferenced();
    if (ZavPhone* phone = GetPhonePointer()) phone->Conference(primary, this);
    // Matters only while digits are gathered on the call: without a
    // gathering the timer ends at once.
    CreateTimer(eTimerNoDialTone, 1, 2000);
    return 0;
}

long ZavConfOutCall::AddToConf() {
    ZAV_TRACE("ZavConfOutCall::AddToConf() is invoked");
    ZavPhone* phone = GetPhonePointer();
    return phone && phone->AddToConf(GetPrimaryCall(), this) == 0 ? 0 : -1;
}

long ZavConfOutCall::Drop() {
    ZAV_TRACE("ZavConfOutCall::Drop() is invoked");
    return ZavCall::Drop();
}

void ZavConfOutCall::NotifyDialTone() {
    ZAV_TRACE("ZavConfOutCall::NotifyDialTone() is invoked");
    NotifyConfStatus(0);
    ZavCallHub* hub = GetCallHubPointer();
    ZavCall* conf = hub ? hub->GetConfCallPointer() : nullptr;
    if (!conf) return;
    conf->SetCallState(LINECALLSTATE_ONHOLDPENDCONF, 0);
    ZavOutCall::NotifyDialTone();
}

void ZavConfOutCall::NotifyConfComplete() {
    ZAV_TRACE("ZavConfOutCall::NotifyConfComplete() is invoked");
    ZavCallHub* hub = GetCallHubPointer();
    ZavCall* conf = hub ? hub->GetConfCallPointer() : nullptr;
    if (!conf) return;
    conf->SetCallState(LINECALLSTATE_CONNECTED, 0);
    NotifyConferenced();
}

void ZavConfOutCall::NotifyConfStatus(LONG result) {
    if (ZavCallHub* hub = GetCallHubPointer())
        hub->CompleteConferenceRequest(this, result);
    else
        CompleteRequest(eReqConference, result);
}

long ZavConfOutCall::GenerateDigits() {
    // The consultation call's digits go out on the primary call's leg.
    return GenerateDigitsOn(GetPrimaryCall());
}
