// An outgoing call that dials the destination it was made with as soon as
// dial tone arrives.
#pragma once

#include "callctrl/ZavOutCall.h"

class ZavOutCallAuto : public ZavOutCall {
public:
    ZavOutCallAuto(HTAPICALL htCall, const char* destination);

    void NotifyDialTone() override;
};
