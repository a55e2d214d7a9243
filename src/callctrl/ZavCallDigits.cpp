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

namespace {

// Polls `done` every `stepMs` for at most `boundMs`, running `each` before
// every pause; true once done.
template <class Done, class Each>
bool PollFor(DWORD boundMs, DWORD stepMs, Done&& done, Each&& each) {
    const DWORD start = plat::GetTickCount();
    while (!done()) {
        if (plat::GetTickCount() - start >= boundMs) return false;
        each();
        plat::Sleep(stepMs);
    }
    return true;
}

}  // namespace

long ZavCall::GatherDigits(DWORD dwEndToEndID, DWORD dwDigitModes, LPWSTR lpsDigits, DWORD dwNumDigits,
                           LPCWSTR lpszTerminationDigits, DWORD dwFirstDigitTimeout, DWORD dwInterDigitTimeout) {
    ZAV_TRACE("ZavCall::GatherDigits() is invoked");
    const DWORD sal = GetSAL();
    if (sal == 0) {
        ZAV_TRACE("**** ERROR: ZavCall::GatherDigits() invalid SAL");
        return -1;
    }
    StopGatheringDigits();
    ZavPhone* phone = GetPhonePointer();
    const bool monitoring = GetMonitorDigitModes() != 0;
    if (!monitoring && phone) phone->SendDigitCollectMsg(Sal(sal), 0);
    if (m_TimerEvents[eTimerInterDigit].load() || m_bInterDigitTimerActive.load()) {
        ZAV_TRACE("ZavCall::GatherDigits(), lingering timers %d %d",
                  static_cast<int>(reinterpret_cast<uintptr_t>(m_TimerEvents[eTimerInterDigit].load())),
                  m_bInterDigitTimerActive.load());
        return -1;
    }
    m_dwEndToEndID = dwEndToEndID;
    m_dwGatherDigitModes = dwDigitModes;
    m_lpsDigits = lpsDigits;
    m_dwNumDigits = dwNumDigits;
    m_dwFirstDigitTimeout = dwFirstDigitTimeout;
    m_dwInterDigitTimeout = dwInterDigitTimeout;
    m_strTerminationDigits = lpszTerminationDigits ? plat::WideToAnsi(lpszTerminationDigits) : std::string();
    if (!monitoring && phone) phone->SendDigitCollectMsg(Sal(sal), 1);
    m_bDigitGatheringOn.store(1);
    if (!m_TimerEvents[eTimerFirstDigit].load() && !m_bFirstDigitTimerActive.load()) {
        // Set before the thread runs: it clears the flag when it ends.
        m_bFirstDigitTimerActive.store(1);
        if (!CreateTimer(eTimerFirstDigit, 1, m_dwFirstDigitTimeout)) {
            m_bFirstDigitTimerActive.store(0);
            ZAV_TRACE("**** ZavCall::GatherDigits(), couldn't create FirstDigit timer");
        }
    } else {
        ZAV_TRACE("**** ZavCall::GatherDigits(), couldn't start FirstDigit timer");
    }
    return 0;
}

