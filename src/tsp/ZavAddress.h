// The line's one address (id 0): the telephone's extension as address text,
// and the link from the line to the telephone's call hub.
#pragma once

#include <string>

#include "tapi/Tapi.h"

class ZavLine;
class ZavCallHub;
class ZavCall;

class ZavAddress {
public:
    ZavAddress(int bPrimary, DWORD dwId, const char* address);
    ZavAddress(const ZavAddress&) = default;
    ZavAddress& operator=(const ZavAddress&) = default;

    void AssociateWith(ZavLine* pLine);
    void AssociateWith(ZavCallHub* pHub);

    DWORD GetId() const { return m_dwId; }
    void SetId(DWORD dwId) { m_dwId = dwId; }
    const std::string& GetAddress() const { return m_strAddress; }
    ZavCallHub* GetCallHubPointer() const { return m_pCallHub; }
    void SetCallHubPointer(ZavCallHub* pHub) { m_pCallHub = pHub; }
    ZavLine* GetLinePointer() const { return m_pLine; }
    int IsPrimary() const { return m_bPrimary; }
    DWORD GetNumRingsNoAnswer() const { return m_dwNumRingsNoAnswer; }
    DWORD GetNumSecsNoAnswer() const { return m_dwNumRingsNoAnswer * 6; }

    unsigned long GetMaxNumCalls() const;
    bool IsValidCallId(DWORD dwCallId) const { return dwCallId < GetMaxNumCalls(); }
    ZavCall* GetCallPointer(DWORD dwCallId) const;

    void SetAddressState(DWORD dwState) const;
    void HandleCallTerminated(DWORD /*dwCallId*/) {}

    static constexpr DWORD s_DefaultNumRingsNoAnswer = 5;

private:
    DWORD m_dwId;
    std::string m_strAddress;
    ZavCallHub* m_pCallHub;
    ZavLine* m_pLine;
    int m_bPrimary;
    DWORD m_dwNumRingsNoAnswer;
};
