// What a call does when the switch reports progress: the announcement to
// TAPI, hold and unhold, park, connection and disconnection.
#include <cstdint>

#include "callctrl/ZavCall.h"
#include "callctrl/ZavCallHub.h"
#include "callctrl/ZavNewCallSlots.h"
#include "platform/Thread.h"
#include "switchlink/ZavPhone.h"
#include "trace/ZavTrace.h"
#include "tsp/ZavLine.h"

namespace {

constexpr DWORD kNewCallPollMs = 5;

// The call that stands for `call` towards TAPI while `call` is the primary
// call of a conference: the hub's conference call.
ZavCall* ConferenceStandIn(ZavCall* call) {
    if (!call->IsPrimaryInConference()) return nullptr;
    ZavCallHub* hub = call->GetCallHubPointer();
    ZavCall* conf = hub ? hub->GetConfCallPointer() : nullptr;
    return conf == call ? nullptr : conf;
}

}  // namespace

std::atomic<DWORD> ZavCall::s_dwNewCallWaitMs{2000};

long ZavCall::NotifyNewCall() {
    ZavCallHub* hub = m_pCallHub;
    if (!hub || hub->CallIdToCallPtr(m_dwId) != this) return -1;

    // TAPI writes its handle through the pointer, normally during the event
    // call, possibly later from a thread of its own.
    if (!m_pAnnouncedTapiCall) m_pAnnouncedTapiCall = ZavNewCallSlots::Acquire();
    std::atomic_ref<HTAPICALL> answer(*m_pAnnouncedTapiCall);
    answer.store(nullptr);
    ZavLine* line = hub->GetLinePointer();
    // A line being closed has nobody left to answer: waiting out the bound
    // would only hold up the close, which waits for this thread.
    if (!line || !line->SendLineEvent(nullptr, LINE_NEWCALL, reinterpret_cast<DWORD_PTR>(ToCallHandle()),
                                      reinterpret_cast<DWORD_PTR>(m_pAnnouncedTapiCall), 0)) {
        ZAV_TRACE("**** ZavCall::NotifyNewCall() the line is closed, no HtapiCall to wait for");
        return -1;
    }

    DWORD start = plat::GetTickCount();
    HTAPICALL htCall = answer.load();
    while (!htCall) {
        plat::Sleep(kNewCallPollMs);
        htCall = answer.load();
        if (!htCall && plat::GetTickCount() - start > s_dwNewCallWaitMs.load()) break;
    }
    if (!htCall) {
        ZAV_TRACE("**** ZavCall::NotifyNewCall() timed out waiting for HtapiCall ");
        return -1;
    }
    m_hTapiCall.store(htCall);
    return 0;
}

void ZavCall::NotifyHold() {
    ZavCall* call = this;
    for (;;) {
        call->CompleteRequest(eReqHold, 0);
        ZavCall* conf = ConferenceStandIn(call);
        if (!conf) break;
        call = conf;
    }
    call->SetCallState(LINECALLSTATE_ONHOLD, 0);
}

void ZavCall::NotifyUnhold() {
    ZavCall* call = this;
    for (;;) {
        call->CompleteRequest(eReqUnhold, 0);
        ZavCall* conf = ConferenceStandIn(call);
        if (!conf) break;
        call = conf;
    }
    call->SetCallState(LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
}

void ZavCall::NotifyUnholdError() {
    CompleteRequest(eReqUnhold, static_cast<LONG>(LINEERR_OPERATIONFAILED));
}

long ZavCall::NotifyDisconnected(DWORD /*dwDisconnectMode*/) {
    // The call went away while a transfer was being set up from it: the
    // set-up fails and its consultation call goes with it.
    // The consultation call notes the same request; it is found before the
    // completion, after which every call of the extension forgets it.
    ZavCallHub* hub = m_pCallHub;
    ZavCall* consult = nullptr;
    if (const DWORD pending = m_ReqIds[eReqSetupTransfer].exchange(0)) {
        consult = hub ? hub->TransferCompletionIdToCallPtr(pending, false) : nullptr;
        m_ReqIds[eReqSetupTransfer].store(pending);
    }
    DWORD setupId = CompleteRequest(eReqSetupTransfer, static_cast<LONG>(LINEERR_OPERATIONFAILED));
    if (setupId != 0) {
        ZAV_TRACE("ZavCall::NotifyDisconnected, SetupTransfer failed notifying call");
        if (consult && consult != this) {
            consult->SetRequestId(eReqSetupTransfer, 0);
            // TAPI forgets the consultation call with the failed set-up:
            // what the application asked of it meanwhile fails with it.
            consult->CleanUpCompIds();
            delete consult;
        }
        SetCallState(LINECALLSTATE_IDLE, 0);
        return -1;
    }
    // A park ends with the parked call's disconnection.
    CompleteRequest(eReqPark, 0);
    if (IsPrimaryInConference()) NotifyConferenceDisconnected();
    // The hub reports disconnected and idle itself.
    m_dwCallState.store(LINECALLSTATE_IDLE);
    m_dwCallStateMode.store(0);
    return 0;
}

void ZavCall::NotifyConnected() {
    if (!IsConnected()) SetCallState(LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
}

void ZavCall::NotifyConferenced() {
    ZavCallHub* hub = m_pCallHub;
    ZavCall* conf = hub ? hub->GetConfCallPointer() : nullptr;
    if (!conf) return;
    // TAPI learns the conference call from the mode parameter.
    SetCallState(LINECALLSTATE_CONFERENCED,
                 static_cast<DWORD>(reinterpret_cast<uintptr_t>(conf->GetHTapiCall())));
}

void ZavCall::NotifyConferenceDisconnected() {
    if (ZavCallHub* hub = m_pCallHub) hub->NotifyConferenceDisconnected();
}

void ZavCall::NotifyPark() {
    ZAV_TRACE("ZavCall::NotifyPark() is invoked, Call State: %s",
              ZavTapiValueName(LINE_CALLSTATE, GetCallState()));
    CompleteRequest(eReqPark, 0);
    SetCallState(LINECALLSTATE_IDLE, 0);
}

void ZavCall::NotifyParkError(LONG result) {
    if (CompleteRequest(eReqPark, result) == 0) return;
    if (result != static_cast<LONG>(LINEERR_RESOURCEUNAVAIL)) return;
    // The orbit was taken: the call comes back to the extension.
    ZavPhone* phone = GetPhonePointer();
    if (!phone || phone->OffHook(static_cast<LONG>(GetSAL()), this) != 0)
        ZAV_TRACE("**** ZavCall::NotifyParkError(), failed to go offhook");
    SetCallState(LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
}

void ZavCall::NotifyLineGenerate(DWORD_PTR p1, DWORD_PTR p2, DWORD_PTR p3) {
    if (ZavLine* line = GetLinePointer()) line->SendLineEvent(GetHTapiCall(), LINE_GENERATE, p1, p2, p3);
}

void ZavCall::NotifyLineReply(DWORD_PTR x) {
    ZavLine* line = GetLinePointer();
    HTAPICALL htCall = GetHTapiCall();
    if (line && htCall) line->SendLineEvent(htCall, LINE_REPLY, x, 1, 0);
}

void ZavCall::NotifyRingBack() {
    ZAV_TRACE("ZavCall::NotifyRingBack() is invoked");
}

void ZavCall::NotifyTransferEnd() {
    ZAV_TRACE("ZavCall::NotifyTransferEnd() is invoked");
}
