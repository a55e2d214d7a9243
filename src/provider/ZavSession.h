// The one session that exists while TAPI has the provider initialised: what
// TAPI said at initialisation, the per-extension object graph, and the
// translation between TAPI's device ids, the provider's handles and objects.
#pragma once

#include <atomic>

#include "tapi/Tapi.h"

class ZavLine;
class ZavAddress;
class ZavCall;

class ZavSession {
public:
    ZavSession(DWORD dwTSPIVersion, DWORD dwPermanentProviderID, DWORD dwLineDeviceIDBase,
               DWORD dwPhoneDeviceIDBase, DWORD dwNumLines, DWORD dwNumPhones, ASYNC_COMPLETION pfnCompletionProc);
    ~ZavSession();
    ZavSession(const ZavSession&) = delete;
    ZavSession& operator=(const ZavSession&) = delete;

    long Init();
    long Shutdown();

    bool IsRightVersion(DWORD version) const { return version == m_dwTSPIVersion; }
    DWORD GetTSPIVersion() const { return m_dwTSPIVersion; }
    DWORD GetPermanentProviderID() const { return m_dwPermanentProviderID; }
    DWORD GetLineIDBase() const { return m_dwLineDeviceIDBase; }
    DWORD GetPhoneIDBase() const { return m_dwPhoneDeviceIDBase; }
    DWORD GetNumLines() const { return m_dwNumLines.load(std::memory_order_acquire); }
    DWORD GetNumPhones() const { return m_dwNumPhones.load(std::memory_order_acquire); }
    void SetNumLines(DWORD n) { m_dwNumLines.store(n, std::memory_order_release); }
    void SetNumPhones(DWORD n) { m_dwNumPhones.store(n, std::memory_order_release); }
    ASYNC_COMPLETION GetCompletionProc() const { return m_pfnCompletionProc; }
    bool IsInitialized() const { return m_bInitialized; }

    DWORD ToLineId(DWORD deviceId) const { return deviceId - m_dwLineDeviceIDBase; }
    DWORD ToPhoneId(DWORD deviceId) const { return deviceId - m_dwPhoneDeviceIDBase; }
    DWORD ToDeviceId(DWORD lineIndex) const { return m_dwLineDeviceIDBase + lineIndex; }
    bool IsValidLineDeviceId(DWORD deviceId) const;
    bool IsValidPhoneDeviceId(DWORD deviceId) const;

    ZavLine* ToLinePointer(HDRVLINE hdLine) const;
    class ZavPhone* ToPhonePointer(HDRVPHONE hdPhone) const;
    bool CallHandleToPointers(HDRVCALL hdCall, ZavLine** ppLine, ZavAddress** ppAddr, ZavCall** ppCall) const;
    ZavCall* ToCallPointer(HDRVCALL hdCall) const;
    ZavCall* ToDeleteCallPointer(HDRVCALL hdCall) const;

    void SendCompletionStatus(DWORD dwRequestID, LONG lResult) const;

    long AddNewLine();
    long NotifyLineCreate() const;
    bool IsValidTempId(DWORD_PTR id) const;
    DWORD GetTempId() const { return m_dwPhoneDeviceIDBase + GetNumPhones() + 1; }

private:
    // Builds line, address, hub and phone of telephone `index`; deletes
    // what it made and returns false when an allocation fails.
    bool BuildExtension(DWORD index, const char* extension);
    // Deletes every telephone's objects still in the registries.
    void DeleteExtensions();
    static DWORD CoInitThread(void* session);
    void StopCoInitThread();

    bool m_bInitialized;
    // This session has built at least one telephone's objects.
    bool m_bBuiltAny;
    DWORD m_dwTSPIVersion;
    DWORD m_dwPermanentProviderID;
    DWORD m_dwLineDeviceIDBase;
    DWORD m_dwPhoneDeviceIDBase;
    std::atomic<DWORD> m_dwNumLines;
    std::atomic<DWORD> m_dwNumPhones;
    ASYNC_COMPLETION m_pfnCompletionProc;
    HANDLE m_hCoInitThread;
    DWORD m_dwCoInitThreadId;

public:
    // Ends the COM thread; manual-reset.
    static HANDLE m_hEndThreadEvent;
};
