// A call of an extension as TAPI sees it: its identity towards TAPI and the
// switch, its call state and the rule by which a state reaches TAPI, the
// call information held back until TAPI knows the call, the TAPI requests
// still pending on it, and the switch commands and notifications that the
// call variants build on.
#pragma once

#include <atomic>
#include <mutex>
#include <memory>
#include <string>
#include <vector>

#include "provider/ZavLock.h"
#include "tapi/Tapi.h"

class ZavCallHub;
class ZavLine;
class ZavAddress;
class ZavPhone;

// Index of a pending TAPI request in a call's request table. 0, 2 and 3 are
// slots that no operation fills.
enum ReqTypeE : unsigned {
    eReqMakeCall = 1,
    eReqSetupTransfer = 4,
    eReqCompleteTransfer = 5,
    eReqBlindTransfer = 6,
    eReqConference = 7,
    eReqHold = 8,
    eReqUnhold = 9,
    eReqPark = 10,
    eReqUnpark = 11,
    eReqRedirect = 12,
};

class ZavCall {
public:
    // Index into the table of timer events; 0 and 3 start no timer.
    enum TimerEventE : unsigned {
        eTimerNone = 0,
        eTimerNoDialTone = 1,
        eTimerNoAnswer = 2,
        eTimerFirstDigit = 4,
        eTimerInterDigit = 5,
    };

    // What each class writes into m_dwCallObjectType.
    enum CallObjectTypeE : DWORD {
        eCallObjectCall = 0,
        eCallObjectInCall = 0x1,
        eCallObjectOutCall = 0x10,
        eCallObjectOutCallAuto = 0x90,
        eCallObjectXferOutCall = 0x110,
        eCallObjectXferOutCallAuto = 0x190,
        eCallObjectConfCall = 0x1001,
        eCallObjectConfOutCall = 0x1010,
    };

    static constexpr std::size_t s_NumReqIds = 13;
    static constexpr std::size_t s_NumTimerEvents = 6;
    static constexpr DWORD s_DefaultMediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;
    // The id of a call that no hub holds: one past the last slot of a hub
    // of default size.
    static constexpr DWORD s_InitialId = 19;
    static constexpr DWORD s_NoId = 0xFFFFFFFF;

    // How long NotifyNewCall waits for TAPI's handle. Tests shorten it; the
    // provider never changes it.
    static std::atomic<DWORD> s_dwNewCallWaitMs;

    explicit ZavCall(HTAPICALL htCall = nullptr, DWORD dwOrigin = 0);
    ZavCall(const ZavCall&) = delete;
    ZavCall& operator=(const ZavCall&) = delete;

    // The virtual operations, in the order the call variants rely on.
    virtual ~ZavCall();
    virtual void SetDialedNum(const char* number);
    virtual const std::string& GetDialedNum() const { return m_strDialedNum; }
    virtual void SetTrunkNum(DWORD trunk) { m_dwTrunkNum = trunk; }
    virtual DWORD GetTrunkNum() const { return m_dwTrunkNum; }
    virtual void SetCallerName(const char* /*name*/) {}
    virtual void SetParkNumber(const char* number);
    virtual DWORD GetCallFeatures();
    virtual long Drop();
    virtual void Hold();
    virtual void Unhold();
    virtual long Park();
    virtual long UnPark();
    virtual void Pickup(LONG directed);
    virtual long GenerateDigits();
    virtual long NotifyNewCall();
    virtual void NotifyNewCallInfo() {}
    virtual long NotifyDisconnected(DWORD dwDisconnectMode);
    virtual void NotifyConnected();
    virtual void NotifyDialTone() {}
    virtual void UpdateCallerId(const char* number, const char* name);
    virtual void SetCallerAddr(const char* /*number*/) {}
    virtual const std::string& GetCallerAddr() const;
    virtual void NotifyRingBack();
    virtual void NotifyTransferEnd();
    virtual void NotifyDialing() {}
    virtual int IsBlindTransfer() const { return 0; }
    virtual long GetSecondaryCallerIDNum() const { return m_lSecondaryCallerIDNum; }
    virtual void SetSecondaryCallerIDNum(long number) { m_lSecondaryCallerIDNum = number; }
    virtual void HandleHuntGrpCallerID(const char* /*text*/, long /*secondary*/) {}
    virtual void SetCallObjectType(DWORD type) { m_dwCallObjectType = type; }
    // The digits a transfer sends; only calls that dial have any. The phone
    // traces them when it sends the transfer.
    virtual const char* GetOutdialNumber() const { return ""; }
    // Only a conference call has a primary call to lose; the hub tells it
    // through this.
    virtual void NotifyPrimaryCallDisconnected() {}

