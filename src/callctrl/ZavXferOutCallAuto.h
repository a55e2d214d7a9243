// The transient consultation call of a blind transfer: it dials the
// destination, completes the transfer when the destination rings and
// deletes itself when the switch reports the transfer's end. TAPI never
// has a handle for it.
#pragma once

#include "callctrl/ZavXferOutCall.h"

class ZavXferOutCallAuto : public ZavXferOutCall {
public:
    ZavXferOutCallAuto(HTAPICALL htCall, ZavCall* heldCall, const char* destination);
    // Fails the blind transfer if it goes before the destination rang.
    ~ZavXferOutCallAuto() override;

    void NotifyDialTone() override;
    void NotifyRingBack() override;
    // Deletes the call: the caller must not use it afterwards.
    void NotifyTransferEnd() override;
    int IsBlindTransfer() const override { return 1; }
};
