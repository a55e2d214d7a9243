// Finding an extension's calls: by id, SAL, driver handle, pending transfer
// request and state, and counting them by state.
#include <cstdint>

#include "callctrl/ZavCall.h"
#include "callctrl/ZavCallHub.h"
#include "trace/ZavTrace.h"
#include "tsp/ZavLine.h"

namespace {

DWORD HandleBits(const ZavCall* call) {
    return call ? static_cast<DWORD>(reinterpret_cast<uintptr_t>(call->ToCallHandle())) : 0;
}

}  // namespace

ZavCall* ZavCallHub::CallIdToCallPtr(DWORD dwId) const {
    ZavLockHolder hold(m_Lock);
    return dwId < m_callVect.size() ? m_callVect[dwId] : nullptr;
}

ZavCall* ZavCallHub::CallIdToDeleteCallPtr(DWORD dwId) const {
    ZavLockHolder hold(m_Lock);
    return dwId < m_deleteCallVect.size() ? m_deleteCallVect[dwId] : nullptr;
}

ZavCall* ZavCallHub::GetConfCallPointer() const {
    ZavLockHolder hold(m_Lock);
    return m_callVect.empty() ? nullptr : m_callVect.back();
}

ZavCall* ZavCallHub::SALToCallPtr(DWORD sal, DWORD* pIndex) const {
    return SALLookup(sal, pIndex, false);
}

ZavCall* ZavCallHub::SALToCallInclIdlePtr(DWORD sal, DWORD* pIndex) const {
    return SALLookup(sal, pIndex, true);
}

ZavCall* ZavCallHub::SALLookup(DWORD sal, DWORD* pIndex, bool bInclIdle) const {
    if (sal == 0) return nullptr;
    ZavLockHolder hold(m_Lock);
    std::size_t i = 0;
    ZavCall* found = nullptr;
    for (; i < m_callVect.size(); ++i) {
        ZavCall* call = m_callVect[i];
        if (!call || call->GetSAL() != sal) continue;
        // An idle call keeps its SAL; it must not hide a live call that the
        // switch has given the same leg since.
        if (!bInclIdle && call->IsIdle()) continue;
        found = call;
        break;
    }
    if (bInclIdle)
        ZAV_TRACE("ZavCallHub::SALToCallInclIdlePtr() is invoked, id %d => h 0x%08X", static_cast<int>(sal),
                  HandleBits(found));
    else
        ZAV_TRACE("ZavCallHub::SALToCallPtr() is invoked, id %d => h 0x%08X", static_cast<int>(sal),
                  HandleBits(found));
    if (pIndex) *pIndex = static_cast<DWORD>(i);
    return found;
}

ZavCall* ZavCallHub::ReqIdToCallPtr(HDRVCALL hdCall) const {
    long id = ZavCall::CallHandleToId(hdCall);
    DWORD lineId = (static_cast<DWORD>(reinterpret_cast<uintptr_t>(hdCall)) >> 16) & 0xFFF;
    if (id < 0 || !m_pLine || lineId != m_pLine->GetId()) return nullptr;
    return CallIdToCallPtr(static_cast<DWORD>(id));
}

ZavCall* ZavCallHub::TransferCompletionIdToCallPtr(DWORD reqId, bool bComplete) const {
    if (reqId == 0) return nullptr;
    ReqTypeE kind = bComplete ? eReqCompleteTransfer : eReqSetupTransfer;
    ZavLockHolder hold(m_Lock);
    ZavCall* found = nullptr;
    for (ZavCall* call : m_callVect)
        if (call && call->GetRequestId(kind) == reqId) {
            found = call;
            break;
        }
    ZAV_TRACE("ZavCallHub::TransferCompletionIdToCallPtr() is invoked, id %d => h 0x%08X",
              static_cast<int>(reqId), HandleBits(found));
    return found;
}

ZavCall* ZavCallHub::FindCallInState(DWORD state) const {
    const DWORD states[] = {state, 0};
    return FindCallInStates(states);
}

ZavCall* ZavCallHub::FindCallInStates(const DWORD* states) const {
    if (!states) return nullptr;
    ZavLockHolder hold(m_Lock);
    for (ZavCall* call : m_callVect) {
        if (!call) continue;
        DWORD state = call->GetCallState();
        for (const DWORD* s = states; *s != 0; ++s)
            if (*s == state) return call;
    }
    return nullptr;
}

void ZavCallHub::CompleteConferenceRequest(ZavCall* call, LONG result) {
    if (call) call->CompleteRequest(eReqConference, result);
}

void ZavCallHub::ForgetRequest(DWORD id, bool failed) {
    ZavLockHolder hold(m_Lock);
    for (const std::vector<ZavCall*>* calls : {&m_callVect, &m_deleteCallVect})
        for (ZavCall* call : *calls)
            if (call) call->ForgetRequestId(id, failed);
}

void ZavCallHub::FailRequest(DWORD id) {
    if (id == 0) return;
    ZavCall* carrier = nullptr;
    ReqTypeE kind = eReqMakeCall;
    {
        ZavLockHolder hold(m_Lock);
        for (const std::vector<ZavCall*>* calls : {&m_callVect, &m_deleteCallVect})
            for (ZavCall* call : *calls)
                for (unsigned k = 0; call && !carrier && k < ZavCall::s_NumReqIds; ++k)
                    if (call->GetRequestId(static_cast<ReqTypeE>(k)) == id) {
                        carrier = call;
                        kind = static_cast<ReqTypeE>(k);
                    }
    }
    if (carrier) carrier->CompleteRequest(kind, static_cast<LONG>(LINEERR_OPERATIONFAILED));
}

void ZavCallHub::NumCallStatistics(DWORD* pActive, DWORD* pIdle, DWORD* pOnHold,
                                   DWORD* pOnHoldPending) const {
    DWORD active = 0, idle = 0, onHold = 0, onHoldPending = 0;
    {
        ZavLockHolder hold(m_Lock);
        for (ZavCall* call : m_callVect) {
            if (!call) continue;
            switch (call->GetCallState()) {
                case LINECALLSTATE_IDLE:
                    ++idle;
                    break;
                case LINECALLSTATE_ONHOLD:
                    ++onHold;
                    break;
                case LINECALLSTATE_ONHOLDPENDCONF:
                case LINECALLSTATE_ONHOLDPENDTRANSFER:
                    ++onHoldPending;
                    break;
                default:
                    ++active;
                    break;
            }
        }
    }
    if (pActive) *pActive = active;
    if (pIdle) *pIdle = idle;
    if (pOnHold) *pOnHold = onHold;
    if (pOnHoldPending) *pOnHoldPending = onHoldPending;
}
