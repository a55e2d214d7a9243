// The consultation call of a consultation transfer; it refers to the held
// call it will be transferred with.
#pragma once

#include "callctrl/ZavOutCall.h"

class ZavXferOutCall : public ZavOutCall {
public:
    ZavXferOutCall(HTAPICALL htConsultCall, ZavCall* heldCall);

    long Drop() override;
    void NotifyDialTone() override;
    void NotifyTransferEnd() override;
    virtual void NotifyBlindTransferError(LONG result);

    ZavCall* GetHeldCall() const { return GetPrimaryRefCallPointer(); }
    // Sets the transfer up at the switch; the held call waits silently in
    // ONHOLDPENDTRANSFER until the consultation leg has dial tone.
    long Transfer();
    long CompleteTransfer();

protected:
    int m_bCompletingTransfer;
};
