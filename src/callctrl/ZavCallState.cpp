// How a call's state, call information and request completions reach TAPI.
#include "callctrl/ZavCall.h"
#include "callctrl/ZavCallHub.h"
#include "trace/ZavTrace.h"
#include "tsp/ZavLine.h"

void ZavCall::SetCallState(DWORD dwState, DWORD dwMode) {
    if (dwState == m_dwCallState.load() && m_bDontNotifyYet.load() == 0) return;
    m_dwCallState.store(dwState);
    m_dwCallStateMode.store(dwMode);
    try {
        HTAPICALL htCall = m_hTapiCall.load();
        if (!htCall) {
            // Reported by the announcement once TAPI has given its handle.
            ZAV_TRACE("ZavCall::SetCallState() m_hTapiCall is NULL");
            return;
        }
        ZavLine* line = GetLinePointer();
        if (!line) return;
        line->SendLineEvent(htCall, LINE_CALLSTATE, dwState, dwMode, m_dwMediaMode.load());
    } catch (...) {
        ZAV_TRACE("**** ERROR: ZavCall::SetCallState() exception is catched");
    }
}

void ZavCall::SetDontNotifyYetCallState(DWORD dwState) {
    m_dwCallState.store(dwState);
    // Never cleared: from now on a repeated state is reported again.
    m_bDontNotifyYet.store(1);
}

bool ZavCall::IsActive() const {
    switch (GetCallState()) {
        case LINECALLSTATE_IDLE:
        case LINECALLSTATE_ONHOLD:
        case LINECALLSTATE_ONHOLDPENDCONF:
        case LINECALLSTATE_ONHOLDPENDTRANSFER:
            return false;
        default:
            return true;
    }
}

long ZavCall::SetCallInfo(DWORD dwCallInfoStates) {
    HTAPICALL htCall = m_hTapiCall.load();
    if (!htCall) {
        ZAV_TRACE("ZavCall::SetCallInfo() m_hTapiCall is NULL for state=0x%x, so defer it", dwCallInfoStates);
        m_dwDeferredCallInfoBits.fetch_or(dwCallInfoStates);
        return -1;
    }
    if (ZavLine* line = GetLinePointer()) line->SendLineEvent(htCall, LINE_CALLINFO, dwCallInfoStates, 0, 0);
    return 0;
}

void ZavCall::EmitDeferredCallInfoMessages() {
    // Taken out first: a bit that cannot be reported yet defers itself
    // again instead of being wiped by the clean-up.
    DWORD bits = m_dwDeferredCallInfoBits.exchange(0);
    for (unsigned i = 0; i < 32; ++i) {
        DWORD bit = DWORD{1} << i;
        if (bits & bit) SetCallInfo(bit);
    }
}

DWORD ZavCall::GetCallFeatures() {
    switch (GetCallState()) {
        case LINECALLSTATE_CONNECTED:
        case LINECALLSTATE_CONFERENCED:
            return LINECALLFEATURE_BLINDTRANSFER | LINECALLFEATURE_DIAL | LINECALLFEATURE_DROP |
                   LINECALLFEATURE_HOLD | LINECALLFEATURE_PARK | LINECALLFEATURE_SETUPCONF |
                   LINECALLFEATURE_SETUPTRANSFER;
        case LINECALLSTATE_ONHOLD:
            return LINECALLFEATURE_UNHOLD;
        case LINECALLSTATE_ONHOLDPENDCONF:
            return LINECALLFEATURE_UNHOLD | LINECALLFEATURE_ADDTOCONF;
        case LINECALLSTATE_ONHOLDPENDTRANSFER:
            return LINECALLFEATURE_UNHOLD | LINECALLFEATURE_COMPLETETRANSF;
        case LINECALLSTATE_IDLE:
            return 0;
        default:
            return LINECALLFEATURE_DROP;
    }
}

void ZavCall::SetRequestId(ReqTypeE kind, DWORD dwRequestID) {
    if (kind >= m_ReqIds.size()) {
        ZAV_TRACE("**** ERROR: ZavCall::SetRequestId tried to access invalid request id");
        return;
    }
    m_ReqIds[kind].store(dwRequestID);
}

DWORD ZavCall::GetRequestId(ReqTypeE kind) const {
    return kind < m_ReqIds.size() ? m_ReqIds[kind].load() : 0;
}

DWORD ZavCall::CompleteRequest(ReqTypeE kind, LONG result) {
    if (kind >= m_ReqIds.size()) return 0;
    DWORD id = m_ReqIds[kind].exchange(0);
    if (id == 0) return 0;
    if (ZavLine* line = GetLinePointer()) line->SendCompletionStatus(id, result);
    if (result != 0) ForgetTapiHandleIfMadeBy(kind);
    // Some requests are noted on two calls (a transfer's held and
    // consultation call, a conference's primary and consultation call);
    // TAPI hears of each once, so no other call may complete it again.
    if (ZavCallHub* hub = m_pCallHub) hub->ForgetRequest(id, result != 0);
    return id;
}

void ZavCall::ForgetTapiHandleIfMadeBy(ReqTypeE kind) {
    // TAPI forgets the calls a failed request made and never closes them:
    // whatever the switch later says of them must not reach TAPI. A
    // transfer's consultation call is dealt with where its set-up fails.
    const DWORD type = GetCallObjectType();
    if (kind == eReqConference && (type == eCallObjectConfOutCall || type == eCallObjectConfCall))
        SetHTapiCall(nullptr);
}

void ZavCall::ForgetRequestId(DWORD id, bool failed) {
    for (std::size_t i = 0; i < m_ReqIds.size(); ++i) {
        DWORD expected = id;
        if (m_ReqIds[i].compare_exchange_strong(expected, 0) && failed)
            ForgetTapiHandleIfMadeBy(static_cast<ReqTypeE>(i));
    }
    // Completed, the identifier is TAPI's again and may come back for
    // another request.
    DWORD lent = id;
    m_dwLentRequestId.compare_exchange_strong(lent, 0);
}

void ZavCall::CleanUpCompIds() {
    for (std::size_t i = 0; i < m_ReqIds.size(); ++i)
        CompleteRequest(static_cast<ReqTypeE>(i), static_cast<LONG>(LINEERR_OPERATIONFAILED));
    // A request TAPI made on this call but another call carries goes with
    // this one too: TAPI closes or forgets the call it was made on, and a
    // consultation call it forgets with a failed set-up is never closed at
    // all, so nothing else would settle it before the carrier ends.
    if (ZavCallHub* hub = m_pCallHub) hub->FailRequest(TakeLentRequest());
}
