#include "callctrl/ZavXferOutCallAuto.h"

#include "trace/ZavTrace.h"

ZavXferOutCallAuto::ZavXferOutCallAuto(HTAPICALL htCall, ZavCall* heldCall, const char* destination)
    : ZavXferOutCall(htCall, heldCall) {
    SetOutdialNumber(destination);
    SetCallObjectType(eCallObjectXferOutCallAuto);
}

ZavXferOutCallAuto::~ZavXferOutCallAuto() {
    // It goes in several places (its leg's end, the transfer's end, the
    // line's close); TAPI waits for the request in each, and nobody else
    // carries it.
    CompleteRequest(eReqBlindTransfer, static_cast<LONG>(LINEERR_OPERATIONFAILED));
}

void ZavXferOutCallAuto::NotifyDialTone() {
    ZAV_TRACE("ZavXferOutCallAuto::NotifyDialTone() is invoked");
    ZavOutCall::NotifyDialTone();
    Dial();
}

void ZavXferOutCallAuto::NotifyRingBack() {
    ZAV_TRACE("ZavXferOutCallAuto::NotifyRingBack() is invoked");
    // The destination rings: as far as TAPI is concerned the blind transfer
    // has worked.
    if (CompleteTransfer() == 0) CompleteRequest(eReqBlindTransfer, 0);
}

void ZavXferOutCallAuto::NotifyTransferEnd() {
    ZAV_TRACE("ZavXferOutCallAuto::NotifyTransferEnd() is invoked");
    ZavXferOutCall::NotifyTransferEnd();
    delete this;
}
