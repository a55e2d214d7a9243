#include "callctrl/ZavTspCallIncoming.h"

#include <cstdlib>
#include <cstring>
#include <exception>

#include "callctrl/ZavCallHub.h"
#include "switchlink/ZavPhone.h"
#include "trace/ZavTrace.h"

namespace {

// Party texts of this length or more are not parsed.
constexpr std::size_t kMaxPartyText = 64;

}  // namespace

ZavInCall::ZavInCall(HTAPICALL htCall) : ZavCall(htCall, LINECALLORIGIN_UNKNOWN) {
    SetCallObjectType(eCallObjectInCall);
}

ZavInCall::~ZavInCall() {
    if (GetMonitorDigitModes() != 0) MonitorDigits(0);
}

DWORD ZavInCall::GetCallFeatures() {
    switch (GetCallState()) {
        case LINECALLSTATE_OFFERING:
            return LINECALLFEATURE_ACCEPT | LINECALLFEATURE_ANSWER | LINECALLFEATURE_REDIRECT;
        case LINECALLSTATE_ACCEPTED:
            return LINECALLFEATURE_ANSWER;
        default:
            return ZavCall::GetCallFeatures();
    }
}

long ZavInCall::NotifyNewCall() {
    try {
        ZavCall::NotifyNewCall();
        if (!GetHTapiCall()) return -1;
        ZavCallHub* hub = GetCallHubPointer();
        const DWORD id = GetId();
        SetCallState(LINECALLSTATE_OFFERING, LINEOFFERINGMODE_ACTIVE);
        // TAPI may have closed the call from inside the notification.
        if (!hub || hub->CallIdToCallPtr(id) != this) return 0;
        EmitDeferredCallInfoMessages();
        return 0;
    } catch (...) {
        ZAV_TRACE("**** ERROR: ZavTspCallIncoming: exception is catched at line %d", __LINE__);
        return -1;
    }
}

void ZavInCall::NotifyNewCallInfo() {
    if (!GetHTapiCall()) return;
    SetCallInfo(LINECALLINFOSTATE_CALLERID);
    SetCallInfo(LINECALLINFOSTATE_CALLEDID);
    SetCallInfo(LINECALLINFOSTATE_ORIGIN);
    if (GetTrunkNum() != 0) SetCallInfo(LINECALLINFOSTATE_TRUNK);
}

void ZavInCall::UpdateCallerId(const char* number, const char* name) {
    UpdateOtherParty(number, name, LINECALLINFOSTATE_CALLERID);
}

void ZavInCall::HandleHuntGrpCallerID(const char* text, long secondary) {
    if (!text || std::strlen(text) >= kMaxPartyText) return;
    const char* colon = std::strchr(text, ':');
    std::string before = colon ? std::string(text, colon) : std::string(text);
    if (secondary) {
        bool digitsOnly = true;
        for (char c : before) digitsOnly = digitsOnly && c >= '0' && c <= '9';
        long value = digitsOnly ? std::strtol(text, nullptr, 10) : 0;
        if (value > 0) {
            ZAV_TRACE("ZavInCall::SetSecondaryCallerId %d", static_cast<int>(value));
            SetSecondaryCallerIDNum(value);
        }
    }
    // A hunt group reports "group:caller": the group is shown as the name.
    if (!colon) return;
    SetCallerName(before.c_str());
    SetCallerAddr(colon + 1);
}

void ZavInCall::Accept() {
    SetCallState(LINECALLSTATE_ACCEPTED, 0);
}

long ZavInCall::Answer(HDRVCALL hdCall, LONG sal) {
    ZavPhone* phone = GetPhonePointer();
    if (!GetHTapiCall() || !phone) return -1;
    return phone->Answer(sal, hdCall) != 0 ? -1 : 0;
}