    // Handles. The driver handle reads 0xE, the line id, the address id and
    // the call id from the top nibble down.
    HDRVCALL ToCallHandle() const;
    // The call id a handle names, or -1 for a value that is no call handle.
    static long CallHandleToId(HDRVCALL hdCall);

    // State. SetCallState is the one way a state change reaches TAPI.
    void SetCallState(DWORD dwState, DWORD dwMode);
    void LockAndSetCallState(DWORD dwState) { SetCallState(dwState, 0); }
    void UpdateCallState(DWORD dwState) { m_dwCallState.store(dwState); }
    // State and mode stored without reporting them.
    void UpdateCallState(DWORD dwState, DWORD dwMode) {
        m_dwCallState.store(dwState);
        m_dwCallStateMode.store(dwMode);
    }
    // Stores the state silently and makes the next SetCallState with the
    // same state report it anyway.
    void SetDontNotifyYetCallState(DWORD dwState);
    DWORD GetCallState() const { return m_dwCallState.load(); }
    DWORD GetCallStateMode() const { return m_dwCallStateMode.load(); }
    bool IsIdle() const { return GetCallState() == LINECALLSTATE_IDLE; }
    bool IsOffering() const { return GetCallState() == LINECALLSTATE_OFFERING; }
    bool IsConnected() const { return GetCallState() == LINECALLSTATE_CONNECTED; }
    bool IsHeld() const { return GetCallState() == LINECALLSTATE_ONHOLD; }
    bool IsHeldPendConf() const { return GetCallState() == LINECALLSTATE_ONHOLDPENDCONF; }
    bool IsHeldPendXfer() const { return GetCallState() == LINECALLSTATE_ONHOLDPENDTRANSFER; }
    bool IsHeldPend() const { return IsHeldPendConf() || IsHeldPendXfer(); }
    bool IsConferenced() const { return GetCallState() == LINECALLSTATE_CONFERENCED; }
    bool IsDisconnected() const { return GetCallState() == LINECALLSTATE_DISCONNECTED; }
    // True also for a call that has never had a state.
    bool IsActive() const;

    // Call information. SetCallInfo returns -1 when the bits wait for TAPI's
    // handle, else 0.
    long SetCallInfo(DWORD dwCallInfoStates);
    void SetDeferredCallInfoMessageBit(DWORD dwCallInfoStates) {
        m_dwDeferredCallInfoBits.fetch_or(dwCallInfoStates);
    }
    DWORD GetDeferredCallInfoBits() const { return m_dwDeferredCallInfoBits.load(); }
    // Reports each held-back bit as an event of its own, lowest bit first.
    void EmitDeferredCallInfoMessages();

    // Requests. An entry holds TAPI's request id, 0 when none is pending.
    void SetRequestId(ReqTypeE kind, DWORD dwRequestID);
    DWORD GetRequestId(ReqTypeE kind) const;
    // Takes the pending request of `kind` out of the table and reports it
    // to TAPI with `result`. Whoever takes the entry completes it, so a
    // request that two threads settle at once is completed exactly once.
    // Returns the request id that was pending, 0 when none was.
    DWORD CompleteRequest(ReqTypeE kind, LONG result);
    // Fails every pending request, the one it lent included; for a call
    // TAPI closes or forgets.
    void CleanUpCompIds();
    // Drops the request from the call's table without completing it;
    // `failed`: another call completed it with an error.
    void ForgetRequestId(DWORD id, bool failed = false);
    // A request TAPI made on this call but that another call of the
    // extension carries (a swap waits on the held call, a conference set-up
    // on its consultation call). TAPI expects the close of this call to
    // settle it, so CleanUpCompIds fails it where it is (ZavCallHub::FailRequest).
    // Forgotten with the request when that completes.
    void LendRequest(DWORD id) { m_dwLentRequestId.store(id); }
    DWORD TakeLentRequest() { return m_dwLentRequestId.exchange(0); }
    DWORD GetLentRequest() const { return m_dwLentRequestId.load(); }

