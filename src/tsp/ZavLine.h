// One telephone as a TAPI line device: TAPI's handle and event procedure
// while open, the masks of wanted state messages, the media modes to detect,
// and the one way line events and completions leave the provider.
#pragma once

#include <atomic>

#include "provider/ZavLock.h"
#include "provider/ZavObjectVect.h"
#include "tapi/Tapi.h"

class ZavSession;
class ZavAddress;

class ZavLine {
public:
    ZavLine(ZavSession* pTS, DWORD dwId);
    ~ZavLine();
    ZavLine(const ZavLine&) = delete;
    ZavLine& operator=(const ZavLine&) = delete;

    void Activate(HTAPILINE htLine, LINEEVENT pfnEventProc);
    void Deactivate();
    bool IsActive() const { return m_bActive.load(std::memory_order_acquire); }

    ZavSession* GetTS() const { return m_pTS; }
    ZavAddress* GetAddrPointer(DWORD /*dwAddressID*/ = 0) const { return m_pAddr.load(std::memory_order_acquire); }
    void SetAddrPointer(ZavAddress* pAddr) { m_pAddr.store(pAddr, std::memory_order_release); }
    DWORD GetId() const { return m_dwId; }
    void SetId(DWORD dwId) { m_dwId = dwId; }
    HTAPILINE GetHTapiLine() const { return m_hTapiLine.load(std::memory_order_acquire); }
    void SetHTapiLine(HTAPILINE h) { m_hTapiLine.store(h, std::memory_order_release); }
    LINEEVENT GetLineEvent() const { return m_pfnEventProc.load(std::memory_order_acquire); }
    void SetLineEvent(LINEEVENT p) { m_pfnEventProc.store(p, std::memory_order_release); }
    DWORD GetMediaModes() const { return m_dwMediaModes.load(std::memory_order_relaxed); }
    void SetMediaModes(DWORD modes) { m_dwMediaModes.store(modes, std::memory_order_relaxed); }
    DWORD GetLineStates() const { return m_dwLineStates.load(std::memory_order_relaxed); }
    void SetLineStates(DWORD mask);
    DWORD GetAddressStates() const { return m_dwAddressStates.load(std::memory_order_relaxed); }
    void SetAddressStates(DWORD mask);

    HDRVLINE ToLineHandle() const;
    static bool IsValidAddrId(DWORD dwAddressID) { return dwAddressID == 0; }

    void SendCompletionStatus(DWORD dwRequestID, LONG lResult) const;
    // False when the line had nobody to tell (closed or closing).
    bool SendLineEvent(HTAPICALL htCall, DWORD dwMsg, DWORD_PTR dwParam1, DWORD_PTR dwParam2,
                       DWORD_PTR dwParam3) const;
    void NotifyLineDevState(DWORD dwState, DWORD_PTR dwParam2, DWORD_PTR dwParam3) const;
    void NotifyAddressState(DWORD dwAddressID, DWORD dwState) const;

    static DWORD NumActiveLines() { return s_dwNumActiveLines.load(std::memory_order_acquire); }

    static const LINEDIALPARAMS s_DefaultDialParams;
    static constexpr DWORD s_DefaultMediaModes = 0x0000000E;
    static constexpr DWORD s_DefaultLineStates = 0x00040002;
    static constexpr DWORD s_DefaultAddressStates = 0x00000041;
    static ZavObjectVect<ZavLine> m_LineVect;

private:
    // Read by the message threads while TAPI's threads open and close the
    // line, so every field that changes after construction is atomic.
    std::atomic<bool> m_bActive;
    ZavSession* m_pTS;
    std::atomic<ZavAddress*> m_pAddr;
    DWORD m_dwId;
    std::atomic<HTAPILINE> m_hTapiLine;
    ASYNC_COMPLETION m_pfnCompletionProc;
    std::atomic<LINEEVENT> m_pfnEventProc;
    std::atomic<DWORD> m_dwMediaModes;
    std::atomic<DWORD> m_dwLineStates;
    std::atomic<DWORD> m_dwAddressStates;
    // Orders event delivery against closing: see SendLineEvent.
    mutable ZavLock m_EventLock;

    static std::atomic<DWORD> s_dwNumActiveLines;
};
