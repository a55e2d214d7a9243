#include "callctrl/ZavXferOutCall.h"

#include "switchlink/ZavPhone.h"
#include "trace/ZavTrace.h"

ZavXferOutCall::ZavXferOutCall(HTAPICALL htConsultCall, ZavCall* heldCall)
    : ZavOutCall(htConsultCall), m_bCompletingTransfer(0) {
    SetPrimaryRefCallId(heldCall ? heldCall->GetId() : s_NoId);
    SetCallObjectType(eCallObjectXferOutCall);
}

long ZavXferOutCall::Transfer() {
    ZavCall* held = GetHeldCall();
    ZavPhone* phone = GetPhonePointer();
    if (!held || !phone || phone->Transfer(this) != 0) return -1;
    held->SetDontNotifyYetCallState(LINECALLSTATE_ONHOLDPENDTRANSFER);
    return 0;
}

long ZavXferOutCall::CompleteTransfer() {
    ZavPhone* phone = GetPhonePointer();
    if (!phone || phone->CompleteTransfer(static_cast<LONG>(GetSAL())) != 0) return -1;
    m_bCompletingTransfer = 1;
    return 0;
}

long ZavXferOutCall::Drop() {
    ZAV_TRACE("ZavXferOutCall::Drop() is invoked");
    long result = ZavCall::Drop();
    if (result == 0) m_bDropped = 1;
    return result;
}

void ZavXferOutCall::NotifyDialTone() {
    ZAV_TRACE("ZavXferOutCall::NotifyDialTone() is invoked");
    // Dial tone on the consultation leg is the switch's yes to the set-up,
    // even when TAPI dropped the consultation call meanwhile.
    if (GetLinePointer()) CompleteRequest(eReqSetupTransfer, 0);
    if (ZavCall* held = GetHeldCall()) {
        held->SetRequestId(eReqSetupTransfer, 0);
        held->SetCallState(LINECALLSTATE_ONHOLDPENDTRANSFER, 0);
    }
    ZavOutCall::NotifyDialTone();
}

void ZavXferOutCall::NotifyTransferEnd() {
    ZAV_TRACE("ZavXferOutCall::NotifyTransferEnd() is invoked");
    SetRequestId(eReqCompleteTransfer, 0);
    if (ZavCall* held = GetHeldCall()) {
        held->SetRequestId(eReqCompleteTransfer, 0);
        held->SetCallState(LINECALLSTATE_IDLE, 0);
    }
    if (m_bCompletingTransfer) SetCallState(LINECALLSTATE_IDLE, 0);
}

void ZavXferOutCall::NotifyBlindTransferError(LONG result) {
    ZAV_TRACE("ZavXferOutCall::NotifyBlindTransferError() is invoked");
    if (GetRequestId(eReqBlindTransfer) == 0) return;
    if (ZavCall* held = GetHeldCall()) held->SetCallState(LINECALLSTATE_ONHOLD, 0);
    CompleteRequest(eReqBlindTransfer, result);
    Drop();
}
