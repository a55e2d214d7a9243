// The switch's call events as the call hub handles them: which messages are
// dropped, which calls are made or changed, and what TAPI hears, in order.
#include <utility>

#include "callctrl/CallFixture.h"
#include "callctrl/ZavMsgTypes.h"
#include "provider/ZavTspGlobals.h"
#include "callctrl/ZavOutCall.h"
#include "callctrl/ZavTspCallIncoming.h"
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
};

class CallEvents : public CallTest {
protected:
    // As the message thread hands a message over: under the phone's lock.
    void Send(const Msg& m) {
        m_phone->Lock();
        m_hub->ProcessCallCtrlMessage(m.type, 0, m.sal1, 0, m.reqId, m.reason, m.digit, 0x77, m.callerNum, kExt,
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

}  // namespace
}  // namespace calltest