void ZavCall::NotifyDigitGatheringDone(DWORD dwTermination) {
    m_bDigitGatheringOn.store(0);
    if (!IsActive()) {
        ZAV_TRACE("ZavCall::NotifyDigitGatheringDone(), call is not active, clean up timers");
        CleanUpTimers();
        m_strGatheredDigits.clear();
        return;
    }
    DWORD sal = GetSAL();
    ZAV_TRACE("ZavCall::NotifyDigitGatheringDone() ### SAL 0x%08X", sal);
    if (sal == 0) {
        ZAV_TRACE("**** ERROR: ZavCall::NotifyDigitGatheringDone() invalid SAL");
        CleanUpTimers();
        m_strGatheredDigits.clear();
        return;
    }
    if (GetMonitorDigitModes() == 0)
        if (ZavPhone* phone = GetPhonePointer()) phone->SendDigitCollectMsg(Sal(sal), 0);
    if (m_TimerEvents[eTimerFirstDigit].load()) {
        ZAV_TRACE("ZavCall::NotifyDigitGatheringDone(), Setevent FirstDigit");
        SignalTimer(eTimerFirstDigit);
    }
    if (m_TimerEvents[eTimerInterDigit].load()) {
        ZAV_TRACE("ZavCall::NotifyDigitGatheringDone(), SetEvent InterDigit");
        SignalTimer(eTimerInterDigit);
    }
    if (m_lpsDigits && m_dwNumDigits != 0) {
        std::u16string wide = plat::AnsiToWide(m_strGatheredDigits.c_str());
        std::size_t n = wide.size() < m_dwNumDigits ? wide.size() : m_dwNumDigits;
        std::memcpy(m_lpsDigits, wide.data(), n * sizeof(char16_t));
    }
    auto slotsClear = [&] { return !m_TimerEvents[eTimerFirstDigit].load() && !m_TimerEvents[eTimerInterDigit].load(); };
    auto flagsClear = [&] { return !m_bFirstDigitTimerActive.load() && !m_bInterDigitTimerActive.load(); };
    PollFor(1000, 2, slotsClear, [&] {
        ZAV_TRACE("ZavCall::NotifyDigitGatheringDone(), trying to cancel timers, based on the timer handle %d %d",
                  static_cast<int>(reinterpret_cast<uintptr_t>(m_TimerEvents[eTimerFirstDigit].load())),
                  static_cast<int>(reinterpret_cast<uintptr_t>(m_TimerEvents[eTimerInterDigit].load())));
    });
    PollFor(6000, 2, flagsClear, [&] {
        ZAV_TRACE("ZavCall::NotifyDigitGatheringDone(), trying to cancel timers, based on the timer thread ids %d %d",
                  m_bFirstDigitTimerActive.load(), m_bInterDigitTimerActive.load());
    });
    if (slotsClear() && flagsClear()) {
        if (ZavLine* line = GetLinePointer())
            line->SendLineEvent(GetHTapiCall(), LINE_GATHERDIGITS, dwTermination, m_dwEndToEndID,
                                plat::GetTickCount());
    } else {
        ZAV_TRACE("**** ZavCall::NotifyDigitGatheringDone(), couldn't cancel timers, despite trying like crazy");
    }
    m_strGatheredDigits.clear();
}

void ZavCall::HandleNewDTMFDigit(DWORD digit, DWORD digitMode) {
    ZAV_TRACE("ZavCall::HandleNewDTMFDIgit() ### Digit %d", static_cast<int>(digit));
    if (IsDigitGatheringOn()) {
        const char c = static_cast<char>(digit & 0xFF);
        m_strGatheredDigits += c;
        if (IsTerminationDigit(c)) {
            NotifyDigitGatheringDone(LINEGATHERTERM_TERMDIGIT);
        } else if (m_strGatheredDigits.size() == m_dwNumDigits) {
            NotifyDigitGatheringDone(LINEGATHERTERM_BUFFERFULL);
        } else {
            RestartInterDigitTimer();
        }
    }
    ZavLine* line = GetLinePointer();
    HTAPICALL htCall = GetHTapiCall();
    if (!htCall || !line || (digitMode & GetMonitorDigitModes()) == 0) return;
    // Each digit as its beginning and its end.
    const DWORD tick = plat::GetTickCount();
    line->SendLineEvent(htCall, LINE_MONITORDIGITS, digit, LINEDIGITMODE_DTMF, tick);
    line->SendLineEvent(htCall, LINE_MONITORDIGITS, digit, LINEDIGITMODE_DTMFEND, tick);
}

// The first digit ends the first-digit time-out, and every digit that
// leaves the gathering on starts the inter-digit time-out afresh.
void ZavCall::RestartInterDigitTimer() {
    SignalTimer(eTimerFirstDigit);
    SignalTimer(eTimerInterDigit);
    PollFor(1000, 1, [&] { return !m_TimerEvents[eTimerInterDigit].load(); }, [] {});
    PollFor(1000, 1, [&] { return !m_bInterDigitTimerActive.load(); }, [] {});
    if (!PollFor(2000, 2, [&] { return !m_bFirstDigitTimerActive.load(); },
                 [&] { SignalTimer(eTimerFirstDigit); }))
        ZAV_TRACE("**** ZavCall::HandleNewDTMFDIgit() couldn't stop FirstDigit timer");
    if (m_TimerEvents[eTimerInterDigit].load() || m_bInterDigitTimerActive.load()) {
        ZAV_TRACE("**** ZavCall::HandleNewDTMFDIgit() couldn't create InterDigit timer");
        return;
    }
    // A zero time-out means no inter-digit timer.
    if (m_dwInterDigitTimeout == 0) return;
    m_bInterDigitTimerActive.store(1);
    if (!CreateTimer(eTimerInterDigit, 1, m_dwInterDigitTimeout)) m_bInterDigitTimerActive.store(0);
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
