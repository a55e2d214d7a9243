// The switch's answers to the provider's commands: off-hook, answer,
// on-hook, hold and unhold. The answers of the transfer, conference, park,
// unpark and redirect commands, their results and the recalls follow with
// those operations.
#include <cstdint>
#include <memory>
#include <new>

#include "callctrl/ZavCall.h"
#include "callctrl/ZavCallCtrlMsg.h"
#include "callctrl/ZavCallHub.h"
#include "callctrl/ZavMsgTypes.h"
#include "callctrl/ZavOutCall.h"
#include "switchlink/ZavPhone.h"
#include "trace/ZavTrace.h"
#include "tsp/ZavLine.h"

void ZavCallHub::ProcessReplyMessage(const ZavCallCtrlMsg& m) {
    switch (m.msgType) {
        case eOffhookReply: OnOffhookReply(m); break;
        case eAnswerReply: OnAnswerReply(m); break;
        case eOnhookReply: OnOnhookReply(m); break;
        case eHoldReply: OnHoldReply(m); break;
        case eUnholdReply: OnUnholdReply(m); break;
        // The other replies, the results and the time-outs: the prologue's
        // trace is all they leave until their operations exist.
        default: break;
    }
}

void ZavCallHub::CreateHumanInitiatedCall(const ZavCallCtrlMsg& m) {
    std::unique_ptr<ZavOutCall> created(new (std::nothrow) ZavOutCall(nullptr));
    if (!created) return;
    ZavOutCall* call = created.get();
    call->SetSAL(static_cast<DWORD>(m.sal1));
    call->SetHumanInitiated(1);
    if (m.gCallId != 0) call->SetGlobalCallId(static_cast<DWORD>(m.gCallId));
    if (SaveCall(call) < 0) return;
    created.release();
    call->NotifyNewCall();
}

void ZavCallHub::OnOffhookReply(const ZavCallCtrlMsg& m) {
    ZavPhone* phone = m_pPhone;
    const DWORD reqId = static_cast<DWORD>(m.reqId);
    if (reqId != 0) {
        if (ZavCall* call = ReqIdToCallPtr(reinterpret_cast<HDRVCALL>(static_cast<uintptr_t>(reqId)))) {
            if (call->GetCallState() == 0) {
                call->SetSAL(static_cast<DWORD>(m.sal1));
                if (m.gCallId != 0) call->SetGlobalCallId(static_cast<DWORD>(m.gCallId));
                call->NotifyDialTone();
            } else {
                ZAV_TRACE("eOffhookReply: CLEANUP we didn't send this request ");
                if (phone) phone->OnHook(m.sal1);
            }
            return;
        }
        const DWORD lineId = m_pLine ? m_pLine->GetId() : 0;
        if (((reqId >> 16) & 0xFFu) == lineId) {
            ZAV_TRACE("eOffhookReply: CLEANUP outstanding answer request ");
            if (phone) phone->OnHook(m.sal1);
            return;
        }
    }
    if (m.sal1 != 0) CreateHumanInitiatedCall(m);
}

void ZavCallHub::OnAnswerReply(const ZavCallCtrlMsg& m) {
    ZavCall* call = LegCall(m);
    if (call && !call->IsConferenced() && call->GetHTapiCall()) call->NotifyConnected();
}

void ZavCallHub::OnOnhookReply(const ZavCallCtrlMsg& m) {
    ZavCall* call = LegCall(m);
    if (!call) return;
    const DWORD id = call->GetId();
    if (m.gCallId != 0) call->SetGlobalCallId(static_cast<DWORD>(m.gCallId));
    if (!StillHolds(call, id)) return;
    if (call->IsBlindTransfer()) {
        // The transient call of a blind transfer has done its work.
        delete call;
        return;
    }
    if (!call->GetHTapiCall() || call->IsDisconnected() || call->IsIdle() || call->GetRequestId(eReqUnpark) != 0)
        return;
    call->SetRequestId(eReqCompleteTransfer, 0);
    call->SetCallReason(static_cast<DWORD>(m.reason), 1);
    SaveToDeleteCall(static_cast<long>(id));
    ZavLine* line = m_pLine;
    if (call->IsConferenced()) {
        if (ZavCall* conf = GetConfCallPointer()) {
            SaveToDeleteCall(static_cast<long>(conf->GetId()));
            if (conf->NotifyDisconnected(1) == 0 && line)
                line->SendLineEvent(conf->GetHTapiCall(), LINE_CALLSTATE, LINECALLSTATE_IDLE, 0,
                                    conf->GetMediaMode());
        }
    }
    if (call->NotifyDisconnected(1) == 0 && line)
        line->SendLineEvent(call->GetHTapiCall(), LINE_CALLSTATE, LINECALLSTATE_IDLE, 0, call->GetMediaMode());
}

void ZavCallHub::OnHoldReply(const ZavCallCtrlMsg& m) {
    ZavCall* call = LegCall(m);
    if (!call || call->IsHeldPend()) return;
    if (call->GetRequestId(eReqCompleteTransfer) != 0) {
        ZAV_TRACE("eHoldReply: Outstanding transfer request");
        return;
    }
    if (m.reason != 0) call->SetCallReason(static_cast<DWORD>(m.reason), 1);
    call->NotifyHold();
}

void ZavCallHub::OnUnholdReply(const ZavCallCtrlMsg& m) {
    ZavCall* call = LegCall(m);
    if (!call) return;
    const DWORD id = call->GetId();
    if (m.gCallId != 0) call->SetGlobalCallId(static_cast<DWORD>(m.gCallId));
    if (!StillHolds(call, id)) return;
    if (m.result == 0)
        call->NotifyUnhold();
    else
        call->NotifyUnholdError();
}
