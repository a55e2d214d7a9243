#include "callctrl/ZavCall.h"

#include "callctrl/ZavCallHub.h"
#include "trace/ZavTrace.h"
#include "tsp/ZavAddress.h"
#include "tsp/ZavLine.h"

ZavCall::~ZavCall() {
    if (m_pCallHub) m_pCallHub->HandleCallTermination(m_dwId);
}

HDRVCALL ZavCall::ToCallHandle() const {
    DWORD lineId = 0, addrId = 0;
    if (m_pCallHub) {
        if (ZavLine* line = m_pCallHub->GetLinePointer()) lineId = line->GetId();
        if (ZavAddress* addr = m_pCallHub->GetAddrPointer()) addrId = addr->GetId();
    }
    DWORD h = 0xE0000000u | ((lineId & 0xFFFu) << 16) | ((addrId & 0xFu) << 12) | (m_dwId & 0xFFFu);
    ZAV_TRACE("ZavCall::ToCallHandle() converted call handle is 0x%08X", h);
    return reinterpret_cast<HDRVCALL>(static_cast<uintptr_t>(h));
}

long ZavCall::CallHandleToId(HDRVCALL hdCall) {
    DWORD h = static_cast<DWORD>(reinterpret_cast<uintptr_t>(hdCall));
    return (h >> 28) == 0xE ? static_cast<long>(h & 0xFFFu) : -1;
}
