// The container of one extension's calls: slots whose index is the call's
// id, a parallel set of slots for calls TAPI still holds after they ended,
// and the lookups the message handling and TSPI functions need.
#pragma once

#include <vector>

#include "provider/ZavLock.h"
#include "tapi/Tapi.h"

class ZavCall;
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

    ZavCall* CallIdToCallPtr(DWORD dwId) const;
    ZavCall* CallIdToDeleteCallPtr(DWORD dwId) const;

    // The dispatcher of the extension's call-control messages, called on the
    // message thread with the phone's lock held.
    void ProcessCallCtrlMessage(long msgType, long result, long sal1, long sal2, long reqId, long reason, long digit,
                                long gCallId, const char* callerNum, const char* ext, const char* callerName,
                                const char* dialedNum, const char* trunk, const char* redirectingNum,
                                const char* redirectionNum);

    // Clears the slot of a call that is being destroyed, on whatever thread
    // destroys it.
    void HandleCallTermination(DWORD dwId);

    unsigned long MaxNumCalls() const;
    static unsigned long DefaultMaxNumCalls() { return 19; }
    void CheckCallVectSize();

private:
    ZavLock m_Lock;
    std::vector<ZavCall*> m_callVect;
    std::vector<ZavCall*> m_deleteCallVect;
    ZavAddress* m_pAddr;
    ZavPhone* m_pPhone;
    ZavLine* m_pLine;
};
