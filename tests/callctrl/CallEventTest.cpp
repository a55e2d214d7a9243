// The switch's call events as the call hub handles them: which messages are
// dropped, which calls are made or changed, and what TAPI hears, in order.
#include <utility>

#include "callctrl/CallFixture.h"
#include "callctrl/ZavMsgTypes.h"
#include "provider/ZavTspGlobals.h"
#include "callctrl/ZavConfCall.h"
#include "callctrl/ZavConfOutCall.h"
#include "callctrl/ZavOutCall.h"
#include "callctrl/ZavTspCallIncoming.h"
#include "callctrl/ZavXferOutCall.h"
#include "callctrl/ZavXferOutCallAuto.h"

namespace calltest {
namespace {

struct Msg {
    long type;
    long sal1;
    const char* callerNum = "";
    const char* trunk = "";
    long reason = 0;
    long digit = 0;
    long reqId = 0;
    long result = 0;
};

class CallEvents : public CallTest {
protected:
    // As the message thread hands a message over: under the phone's lock.
    void Send(const Msg& m) {
        m_phone->Lock();
        m_hub->ProcessCallCtrlMessage(m.type, m.result, m.sal1, 0, m.reqId, m.reason, m.digit, 0x77, m.callerNum, kExt,
                                      "", "", m.trunk, "", "");
        m_phone->Unlock();
    }
    template <typename T>
    T* Saved(T* call, DWORD sal, DWORD state) {
        call->SetSAL(sal);
        call->UpdateCallState(state);
        EXPECT_GE(m_hub->SaveCall(call), 0);
        return call;
    }
    // (message, first parameter) of what TAPI heard.
    static std::vector<std::pair<DWORD, DWORD_PTR>> Heard() {
        std::vector<std::pair<DWORD, DWORD_PTR>> out;
        for (const LineEvent& e : Recorder::Events()) out.emplace_back(e.msg, e.msg == LINE_NEWCALL ? 0 : e.p1);
        return out;
    }
};

TEST_F(CallEvents, MessagesTheHubMustNotTakeAreDroppedBeforeTheirTrace) {
    struct Case {
        const char* name;
        Msg msg;
        bool lineOpen;
        const char* trace;  // nullptr: no trace at all
    } cases[] = {
        {"line not open", {eNewCall, 5, "4711"}, false, "**** ERROR: The associated line is not opened."},
        {"the switch's no-leg value", {eNewCall, 0xFFFF}, true, nullptr},
        {"past the slots", {eNewCall, 19 + 64 + 1}, true, nullptr},
        {"neither leg nor request", {eNewCall, 0}, true, nullptr},
    };
    for (const Case& c : cases) {
        if (!c.lineOpen) CloseLine();
        Send(c.msg);
        std::string log = TraceLog();
        EXPECT_EQ(log.find("==== Msg"), std::string::npos) << c.name;
        if (c.trace) {
            EXPECT_NE(log.find(c.trace), std::string::npos) << c.name;
        }
        EXPECT_TRUE(Recorder::Events().empty()) << c.name;
        if (!c.lineOpen) OpenLine();
        Recorder::Clear();
    }
}

TEST_F(CallEvents, AnOfferedCallTakesOriginAndTrunkFromTheMessage) {
    struct Case {
        const char* callerNum;
        const char* trunk;
        DWORD origin, trunkNum;
    } cases[] = {
        {"4711", "", LINECALLORIGIN_INTERNAL, 0},
        {"71234", "0", LINECALLORIGIN_EXTERNAL, 0},
        {"12345678", "ab", LINECALLORIGIN_EXTERNAL, 0},
        {"123456", "12", LINECALLORIGIN_INTERNAL, 12},
    };
    long sal = 1;
    for (const Case& c : cases) {
        Recorder::Clear();
        Recorder::AnswerNewCall(NewCallAnswer::Immediately, TapiCall(0x800 + sal));
        Send({eNewCall, sal, c.callerNum, c.trunk});
        ZavCall* call = m_hub->SALToCallPtr(static_cast<DWORD>(sal++), nullptr);
        ASSERT_NE(call, nullptr) << c.callerNum;
        EXPECT_EQ(call->GetOrigin(), c.origin) << c.callerNum;
        EXPECT_EQ(call->GetTrunkNum(), c.trunkNum) << c.callerNum;
        std::vector<std::pair<DWORD, DWORD_PTR>> expected = {
            {LINE_NEWCALL, 0},
            {LINE_CALLSTATE, LINECALLSTATE_OFFERING},
            {LINE_CALLINFO, LINECALLINFOSTATE_CALLID},  // held back until TAPI knew the call
            {LINE_LINEDEVSTATE, LINEDEVSTATE_RINGING},
            {LINE_CALLINFO, LINECALLINFOSTATE_CALLERID},
            {LINE_CALLINFO, LINECALLINFOSTATE_CALLEDID},
            {LINE_CALLINFO, LINECALLINFOSTATE_ORIGIN}};
        if (c.trunkNum) expected.emplace_back(LINE_CALLINFO, LINECALLINFOSTATE_TRUNK);
        EXPECT_EQ(Heard(), expected) << c.callerNum;
        EXPECT_EQ(Recorder::Events(LINE_CALLSTATE)[0].p2, static_cast<DWORD_PTR>(LINEOFFERINGMODE_ACTIVE));
    }
}

TEST_F(CallEvents, NewCallsThatCannotBeOfferedLeaveNothingBehind) {
    Recorder::AnswerNewCall(NewCallAnswer::Never, nullptr);
    ZavCall::s_dwNewCallWaitMs = 50;  // the real wait has a test of its own
    Send({eNewCall, 9, "4711"});
    ZavCall::s_dwNewCallWaitMs = 2000;
    EXPECT_EQ(m_hub->SALToCallInclIdlePtr(9, nullptr), nullptr);
    EXPECT_NE(TraceLog().find("**** eNewCall: TAPI new call notification failed"), std::string::npos);
    // An idle call still in its slot keeps its SAL: no second call for it.
    ZavInCall* idle = Saved(new ZavInCall(TapiCall(0x811)), 10, LINECALLSTATE_IDLE);
    Recorder::Clear();
    Send({eNewCall, 10, "4711", "", 0x0E});
    EXPECT_TRUE(Recorder::Events().empty());
    EXPECT_EQ(m_hub->SALToCallInclIdlePtr(10, nullptr), idle);
}

// An application may close a call from inside the notification that
// offers it; the hub must stop reporting it there and then.
TEST_F(CallEvents, TapiClosingTheCallInsideANotificationStopsTheHandler) {
    gpTS.store(m_session.get());
    Recorder::AnswerNewCall(NewCallAnswer::Immediately, TapiCall(0x851));
    HDRVCALL offered = nullptr;
    Recorder::SetHook([&](const LineEvent& e) {
        if (e.msg == LINE_NEWCALL) offered = reinterpret_cast<HDRVCALL>(e.p1);
        if (e.msg == LINE_CALLSTATE && e.p1 == LINECALLSTATE_OFFERING) {
            EXPECT_EQ(TSPI_lineCloseCall(offered), 0);
        }
    });
    Send({eNewCall, 13, "4711", "12"});
    gpTS.store(nullptr);
    const std::vector<std::pair<DWORD, DWORD_PTR>> heard = {{LINE_NEWCALL, 0},
                                                             {LINE_CALLSTATE, LINECALLSTATE_OFFERING}};
    EXPECT_EQ(Heard(), heard);
    EXPECT_EQ(m_hub->SALToCallInclIdlePtr(13, nullptr), nullptr);
}

TEST_F(CallEvents, AKnownCallHearsOfANewCallerOnlyWhenItChanged) {
    ZavInCall* call = Saved(new ZavInCall(TapiCall(0x821)), 11, LINECALLSTATE_CONNECTED);
    call->SetCallerAddr("4711");
    call->SetGlobalCallId(0x77);
    Recorder::Clear();
    Send({eNewCall, 11, "4711", "", 14});
    EXPECT_TRUE(Recorder::Events(LINE_CALLINFO).empty());
    EXPECT_EQ(call->GetCallReason(), static_cast<DWORD>(LINECALLREASON_PARKED | LINECALLREASON_REMINDER));
    Send({eNewCall, 11, "4712"});
    EXPECT_EQ(call->GetCallerAddr(), "4712");
    EXPECT_EQ(call->GetPreviousAddr(), "4711");
    std::vector<std::pair<DWORD, DWORD_PTR>> callerTwice = {{LINE_CALLINFO, LINECALLINFOSTATE_CALLERID},
                                                            {LINE_CALLINFO, LINECALLINFOSTATE_CALLERID}};
    EXPECT_EQ(Heard(), callerTwice) << "the update, then the hub's own report";
}

TEST_F(CallEvents, ProgressReachesOnlyTheCallsItApplies) {
    auto* offered = Saved(new ZavInCall(TapiCall(0x831)), 12, LINECALLSTATE_OFFERING);
    auto* ringing = Saved(new ZavOutCall(TapiCall(0x832)), 66, LINECALLSTATE_RINGBACK);
    auto* dialling = Saved(new ZavOutCall(TapiCall(0x833)), 67, LINECALLSTATE_DIALTONE);
    struct Step {
        const char* name;
        Msg msg;
        ZavCall* call;
        DWORD state;
    } steps[] = {
        {"busy on an offered call", {eBusy, 12}, offered, LINECALLSTATE_OFFERING},
        {"a digit report never connects", {eConnected, 12, "", "", 0, '5'}, offered, LINECALLSTATE_OFFERING},
        {"on-hook local", {eOnhookLocal, 12}, offered, LINECALLSTATE_OFFERING},
        {"on-hook remote", {eOnhookRemote, 12}, offered, LINECALLSTATE_OFFERING},
        {"forward end", {eForwardEnd, 12}, offered, LINECALLSTATE_OFFERING},
        {"connected", {eConnected, 12, "4711"}, offered, LINECALLSTATE_CONNECTED},
        {"stop dial tone", {eStopDialtone, 67}, dialling, LINECALLSTATE_DIALING},
        {"busy while ringing back", {eBusy, 66, "", "", 1}, ringing, LINECALLSTATE_BUSY},
    };
    for (const Step& s : steps) {
        Send(s.msg);
        EXPECT_EQ(s.call->GetCallState(), s.state) << s.name;
    }
    EXPECT_EQ(ringing->GetCallReason(), static_cast<DWORD>(LINECALLREASON_FWDBUSY));
}

TEST_F(CallEvents, BusyFailsABlindTransferWithTheReasonsCode) {
    struct Case {
        long reason;
        LONG result;
    } cases[] = {{10, static_cast<LONG>(LINEERR_INVALADDRESS)}, {3, static_cast<LONG>(LINEERR_OPERATIONFAILED)}};
    DWORD sal = 70;
    for (const Case& c : cases) {
        Recorder::Clear();
        auto* held = Saved(new ZavInCall(TapiCall(0x840 + sal)), sal - 50, LINECALLSTATE_ONHOLDPENDTRANSFER);
        auto* blind = Saved(new ZavXferOutCallAuto(nullptr, held, "9999"), sal, LINECALLSTATE_DIALING);
        blind->SetRequestId(eReqBlindTransfer, sal);
        Send({eBusy, static_cast<long>(sal), "", "", c.reason});
        EXPECT_EQ(Recorder::Completions(), (std::vector<Completion>{{sal, c.result}})) << c.reason;
        EXPECT_TRUE(held->IsHeld()) << c.reason;
        ++sal;
    }
}

TEST_F(CallEvents, RepliesAndResultsSettleTheirRequests) {
    const LONG kFailed = static_cast<LONG>(LINEERR_OPERATIONFAILED);
    const LONG kFull = static_cast<LONG>(LINEERR_CONFERENCEFULL);
    auto* held = Saved(new ZavInCall(TapiCall(0x861)), 20, LINECALLSTATE_ONHOLDPENDTRANSFER);
    auto* consult = Saved(new ZavXferOutCall(TapiCall(0x862), held), 0, 0);
    consult->SetRequestId(eReqSetupTransfer, 0x71);
    consult->SetRequestId(eReqHold, 0x74);  // asked of the consultation call before the switch refused
    held->SetRequestId(eReqSetupTransfer, 0x71);
    auto* talking = Saved(new ZavInCall(TapiCall(0x863)), 21, LINECALLSTATE_CONNECTED);
    auto* confConsult = Saved(new ZavConfOutCall(TapiCall(0x864), talking), 0, 0);
    auto* conf = new ZavConfCall(TapiCall(0x865), talking, confConsult);
    m_hub->SaveConfCall(conf);
    confConsult->SetRequestId(eReqConference, 0x72);
    talking->SetRequestId(eReqRedirect, 0x73);
    const long consultHandle = static_cast<long>(Bits(consult->ToCallHandle()));
    const long confHandle = static_cast<long>(Bits(confConsult->ToCallHandle()));
    struct Step {
        const char* name;
        Msg msg;
        std::vector<Completion> completions;
    } steps[] = {
        {"transfer set-up without a leg", {eTransferReply, 0, "", "", 0, 0, consultHandle},
         {{0x71, kFailed}, {0x74, kFailed}}},
        {"conference refused", {eConferenceReply, 22, "", "", 0, 0, confHandle, 1}, {{0x72, kFull}}},
        {"redirect refused", {eRedirectExtBusy, 21}, {{0x73, kFailed}}},
        {"a second redirect result", {eRedirectSuccess, 21}, {}},
    };
    for (const Step& s : steps) {
        Recorder::Clear();
        Send(s.msg);
        EXPECT_EQ(Recorder::Completions(), s.completions) << s.name;
    }
    EXPECT_EQ(held->GetRequestId(eReqSetupTransfer), 0u);
    EXPECT_EQ(m_hub->CallIdToCallPtr(consult->GetId()), consult) << "the consultation call stays";
    EXPECT_EQ(consult->GetHTapiCall(), nullptr) << "TAPI forgot it with its request: nothing may reach TAPI of it";
    EXPECT_EQ(m_hub->GetConfCallPointer(), nullptr) << "a refused set-up leaves no conference call";
    EXPECT_FALSE(talking->IsPrimaryInConference());
    // Added to a standing conference without a call of its own: the
    // conference call is connected.
    auto* standing = new ZavConfCall(TapiCall(0x866), talking, nullptr);
    m_hub->SaveConfCall(standing);
    Send({eAddToConfReply, 23});
    EXPECT_TRUE(standing->IsConnected());
    delete standing;
}

TEST_F(CallEvents, LegsTheProviderDidNotAskForAreUndoneOrAnnounced) {
    auto* talking = Saved(new ZavOutCall(TapiCall(0x8A1)), 40, LINECALLSTATE_CONNECTED);
    const long talkingHandle = static_cast<long>(Bits(talking->ToCallHandle()));
    const long goneHandle = static_cast<long>(Bits(DrvCall(0xE0000000 | 17)));  // this line, an empty slot
    // A consultation call whose set-up the switch refused: it stays, in state 0.
    auto* refused = Saved(new ZavXferOutCall(TapiCall(0x8A3), talking), 0, 0);
    const long refusedHandle = static_cast<long>(Bits(refused->ToCallHandle()));
    struct Case {
        const char* name;
        Msg msg;
        const char* command;  // what the provider sends back; nullptr: nothing
    } cases[] = {
        {"a call that has started already", {eOffhookReply, 41, "", "", 0, 0, talkingHandle}, "OnHook sal=0x00000029"},
        {"a call that is gone", {eOffhookReply, 42, "", "", 0, 0, goneHandle}, "OnHook sal=0x0000002A"},
        // The set-up's call ended while the command was on its way.
        {"a transfer leg for a call that is gone", {eTransferReply, 43, "", "", 0, 0, goneHandle}, "OnHook sal=0x0000002B"},
        {"a conference leg for a call that is gone", {eConferenceReply, 44, "", "", 0, 0, goneHandle}, "OnHook sal=0x0000002C"},
        {"a refused consultation call", {eOffhookReply, 45, "", "", 0, 0, refusedHandle}, "OnHook sal=0x0000002D"},
        {"a second transfer answer for it", {eTransferReply, 46, "", "", 0, 0, refusedHandle}, "OnHook sal=0x0000002E"},
        {"a conference answer naming it", {eConferenceReply, 47, "", "", 0, 0, refusedHandle}, "OnHook sal=0x0000002F"},
        // A transfer answer for a call that is no transfer's is no failed
        // set-up of it; and a leg a call here talks on is nobody's to undo.
        {"a failed transfer naming a started call", {eTransferReply, 48, "", "", 0, 0, talkingHandle, 1}, "OnHook sal=0x00000030"},
        {"the same with that call's own leg", {eTransferReply, 40, "", "", 0, 0, talkingHandle, 1}, nullptr},
    };
    const DWORD talkingId = talking->GetId();
    for (const Case& c : cases) {
        ClearSwitchLog();
        Send(c.msg);
        if (c.command)
            EXPECT_NE(SwitchLog().find(c.command), std::string::npos) << c.name << ": " << SwitchLog();
        else
            EXPECT_EQ(SwitchLog(), "") << c.name;
        ASSERT_EQ(m_hub->CallIdToCallPtr(talkingId), talking) << c.name << ": the started call stays";
    }
    EXPECT_TRUE(talking->IsConnected()) << "the started call is left alone";
    EXPECT_EQ(refused->GetCallState(), 0u) << "the refused consultation call does not come back";
    Recorder::AnswerNewCall(NewCallAnswer::Immediately, TapiCall(0x8A2));
    Send({eOffhookReply, 5});
    ZavCall* human = m_hub->SALToCallPtr(5, nullptr);
    ASSERT_NE(human, nullptr) << "lifting the handset at the set makes a call";
    EXPECT_TRUE(static_cast<ZavOutCall*>(human)->IsHumanInitiated());
    EXPECT_EQ(human->GetCallState(), static_cast<DWORD>(LINECALLSTATE_DIALTONE));
}

TEST_F(CallEvents, RecalledCallsComeBackAsNewIncomingCalls) {
    auto* onHold = Saved(new ZavInCall(TapiCall(0x871)), 30, LINECALLSTATE_ONHOLD);
    Saved(new ZavOutCall(TapiCall(0x872)), 65, LINECALLSTATE_CONNECTED);
    Saved(new ZavOutCall(TapiCall(0x873)), 66, LINECALLSTATE_CONNECTED);
    struct Case {
        const char* name;
        Msg msg;
        DWORD sal, reason, origin;  // sal 0: no new call
    } cases[] = {
        {"park time-out of a call still held here", {eParkTimeout, 30, "4711"}, 0, 0, 0},
        {"transfer time-out without a leg", {eTransferTimeout, 0, "0612345678", "", 0, 0, 0x7FFF}, 67,
         LINECALLREASON_TRANSFER | LINECALLREASON_REMINDER, LINECALLORIGIN_EXTERNAL},
        {"redirect time-out without a caller", {eRedirectTimeout, 31}, 31,
         LINECALLREASON_REDIRECT | LINECALLREASON_REMINDER, LINECALLORIGIN_INTERNAL},
    };
    for (const Case& c : cases) {
        Recorder::AnswerNewCall(NewCallAnswer::Immediately, TapiCall(0x880 + c.sal));
        const std::size_t announced = Recorder::Events(LINE_NEWCALL).size();
        Send(c.msg);
        if (c.sal == 0) {
            EXPECT_EQ(Recorder::Events(LINE_NEWCALL).size(), announced) << c.name;
            EXPECT_TRUE(onHold->IsHeld());
            continue;
        }
        ZavCall* call = m_hub->SALToCallPtr(c.sal, nullptr);
        ASSERT_NE(call, nullptr) << c.name;
        EXPECT_TRUE(call->IsOffering()) << c.name;
        EXPECT_EQ(call->GetCallReason(), c.reason) << c.name;
        EXPECT_EQ(call->GetOrigin(), c.origin) << c.name;
        EXPECT_EQ(call->GetSecondaryCallerIDNum(), 0) << c.name;
    }
}

// Found by the fuzzer: completing a transfer with an earlier consultation
// call cleared the set-up the held call had made since, so closing the held
// call no longer ended that set-up's consultation call, and the request was
// completed after the close.
TEST_F(CallEvents, CompletingATransferLeavesALaterSetUpToTheClose) {
    auto* held = Saved(new ZavInCall(TapiCall(0x8B1)), 23, LINECALLSTATE_ONHOLDPENDTRANSFER);
    auto* earlier = Saved(new ZavXferOutCall(TapiCall(0x8B2), held), 24, LINECALLSTATE_CONNECTED);
    auto* waiting = Saved(new ZavXferOutCall(TapiCall(0x8B3), held), 0, 0);
    waiting->SetRequestId(eReqSetupTransfer, 0x81);
    held->SetRequestId(eReqSetupTransfer, 0x81);
    const DWORD waitingId = waiting->GetId();
    gpTS.store(m_session.get());
    EXPECT_EQ(TSPI_lineCompleteTransfer(0x82, held->ToCallHandle(), earlier->ToCallHandle(), nullptr, nullptr,
                                        LINETRANSFERMODE_TRANSFER),
              0);
    EXPECT_EQ(TSPI_lineCloseCall(held->ToCallHandle()), 0);
    gpTS.store(nullptr);
    EXPECT_EQ(Recorder::Completions(),
              (std::vector<Completion>{{0x81, static_cast<LONG>(LINEERR_OPERATIONFAILED)}}));
    EXPECT_EQ(m_hub->CallIdToCallPtr(waitingId), nullptr) << "TAPI forgot the consultation call with its set-up";
}

}  // namespace
}  // namespace calltest
