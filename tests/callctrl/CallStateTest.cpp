// How a call's state and call information reach TAPI, its handle, its
// features and its drop.
#include <functional>

#include "callctrl/CallFixture.h"
#include "tsp/ZavAddress.h"

namespace calltest {
namespace {

class CallState : public CallTest {};

TEST_F(CallState, AChangeIsReportedOnceAndCarriesTheMediaMode) {
    TestCall* call = SavedCall(TapiCall(0x501));
    struct Step {
        const char* what;
        std::function<void()> act;
        bool reported;
        DWORD state, mode, media;
    } steps[] = {
        {"first state", [&] { call->SetCallState(LINECALLSTATE_OFFERING, LINEOFFERINGMODE_ACTIVE); }, true,
         LINECALLSTATE_OFFERING, LINEOFFERINGMODE_ACTIVE, LINEMEDIAMODE_INTERACTIVEVOICE},
        {"same state, other mode", [&] { call->SetCallState(LINECALLSTATE_OFFERING, 0); }, false,
         LINECALLSTATE_OFFERING, LINEOFFERINGMODE_ACTIVE, 0},
        {"new media mode",
         [&] {
             call->SetMediaMode(LINEMEDIAMODE_DATAMODEM);
             call->SetCallState(LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
         },
         true, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE, LINEMEDIAMODE_DATAMODEM},
        {"stored only", [&] { call->UpdateCallState(LINECALLSTATE_ONHOLD); }, false, LINECALLSTATE_ONHOLD,
         LINECONNECTEDMODE_ACTIVE, 0},
        {"held back", [&] { call->SetDontNotifyYetCallState(LINECALLSTATE_ONHOLDPENDTRANSFER); }, false,
         LINECALLSTATE_ONHOLDPENDTRANSFER, LINECONNECTEDMODE_ACTIVE, 0},
        {"held-back state set again", [&] { call->SetCallState(LINECALLSTATE_ONHOLDPENDTRANSFER, 0); }, true,
         LINECALLSTATE_ONHOLDPENDTRANSFER, 0, LINEMEDIAMODE_DATAMODEM},
        {"and again", [&] { call->SetCallState(LINECALLSTATE_ONHOLDPENDTRANSFER, 0); }, true,
         LINECALLSTATE_ONHOLDPENDTRANSFER, 0, LINEMEDIAMODE_DATAMODEM},
    };
    for (const Step& s : steps) {
        Recorder::Clear();
        s.act();
        std::vector<LineEvent> events = Recorder::Events();
        EXPECT_EQ(call->GetCallState(), s.state) << s.what;
        EXPECT_EQ(call->GetCallStateMode(), s.mode) << s.what;
        ASSERT_EQ(events.size(), s.reported ? 1u : 0u) << s.what;
        if (!s.reported) continue;
        EXPECT_EQ(events[0].msg, static_cast<DWORD>(LINE_CALLSTATE)) << s.what;
        EXPECT_EQ(events[0].htLine, kTapiLine) << s.what;
        EXPECT_EQ(events[0].htCall, TapiCall(0x501)) << s.what;
        EXPECT_EQ(events[0].p1, s.state) << s.what;
        EXPECT_EQ(events[0].p2, s.mode) << s.what;
        EXPECT_EQ(events[0].p3, s.media) << s.what;
    }
}

TEST_F(CallState, BeforeTapiKnowsTheCallStatesWaitAndCallInfoIsDeferred) {
    TestCall* call = SavedCall();
    call->SetCallState(LINECALLSTATE_OFFERING, LINEOFFERINGMODE_ACTIVE);
    EXPECT_EQ(call->GetCallState(), static_cast<DWORD>(LINECALLSTATE_OFFERING));
    EXPECT_EQ(call->SetCallInfo(LINECALLINFOSTATE_CALLERID), -1);
    EXPECT_EQ(call->SetCallInfo(LINECALLINFOSTATE_CALLEDID | LINECALLINFOSTATE_ORIGIN), -1);
    EXPECT_EQ(call->SetCallInfo(LINECALLINFOSTATE_CALLERID), -1);
    call->SetGlobalCallId(77);
    EXPECT_TRUE(Recorder::Events().empty());
    EXPECT_NE(TraceLog().find("ZavCall::SetCallState() m_hTapiCall is NULL P"), std::string::npos);
    EXPECT_NE(TraceLog().find("ZavCall::SetCallInfo() m_hTapiCall is NULL for state=0x8000, so defer it P"),
              std::string::npos);

    call->SetHTapiCall(TapiCall(0x502));
    call->EmitDeferredCallInfoMessages();
    std::vector<LineEvent> events = Recorder::Events();
    const DWORD expected[] = {LINECALLINFOSTATE_CALLID, LINECALLINFOSTATE_ORIGIN, LINECALLINFOSTATE_CALLERID,
                              LINECALLINFOSTATE_CALLEDID};
    ASSERT_EQ(events.size(), std::size(expected));
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].msg, static_cast<DWORD>(LINE_CALLINFO)) << i;
        EXPECT_EQ(events[i].htCall, TapiCall(0x502)) << i;
        EXPECT_EQ(events[i].p1, expected[i]) << i;
        EXPECT_EQ(events[i].p2, 0u) << i;
        EXPECT_EQ(events[i].p3, 0u) << i;
    }
    EXPECT_EQ(call->GetDeferredCallInfoBits(), 0u);
    Recorder::Clear();
    call->EmitDeferredCallInfoMessages();
    EXPECT_TRUE(Recorder::Events().empty()) << "a bit was reported twice";
}

