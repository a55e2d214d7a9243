// Digit monitoring, the end of a digit gathering, and digit and tone
// generation on a call's leg.
#include <cstring>

#include "callctrl/ZavCall.h"
#include "platform/Text.h"
#include "platform/Thread.h"
#include "switchlink/ZavPhone.h"
#include "trace/ZavTrace.h"
#include "tsp/ZavLine.h"

namespace {

LONG Sal(DWORD sal) {
    return static_cast<LONG>(sal);
}

}  // namespace

void ZavCall::MonitorDigits(DWORD dwDigitModes) {
    DWORD sal = GetSAL();
    if (sal == 0) {
        ZAV_TRACE("**** ERROR: ZavCall::MonitorDigits() invalid SAL");
        return;
    }
    m_dwMonitorDigitModes.store(dwDigitModes);
    // A gathering keeps the switch's digit collection on by itself.
    if (!IsDigitGatheringOn())
        if (ZavPhone* phone = GetPhonePointer())
            phone->SendDigitCollectMsg(Sal(sal), dwDigitModes != 0 ? 1 : 0);
}

void ZavCall::StopGatheringDigits() {
    if (IsDigitGatheringOn()) NotifyDigitGatheringDone(LINEGATHERTERM_CANCEL);
}

// Nothing here starts a digit timer, so a gathering ends without waiting
// for one to wind down.
void ZavCall::NotifyDigitGatheringDone(DWORD dwTermination) {
    m_bDigitGatheringOn.store(0);
    if (!IsActive()) {
        ZAV_TRACE("ZavCall::NotifyDigitGatheringDone(), call is not active, clean up timers");
        m_strGatheredDigits.clear();
        return;
    }
    DWORD sal = GetSAL();
    ZAV_TRACE("ZavCall::NotifyDigitGatheringDone() ### SAL 0x%08X", sal);
    if (sal == 0) {
        ZAV_TRACE("**** ERROR: ZavCall::NotifyDigitGatheringDone() invalid SAL");
        m_strGatheredDigits.clear();
        return;
    }
    if (GetMonitorDigitModes() == 0)
        if (ZavPhone* phone = GetPhonePointer()) phone->SendDigitCollectMsg(Sal(sal), 0);
    if (m_lpsDigits && m_dwNumDigits != 0) {
        std::u16string wide = plat::AnsiToWide(m_strGatheredDigits.c_str());
        std::size_t n = wide.size() < m_dwNumDigits ? wide.size() : m_dwNumDigits;
        std::memcpy(m_lpsDigits, wide.data(), n * sizeof(char16_t));
    }
    if (ZavLine* line = GetLinePointer())
        line->SendLineEvent(GetHTapiCall(), LINE_GATHERDIGITS, dwTermination, m_dwEndToEndID,
                            plat::GetTickCount());
    m_strGatheredDigits.clear();
}

void ZavCall::HandleNewDTMFDigit(DWORD digit, DWORD digitMode) {
    ZAV_TRACE("ZavCall::HandleNewDTMFDIgit() ### Digit %d", static_cast<int>(digit));
    if (IsDigitGatheringOn()) {
        const char c = static_cast<char>(digit & 0xFF);
        m_strGatheredDigits += c;
        if (IsTerminationDigit(c))
            NotifyDigitGatheringDone(LINEGATHERTERM_TERMDIGIT);
        else if (m_strGatheredDigits.size() == m_dwNumDigits)
            NotifyDigitGatheringDone(LINEGATHERTERM_BUFFERFULL);
        // Otherwise the inter-digit time-out starts again; the gathering
        // timers do that once they exist.
    }
    ZavLine* line = GetLinePointer();
    HTAPICALL htCall = GetHTapiCall();
    if (!htCall || !line || (digitMode & GetMonitorDigitModes()) == 0) return;
    // Each digit as its beginning and its end.
    const DWORD tick = plat::GetTickCount();
    line->SendLineEvent(htCall, LINE_MONITORDIGITS, digit, LINEDIGITMODE_DTMF, tick);
    line->SendLineEvent(htCall, LINE_MONITORDIGITS, digit, LINEDIGITMODE_DTMFEND, tick);
}

int ZavCall::IsTerminationDigit(char digit) const {
    return m_strTerminationDigits.find(digit) != std::string::npos ? 1 : 0;
}

void ZavCall::SetGenerateDigits(const char* digits) {
    ZAV_TRACE("ZavCall::SetGenerateDigits() is invoked, %s => %s", digits ? digits : "",
              m_strGenerateDigits.c_str());
    m_strGenerateDigits = digits ? digits : "";
}

long ZavCall::GenerateDigits() {
    DWORD sal = GetSAL();
    ZAV_TRACE("ZavCall::GenerateDigits() ### SAL 0x%08X", sal);
    if (sal == 0) {
        ZAV_TRACE("**** ERROR: ZavCall::GenerateDigits() invalid SAL");
        return -1;
    }
    if (ZavPhone* phone = GetPhonePointer()) phone->Dial(Sal(sal), m_strGenerateDigits.c_str());
    return 0;
}

long ZavCall::GenerateDigitsOn(const ZavCall* leg) {
    DWORD sal = leg ? leg->GetSAL() : 0;
    ZAV_TRACE("ZavCall::GenerateDigits() ### SAL 0x%08X", sal);
    if (sal == 0) {
        ZAV_TRACE("ZavCall::GenerateDigits(), invalid SAL");
        return -1;
    }
    if (ZavPhone* phone = leg->GetPhonePointer()) phone->Dial(Sal(sal), m_strGenerateDigits.c_str());
    return 0;
}

long ZavCall::DialOnLeg(const char* digits) {
    const DWORD sal = GetSAL();
    if (sal == 0) return -1;
    if (ZavPhone* phone = GetPhonePointer()) phone->Dial(Sal(sal), digits);
    if (IsConnected()) SetCallState(LINECALLSTATE_DIALING, 0);
    return 0;
}

long ZavCall::GenerateTone(WORD tone, LONG duration) {
    DWORD sal = GetSAL();
    ZAV_TRACE("ZavCall::GenerateTone() ### SAL 0x%08X", sal);
    if (sal == 0) {
        ZAV_TRACE("**** ERROR: ZavCall::GenerateTone() invalid SAL");
        return -1;
    }
    if (ZavPhone* phone = GetPhonePointer()) phone->GenerateTone(Sal(sal), tone, duration);
    return 0;
}
