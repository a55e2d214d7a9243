// The message thread of a linked telephone: it pulls the switch's messages
// one at a time and routes them by category.
#include <string>

#include "callctrl/ZavCallHub.h"
#include "callctrl/ZavMsgTypes.h"
#include "platform/Bstr.h"
#include "platform/Com.h"
#include "platform/Event.h"
#include "switchlink/ZavPhone.h"
#include "trace/ZavTrace.h"
#include "tsp/ZavLine.h"

namespace {

DWORD HandleBits(const void* h) { return static_cast<DWORD>(reinterpret_cast<uintptr_t>(h)); }

// A text getter's result, freed when the message has been handled. A text
// the message does not carry is the empty text.
class MsgText {
public:
    MsgText() = default;
    ~MsgText() { plat::FreeBstr(m_bstr); }
    MsgText(const MsgText&) = delete;
    MsgText& operator=(const MsgText&) = delete;
    BSTR* Out() { return &m_bstr; }
    std::string Text() const { return plat::BstrToString(m_bstr); }

private:
    BSTR m_bstr = nullptr;
};

}  // namespace

DWORD ZavPhone::IncomingMsgHandler(void* arg) {
    ZavPhone* phone = static_cast<ZavPhone*>(arg);
    ZAV_TRACE("TTTT ZavPhone::IncomingMsgHandler() started, event handle 0x%08X", HandleBits(phone->m_hMsgEvent));
    if (!phone->m_hMsgEvent) {
        ZAV_TRACE("TTTT IncomingMsgHandler(), thisPtr->m_hMsgEvent is NULL");
        return 0;
    }
    HRESULT hr = plat::ComInitialize(true);
    if (FAILED(hr)) ZAV_TRACE("**** ERROR: Failed at CoInitializeEx(), hr 0x%08X", static_cast<DWORD>(hr));

    for (;;) {
        DWORD wait = plat::WaitForTwoEvents(phone->m_hMsgEvent, phone->m_hExitEvent, INFINITE);
        if (wait == WAIT_OBJECT_0 + 1) {
            ZAV_TRACE("TTTT IncomingMsgHandler(), I am told to exit");
            break;
        }
        if (wait == WAIT_FAILED) {
            ZAV_TRACE("TTTT IncomingMsgHandler(), I have to terminate myself");
            break;
        }
        if (wait != WAIT_OBJECT_0) continue;

        IEndPoint* endpoint = phone->GetEndPoint();
        if (!endpoint) {
            ZAV_TRACE("**** Received an event from CC Manager but Endpoint object is NULL");
            break;
        }
        IMsgInt* msg = nullptr;
        hr = endpoint->RetrieveMsg(&msg);
        if (FAILED(hr)) {
            ZAV_TRACE("**** POSSIBLE ERROR: Failed at m_spIEndPoint->RetrieveMsg(), hr 0x%08X", static_cast<DWORD>(hr));
            continue;
        }
        if (!msg) {
            ZAV_TRACE("**** ERROR: Failed at m_spIEndPoint->RetrieveMsg() pIMsgInt is NULL");
            continue;
        }
        LONG category = 0, type = 0;
        if (FAILED(msg->GetCategory(&category))) {
            ZAV_TRACE("**** NULL Message retrieved");
            // Nobody else will release it.
            msg->Release();
            continue;
        }
        msg->GetMsgType(&type);
        ZAV_TRACE("TTTT Msg %s Type 0x%08X", ZavMsgTypeName(type), static_cast<DWORD>(type));
        phone->RouteMessage(msg, category, type);
    }

    ZAV_TRACE("TTTT IncomingMsgHandler(), I am going down");
    plat::ComUninitialize();
    return 0;
}

void ZavPhone::RouteMessage(IMsgInt* pMsg, LONG category, LONG type) {
    switch (category) {
        case kZavCategoryRegistration: {
            if (type == eShutdown) {
                LONG result = 0;
                pMsg->GetResult(&result);
                ZAV_TRACE("TTTT Received eShutDown from CC Manager -- Return Value %d", static_cast<int>(result));
                ZavLine* line = m_pCallHub ? m_pCallHub->GetLinePointer() : nullptr;
                if (line) {
                    ZAV_TRACE("TTTT IncomingMsgHandler(), sending REINIT notification");
                    line->NotifyLineDevState(LINEDEVSTATE_REINIT, 0, 0x80);
                }
            }
            // The waiter in Init or Shutdown takes it from here and releases it.
            StoreSyncReply(pMsg);
            return;
        }
        case kZavCategoryCallControl:
            RouteCallControl(pMsg, type);
            if (IEndPoint* endpoint = GetEndPoint()) endpoint->AcknowledgeMsg();
            pMsg->Release();
            return;
        case kZavCategoryPhoneQuery: {
            LONG present = 0;
            if (SUCCEEDED(pMsg->HasQueryItem6(&present)) && present) {
                MsgText owner;
                if (SUCCEEDED(pMsg->GetQueryItem6(owner.Out()))) SetOwnerName(owner.Text().c_str());
            }
            pMsg->Release();
            return;
        }
        default:
            // Messages of any other category are not ours to handle.
            pMsg->Release();
            return;
    }
}

void ZavPhone::RouteCallControl(IMsgInt* pMsg, LONG type) {
    if (!m_pCallHub) return;
    MsgText ext;
    pMsg->GetExtension(ext.Out());
    if (ext.Text().empty()) return;

    LONG result = 0, sal1 = 0, sal2 = 0, reqId = 0, reason = 0, digit = 0, gCallId = 0;
    MsgText callerNum, callerName, dialedNum, trunk, redirectingNum, redirectionNum;
    pMsg->GetResult(&result);
    pMsg->GetSAL1(&sal1);
    pMsg->GetSAL2(&sal2);
    pMsg->GetRequestId(&reqId);
    pMsg->GetReason(&reason);
    pMsg->GetDigit(&digit);
    pMsg->GetCallerNum(callerNum.Out());
    pMsg->GetCallerName(callerName.Out());
    pMsg->GetDialedNum(dialedNum.Out());
    pMsg->GetTrunk(trunk.Out());
    pMsg->GetGlobalCallId(&gCallId);
    pMsg->GetRedirectingNum(redirectingNum.Out());
    pMsg->GetRedirectionNum(redirectionNum.Out());

    // One message at a time per telephone, in arrival order.
    ZavLockHolder hold(m_Lock);
    m_pCallHub->ProcessCallCtrlMessage(type, result, sal1, sal2, reqId, reason, digit, gCallId,
                                       callerNum.Text().c_str(), ext.Text().c_str(), callerName.Text().c_str(),
                                       dialedNum.Text().c_str(), trunk.Text().c_str(),
                                       redirectingNum.Text().c_str(), redirectionNum.Text().c_str());
}
