// The hub's slots: associations, saving calls, moving them to the
// delete-pending slots, and clearing a slot when its call is destroyed.
#include "callctrl/ZavCallHub.h"

#include <algorithm>
#include <cstdint>

#include "callctrl/ZavCall.h"
#include "callctrl/ZavMsgTypes.h"
#include "switchlink/ZavPhone.h"
#include "trace/ZavTrace.h"
#include "tsp/ZavAddress.h"

namespace {

DWORD HandleBits(HDRVCALL h) {
    return static_cast<DWORD>(reinterpret_cast<uintptr_t>(h));
}

}  // namespace

ZavCallHub::ZavCallHub()
    : m_callVect(DefaultMaxNumCalls(), nullptr),
      m_deleteCallVect(DefaultMaxNumCalls(), nullptr),
      m_pAddr(nullptr),
      m_pPhone(nullptr),
      m_pLine(nullptr) {}

// The calls still in the slots belong to the extension, not to the hub.
ZavCallHub::~ZavCallHub() {
    m_callVect.clear();
    m_callVect.shrink_to_fit();
    m_deleteCallVect.clear();
    m_deleteCallVect.shrink_to_fit();
}

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

long ZavCallHub::SaveCall(ZavCall* pCall) {
    if (!pCall) return -1;
    ZavLockHolder hold(m_Lock);
    pCall->SetCallHubPointer(this);
    std::size_t confSlot = m_callVect.empty() ? 0 : m_callVect.size() - 1;
    // A slot whose delete-pending twin still holds a call is not handed out:
    // the new call would share that call's id and so its handle towards
    // TAPI, and going on hook it would push the older call out of the
    // delete-pending slot before TAPI closed it.
    std::size_t i = 0;
    while (i < confSlot && (m_callVect[i] || m_deleteCallVect[i])) ++i;
    if (i >= confSlot) return -1;
    pCall->SetId(static_cast<DWORD>(i));
    m_callVect[i] = pCall;
    ZAV_TRACE("ZavCallHub::SaveCall() saved call handle %08x at %d in call vector",
              HandleBits(pCall->ToCallHandle()), static_cast<int>(i));
    return static_cast<long>(i);
}

void ZavCallHub::SaveConfCall(ZavCall* pConfCall) {
    if (!pConfCall) return;
    ZavLockHolder hold(m_Lock);
    if (m_callVect.empty()) return;
    std::size_t confSlot = m_callVect.size() - 1;
    if (m_callVect[confSlot]) ZAV_TRACE("**** ZavCallHub::SaveConfCall wasn't NULL");
    pConfCall->SetCallHubPointer(this);
    pConfCall->SetId(static_cast<DWORD>(confSlot));
    m_callVect[confSlot] = pConfCall;
}

long ZavCallHub::SaveToDeleteCall(long id) {
    ZAV_TRACE("ZavCallHub::SaveToDeleteCall() is invoked at %d in call vector", static_cast<int>(id));
    ZavLockHolder hold(m_Lock);
    if (id < 0 || static_cast<std::size_t>(id) >= m_deleteCallVect.size()) return -1;
    ZavCall* call = m_callVect[id];
    // A call TAPI has never seen is never kept for TAPI to close.
    if (!call || !call->GetHTapiCall()) return -1;
    m_deleteCallVect[id] = call;
    m_callVect[id] = nullptr;
    return 0;
}

void ZavCallHub::HandleCallTermination(DWORD dwId, const ZavCall* pCall) {
    ZAV_TRACE("ZavCallHub::HandleCallTermination() is invoked");
    ZavLockHolder hold(m_Lock);
    if (dwId >= m_callVect.size()) {
        ZAV_TRACE("**** ZavCallHub::HandleCallTermination() problem with CallID %d", static_cast<int>(dwId));
        return;
    }
    bool inDelete = pCall && m_deleteCallVect[dwId] == pCall;
    bool inLive = pCall && !inDelete && m_callVect[dwId] == pCall;
    if (!inDelete && !inLive) {
        ZAV_TRACE("**** ZavCallHub::HandleCallTermination() pTermCall is NULL");
        return;
    }
    // Who refers to the call is asked while it still sits in its slot.
    ZavCall* referrer = nullptr;
    for (std::size_t i = 0; i < m_callVect.size() && !referrer; ++i)
        if (i != dwId && m_callVect[i] && m_callVect[i]->GetPrimaryRefCallPointer() == pCall)
            referrer = m_callVect[i];
    if (inDelete)
        m_deleteCallVect[dwId] = nullptr;
    else
        m_callVect[dwId] = nullptr;
    if (referrer) {
        ZAV_TRACE("ZavCallHub::HandleCallTermination() resetting SetPrimaryRefCallId");
        referrer->SetPrimaryRefCallId(ZavCall::s_NoId);
    }
}

void ZavCallHub::NotifyConferenceDisconnected() {
    if (ZavCall* conf = GetConfCallPointer()) conf->NotifyPrimaryCallDisconnected();
}

unsigned long ZavCallHub::MaxNumCalls() const {
    return m_pPhone ? m_pPhone->MaxNumLineAppearences() + 1 : DefaultMaxNumCalls();
}

void ZavCallHub::CheckCallVectSize() {
    ZavLockHolder hold(m_Lock);
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
