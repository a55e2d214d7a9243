// The container of one extension's calls: slots whose index is the call's
// id, a parallel set of slots for calls TAPI still holds after they ended,
// and the lookups the message handling and TSPI functions need.
//
// Calls are destroyed on TAPI's threads and on the message thread, so every
// access to the slots, and every lookup that reads the calls in them, runs
// under the hub's lock; a call leaves its slot under the same lock before
// it is freed.
//
// The lifetime rule. A call is destroyed only while its extension's phone
// message lock (ZavPhone::Lock) is held. The message thread holds it for
// each call-control message, so a handler's calls stay alive unless the
// handler itself, or TAPI from inside one of its notifications on the same
// thread, closes them (hence the re-check after every call into TAPI). A
// TSPI function that works on a call takes the lock before it translates
// the call's handle and keeps it until its last use of the call
// (tsp/ZavCallUse.h). A pointer a lookup returns is therefore valid for as
// long as the lock is held, and a call freed on one thread can never be in
// use on another. The lock is re-entrant, so TAPI may close a call from
// inside a notification. Nothing waits for the message thread while
// holding it: closing a line closes its calls first, then takes the link
// down without the lock.
#pragma once

#include <vector>

#include "provider/ZavLock.h"
#include "tapi/Tapi.h"

class ZavCall;
class ZavInCall;
struct ZavCallCtrlMsg;
class ZavAddress;
class ZavLine;
class ZavPhone;

class ZavCallHub {
public:
    ZavCallHub();
    ~ZavCallHub();
    ZavCallHub(const ZavCallHub&) = delete;
    ZavCallHub& operator=(const ZavCallHub&) = delete;

    void AssociateWith(ZavPhone* pPhone);
    void AssociateWith(ZavAddress* pAddr);
    void SetLinePointer(ZavLine* pLine) { m_pLine = pLine; }
    ZavLine* GetLinePointer() const { return m_pLine; }
    ZavPhone* GetPhonePointer() const { return m_pPhone; }
    void SetAddrPointer(ZavAddress* pAddr) { m_pAddr = pAddr; }
    ZavAddress* GetAddrPointer() const { return m_pAddr; }

    // Stores a new call in the first free call slot and returns its id, or
    // -1 when every call slot is taken; the caller then disposes of it.
    long SaveCall(ZavCall* pCall);
    // The last slot belongs to the extension's conference call. Takes the
    // conference call as a plain call until its own class exists.
    void SaveConfCall(ZavCall* pConfCall);
    // Moves a call that TAPI still holds out of the live slots. 0 or -1.
    long SaveToDeleteCall(long id);

    ZavCall* CallIdToCallPtr(DWORD dwId) const;
    ZavCall* CallIdToDeleteCallPtr(DWORD dwId) const;
    ZavCall* GetConfCallPointer() const;
    // The first call in slot order with the SAL that is not idle; `pIndex`
    // receives the slot, or the number of slots when none matched.
    ZavCall* SALToCallPtr(DWORD sal, DWORD* pIndex) const;
    // The same, idle calls included.
    ZavCall* SALToCallInclIdlePtr(DWORD sal, DWORD* pIndex) const;
    // The call a driver call handle names: the switch echoes it as the
    // request id of its replies.
    ZavCall* ReqIdToCallPtr(HDRVCALL hdCall) const;
    // The first call whose pending complete-transfer (bComplete) or
    // set-up-transfer request is `reqId`.
    ZavCall* TransferCompletionIdToCallPtr(DWORD reqId, bool bComplete) const;
    ZavCall* FindCallInState(DWORD state) const;
    // `states` ends with 0.
    ZavCall* FindCallInStates(const DWORD* states) const;

    // Clears the slot that holds `pCall`, the call being destroyed, and
    // nothing else: the id alone cannot tell a call from an older one of the
    // same id that still waits for TAPI in the delete-pending slots.
    void HandleCallTermination(DWORD dwId, const ZavCall* pCall);
    void NotifyConferenceDisconnected();
    // Completes the conference request the call holds; the call forgets it
    // on the extension's other calls (see ForgetRequest).
    void CompleteConferenceRequest(ZavCall* call, LONG result);
    // A completed request is forgotten by every call of the extension
    // (`failed`: completed with an error).
    void ForgetRequest(DWORD id, bool failed = false);
    // Fails the request wherever a call of the extension still carries it.
    // The caller holds the extension's message lock, so the call found
    // cannot end before it is used.
    void FailRequest(DWORD id);

