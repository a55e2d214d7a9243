// The switch commands of a phone: one endpoint method each, traced alike.
#include <cstring>
#include <string>

#include "callctrl/ZavCall.h"
#include "platform/Bstr.h"
#include "switchlink/ZavBstrArg.h"
#include "switchlink/ZavPhone.h"
#include "trace/ZavTrace.h"

namespace {

DWORD HandleBits(HDRVCALL h) { return static_cast<DWORD>(reinterpret_cast<uintptr_t>(h)); }
DWORD CallHandle(const ZavCall* pCall) { return pCall ? HandleBits(pCall->ToCallHandle()) : 0; }

std::string Keep(const char* digits, const char* allowed) {
    std::string out;
    for (const char* p = digits; p && *p; ++p)
        if (std::strchr(allowed, *p)) out += *p;
    return out;
}

}  // namespace

std::string ZavPhone::DialFilter(const char* digits) { return Keep(digits, "0123456789,#*ABCD"); }

std::string ZavPhone::ParkFilter(const char* digits) { return Keep(digits, "0123456789,"); }

template <typename Call>
int ZavPhone::Command(const char* command, const char* method, Call&& call) {
    IEndPoint* endpoint = GetEndPoint();
    if (!endpoint) return -1;
    HRESULT hr = call(endpoint);
    if (SUCCEEDED(hr)) return 0;
    ZAV_TRACE("**** ERROR: ZavPhone::%s() failed at m_spIEndPoint->%s() hr 0x%08X", command, method,
              static_cast<DWORD>(hr));
    return -1;
}

int ZavPhone::OffHook(LONG sal, ZavCall* pCall) {
    ZAV_TRACE("ZavPhone::OffHook() ### SAL 0x%08X", static_cast<DWORD>(sal));
    IEndPoint* endpoint = GetEndPoint();
    if (!endpoint) return -1;
    return SUCCEEDED(endpoint->OffHook(sal, CallHandle(pCall))) ? 0 : -1;
}

int ZavPhone::Answer(LONG sal, HDRVCALL hdCall) {
    ZAV_TRACE("ZavPhone::Answer() is invoked");
    IEndPoint* endpoint = GetEndPoint();
    if (sal == 0 || !endpoint) {
        ZAV_TRACE("**** ERROR: Failed at ZavPhone::Answer() SAL or EndPoint is NULL");
        return -1;
    }
    HRESULT hr = endpoint->Answer(sal, HandleBits(hdCall));
    if (FAILED(hr)) {
        ZAV_TRACE("**** ERROR: Failed at ZavPhone::Answer() hr 0x%08X", static_cast<DWORD>(hr));
        return -1;
    }
    return 0;
}

int ZavPhone::OnHook(LONG sal) {
    ZAV_TRACE("ZavPhone::OnHook() is invoked");
    IEndPoint* endpoint = GetEndPoint();
    if (sal == 0 || !endpoint) return -1;
    HRESULT hr = endpoint->OnHook(sal);
    if (FAILED(hr)) {
        ZAV_TRACE("**** ERROR: Failed at ZavPhone::OnHook() hr 0x%08X", static_cast<DWORD>(hr));
        return -1;
    }
    return 0;
}

int ZavPhone::Dial(LONG sal, const char* digits) {
    std::string kept = DialFilter(digits);
    ZAV_TRACE("ZavPhone::Dial() ### SAL 0x%08X Digits %s Len %d", static_cast<DWORD>(sal), kept.c_str(),
              static_cast<int>(kept.size()));
    return Command("Dial", "DialDigitsA", [&](IEndPoint* e) { return e->DialDigitsA(sal, ZavBstrArg(kept)); });
}

int ZavPhone::Transfer(ZavCall* pCall) {
    if (!GetEndPoint()) return -1;
    ZAV_TRACE("ZavPhone::Transfer() ### Digits %s", pCall ? pCall->GetOutdialNumber() : "");
    return Command("Transfer", "Transfer", [&](IEndPoint* e) { return e->Transfer(CallHandle(pCall)); });
}

int ZavPhone::CompleteTransfer(LONG sal) {
    ZAV_TRACE("ZavPhone::CompleteTransfer() is invoked");
    if (sal == 0) return -1;
    return Command("CompleteTransfer", "CompleteTransfer", [&](IEndPoint* e) { return e->CompleteTransfer(sal); });
}

int ZavPhone::Conference(ZavCall* /*pFirst*/, ZavCall* pSecond) {
    ZAV_TRACE("ZavPhone::Conference() is invoked");
    return Command("Conference", "Conference", [&](IEndPoint* e) { return e->Conference(CallHandle(pSecond)); });
}

