#include "tsp/ZavAddress.h"

#include "callctrl/ZavCallHub.h"
#include "tsp/ZavLine.h"

ZavAddress::ZavAddress(int bPrimary, DWORD dwId, const char* address)
    : m_dwId(dwId),
      m_strAddress(address ? address : ""),
      m_pCallHub(nullptr),
      m_pLine(nullptr),
      m_bPrimary(bPrimary),
      m_dwNumRingsNoAnswer(s_DefaultNumRingsNoAnswer) {}

void ZavAddress::AssociateWith(ZavLine* pLine) {
    if (!pLine) return;
    pLine->SetAddrPointer(this);
    m_pLine = pLine;
}

void ZavAddress::AssociateWith(ZavCallHub* pHub) {
    if (!pHub) return;
    pHub->SetAddrPointer(this);
    pHub->SetLinePointer(m_pLine);
    m_pCallHub = pHub;
}

unsigned long ZavAddress::GetMaxNumCalls() const {
    return m_pCallHub ? m_pCallHub->MaxNumCalls() : ZavCallHub::DefaultMaxNumCalls();
}

ZavCall* ZavAddress::GetCallPointer(DWORD dwCallId) const {
    return m_pCallHub ? m_pCallHub->CallIdToCallPtr(dwCallId) : nullptr;
}

void ZavAddress::SetAddressState(DWORD dwState) const {
    if (m_pLine) m_pLine->NotifyAddressState(m_dwId, dwState);
}
