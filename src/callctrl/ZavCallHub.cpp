#include "callctrl/ZavCallHub.h"

#include <algorithm>

#include "callctrl/ZavMsgTypes.h"
#include "switchlink/ZavPhone.h"
#include "trace/ZavTrace.h"
#include "tsp/ZavAddress.h"

ZavCallHub::ZavCallHub()
    : m_callVect(DefaultMaxNumCalls(), nullptr),
      m_deleteCallVect(DefaultMaxNumCalls(), nullptr),
      m_pAddr(nullptr),
      m_pPhone(nullptr),
      m_pLine(nullptr) {}

ZavCallHub::~ZavCallHub() = default;

void ZavCallHub::AssociateWith(ZavPhone* pPhone) {
    if (!pPhone) {
        ZAV_TRACE("**** ZavCallHub::AssociateWith() thePhone is NULL");
        return;
    }
    m_pPhone = pPhone;
    pPhone->SetCallHubPointer(this);
}

void ZavCallHub::AssociateWith(ZavAddress* pAddr) {
    if (!pAddr) {
        ZAV_TRACE("**** ZavCallHub::AssociateWith() theAddr is NULL");
        return;
    }
    m_pAddr = pAddr;
    m_pLine = pAddr->GetLinePointer();
    pAddr->SetCallHubPointer(this);
}

ZavCall* ZavCallHub::CallIdToCallPtr(DWORD dwId) const { return dwId < m_callVect.size() ? m_callVect[dwId] : nullptr; }

ZavCall* ZavCallHub::CallIdToDeleteCallPtr(DWORD dwId) const {
    return dwId < m_deleteCallVect.size() ? m_deleteCallVect[dwId] : nullptr;
}

unsigned long ZavCallHub::MaxNumCalls() const {
    return m_pPhone ? m_pPhone->MaxNumLineAppearences() + 1 : DefaultMaxNumCalls();
}

void ZavCallHub::CheckCallVectSize() {
    unsigned long n = MaxNumCalls();
    if (m_callVect.size() != n) {
        ZAV_TRACE("ZavCallHub::CheckCallVectSize() is resizing for route point");
        m_callVect.resize(n);
        m_deleteCallVect.resize(n);
    }
    // Called when the extension has no calls: what is left is forgotten.
    std::fill(m_callVect.begin(), m_callVect.end(), nullptr);
    std::fill(m_deleteCallVect.begin(), m_deleteCallVect.end(), nullptr);
}

void ZavCallHub::HandleCallTermination(DWORD dwId) {
    ZAV_TRACE("ZavCallHub::HandleCallTermination() is invoked");
    ZavLockHolder hold(m_Lock);
    if (dwId >= m_callVect.size()) {
        ZAV_TRACE("**** ZavCallHub::HandleCallTermination() problem with CallID %d", static_cast<int>(dwId));
        return;
    }
    if (m_deleteCallVect[dwId]) {
        m_deleteCallVect[dwId] = nullptr;
    } else if (m_callVect[dwId]) {
        m_callVect[dwId] = nullptr;
    } else {
        ZAV_TRACE("**** ZavCallHub::HandleCallTermination() pTermCall is NULL");
    }
}

void ZavCallHub::ProcessCallCtrlMessage(long msgType, long result, long sal1, long sal2, long reqId, long /*reason*/,
                                        long /*digit*/, long gCallId, const char* /*callerNum*/, const char* ext,
                                        const char* /*callerName*/, const char* /*dialedNum*/,
                                        const char* /*trunk*/, const char* /*redirectingNum*/,
                                        const char* /*redirectionNum*/) {
    ZAV_TRACE("==== x%s %s Result %d SAL1 0x%08X SAL2 0x%08X ReqId 0x%08X GCallId 0x%08X", ext ? ext : "",
              ZavMsgTypeName(msgType), static_cast<int>(result), static_cast<unsigned>(sal1),
              static_cast<unsigned>(sal2), static_cast<unsigned>(reqId), static_cast<unsigned>(gCallId));
}
