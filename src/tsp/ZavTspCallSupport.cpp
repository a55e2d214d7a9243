#include "tsp/ZavTspCallSupport.h"

#include <cstring>

#include "callctrl/ZavCall.h"
#include "callctrl/ZavCallHub.h"
#include "platform/Text.h"
#include "provider/ZavSession.h"
#include "tapi/TapiSizes.h"
#include "trace/ZavTrace.h"
#include "tsp/ZavAddress.h"
#include "tsp/ZavLine.h"

LONG ZavAccepted(DRV_REQUESTID dwRequestID) {
    ZAV_TRACE("++++ STATUS ++++ 0x%08X", static_cast<DWORD>(dwRequestID));
    return static_cast<LONG>(dwRequestID);
}

bool ZavStillInHub(ZavAddress* addr, ZavCall* call) {
    ZavCallHub* hub = addr ? addr->GetCallHubPointer() : nullptr;
    return hub && call && hub->CallIdToCallPtr(call->GetId()) == call;
}

bool ZavSameExtension(HDRVCALL a, HDRVCALL b) {
    const auto bits = [](HDRVCALL h) { return static_cast<DWORD>(reinterpret_cast<uintptr_t>(h)); };
    return ((bits(a) ^ bits(b)) & 0xFFFF0000u) == 0;
}

std::size_t ZavWideLength(LPCWSTR text) {
    std::size_t n = 0;
    while (text[n]) ++n;
    return n;
}

std::string ZavToAnsi(LPCWSTR text) {
    return text ? plat::WideToAnsi(text, static_cast<int>(ZavWideLength(text))) : std::string();
}

void ZavApplyCallParams(ZavCall& call, const LINECALLPARAMS* params, const ZavAddress& addr) {
    if (params) {
        call.SetCallParams(params);
        if (params->dwMediaMode != 0) call.SetMediaMode(params->dwMediaMode);
        return;
    }
    LINECALLPARAMS defaults;
    std::memset(&defaults, 0, sizeof defaults);
    defaults.dwTotalSize = tapi::kLineCallParamsSize20;
    defaults.dwBearerMode = LINEBEARERMODE_VOICE;
    defaults.dwMinRate = 3100;
    defaults.dwMaxRate = 3100;
    defaults.dwMediaMode = ZavCall::s_DefaultMediaMode;
    defaults.dwAddressMode = LINEADDRESSMODE_ADDRESSID;
    defaults.dwAddressID = addr.GetId();
    defaults.dwNoAnswerTimeout = addr.GetNumRingsNoAnswer() * 6;
    call.SetCallParams(&defaults);
}

bool ZavFindCall(const ZavSession& session, HDRVCALL hdCall, ZavCallRefs& found) {
    return session.CallHandleToPointers(hdCall, &found.line, &found.addr, &found.call) && found.call && found.addr;
}

ZavPhone* ZavPhoneOfLine(const ZavLine* line) {
    ZavAddress* addr = line ? line->GetAddrPointer(0) : nullptr;
    ZavCallHub* hub = addr ? addr->GetCallHubPointer() : nullptr;
    return hub ? hub->GetPhonePointer() : nullptr;
}