    // Commands through the extension's phone and notifications from the hub.
    void NotifyHold();
    void NotifyUnhold();
    void NotifyUnholdError();
    void NotifyConferenced();
    void NotifyConferenceDisconnected();
    void NotifyPark();
    void NotifyParkError(LONG result);
    void NotifyLineGenerate(DWORD_PTR p1, DWORD_PTR p2, DWORD_PTR p3);
    void NotifyLineReply(DWORD_PTR x);

    // Digits and timers: what a call needs when it goes away.
    void MonitorDigits(DWORD dwDigitModes);
    void StopGatheringDigits();
    void NotifyDigitGatheringDone(DWORD dwTermination);
    void StartDigitGathering(int on) { m_bDigitGatheringOn.store(on); }
    int IsDigitGatheringOn() const { return m_bDigitGatheringOn.load(); }
    DWORD GetMonitorDigitModes() const { return m_dwMonitorDigitModes.load(); }
    DWORD GetGatherDigitModes() const { return m_dwGatherDigitModes; }
    int IsTerminationDigit(char digit) const;
    // Starts a gathering: 0, or -1 without a leg or while an inter-digit
    // timer of the last one still winds down.
    long GatherDigits(DWORD dwEndToEndID, DWORD dwDigitModes, LPWSTR lpsDigits, DWORD dwNumDigits,
                      LPCWSTR lpszTerminationDigits, DWORD dwFirstDigitTimeout, DWORD dwInterDigitTimeout);
    // One DTMF digit the switch detected on the call (its character code):
    // it feeds a gathering and is reported to a monitoring application.
    void HandleNewDTMFDigit(DWORD digit, DWORD digitMode);
    void SetGenerateDigits(const char* digits);
    long GenerateTone(WORD tone, LONG duration);
    // Dials `digits` on the call's leg; an established call then reports
    // DIALING. -1 without a leg.
    long DialOnLeg(const char* digits);

    // Identity: the parties and numbers the switch reports.
    void SetOtherName(const char* name) { m_strOtherName = name ? name : ""; }
    const std::string& GetOtherName() const { return m_strOtherName; }
    void SetOtherAddr(const char* number) { m_strOtherAddr = number ? number : ""; }
    const std::string& GetOtherAddr() const { return m_strOtherAddr; }
    const std::string& GetPreviousName() const { return m_strPreviousName; }
    const std::string& GetPreviousAddr() const { return m_strPreviousAddr; }
    void SetDivertedNumber(const char* number) { m_strDivertedNumber = number ? number : ""; }
    const std::string& GetDivertedNumber() const { return m_strDivertedNumber; }
    void SetDivertedName(const char* name) { m_strDivertedName = name ? name : ""; }
    const std::string& GetDivertedName() const { return m_strDivertedName; }
    void SetDivertingPartyDialedNumber(const char* number) {
        m_strDivertingPartyDialedNumber = number ? number : "";
    }
    const std::string& GetDivertingPartyDialedNumber() const { return m_strDivertingPartyDialedNumber; }
    void SetDivertingPartyDialedName(const char* name) { m_strDivertingPartyDialedName = name ? name : ""; }
    const std::string& GetDivertingPartyDialedName() const { return m_strDivertingPartyDialedName; }
    const std::string& GetParkNumber() const { return m_strParkNumber; }
    void SetPickupNumber(const char* number);
    const std::string& GetPickupNumber() const { return m_strPickupNumber; }
    const std::string& GetGenerateDigits() const { return m_strGenerateDigits; }
    DWORD GetGlobalCallId() const { return m_dwGlobalCallId; }
    void SetGlobalCallId(DWORD id);
    // `translate` non-zero: `reason` is the switch's code, else a
    // LINECALLREASON_* value stored as it is.
    void SetCallReason(DWORD reason, int translate);
    DWORD GetCallReason() const { return m_dwCallReason; }
    void UpdateUnParkCallerId(const char* number, const char* name);
    void UpdateDivertedCallerId(const char* text, long secondary);
    void UpdateDivertingPartyDialedId(const char* text);
    // 0 the first time, 1 ever after.
    int OnceUnparked();

