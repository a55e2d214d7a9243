// The entry of the switch's call-control messages: the prologue every
// message goes through, and the dispatch to the handlers.
#include <new>

#include "callctrl/ZavCall.h"
#include "callctrl/ZavCallCtrlMsg.h"
#include "callctrl/ZavCallHub.h"
#include "callctrl/ZavMsgTypes.h"
#include "trace/ZavTrace.h"
#include "tsp/ZavLine.h"

namespace {

// The switch's "no leg" value, and how far past the call slots a SAL may
// lie before the message cannot be the extension's.
constexpr unsigned long kNoSal = 0xFFFF;
constexpr unsigned long kSalMargin = 64;

DWORD Bits(long value) { return static_cast<DWORD>(value); }

}  // namespace

void ZavCallHub::ProcessCallCtrlMessage(long msgType, long result, long sal1, long sal2, long reqId, long reason,
                                        long digit, long gCallId, const char* callerNum, const char* ext,
                                        const char* callerName, const char* dialedNum, const char* trunk,
                                        const char* redirectingNum, const char* redirectionNum) {
    auto text = [](const char* t) { return t ? t : ""; };
    const ZavCallCtrlMsg m{msgType,         result,          sal1,        sal2,           reqId,
                           reason,          digit,           gCallId,     text(callerNum), text(ext),
                           text(callerName), text(dialedNum), text(trunk), text(redirectingNum),
                           text(redirectionNum)};
    try {
        ZavLine* line = m_pLine;
        if (!line || !line->GetLineEvent()) {
            ZAV_TRACE("**** ERROR: The associated line is not opened. Ignoring call control message for Ext %s", m.ext);
            return;
        }
        const unsigned long sal = static_cast<unsigned long>(static_cast<DWORD>(m.sal1));
        if (sal == kNoSal || sal > MaxNumCalls() + kSalMargin || (m.sal1 == 0 && m.reqId == 0)) return;
        ZAV_TRACE("==== Msg %s Type 0x%08X Ext %s ====", ZavMsgTypeName(m.msgType), Bits(m.msgType), m.ext);
        ZAV_TRACE("==== SAL1   0x%08X SAL2   0x%08X ReqId   0x%08X ====", Bits(m.sal1), Bits(m.sal2), Bits(m.reqId));
        ZAV_TRACE("==== Result 0x%08X Reason 0x%08X gCallId 0x%08X ====", Bits(m.result), Bits(m.reason),
                  Bits(m.gCallId));
        switch (m.msgType) {
            case eNewCall: OnNewCall(m); break;
            case eRingBack: OnRingBack(m); break;
            case eConnected: OnConnected(m); break;
            case eBusy: OnBusy(m); break;
            case eDigitLocal:
            case eDigitRemote: OnDigit(m); break;
            case eStopDialtone: OnStopDialtone(m); break;
            default: ProcessReplyMessage(m); break;
        }
    } catch (const std::bad_alloc&) {
        ZAV_TRACE("**** ERROR: ZavCallHub::ProcessCallCtrlMessage() bad_alloc exception is catched");
    } catch (...) {
        ZAV_TRACE("**** ERROR: ZavCallHub::ProcessCallCtrlMessage() unspecified exception is catched");
    }
}
