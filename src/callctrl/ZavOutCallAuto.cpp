#include "callctrl/ZavOutCallAuto.h"

#include "trace/ZavTrace.h"

ZavOutCallAuto::ZavOutCallAuto(HTAPICALL htCall, const char* destination) : ZavOutCall(htCall) {
    SetOutdialNumber(destination);
    SetCallObjectType(eCallObjectOutCallAuto);
}

void ZavOutCallAuto::NotifyDialTone() {
    ZAV_TRACE("ZavOutCallAuto::NotifyDialTone() is invoked");
    ZavOutCall::NotifyDialTone();
    Dial();
}