    // Plain accessors.
    DWORD GetId() const { return m_dwId; }
    void SetId(DWORD dwId) { m_dwId = dwId; }
    DWORD GetSAL() const { return m_dwSAL.load(); }
    void SetSAL(DWORD sal) { m_dwSAL.store(sal); }
    HTAPICALL GetHTapiCall() const { return m_hTapiCall.load(); }
    // Tells a call from a later one made at the same address and given the
    // same slot, for a call that keeps another's pointer.
    unsigned long long GetSerial() const { return m_qwSerial; }
    void SetHTapiCall(HTAPICALL h) { m_hTapiCall.store(h); }
    DWORD GetMediaMode() const { return m_dwMediaMode.load(); }
    void SetMediaMode(DWORD mode) { m_dwMediaMode.store(mode); }
    DWORD GetOrigin() const { return m_dwOrigin; }
    void SetOrigin(DWORD origin) { m_dwOrigin = origin; }
    DWORD GetCountryCode() const { return m_dwCountryCode; }
    void SetCountryCode(DWORD code) { m_dwCountryCode = code; }
    DWORD GetAppSpecific() const { return m_dwAppSpecific.load(); }
    void SetAppSpecific(DWORD value) { m_dwAppSpecific.store(value); }
    DWORD GetTickcount() const { return m_dwTickcount; }
    DWORD GetCallObjectType() const { return m_dwCallObjectType; }
    static const char* CallObjectTypeName(DWORD type);

    ZavCallHub* GetCallHubPointer() const { return m_pCallHub; }
    void SetCallHubPointer(ZavCallHub* pHub) { m_pCallHub = pHub; }
    ZavLine* GetLinePointer() const;
    ZavAddress* GetAddrPointer() const;
    ZavPhone* GetPhonePointer() const;

    void SetPrimaryRefCallId(DWORD id) { m_dwPrimaryRefCallId.store(id); }
    DWORD GetPrimaryRefCallId() const { return m_dwPrimaryRefCallId.load(); }
    ZavCall* GetPrimaryRefCallPointer() const;
    void SetPrimaryInConference() { m_bPrimaryInConference.store(1); }
    void ResetPrimaryInConference() { m_bPrimaryInConference.store(0); }
    bool IsPrimaryInConference() const { return m_bPrimaryInConference.load() == 1; }
    void SetNotifyTimedOut() { m_bNotifyTimedOut = 1; }
    bool IsNotifyTimedOut() const { return m_bNotifyTimedOut != 0; }

    // Keeps a byte copy of the whole structure, variable part included.
    void SetCallParams(const LINECALLPARAMS* params);
    LINECALLPARAMS* GetCallParamsPointer() const { return m_pCallParams; }

    void Lock();
    void Unlock();
    // Takes the call out of its hub's slots.
    void HandleCallTermination();

protected:
    // The caller update of the calls that have a party of their own: the
    // old number and name move to the previous fields, and `infoBit` tells
    // TAPI which party changed.
    void UpdateOtherParty(const char* number, const char* name, DWORD infoBit);
    // The part of a drop every call shares: the leg goes on-hook unless the
    // switch has already disconnected it, and a conference hears of it.
    void HangUpLeg();
    // The digits of this call generated on another call's leg (a
    // conference's calls use the primary call's); -1 without a leg.
    long GenerateDigitsOn(const ZavCall* leg);

