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
#include "callctrl/ZavConfCall.h"
#include "callctrl/ZavConfOutCall.h"
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
        case eTransferReply: OnTransferReply(m); break;
        case eTransferEndReply: OnTransferEndReply(m); break;
        case eConferenceReply: OnConferenceReply(m); break;
        case eAddToConfReply: OnAddToConfReply(m); break;
        case eParkSuccess:
            if (ZavCall* call = m.sal1 > 0 ? LegCall(m) : ReqIdCall(m)) call->NotifyPark();
            break;
        case eParkGeneralFailure:
        case eParkCancelled:
        case eParkInvalidExt:
            if (ZavCall* call = SalCall(m)) call->NotifyParkError(static_cast<LONG>(LINEERR_OPERATIONFAILED));
            break;
        case eTooManyPartiesInConf:
        case eTooManyConfInSys:
            CompleteConferenceRequest(SalCall(m), static_cast<LONG>(LINEERR_CONFERENCEFULL));
            break;
        case eUnparkSuccess:
            if (ZavCall* call = SalCall(m)) {
                call->UpdateUnParkCallerId(m.callerNum, m.callerName);
                if (call->OnceUnparked() == 0) call->SetCallReason(LINECALLREASON_UNPARK, 0);
            }
            break;
        case eRedirectSuccess:
        case eRedirectExtBusy:
        case eRedirectGeneralFailure:
        case eRedirectNotAllowed:
            if (ZavCall* call = SalCall(m))
                call->CompleteRequest(eReqRedirect,
                                      m.msgType == eRedirectSuccess ? 0 : static_cast<LONG>(LINEERR_OPERATIONFAILED));
            break;
        case eTransferTimeout: OnTransferTimeout(m); break;
        case eParkTimeout: OnParkTimeout(m); break;
        case eRedirectTimeout: OnRedirectTimeout(m); break;
        // The blind-transfer, park, unpark, forward and redirect replies,
        // eParkExtInUse and eForwardEnd change nothing.
        default: break;
    }
}

ZavCall* ZavCallHub::SalCall(const ZavCallCtrlMsg& m) const {
    return m.sal1 != 0 ? SALToCallPtr(static_cast<DWORD>(m.sal1), nullptr) : nullptr;
}

ZavCall* ZavCallHub::ReqIdCall(const ZavCallCtrlMsg& m) const {
    return m.reqId != 0 ? ReqIdToCallPtr(reinterpret_cast<HDRVCALL>(static_cast<uintptr_t>(static_cast<DWORD>(m.reqId))))
                        : nullptr;
}

// The switch opened a leg for a set-up whose call is gone (the held party
// hung up, or TAPI closed the call, while the command was on its way).
// Nobody would ever hang that leg up, and it would hold one of the
// extension's line appearances for good.
void ZavCallHub::HangUpUnclaimedLeg(const ZavCallCtrlMsg& m) {
    ZavPhone* phone = m_pPhone;
    // A leg one of the calls here talks on is not the set-up's to undo.
    if (m.sal1 == 0 || !phone || SalCall(m)) return;
    ZAV_TRACE("CLEANUP the set-up's call is gone, hanging up SAL %d", static_cast<int>(m.sal1));
    phone->OnHook(m.sal1);
}

void ZavCallHub::OnTransferReply(const ZavCallCtrlMsg& m) {
    if (m.reqId == 0) return CreateHumanInitiatedCall(m);
    ZavCall* call = ReqIdCall(m);
    // Only a transfer's own call takes the answer: taken for a failed
    // set-up, any other call it named would be deleted under TAPI's feet,
    // with what it carries for other calls.
    if (call && call->GetCallObjectType() != ZavCall::eCallObjectXferOutCall && !call->IsBlindTransfer())
        call = nullptr;
    if (!call) return HangUpUnclaimedLeg(m);
    // The set-up was answered already (refused, its consultation call
    // staying in its slot, or given its leg): a second answer is not the
    // consultation's.
    if (!call->IsBlindTransfer() && call->GetRequestId(eReqSetupTransfer) == 0) return HangUpUnclaimedLeg(m);
    if (m.sal1 == 0 || call->GetCallState() != 0) {
        // No consultation leg, or one for a call that has started already:
        // the set-up failed.
        ZavCall* held = call->GetPrimaryRefCallPointer();
        if (call->CompleteRequest(eReqSetupTransfer, static_cast<LONG>(LINEERR_OPERATIONFAILED)) != 0 ||
            m.sal1 != 0) {
            if (held) held->SetRequestId(eReqSetupTransfer, 0);
        }
        // The held call waited silently for the consultation's dial tone;
        // TAPI never saw it leave the connected state, and it has not left.
        if (held && held->GetCallState() == LINECALLSTATE_ONHOLDPENDTRANSFER)
            held->SetDontNotifyYetCallState(LINECALLSTATE_CONNECTED);
        // A blind transfer's transient call answers its own request and,
        // TAPI never having had it, goes at once.
        if (call->IsBlindTransfer()) {
            call->CompleteRequest(eReqBlindTransfer, static_cast<LONG>(LINEERR_OPERATIONFAILED));
            delete call;
            return;
        }
        // TAPI forgets the consultation call with the failed set-up: what
        // the application asked of it meanwhile is failed now, or it would
        // wait for ever.
        call->CleanUpCompIds();
        // Without a leg the consultation call stays, to go with the line,
        // but TAPI's handle for it is void: whatever the switch later says
        // of it must not reach TAPI.
        if (m.sal1 != 0) {
            delete call;
            HangUpUnclaimedLeg(m);
        } else {
            call->SetHTapiCall(nullptr);
        }
        return;
    }
    if (!call->GetCallHubPointer()) {
        ZAV_TRACE("eTransferReply: CallHub pointer is NULL");
        return;
    }
    call->SetSAL(static_cast<DWORD>(m.sal1));
    if (m.gCallId != 0) call->SetGlobalCallId(static_cast<DWORD>(m.gCallId));
    call->NotifyDialTone();
}

