// The parties and numbers of a call as the switch reports them, and the
// call information each update reports.
#include <cstdlib>
#include <cstring>
#include <string>

#include "callctrl/ZavCall.h"
#include "trace/ZavTrace.h"

namespace {

// The switch's party texts are "number:name"; longer ones are not parsed.
constexpr std::size_t kMaxPartyText = 64;

bool Parsable(const char* text) {
    return text && std::strlen(text) < kMaxPartyText;
}

// The switch's reason codes and what TAPI calls them.
struct ReasonCode {
    DWORD code;
    DWORD reason;
};
constexpr ReasonCode kReasons[] = {
    {0, 0},
    {1, LINECALLREASON_FWDBUSY},
    {2, LINECALLREASON_DIRECT},
    {3, LINECALLREASON_FWDUNCOND},
    {4, LINECALLREASON_FWDNOANSWER},
    {5, LINECALLREASON_TRANSFER},
    {6, LINECALLREASON_PICKUP},
    {14, LINECALLREASON_PARKED | LINECALLREASON_REMINDER},
    {18, LINECALLREASON_REDIRECT | LINECALLREASON_FWDBUSY},
    {19, LINECALLREASON_REMINDER | LINECALLREASON_REDIRECT},
    {20, LINECALLREASON_REDIRECT},
    {21, LINECALLREASON_CALLCOMPLETION},
};

}  // namespace

const std::string& ZavCall::GetCallerAddr() const {
    static const std::string s_empty;
    return s_empty;
}

void ZavCall::SetDialedNum(const char* number) {
    m_strDialedNum = number ? number : "";
}

void ZavCall::SetParkNumber(const char* number) {
    ZAV_TRACE("ZavCall::SetParkNumber() is invoked, %s => %s", number ? number : "", m_strParkNumber.c_str());
    m_strParkNumber = number ? number : "";
}

void ZavCall::SetPickupNumber(const char* number) {
    ZAV_TRACE("ZavCall::SetPickupNumber() is invoked, %s => %s", number ? number : "",
              m_strPickupNumber.c_str());
    m_strPickupNumber = number ? number : "";
}

void ZavCall::SetGlobalCallId(DWORD id) {
    if (id == m_dwGlobalCallId) return;
    m_dwGlobalCallId = id;
    SetCallInfo(LINECALLINFOSTATE_CALLID);
}

void ZavCall::SetCallReason(DWORD reason, int translate) {
    if (!translate) {
        m_dwCallReason = reason;
        return;
    }
    for (const ReasonCode& r : kReasons)
        if (r.code == reason) {
            m_dwCallReason = r.reason;
            return;
        }
}

void ZavCall::UpdateCallerId(const char* /*number*/, const char* /*name*/) {
    ZAV_TRACE("ZavCall::UpdateCallerId is invoked");
}

void ZavCall::UpdateOtherParty(const char* number, const char* name, DWORD infoBit) {
    m_strPreviousAddr = GetCallerAddr();
    SetCallerAddr(number);
    if (name) {
        m_strPreviousName = m_strOtherName;
        SetCallerName(name);
    }
    SetCallInfo(infoBit);
}

void ZavCall::UpdateUnParkCallerId(const char* number, const char* name) {
    ZAV_TRACE("ZavCall::UpdateUnParkCallerId() is invoked, Call State: %s",
              ZavTapiValueName(LINE_CALLSTATE, GetCallState()));
    m_strPreviousAddr = m_strOtherAddr;
    m_strPreviousName = m_strOtherName;
    m_strOtherAddr = number ? number : "";
    if (name) m_strOtherName = name;
    SetCallInfo(LINECALLINFOSTATE_CALLERID);
}

void ZavCall::UpdateDivertedCallerId(const char* text, long secondary) {
    ZAV_TRACE("ZavCall::UpdateDivertedCallerId ### %s", text ? text : "");
    if (!Parsable(text)) return;
    const char* colon = std::strchr(text, ':');
    std::string number = colon ? std::string(text, colon) : std::string(text);
    m_strDivertedNumber = number;
    if (secondary) {
        ZAV_TRACE("ZavCall::UpdateDivertedCallerId SecondaryCallerID ### %s", number.c_str());
        long value = std::strtol(number.c_str(), nullptr, 10);
        if (value > 0) SetSecondaryCallerIDNum(value);
    }
    if (colon) m_strDivertedName = colon + 1;
    SetCallInfo(LINECALLINFOSTATE_REDIRECTINGID);
}

void ZavCall::UpdateDivertingPartyDialedId(const char* text) {
    ZAV_TRACE("ZavCall::UpdateDivertingPartyDialedId ### %s", text ? text : "");
    if (!Parsable(text)) return;
    m_strDivertingPartyDialedNumber = text;
    SetCallInfo(LINECALLINFOSTATE_REDIRECTIONID);
}

int ZavCall::OnceUnparked() {
    int previous = m_bOnceUnparked;
    m_bOnceUnparked = 1;
    return previous;
}