    // A timer on a thread of its own; the thread's handle, null when none
    // could be started. The thread acts only while digits are gathered.
    HANDLE CreateTimer(TimerEventE kind, DWORD times, DWORD timeout);
    static DWORD TimerThread(void* arg);
    // Cancels the digit timers and waits, within bounds, until they are gone.
    void CleanUpTimers();
    void RestartInterDigitTimer();

private:
    void ForgetTapiHandleIfMadeBy(ReqTypeE kind);
    std::atomic<int> m_bPrimaryInConference;
    int m_bNotifyTimedOut;
    // TAPI's threads close the call while the message thread reports it.
    std::atomic<HTAPICALL> m_hTapiCall;
    DWORD m_dwId;
    std::atomic<DWORD> m_dwSAL;
    std::atomic<DWORD> m_dwCallState;
    std::atomic<DWORD> m_dwCallStateMode;
    std::atomic<DWORD> m_dwPrimaryRefCallId;
    TimerEventE m_TimerEventId;
    DWORD m_dwTimerTimes;
    DWORD m_dwTimerTimeout;
    std::atomic<int> m_bInterDigitTimerActive;
    std::atomic<int> m_bFirstDigitTimerActive;
    DWORD m_dwTrunkNum;
    long m_lSecondaryCallerIDNum;
    DWORD m_dwGlobalCallId;
    std::atomic<DWORD> m_dwMonitorDigitModes;
    DWORD m_dwGatherDigitModes;
    std::atomic<int> m_bDigitGatheringOn;
    std::string m_strOtherName;
    std::string m_strOtherAddr;
    std::string m_strPreviousName;
    std::string m_strPreviousAddr;
    std::string m_strDialedNum;
    std::string m_strGenerateDigits;
    std::string m_strDivertedNumber;
    std::string m_strDivertedName;
    std::string m_strDivertingPartyDialedNumber;
    std::string m_strDivertingPartyDialedName;
    // Owned by the timer threads, polled by whoever cancels them.
    std::vector<std::atomic<HANDLE>> m_TimerEvents;
    // Every timer thread this call started and has not joined yet, with its
    // id: a call is destroyed only once its timer threads have ended.
    struct TimerThreadRecord {
        HANDLE handle;
        DWORD id;
    };
    std::vector<TimerThreadRecord> m_TimerThreads;
    // The event behind each slot of m_TimerEvents, made when the first
    // timer of its kind starts and kept until the call goes. Cancellers
    // signal it here, not through the slot: a timer that has been started
    // but has not filled its slot yet is cancelled too, and a timer that has
    // ended leaves nothing closed behind to signal.
    std::atomic<HANDLE> m_TimerEventStore[s_NumTimerEvents] = {};
    std::mutex m_TimerThreadsMutex;
    void JoinTimerThreads();
    // Signals a timer's event, when it has one.
    void SignalTimer(TimerEventE kind);
    LINECALLPARAMS* m_pCallParams;
    std::atomic<DWORD> m_dwMediaMode;
    DWORD m_dwOrigin;
    DWORD m_dwCountryCode;
    DWORD m_dwTickcount;
    DWORD m_dwCallReason;
    std::atomic<DWORD> m_dwAppSpecific;
    DWORD m_dwCallObjectType;
    DWORD m_dwFirstDigitTimeout;
    DWORD m_dwInterDigitTimeout;
    DWORD m_dwNumDigits;
    DWORD m_dwEndToEndID;
    std::atomic<int> m_bDontNotifyYet;
    std::unique_ptr<unsigned char[]> m_pOwnedCallParams;
    std::string m_strTerminationDigits;
    WCHAR* m_lpsDigits;
    std::string m_strGatheredDigits;
    std::string m_strParkNumber;
    std::string m_strPickupNumber;
    // Set on TAPI's threads, settled on the message thread.
    std::vector<std::atomic<DWORD>> m_ReqIds;
    std::atomic<DWORD> m_dwLentRequestId{0};
    ZavCallHub* m_pCallHub;
    ZavLock m_Lock;
    std::atomic<DWORD> m_dwDeferredCallInfoBits;
    int m_bOnceUnparked;
    // Where TAPI writes its handle for a call the provider announces; it
    // outlives the call (see ZavNewCallSlots).
    HTAPICALL* m_pAnnouncedTapiCall;
    // Unique while the process lives (see GetSerial).
    const unsigned long long m_qwSerial;
};
