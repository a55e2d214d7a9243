#include "tsp/ZavLine.h"

#include "provider/ZavSession.h"
#include "trace/ZavTrace.h"

const LINEDIALPARAMS ZavLine::s_DefaultDialParams = {1000, 200, 100, 1000};
ZavObjectVect<ZavLine> ZavLine::m_LineVect;
std::atomic<DWORD> ZavLine::s_dwNumActiveLines{0};

ZavLine::ZavLine(ZavSession* pTS, DWORD dwId)
    : m_bActive(false),
      m_pTS(pTS),
      m_pAddr(nullptr),
      m_dwId(dwId),
      m_hTapiLine(nullptr),
      m_pfnCompletionProc(pTS ? pTS->GetCompletionProc() : nullptr),
      m_pfnEventProc(nullptr),
      m_dwMediaModes(s_DefaultMediaModes),
      m_dwLineStates(s_DefaultLineStates),
      m_dwAddressStates(s_DefaultAddressStates) {
    delete m_LineVect.raw(dwId);
    m_LineVect.set(dwId, this);
}

ZavLine::~ZavLine() { m_LineVect.clear(m_dwId, this); }

void ZavLine::Activate(HTAPILINE htLine, LINEEVENT pfnEventProc) {
    ZAV_TRACE("ZavLine::Activate() is invoked");
    // The handle and procedure go in before the flag so that a message
    // thread that sees the line active also sees where to report.
    m_hTapiLine.store(htLine, std::memory_order_release);
    m_pfnEventProc.store(pfnEventProc, std::memory_order_release);
    m_bActive.store(true, std::memory_order_release);
    s_dwNumActiveLines.fetch_add(1, std::memory_order_acq_rel);
    NotifyLineDevState(LINEDEVSTATE_INSERVICE, 0, 0);
}

void ZavLine::Deactivate() {
    ZAV_TRACE("ZavLine::Deactivate() is invoked");
    NotifyLineDevState(LINEDEVSTATE_OUTOFSERVICE, 0, 0);
    {
        // Waits out an event another thread is delivering: once the line is
        // closed TAPI may forget its handle, so nothing may reach it later.
        ZavLockHolder hold(m_EventLock);
        m_pfnEventProc.store(nullptr, std::memory_order_release);
        m_hTapiLine.store(nullptr, std::memory_order_release);
    }
    s_dwNumActiveLines.fetch_sub(1, std::memory_order_acq_rel);
    m_bActive.store(false, std::memory_order_release);
}

void ZavLine::SetLineStates(DWORD mask) {
    ZAV_TRACE("ZavLine::SetLineStates() is invoked, 0x%08X => 0x%08X", GetLineStates(), mask);
    m_dwLineStates.store(mask, std::memory_order_relaxed);
}

void ZavLine::SetAddressStates(DWORD mask) {
    ZAV_TRACE("ZavLine::SetAddressStates() is invoked, 0x%08X => 0x%08X", GetAddressStates(), mask);
    m_dwAddressStates.store(mask, std::memory_order_relaxed);
}

HDRVLINE ZavLine::ToLineHandle() const {
    DWORD h = 0xE0E00000u | (m_dwId & 0xFFFu);
    ZAV_TRACE("ZavLine::ToLineHandle() converted line handle is 0x%08X", h);
    return reinterpret_cast<HDRVLINE>(static_cast<uintptr_t>(h));
}

void ZavLine::SendCompletionStatus(DWORD dwRequestID, LONG lResult) const {
    ZAV_TRACE("++++ STATUS ---- 0x%08X ++++ 0x%08X", dwRequestID, static_cast<DWORD>(lResult));
    if (dwRequestID != 0 && m_pfnCompletionProc)
        m_pfnCompletionProc(dwRequestID, lResult);
    else
        ZAV_TRACE("ZavLine::SendCompletionStatus(), dwReqId 0x%08X", dwRequestID);
}

bool ZavLine::SendLineEvent(HTAPICALL htCall, DWORD dwMsg, DWORD_PTR dwParam1, DWORD_PTR dwParam2,
                            DWORD_PTR dwParam3) const {
    // Held across the callback so that Deactivate cannot return while an
    // event for this line is still on its way. Re-entrant, so a callback
    // may close the line from inside.
    ZavLockHolder hold(m_EventLock);
    LINEEVENT proc = GetLineEvent();
    if (!proc) {
        ZAV_TRACE("ZavLine::SendLineEvent(), m_pfnEventProc 0x%08X", 0u);
        return false;
    }
    HTAPILINE htLine = GetHTapiLine();
    if (!htLine) return false;
    proc(htLine, htCall, dwMsg, dwParam1, dwParam2, dwParam3);
    return true;
}

void ZavLine::NotifyLineDevState(DWORD dwState, DWORD_PTR dwParam2, DWORD_PTR dwParam3) const {
    if (!(GetLineStates() & dwState)) return;
    ZAV_TRACE("ZavLine::NotifyLineDevState() ### %d %s", static_cast<int>(m_dwId),
              ZavTapiValueName(LINE_LINEDEVSTATE, dwState));
    SendLineEvent(nullptr, LINE_LINEDEVSTATE, dwState, dwParam2, dwParam3);
}

void ZavLine::NotifyAddressState(DWORD dwAddressID, DWORD dwState) const {
    if (!(GetAddressStates() & dwState)) return;
    ZAV_TRACE("ZavLine::NotifyAddressState() %s", ZavTapiValueName(LINE_ADDRESSSTATE, dwState));
    SendLineEvent(nullptr, LINE_ADDRESSSTATE, dwAddressID, dwState, 0);
}
