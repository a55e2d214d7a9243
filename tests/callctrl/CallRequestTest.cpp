// The TAPI requests pending on a call and how the switch's answers settle
// them: every request completed exactly once, with the right result.
#include <algorithm>
#include <thread>

#include "callctrl/CallFixture.h"
#include "provider/ZavTspGlobals.h"

namespace calltest {
namespace {

class CallRequests : public CallTest {};

const LONG kFailed = static_cast<LONG>(LINEERR_OPERATIONFAILED);
const LONG kUnavail = static_cast<LONG>(LINEERR_RESOURCEUNAVAIL);

TEST_F(CallRequests, CleanUpFailsEveryPendingRequestExactlyOnce) {
    TestCall* call = SavedCall(TapiCall(0x601), 0x31, LINECALLSTATE_CONNECTED);
    std::vector<Completion> expected;
    for (unsigned kind = 0; kind < ZavCall::s_NumReqIds; ++kind) {
        if (kind == 2) continue;  // an empty entry completes nothing
        call->SetRequestId(static_cast<ReqTypeE>(kind), 0x100 + kind);
        expected.push_back(Completion{0x100 + kind, kFailed});
    }
    call->CleanUpCompIds();
    EXPECT_EQ(Recorder::Completions(), expected);
    for (unsigned kind = 0; kind < ZavCall::s_NumReqIds; ++kind)
        EXPECT_EQ(call->GetRequestId(static_cast<ReqTypeE>(kind)), 0u) << kind;
    call->CleanUpCompIds();
    call->NotifyHold();
    EXPECT_EQ(Recorder::Completions(), expected) << "a request was completed twice";
}

TEST_F(CallRequests, ACallWithoutAHubClearsItsRequestsWithoutCompleting) {
    TestCall call(TapiCall(0x602));
    call.SetRequestId(eReqHold, 0x201);
    call.CleanUpCompIds();
    EXPECT_EQ(call.GetRequestId(eReqHold), 0u);
    EXPECT_TRUE(Recorder::Completions().empty());
}

TEST_F(CallRequests, OutOfRangeKindsAreRefused) {
    TestCall* call = SavedCall(TapiCall(0x603));
    call->SetRequestId(static_cast<ReqTypeE>(13), 0x202);
    EXPECT_EQ(call->GetRequestId(static_cast<ReqTypeE>(13)), 0u);
    EXPECT_EQ(call->CompleteRequest(static_cast<ReqTypeE>(13), 0), 0u);
    EXPECT_NE(TraceLog().find("**** ERROR: ZavCall::SetRequestId tried to access invalid request id P"),
              std::string::npos);
}

TEST_F(CallRequests, ClosingACallFailsItsRequestsAndFreesItsSlot) {
    TestCall* call = SavedCall(TapiCall(0x604), 0x32, LINECALLSTATE_ONHOLD);
    call->SetRequestId(eReqUnhold, 0x301);
    call->SetRequestId(eReqPark, 0x302);
    HDRVCALL handle = call->ToCallHandle();
    gpTS.store(m_session.get());
    LONG closed = TSPI_lineCloseCall(handle);
    gpTS.store(nullptr);
    EXPECT_EQ(closed, 0);
    EXPECT_FALSE(TestCall::IsAlive(call));
    EXPECT_EQ(m_hub->CallIdToCallPtr(0), nullptr);
    std::vector<Completion> expected = {{0x301, kFailed}, {0x302, kFailed}};
    EXPECT_EQ(Recorder::Completions(), expected);
}

// The message thread settles a request while TAPI closes the call: one of
// the two completes it, never both, never neither.
TEST_F(CallRequests, RacingSettlersCompleteARequestOnce) {
    TestCall* call = SavedCall(TapiCall(0x605), 0x33, LINECALLSTATE_CONNECTED);
    const DWORD rounds = 200;
    for (DWORD i = 1; i <= rounds; ++i) {
        call->SetRequestId(eReqHold, i);
        call->SetRequestId(eReqUnhold, 0x10000 + i);
        std::thread messageThread([&] {
            call->NotifyHold();
            call->NotifyUnholdError();
        });
        call->CleanUpCompIds();
        messageThread.join();
    }
    std::vector<Completion> completions = Recorder::Completions();
    ASSERT_EQ(completions.size(), 2 * rounds);
    std::vector<DWORD> ids;
    for (const Completion& c : completions) {
        ids.push_back(c.id);
        EXPECT_TRUE((c.result == 0 && c.id <= rounds) || c.result == kFailed) << c.id;
    }
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end()) << "a request was completed twice";
}

TEST_F(CallRequests, HoldAndUnholdOfAConferencesPrimaryCallShowOnTheConferenceCall) {
    struct Case {
        const char* what;
        ReqTypeE kind;
        void (ZavCall::*notify)();
        DWORD state, mode;
    } cases[] = {
        {"hold", eReqHold, &ZavCall::NotifyHold, LINECALLSTATE_ONHOLD, 0},
        {"unhold", eReqUnhold, &ZavCall::NotifyUnhold, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE},
    };
    for (const Case& c : cases) {
        TestCall* conf = new TestCall(TapiCall(0x610));
        m_hub->SaveConfCall(conf);
        TestCall* primary = SavedCall(TapiCall(0x611), 0x34, LINECALLSTATE_DIALTONE);
        primary->SetPrimaryInConference();
        conf->SetPrimaryInConference();  // a walk that would never end
        primary->SetRequestId(c.kind, 0x401);
        conf->SetRequestId(c.kind, 0x402);
        Recorder::Clear();
        (primary->*c.notify)();
        std::vector<Completion> expected = {{0x401, 0}, {0x402, 0}};
        EXPECT_EQ(Recorder::Completions(), expected) << c.what;
        std::vector<LineEvent> states = Recorder::Events(LINE_CALLSTATE);
        ASSERT_EQ(states.size(), 1u) << c.what;
        EXPECT_EQ(states[0].htCall, TapiCall(0x610)) << c.what;
        EXPECT_EQ(states[0].p1, c.state) << c.what;
        EXPECT_EQ(states[0].p2, c.mode) << c.what;
        EXPECT_EQ(primary->GetCallState(), static_cast<DWORD>(LINECALLSTATE_DIALTONE)) << c.what;
        delete primary;
        delete conf;
    }
}

TEST_F(CallRequests, HoldAndUnholdOfAPlainCall) {
    TestCall* call = SavedCall(TapiCall(0x612), 0x35, LINECALLSTATE_CONNECTED);
    call->SetRequestId(eReqHold, 0x403);
    call->NotifyHold();
    call->SetRequestId(eReqUnhold, 0x404);
    call->NotifyUnholdError();
    EXPECT_EQ(call->GetCallState(), static_cast<DWORD>(LINECALLSTATE_ONHOLD))
        << "a failed unhold moved the call";
    call->SetRequestId(eReqUnhold, 0x405);
    call->NotifyUnhold();
    std::vector<Completion> expected = {{0x403, 0}, {0x404, kFailed}, {0x405, 0}};
    EXPECT_EQ(Recorder::Completions(), expected);
    std::vector<LineEvent> states = Recorder::Events(LINE_CALLSTATE);
    ASSERT_EQ(states.size(), 2u);
    EXPECT_EQ(states[0].p1, static_cast<DWORD_PTR>(LINECALLSTATE_ONHOLD));
    EXPECT_EQ(states[1].p1, static_cast<DWORD_PTR>(LINECALLSTATE_CONNECTED));
    EXPECT_EQ(states[1].p2, static_cast<DWORD_PTR>(LINECONNECTEDMODE_ACTIVE));
}

TEST_F(CallRequests, ParkOutcomes) {
    enum Notify { Park, ParkError };
    struct Case {
        const char* what;
        bool pending;
        Notify notify;
        LONG result;
        std::vector<Completion> completions;
        bool offHook;
        DWORD reportedState;  // 0: none
    } cases[] = {
        {"parked", true, Park, 0, {{0x501, 0}}, false, LINECALLSTATE_IDLE},
        {"parked, nothing pending", false, Park, 0, {}, false, LINECALLSTATE_IDLE},
        {"orbit taken", true, ParkError, kUnavail, {{0x501, kUnavail}}, true, LINECALLSTATE_CONNECTED},
        {"other failure", true, ParkError, kFailed, {{0x501, kFailed}}, false, 0},
        {"error, nothing pending", false, ParkError, kUnavail, {}, false, 0},
    };
    for (const Case& c : cases) {
        TestCall* call = SavedCall(TapiCall(0x620), 0x36, LINECALLSTATE_ONHOLD);
        if (c.pending) call->SetRequestId(eReqPark, 0x501);
        Recorder::Clear();
        ClearSwitchLog();
        if (c.notify == Park)
            call->NotifyPark();
        else
            call->NotifyParkError(c.result);
        EXPECT_EQ(Recorder::Completions(), c.completions) << c.what;
        EXPECT_EQ(SwitchLog().find("OffHook sal=0x00000036") != std::string::npos, c.offHook) << c.what;
        std::vector<LineEvent> states = Recorder::Events(LINE_CALLSTATE);
        ASSERT_EQ(states.size(), c.reportedState ? 1u : 0u) << c.what;
        if (c.reportedState) {
            EXPECT_EQ(states[0].p1, c.reportedState) << c.what;
        }
        EXPECT_EQ(call->GetRequestId(eReqPark), 0u) << c.what;
        delete call;
    }
}

TEST_F(CallRequests, ADisconnectDuringTransferSetUpFailsItAndDropsTheConsultationCall) {
    TestCall* held = SavedCall(TapiCall(0x630), 0x37, LINECALLSTATE_ONHOLDPENDTRANSFER);
    TestCall* other = SavedCall(TapiCall(0x631), 0x38, LINECALLSTATE_CONNECTED);
    TestCall* consult = SavedCall(nullptr, 0x39, LINECALLSTATE_DIALTONE);
    held->SetRequestId(eReqSetupTransfer, 0x701);
    other->SetRequestId(eReqSetupTransfer, 0x702);
    consult->SetRequestId(eReqSetupTransfer, 0x701);
    consult->SetPrimaryRefCallId(held->GetId());
    DWORD consultId = consult->GetId();

    EXPECT_EQ(held->NotifyDisconnected(LINEDISCONNECTMODE_NORMAL), -1);
    std::vector<Completion> expected = {{0x701, kFailed}};
    EXPECT_EQ(Recorder::Completions(), expected);
    EXPECT_FALSE(TestCall::IsAlive(consult)) << "the consultation call was not deleted";
    EXPECT_EQ(m_hub->CallIdToCallPtr(consultId), nullptr);
    EXPECT_EQ(other->GetRequestId(eReqSetupTransfer), 0x702u) << "another transfer's call was touched";
    std::vector<LineEvent> states = Recorder::Events(LINE_CALLSTATE);
    ASSERT_EQ(states.size(), 1u);
    EXPECT_EQ(states[0].htCall, TapiCall(0x630));
    EXPECT_EQ(states[0].p1, static_cast<DWORD_PTR>(LINECALLSTATE_IDLE));
    EXPECT_NE(TraceLog().find("ZavCall::NotifyDisconnected, SetupTransfer failed notifying call P"),
              std::string::npos);
}

TEST_F(CallRequests, AnOrdinaryDisconnectEndsAParkAndGoesIdleSilently) {
    TestCall* conf = new TestCall(TapiCall(0x640));
    m_hub->SaveConfCall(conf);
    struct Case {
        bool primary;
        int told;
    } cases[] = {{false, 0}, {true, 1}};
    for (const Case& c : cases) {
        TestCall* call = SavedCall(TapiCall(0x641), 0x3A, LINECALLSTATE_CONNECTED);
        call->UpdateCallState(LINECALLSTATE_CONNECTED);
        if (c.primary) call->SetPrimaryInConference();
        call->SetRequestId(eReqPark, 0x801);
        Recorder::Clear();
        conf->m_primaryLost = 0;
        EXPECT_EQ(call->NotifyDisconnected(LINEDISCONNECTMODE_NORMAL), 0);
        std::vector<Completion> expected = {{0x801, 0}};
        EXPECT_EQ(Recorder::Completions(), expected);
        EXPECT_EQ(call->GetCallState(), static_cast<DWORD>(LINECALLSTATE_IDLE));
        EXPECT_EQ(call->GetCallStateMode(), 0u);
        EXPECT_TRUE(Recorder::Events().empty()) << "the idle state was reported";
        EXPECT_EQ(conf->m_primaryLost, c.told);
        delete call;
    }
}

TEST_F(CallRequests, AConferencedCallCarriesTheConferenceCallsHandle) {
    TestCall* call = SavedCall(TapiCall(0x650), 0x3B, LINECALLSTATE_CONNECTED);
    call->NotifyConferenced();
    EXPECT_TRUE(Recorder::Events().empty()) << "no conference call, no state";
    TestCall* conf = new TestCall(TapiCall(0x651));
    m_hub->SaveConfCall(conf);
    call->NotifyConferenced();
    std::vector<LineEvent> states = Recorder::Events(LINE_CALLSTATE);
    ASSERT_EQ(states.size(), 1u);
    EXPECT_EQ(states[0].p1, static_cast<DWORD_PTR>(LINECALLSTATE_CONFERENCED));
    EXPECT_EQ(states[0].p2, static_cast<DWORD_PTR>(0x651));
}

TEST_F(CallRequests, GenerateAndReplyEvents) {
    TestCall* call = SavedCall(TapiCall(0x660), 0x3C, LINECALLSTATE_CONNECTED);
    call->NotifyLineGenerate(LINEGENERATETERM_DONE, 9, 120);
    call->NotifyLineReply(0x901);
    TestCall* unknown = SavedCall(nullptr, 0x3D, LINECALLSTATE_CONNECTED);
    unknown->NotifyLineReply(0x902);
    std::vector<LineEvent> events = Recorder::Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].msg, static_cast<DWORD>(LINE_GENERATE));
    EXPECT_EQ(events[0].p1, static_cast<DWORD_PTR>(LINEGENERATETERM_DONE));
    EXPECT_EQ(events[0].p2, 9u);
    EXPECT_EQ(events[0].p3, 120u);
    EXPECT_EQ(events[1].msg, static_cast<DWORD>(LINE_REPLY));
    EXPECT_EQ(events[1].p1, 0x901u);
    EXPECT_EQ(events[1].p2, 1u);
}

}  // namespace
}  // namespace calltest