    unsigned long MaxNumCalls() const;
    // The lowest SAL from 65 no live call of the extension uses, up to one
    // past the line appearances: what the provider proposes for a leg.
    DWORD FirstFreeSal() const;
    static unsigned long DefaultMaxNumCalls() { return 19; }
    // Sizes both vectors to the phone and empties them; for an extension
    // that has no calls.
    void CheckCallVectSize();
    // Counts the live calls, the conference call included, by state.
    void NumCallStatistics(DWORD* pActive, DWORD* pIdle, DWORD* pOnHold, DWORD* pOnHoldPending) const;

    // The dispatcher of the extension's call-control messages, called on the
    // message thread with the phone's lock held.
    void ProcessCallCtrlMessage(long msgType, long result, long sal1, long sal2, long reqId, long reason,
                                long digit, long gCallId, const char* callerNum, const char* ext,
                                const char* callerName, const char* dialedNum, const char* trunk,
                                const char* redirectingNum, const char* redirectionNum);

private:
    ZavCall* SALLookup(DWORD sal, DWORD* pIndex, bool bInclIdle) const;

    // The handlers of the switch's call events, and the one entry of the
    // replies, results and time-outs.
    void OnNewCall(const ZavCallCtrlMsg& m);
    void OnRingBack(const ZavCallCtrlMsg& m);
    void OnConnected(const ZavCallCtrlMsg& m);
    void OnBusy(const ZavCallCtrlMsg& m);
    void OnDigit(const ZavCallCtrlMsg& m);
    void OnStopDialtone(const ZavCallCtrlMsg& m);
    void ProcessReplyMessage(const ZavCallCtrlMsg& m);
    void OnOffhookReply(const ZavCallCtrlMsg& m);
    void OnAnswerReply(const ZavCallCtrlMsg& m);
    void OnOnhookReply(const ZavCallCtrlMsg& m);
    void OnHoldReply(const ZavCallCtrlMsg& m);
    void OnUnholdReply(const ZavCallCtrlMsg& m);
    void OnTransferReply(const ZavCallCtrlMsg& m);
    void HangUpUnclaimedLeg(const ZavCallCtrlMsg& m);
    void OnTransferEndReply(const ZavCallCtrlMsg& m);
    void OnConferenceReply(const ZavCallCtrlMsg& m);
    void OnAddToConfReply(const ZavCallCtrlMsg& m);
    void OnTransferTimeout(const ZavCallCtrlMsg& m);
    void OnParkTimeout(const ZavCallCtrlMsg& m);
    void OnRedirectTimeout(const ZavCallCtrlMsg& m);
    // An outgoing call the user started on the telephone itself, for a
    // leg the provider did not ask for.
    void CreateHumanInitiatedCall(const ZavCallCtrlMsg& m);
    // A call the switch brought back, stored and offered to TAPI (and, with
    // `announce`, reported ringing with its information). False when it
    // could not be: the call is then gone.
    bool OfferRecall(ZavInCall* call, const ZavCallCtrlMsg& m, bool announce);
    // The call on a non-zero SAL1, and the call the message's request id
    // names.
    ZavCall* SalCall(const ZavCallCtrlMsg& m) const;
    ZavCall* ReqIdCall(const ZavCallCtrlMsg& m) const;
    // The live call on the message's leg (a positive SAL1), or null.
    ZavCall* LegCall(const ZavCallCtrlMsg& m) const;
    // The re-check after a call into TAPI: slot `id` still holds `call`
    // (and, for StillKnown, TAPI still has a handle for it).
    bool StillHolds(const ZavCall* call, DWORD id) const;
    bool StillKnown(const ZavCall* call, DWORD id) const;
    // Stores a trunk number the switch gave as positive decimal text;
    // whether there was one.
    static bool ApplyTrunk(ZavCall* call, const char* trunk);

    mutable ZavLock m_Lock;
    std::vector<ZavCall*> m_callVect;
    std::vector<ZavCall*> m_deleteCallVect;
    ZavAddress* m_pAddr;
    ZavPhone* m_pPhone;
    ZavLine* m_pLine;
};