void ZavCallHub::OnTransferEndReply(const ZavCallCtrlMsg& m) {
    ZavCall* call = LegCall(m);
    if (!call) return;
    if (m.result != 0) {
        if (call->GetRequestId(eReqCompleteTransfer) != 0) {
            ZAV_TRACE("eTransferEndReply: Complete transfer FAILED notifying call");
            call->SetRequestId(eReqCompleteTransfer, 0);
        }
        return;
    }
    if (call->IsBlindTransfer()) {
        delete call;
        return;
    }
    auto* out = dynamic_cast<ZavOutCall*>(call);
    if (!out || !out->IsHumanInitiated()) call->NotifyTransferEnd();
}

void ZavCallHub::OnConferenceReply(const ZavCallCtrlMsg& m) {
    if (m.reqId == 0) return CreateHumanInitiatedCall(m);
    ZavCall* call = ReqIdCall(m);
    // Only a conference's consultation call still waiting for its set-up
    // takes the answer. Any other call it names did not ask for a leg: a
    // transfer's consultation call the switch refused (TAPI forgot it with
    // its request) would otherwise come alive again, and a set-up answered
    // already would take a second leg.
    if (call && (call->GetCallObjectType() != ZavCall::eCallObjectConfOutCall ||
                 call->GetRequestId(eReqConference) == 0))
        call = nullptr;
    if (!call) {
        if (m.result == 0) HangUpUnclaimedLeg(m);
        return;
    }
    if (m.result == 0) {
        call->SetSAL(static_cast<DWORD>(m.sal1));
        call->NotifyDialTone();
        // The dial tone may have been the end of the call for TAPI.
        if (m.gCallId != 0 && ReqIdCall(m) == call) call->SetGlobalCallId(static_cast<DWORD>(m.gCallId));
        return;
    }
    CompleteConferenceRequest(call, static_cast<LONG>(LINEERR_CONFERENCEFULL));
    // A refused set-up: TAPI forgets the conference call with the failed
    // request, so it goes without a word, and the first call, which the
    // set-up showed as conferenced, is the plain connected call it was.
    auto* conf = dynamic_cast<ZavConfCall*>(GetConfCallPointer());
    if (conf && conf->GetConsultCallPointer() == call) {
        if (ZavCall* primary = conf->GetPrimaryCallPointer()) {
            primary->ResetPrimaryInConference();
            if (primary->IsConferenced()) primary->SetCallState(LINECALLSTATE_CONNECTED, 0);
        }
        conf->CleanUpCompIds();
        conf->SetHTapiCall(nullptr);
        delete conf;
    }
    call->CleanUpCompIds();
    delete call;
}

void ZavCallHub::OnAddToConfReply(const ZavCallCtrlMsg& m) {
    ZavCall* call = LegCall(m);
    if (call) {
        if (m.result != 0) {
            ZAV_TRACE("eAddToConfReply: FAILED, call VALID");
            return;
        }
        ZAV_TRACE("eAddToConfReply: SUCCESS, call VALID");
        if (auto* consult = dynamic_cast<ZavConfOutCall*>(call)) consult->NotifyConfComplete();
        return;
    }
    if (m.result != 0) {
        ZAV_TRACE("eAddToConfReply: FAILED, call NULL");
        return;
    }
    ZAV_TRACE("eAddToConfReply: SUCCESS, call NULL");
    if (ZavCall* conf = GetConfCallPointer()) conf->SetCallState(LINECALLSTATE_CONNECTED, 0);
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
    const DWORD id = call->GetId();
    // A call TAPI never took (the line closed, or it gave no handle in
    // time) would stay in the hub for good: nobody could close it.
    if (call->NotifyNewCall() == -1 && StillHolds(call, id) && !call->GetHTapiCall()) {
        ZAV_TRACE("**** eOffhookReply: TAPI new call notification failed");
        delete call;
    }
}

namespace {

// A consultation call gets its leg from the transfer or conference reply,
// never from an off-hook; one whose set-up the switch refused stays in its
// slot, idle in all but name, and must not come alive again.
bool IsConsultation(const ZavCall& call) {
    switch (call.GetCallObjectType()) {
        case ZavCall::eCallObjectXferOutCall:
        case ZavCall::eCallObjectXferOutCallAuto:
        case ZavCall::eCallObjectConfOutCall:
            return true;
        default:
            return false;
    }
}

}  // namespace

void ZavCallHub::OnOffhookReply(const ZavCallCtrlMsg& m) {
    ZavPhone* phone = m_pPhone;
    const DWORD reqId = static_cast<DWORD>(m.reqId);
    if (reqId != 0) {
        if (ZavCall* call = ReqIdToCallPtr(reinterpret_cast<HDRVCALL>(static_cast<uintptr_t>(reqId)))) {
            if (call->GetCallState() == 0 && !IsConsultation(*call)) {
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
    // A conference call TAPI forgot with its failed set-up has no handle to
    // report it by.
    auto reportIdle = [line](ZavCall* ended) {
        const HTAPICALL htCall = ended->GetHTapiCall();
        if (ended->NotifyDisconnected(1) == 0 && line && htCall)
            line->SendLineEvent(htCall, LINE_CALLSTATE, LINECALLSTATE_IDLE, 0, ended->GetMediaMode());
    };
    if (call->IsConferenced()) {
        if (ZavCall* conf = GetConfCallPointer()) {
            SaveToDeleteCall(static_cast<long>(conf->GetId()));
            reportIdle(conf);
        }
    }
    reportIdle(call);
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