TEST_F(CallState, EmittingWithoutAHandleKeepsTheBits) {
    TestCall* call = SavedCall();
    call->SetCallInfo(LINECALLINFOSTATE_TRUNK);
    call->EmitDeferredCallInfoMessages();
    EXPECT_EQ(call->GetDeferredCallInfoBits(), static_cast<DWORD>(LINECALLINFOSTATE_TRUNK));
    EXPECT_TRUE(Recorder::Events().empty());
}

TEST_F(CallState, ACallOutsideAHubReportsNothing) {
    TestCall call(TapiCall(0x503));
    call.SetCallState(LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
    EXPECT_EQ(call.GetCallState(), static_cast<DWORD>(LINECALLSTATE_CONNECTED));
    EXPECT_EQ(call.SetCallInfo(LINECALLINFOSTATE_CALLERID), 0);
    EXPECT_TRUE(Recorder::Events().empty());
}

TEST_F(CallState, HandlesCarryLineAddressAndId) {
    struct Case {
        DWORD line, id, handle;
    } cases[] = {
        {0, 0, 0xE0000000},   {3, 5, 0xE0030005},  {1, 17, 0xE0010011},
        {2, 400, 0xE0020190}, {0, 18, 0xE0000012},
    };
    for (const Case& c : cases) {
        TestCall call;
        call.SetCallHubPointer(ZavLine::m_LineVect.at(c.line)->GetAddrPointer()->GetCallHubPointer());
        call.SetId(c.id);
        EXPECT_EQ(Bits(call.ToCallHandle()), c.handle) << c.line << "/" << c.id;
        EXPECT_EQ(ZavCall::CallHandleToId(call.ToCallHandle()), static_cast<long>(c.id));
    }
    struct Decode {
        DWORD handle;
        long id;
    } decodes[] = {{0xE0030005, 5},  {0xEFFFFFFF, 0xFFF}, {0xD0030005, -1},
                   {0xF0030005, -1}, {0x00000005, -1},    {0x7E030005, -1}};
    for (const Decode& d : decodes)
        EXPECT_EQ(ZavCall::CallHandleToId(DrvCall(d.handle)), d.id) << std::hex << d.handle;
    EXPECT_NE(TraceLog().find("ZavCall::ToCallHandle() converted call handle is 0xE0030005 P"),
              std::string::npos);
}

TEST_F(CallState, FeaturesFollowTheState) {
    struct Case {
        DWORD state, features;
    } cases[] = {
        {LINECALLSTATE_CONNECTED, 0x030088C8},
        {LINECALLSTATE_CONFERENCED, 0x030088C8},
        {LINECALLSTATE_ONHOLD, 0x08000000},
        {LINECALLSTATE_ONHOLDPENDCONF, 0x08000002},
        {LINECALLSTATE_ONHOLDPENDTRANSFER, 0x08000020},
        {LINECALLSTATE_IDLE, 0},
        {0, LINECALLFEATURE_DROP},
        {LINECALLSTATE_OFFERING, LINECALLFEATURE_DROP},
        {LINECALLSTATE_DIALTONE, LINECALLFEATURE_DROP},
    };
    TestCall call;
    for (const Case& c : cases) {
        call.UpdateCallState(c.state);
        EXPECT_EQ(call.GetCallFeatures(), c.features) << std::hex << c.state;
    }
}

TEST_F(CallState, DropSendsOnHookOnlyForALiveLegAndStopsDigitsWheneverItSucceeds) {
    const DWORD sal = 0x21;
    struct Case {
        DWORD state;
        long result;
        bool onHook;
    } cases[] = {
        {LINECALLSTATE_IDLE, 0, false},
        {LINECALLSTATE_OFFERING, -1, false},
        {LINECALLSTATE_ONHOLD, -1, false},
        {LINECALLSTATE_ONHOLDPENDCONF, -1, false},
        {LINECALLSTATE_ONHOLDPENDTRANSFER, -1, false},
        {LINECALLSTATE_CONNECTED, 0, true},
        {LINECALLSTATE_DIALTONE, 0, true},
        {LINECALLSTATE_DISCONNECTED, 0, false},
    };
    for (const Case& c : cases) {
        TestCall* call = SavedCall(TapiCall(0x510), sal);
        call->MonitorDigits(LINEDIGITMODE_DTMF);
        call->StartDigitGathering(1);
        call->UpdateCallState(c.state);
        ClearSwitchLog();
        Recorder::Clear();
        EXPECT_EQ(call->Drop(), c.result) << std::hex << c.state;
        std::string log = SwitchLog();
        EXPECT_EQ(log.find("OnHook sal=0x00000021") != std::string::npos, c.onHook)
            << std::hex << c.state << log;
        bool stopped = c.result == 0 && c.state != LINECALLSTATE_IDLE;
        EXPECT_EQ(call->GetMonitorDigitModes(), stopped ? 0u : static_cast<DWORD>(LINEDIGITMODE_DTMF))
            << std::hex << c.state;
        EXPECT_EQ(call->IsDigitGatheringOn(), stopped ? 0 : 1) << std::hex << c.state;
        EXPECT_EQ(log.find("SendDigitCollectMsg sal=0x00000021 start=0") != std::string::npos, stopped)
            << std::hex << c.state << log;
        EXPECT_EQ(call->GetCallState(), c.state) << "the drop itself changed the state";
        // A cancelled gathering of a live call tells the application.
        std::vector<LineEvent> gathered = Recorder::Events(LINE_GATHERDIGITS);
        bool told = stopped && c.state != LINECALLSTATE_IDLE;
        ASSERT_EQ(gathered.size(), told ? 1u : 0u) << std::hex << c.state;
        if (told) {
            EXPECT_EQ(gathered[0].p1, static_cast<DWORD_PTR>(LINEGATHERTERM_CANCEL));
        }
        call->StartDigitGathering(0);
        call->UpdateCallState(LINECALLSTATE_IDLE);
        delete call;
    }
    EXPECT_NE(TraceLog().find("ZavCall::Drop() is invoked P"), std::string::npos);
    EXPECT_NE(TraceLog().find("ZavCall::Lock() is invoked P"), std::string::npos);
    EXPECT_NE(TraceLog().find("ZavCall::Unlock() is invoked P"), std::string::npos);
}

TEST_F(CallState, DroppingAConferencesPrimaryCallTellsTheConferenceCall) {
    TestCall* conf = new TestCall(TapiCall(0x520));
    m_hub->SaveConfCall(conf);
    TestCall* primary = SavedCall(TapiCall(0x521), 0x22, LINECALLSTATE_DISCONNECTED);
    primary->SetPrimaryInConference();
    EXPECT_EQ(primary->Drop(), 0);
    EXPECT_EQ(conf->m_primaryLost, 1);
    primary->ResetPrimaryInConference();
    primary->UpdateCallState(LINECALLSTATE_CONNECTED);
    EXPECT_EQ(primary->Drop(), 0);
    EXPECT_EQ(conf->m_primaryLost, 1) << "only a primary call tells the conference";
}

TEST_F(CallState, DestroyingACallStopsItsDigitCollection) {
    TestCall* call = SavedCall(TapiCall(0x530), 0x23, LINECALLSTATE_CONNECTED);
    call->MonitorDigits(LINEDIGITMODE_DTMF);
    EXPECT_NE(SwitchLog().find("SendDigitCollectMsg sal=0x00000023 start=1"), std::string::npos);
    ClearSwitchLog();
    delete call;
    EXPECT_NE(SwitchLog().find("SendDigitCollectMsg sal=0x00000023 start=0"), std::string::npos);
    EXPECT_EQ(m_hub->CallIdToCallPtr(0), nullptr);
    EXPECT_NE(TraceLog().find("ZavCall::~ZavCall(), closing call P"), std::string::npos);
}

TEST_F(CallState, DestructorTraceNamesTheObjectType) {
    struct Case {
        DWORD type;
        const char* name;
    } cases[] = {
        {0, "call"},
        {0x1, "incoming call"},
        {0x10, "outgoing call"},
        {0x90, "outgoing auto-dialed call"},
        {0x110, "transfer consultation call"},
        {0x190, "transient blind transfer call"},
        {0x1001, "conference call"},
        {0x1010, "conference consultation call"},
        {0x11, "unknown type"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(ZavCall::CallObjectTypeName(c.type), c.name) << std::hex << c.type;
    auto* call = new TestCall;
    call->SetCallObjectType(0x1010);
    delete call;
    EXPECT_NE(TraceLog().find("ZavCall::~ZavCall(), closing conference consultation call P"),
              std::string::npos);
}

TEST_F(CallState, CommandsReachTheSwitchWithTheCallsLeg) {
    TestCall* call = SavedCall(TapiCall(0x540), 0x24, LINECALLSTATE_CONNECTED);
    call->SetParkNumber("*72");
    call->SetPickupNumber("4100");
    call->Hold();
    call->Unhold();
    EXPECT_EQ(call->Park(), 0);
    Recorder::Clear();
    EXPECT_EQ(call->UnPark(), 0);
    call->Pickup(1);
    std::string log = SwitchLog();
    for (const char* line :
         {"Hold sal=0x00000024", "Unhold sal=0x00000024", "Park sal=0x00000024 digits=72",
          "UnPark sal=0x00000024 digits=72", "Pickup sal=0x00000024 digits=4100 directed=1"})
        EXPECT_NE(log.find(line), std::string::npos) << line << " in\n" << log;
    std::vector<LineEvent> states = Recorder::Events(LINE_CALLSTATE);
    ASSERT_EQ(states.size(), 1u);
    EXPECT_EQ(states[0].p1, static_cast<DWORD_PTR>(LINECALLSTATE_DIALING));

    // Without the link the phone refuses, and the state stays.
    CloseLine();
    Recorder::Clear();
    call->UpdateCallState(LINECALLSTATE_CONNECTED);
    EXPECT_EQ(call->Park(), -1);
    EXPECT_EQ(call->UnPark(), -1);
    EXPECT_TRUE(Recorder::Events(LINE_CALLSTATE).empty());
}

}  // namespace
}  // namespace calltest