int ZavPhone::AddToConf(ZavCall* /*pFirst*/, ZavCall* pSecond) {
    ZAV_TRACE("ZavPhone::AddToConf() is invoked");
    LONG sal = pSecond ? pSecond->GetSAL() : 0;
    return Command("AddToConf", "AddToConf", [&](IEndPoint* e) { return e->AddToConf(sal); });
}

int ZavPhone::Hold(LONG sal) {
    ZAV_TRACE("ZavPhone::Hold() is invoked");
    return Command("Hold", "Hold", [&](IEndPoint* e) { return e->Hold(sal); });
}

int ZavPhone::Unhold(LONG sal, ZavCall* pCall) {
    ZAV_TRACE("ZavPhone::Unhold() is invoked");
    return Command("Unhold", "Unhold", [&](IEndPoint* e) { return e->Unhold(sal, CallHandle(pCall)); });
}

int ZavPhone::Park(LONG sal, const char* digits) {
    ZAV_TRACE("ZavPhone::Park() is invoked");
    std::string kept = ParkFilter(digits);
    return Command("Park", "Park", [&](IEndPoint* e) { return e->Park(sal, ZavBstrArg(kept)); });
}

int ZavPhone::UnPark(LONG sal, const char* digits) {
    ZAV_TRACE("ZavPhone::UnPark() is invoked");
    std::string kept = ParkFilter(digits);
    return Command("UnPark", "UnPark", [&](IEndPoint* e) { return e->UnPark(sal, ZavBstrArg(kept)); });
}

int ZavPhone::Pickup(LONG sal, const char* digits, LONG directed) {
    ZAV_TRACE("ZavPhone::Pickup() is invoked");
    std::string kept = ParkFilter(digits);
    return Command("Pickup", "Pickup", [&](IEndPoint* e) { return e->Pickup(sal, ZavBstrArg(kept), directed); });
}

int ZavPhone::GenerateTone(LONG sal, WORD toneMode, LONG duration) {
    ZAV_TRACE("ZavPhone::GenerateTone() ### SAL 0x%08X ToneMode %d", static_cast<DWORD>(sal),
              static_cast<int>(toneMode));
    return Command("GenerateTone", "GenerateTone",
                   [&](IEndPoint* e) { return e->GenerateTone(sal, toneMode, duration); });
}

int ZavPhone::SendDigitCollectMsg(LONG sal, LONG on) {
    ZAV_TRACE("ZavPhone::SendDigitCollectMsg() ### SAL 0x%08X T %d", static_cast<DWORD>(sal), static_cast<int>(on));
    return Command("SendDigitCollectMsg", "SendDigitCollectMsg",
                   [&](IEndPoint* e) { return e->SendDigitCollectMsg(sal, on); });
}

int ZavPhone::Forward(const char* digits, LONG rings) {
    ZAV_TRACE("ZavPhone::Forward() is invoked");
    std::string kept = ParkFilter(digits);
    return Command("Forward", "Forward", [&](IEndPoint* e) { return e->Forward(ZavBstrArg(kept), rings); });
}

int ZavPhone::ConfDrop(LONG sal) {
    ZAV_TRACE("ZavPhone::ConfDrop() is invoked");
    return Command("ConfDrop", "ConfDrop", [&](IEndPoint* e) { return e->ConfDrop(sal); });
}

int ZavPhone::SetMWIState(LONG state) {
    ZAV_TRACE("ZavPhone::SetMWIState() is invoked");
    return Command("SetMWIState", "SetMWI", [&](IEndPoint* e) { return e->SetMWI(state); });
}

int ZavPhone::SetLCDDisplay(const char* text) {
    ZAV_TRACE("ZavPhone::SetLCDDisplay() is invoked");
    // The display takes 13 bytes of the caller's buffer, whatever they hold.
    std::string shown(text ? text : "", text ? 13 : 0);
    return Command("SetLCDDisplay", "SetLCDDisplay", [&](IEndPoint* e) { return e->SetLCDDisplay(ZavBstrArg(shown)); });
}

int ZavPhone::Redirect(const char* digits, LONG sal, ZavCall* pCall) {
    ZAV_TRACE("ZavPhone::Redirect() is invoked");
    std::string kept = DialFilter(digits);
    return Command("Redirect", "Redirect",
                   [&](IEndPoint* e) { return e->Redirect(ZavBstrArg(kept), sal, CallHandle(pCall)); });
}
