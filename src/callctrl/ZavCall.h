// A call of an extension as TAPI sees it.
#pragma once

#include "tapi/Tapi.h"

class ZavCallHub;

class ZavCall {
public:
    ZavCall() = default;
    // Leaves the hub: the slot that holds this call is cleared.
    virtual ~ZavCall();
    ZavCall(const ZavCall&) = delete;
    ZavCall& operator=(const ZavCall&) = delete;

    HTAPICALL GetHTapiCall() const { return m_hTapiCall; }
    void SetHTapiCall(HTAPICALL h) { m_hTapiCall = h; }
    DWORD GetId() const { return m_dwId; }
    void SetId(DWORD dwId) { m_dwId = dwId; }
    ZavCallHub* GetCallHubPointer() const { return m_pCallHub; }
    void SetCallHubPointer(ZavCallHub* pHub) { m_pCallHub = pHub; }

    DWORD GetMediaMode() const { return m_dwMediaMode; }
    void SetMediaMode(DWORD mode) { m_dwMediaMode = mode; }
    virtual long GetSecondaryCallerIDNum() const { return m_lSecondaryCallerIDNum; }
    virtual void SetSecondaryCallerIDNum(long number) { m_lSecondaryCallerIDNum = number; }

    static constexpr DWORD s_DefaultMediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;

    LONG GetSAL() const { return m_lSAL; }
    void SetSAL(LONG sal) { m_lSAL = sal; }
    // The digits an outgoing call dials; calls that dial nothing have none.
    virtual const char* GetOutdialNumber() const { return ""; }

    // 0xE, then the line index, the address id and the call's slot.
    HDRVCALL ToCallHandle() const;
    // The slot a call handle names, or -1 for a value that is no call handle.
    static long CallHandleToId(HDRVCALL hdCall);

private:
    HTAPICALL m_hTapiCall = nullptr;
    LONG m_lSAL = 0;
    DWORD m_dwMediaMode = s_DefaultMediaMode;
    long m_lSecondaryCallerIDNum = 0;
    DWORD m_dwId = 0;
    ZavCallHub* m_pCallHub = nullptr;
};
