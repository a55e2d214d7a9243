// A telephone's link to the switch through the real activation, endpoint and
// message thread, against the simulated switch.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

#include <memory>
#include <string>
#include <vector>

#include "callctrl/ZavCallHub.h"
#include "platform/Event.h"
#include "platform/Thread.h"
#include "provider/ZavSession.h"
#include "support/PhoneConfig.h"
#include "support/SimSwitch.h"
#include "support/TapiRecorder.h"
#include "support/TraceEnvironment.h"
#include "support/Wait.h"
#include "switchlink/ZavPhone.h"
#include "tsp/ZavLine.h"

namespace {

using zavtest::LineEvent;
using zavtest::Recorder;
using zavtest::TraceLog;

using zavtest::Eventually;

const char* const kExt = "201";

class PhoneLink : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_sim.Ok()) << m_sim.Error();
        ASSERT_EQ(m_sim.Register(), S_OK);
        m_sim.Reset();
        zavtest::ConfigurePhones({kExt, "202"}, -1, {"secret", "other"});
        AddAccount(kExt, "secret", 1);
        m_session = std::make_unique<ZavSession>(0x00020001, 1, 0, 0, 2, 2, nullptr);
        ASSERT_EQ(m_session->Init(), 0);
        m_phone = ZavPhone::m_PhoneVect.at(0);
        m_line = ZavLine::m_LineVect.at(0);
        ASSERT_TRUE(m_phone && m_line);
        Recorder::Clear();
    }
    void TearDown() override {
        m_session.reset();
        ZavPhone::s_dwSyncReplyTimeoutMs = 8000;
        EXPECT_EQ(m_sim.EndPointCount(nullptr), 0) << "an endpoint outlived its phone";
        EXPECT_EQ(m_sim.LiveObjects(), 0) << "an endpoint or message was not released";
    }

    void AddAccount(const char* ext, const char* password, int deviceType) {
        ZavSimAccount a{ext, password, deviceType, 55, 7, "Doe, John"};
        ASSERT_EQ(m_sim.AddAccount(&a), 0);
    }

public:
    // Opens the line device as TSPI_lineOpen does.
    int OpenLine(LINEEVENT events = Recorder::OnLineEvent) {
        m_line->Activate(reinterpret_cast<HTAPILINE>(uintptr_t{0x77}), events);
        m_phone->ActivateLineDevice();
        return m_phone->Init();
    }
    void CloseLine() {
        m_line->Deactivate();
        m_phone->DeactivateLineDevice();
    }
    void WaitUntilHandled(const std::string& what) {
        ASSERT_TRUE(zavtest::WaitUntilHandled(m_sim, kExt, *m_phone)) << what;
    }

protected:

    zavtest::TempRegistry m_registry;
    zavtest::SimSwitch m_sim;
    std::unique_ptr<ZavSession> m_session;
    ZavPhone* m_phone = nullptr;
    ZavLine* m_line = nullptr;
};

TEST_F(PhoneLink, RegistrationReportsTheAccountAndShutdownReleasesEverything) {
    ASSERT_EQ(OpenLine(), 0);
    EXPECT_EQ(m_phone->GetVdn(), 55);
    EXPECT_EQ(m_phone->GetSerialNumber(), 7);
    EXPECT_EQ(m_phone->GetDeviceType(), 1);
    EXPECT_NE(m_phone->GetMsgThreadId(), 0u);
    EXPECT_EQ(m_sim.ConnectedCount(kExt), 1);
    EXPECT_NE(TraceLog().find("PHON ++++ x201 Type 1 VDN 55"), std::string::npos);
    CloseLine();
    EXPECT_EQ(m_phone->GetMsgThreadId(), 0u) << "the message thread still runs";
    EXPECT_EQ(m_phone->GetEndPoint(), nullptr);
    EXPECT_EQ(m_sim.EndPointCount(nullptr), 0);
    std::string log = m_sim.ReadLog(kExt);
    EXPECT_NE(log.find("Unregister"), std::string::npos);
    EXPECT_LT(log.find("Unregister"), log.find("DisconnectFromServer"));
}

TEST_F(PhoneLink, RouteLinePointsGetFourHundredLineAppearances) {
    struct Case {
        int deviceType;
        DWORD appearances;
    } cases[] = {{1, 18}, {2, 18}, {3, 400}};
    for (const Case& c : cases) {
        AddAccount(kExt, "secret", c.deviceType);
        ASSERT_EQ(OpenLine(), 0);
        EXPECT_EQ(m_phone->MaxNumLineAppearences(), c.appearances) << c.deviceType;
        m_phone->GetCallHubPointer()->CheckCallVectSize();
        EXPECT_EQ(m_phone->GetCallHubPointer()->MaxNumCalls(), c.appearances + 1);
        CloseLine();
    }
}

TEST_F(PhoneLink, RejectedRegistrationLeavesTheThreadForTheCloseToTakeDown) {
    struct Case {
        const char* password;
    } cases[] = {{"wrong"}, {nullptr}};
    for (const Case& c : cases) {
        if (c.password)
            zavtest::ConfigurePhones({kExt, "202"}, -1, {c.password, "other"});
        else
            m_sim.Reset();  // the switch forgets the account: unknown extension
        EXPECT_EQ(OpenLine(), -1);
        EXPECT_NE(m_phone->GetMsgThreadId(), 0u) << "the thread runs although registration failed";
        CloseLine();
        EXPECT_EQ(m_phone->GetMsgThreadId(), 0u);
        EXPECT_EQ(m_sim.EndPointCount(nullptr), 0);
    }
    EXPECT_NE(TraceLog().find("**** ERROR: Registration is rejected by server!"), std::string::npos);
}

TEST_F(PhoneLink, LinkFailuresBeforeTheThreadStarts) {
    struct Case {
        ZavSimFaults faults;
        const char* trace;
    } cases[] = {
        {{static_cast<int32_t>(E_FAIL), 0, 0, 0, 0, 0}, "**** ERROR: Failed at ConnectToServer()! hr 0x80004005"},
        {{0, 1, 0, 0, 0, 0}, "**** ERROR: Failed at ConnectToServer()! hEvent is NULL"},
        {{0, 0, static_cast<int32_t>(E_FAIL), 0, 0, 0}, "**** ERROR: Failed at m_spIEndPoint->RegisterA()! hr 0x80004005"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(m_sim.SetFaults(nullptr, &c.faults), 0);
        EXPECT_EQ(OpenLine(), -1) << c.trace;
        EXPECT_EQ(m_phone->GetMsgThreadId(), 0u);
        EXPECT_NE(TraceLog().find(c.trace), std::string::npos) << c.trace;
        CloseLine();
        EXPECT_EQ(m_sim.EndPointCount(nullptr), 0) << c.trace;
        m_sim.SetFaults(nullptr, nullptr);
    }
}

// The one test that waits the real registration time-out.
TEST_F(PhoneLink, RegistrationWithoutAReplyTimesOutAfterEightSeconds) {
    ZavSimFaults noReply{0, 0, 0, 1, 0, 0};
    ASSERT_EQ(m_sim.SetFaults(kExt, &noReply), 0);
    DWORD start = plat::GetTickCount();
    EXPECT_EQ(OpenLine(), -1);
    DWORD elapsed = plat::GetTickCount() - start;
    EXPECT_GE(elapsed, 7900u);
    EXPECT_LT(elapsed, 12000u);
    EXPECT_NE(TraceLog().find("**** ERROR: timed out at WaitForSyncReplyMsg()"), std::string::npos);
    CloseLine();
}

TEST_F(PhoneLink, ShutdownFromTheSwitchWakesAWaitingRegistration) {
    ZavSimFaults noReply{0, 0, 0, 1, 0, 0};
    ASSERT_EQ(m_sim.SetFaults(kExt, &noReply), 0);
    struct Opener {
        PhoneLink* test;
        int result = 99;
    } opener{this};
    DWORD start = plat::GetTickCount();
    HANDLE t = plat::StartThread(
        [](void* p) -> DWORD {
            auto* o = static_cast<Opener*>(p);
            o->result = o->test->OpenLine();
            return 0;
        },
        &opener, 0, nullptr);
    // The switch can only talk to the extension once it has registered.
    ASSERT_TRUE(Eventually([&] { return m_sim.InjectShutdown(kExt, 9) == 0; }));
    ASSERT_EQ(plat::WaitForThread(t, 20000), WAIT_OBJECT_0);
    plat::CloseThread(t);
    EXPECT_EQ(opener.result, -1) << "the eShutdown's result is not a successful registration";
    EXPECT_LT(plat::GetTickCount() - start, 6000u) << "the waiter was not woken";
    std::vector<LineEvent> events = Recorder::Events();
    ASSERT_EQ(events.size(), 1u) << "the open line hears of the re-initialisation";
    EXPECT_EQ(events[0].msg, static_cast<DWORD>(LINE_LINEDEVSTATE));
    EXPECT_EQ(events[0].p1, 0x00040000u);
    EXPECT_EQ(events[0].p2, 0u);
    EXPECT_EQ(events[0].p3, 0x80u);
    CloseLine();
}

TEST_F(PhoneLink, ShutdownOnAnOpenLineReportsReinitOnlyWhenTheMaskAsks) {
    for (DWORD mask : {DWORD{LINEDEVSTATE_REINIT}, DWORD{LINEDEVSTATE_RINGING}}) {
        m_line->SetLineStates(mask);
        ASSERT_EQ(OpenLine(), 0);
        Recorder::Clear();
        ASSERT_EQ(m_sim.InjectShutdown(kExt, 0), 0);
        // Messages are handled in order: once the owner name has changed,
        // the eShutdown before it has been handled in full.
        std::string owner = "Owner " + std::to_string(mask);
        ASSERT_EQ(m_sim.InjectPhoneQueryReply(kExt, owner.c_str()), 0);
        ASSERT_TRUE(Eventually([&] { return m_phone->GetOwnerName() == owner; }));
        EXPECT_EQ(Recorder::Events().size(), mask == LINEDEVSTATE_REINIT ? 1u : 0u) << mask;
        CloseLine();
    }
}

TEST_F(PhoneLink, CommandsFilterTheirDigits) {
    ASSERT_EQ(OpenLine(), 0);
    m_sim.ClearLog(kExt);
    EXPECT_EQ(m_phone->Dial(5, "9,(1) 2-3#"), 0);
    EXPECT_EQ(m_phone->Park(5, "*72"), 0);
    EXPECT_EQ(m_phone->Redirect("A1B", 5, nullptr), 0);
    EXPECT_EQ(m_phone->Forward("8-123x", 4), 0);
    std::string log = m_sim.ReadLog(kExt);
    for (const char* line : {"DialDigitsA sal=0x00000005 digits=9,123#\n", "Park sal=0x00000005 digits=72\n",
                             "Redirect digits=A1B sal=0x00000005", "Forward digits=8123 rings=4\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line << " in\n" << log;
    CloseLine();
}

TEST_F(PhoneLink, AnswerAndOnHookWithoutALegSendNothing) {
    ASSERT_EQ(OpenLine(), 0);
    m_sim.ClearLog(kExt);
    EXPECT_EQ(m_phone->Answer(0, nullptr), -1);
    EXPECT_EQ(m_phone->OnHook(0), -1);
    EXPECT_EQ(m_sim.ReadLog(kExt), "");
    EXPECT_EQ(m_phone->OnHook(3), 0);
    EXPECT_NE(m_sim.ReadLog(kExt).find("OnHook sal=0x00000003"), std::string::npos);
    CloseLine();
    EXPECT_EQ(m_phone->OnHook(3), -1) << "no endpoint after the link went down";
}

TEST_F(PhoneLink, DisplayTakesExactlyThirteenBytes) {
    ASSERT_EQ(OpenLine(), 0);
    m_sim.ClearLog(kExt);
    char text[20] = "HELLO WORLD!";  // twelve characters and the terminator
    std::memcpy(text + 13, "GARBAGE", 7);
    EXPECT_EQ(m_phone->SetLCDDisplay(text), 0);
    EXPECT_EQ(m_sim.ReadLog(kExt), "SetLCDDisplay text=HELLO WORLD!\n");
    CloseLine();
}

TEST_F(PhoneLink, PhoneDeviceAloneNeverLinksAndTheSecondCloseTakesTheLinkDown) {
    m_phone->ActivatePhoneDevice(nullptr, nullptr);
    m_phone->DeactivatePhoneDevice();
    EXPECT_EQ(m_sim.EndPointCount(nullptr), 0) << "the phone device alone created an endpoint";

    ASSERT_EQ(OpenLine(), 0);
    m_phone->ActivatePhoneDevice(nullptr, nullptr);
    CloseLine();
    EXPECT_EQ(m_sim.ConnectedCount(kExt), 1) << "closing the line took the phone device's link down";
    m_phone->DeactivatePhoneDevice();
    EXPECT_EQ(m_sim.EndPointCount(nullptr), 0);
}

TEST_F(PhoneLink, CallControlWithoutAnExtensionIsAcknowledgedAndDropped) {
    ASSERT_EQ(OpenLine(), 0);
    m_sim.ClearLog(kExt);
    ZavSimMessage msg{};
    msg.category = ZAVSIM_CATEGORY_CALL_CONTROL;
    msg.msgType = 0x28005;  // eOnhookLocal: traced by the hub, changes nothing
    msg.sal1 = 0x42;
    msg.extension = "";
    ASSERT_EQ(m_sim.InjectMessage(kExt, &msg), 0);
    msg.extension = nullptr;  // the extension the message is sent to
    msg.sal1 = 0x43;
    ASSERT_EQ(m_sim.InjectMessage(kExt, &msg), 0);
    ASSERT_EQ(m_sim.WaitForLog(kExt, "AcknowledgeMsg", 2, 10000), 1);
    std::string log = TraceLog();
    EXPECT_EQ(log.find("SAL1   0x00000042"), std::string::npos) << "reached the hub without an extension";
    EXPECT_NE(log.find("==== Msg eOnhookLocal Type 0x00028005 Ext 201 ===="), std::string::npos);
    EXPECT_NE(log.find("==== SAL1   0x00000043 SAL2   0x00000000 ReqId   0x00000000 ===="), std::string::npos);
    CloseLine();
}

TEST_F(PhoneLink, OwnerNameComesFromAPhoneQueryReply) {
    ASSERT_EQ(OpenLine(), 0);
    EXPECT_EQ(m_phone->GetOwnerName(), "<LAST>, <FIRST>");
    ASSERT_EQ(m_sim.InjectPhoneQueryReply(kExt, "Smith, Anna"), 0);
    ASSERT_TRUE(Eventually([&] { return m_phone->GetOwnerName() == "Smith, Anna"; }));
    char name[8];
    ZavPhone::GetPhoneOwnerName(0, name, sizeof name);
    EXPECT_STREQ(name, "Smith, ");
    CloseLine();
}

// A message event set twice before the thread waits wakes it once: the
// second message waits for the next signal.
TEST_F(PhoneLink, TwoMessagesUnderOneSignalAreHandledOneSignalApart) {
    // A component that sets its event for every message it queues, as the
    // contract allows; the switch's own spaces them out.
    ASSERT_EQ(m_sim.SetSignalMode(ZAVSIM_SIGNAL_ON_QUEUE), 0);
    ASSERT_EQ(OpenLine(), 0);
    m_sim.ClearLog(kExt);
    ZavSimMessage msg{};
    msg.category = ZAVSIM_CATEGORY_CALL_CONTROL;
    msg.msgType = 0x28002;
    // Hold the thread inside the first message while two more arrive.
    m_phone->Lock();
    ASSERT_EQ(m_sim.InjectMessage(kExt, &msg), 0);
    ASSERT_TRUE(Eventually([&] { return m_sim.PendingMessages(kExt) == 0; }));
    ASSERT_EQ(m_sim.InjectMessage(kExt, &msg), 0);
    ASSERT_EQ(m_sim.InjectMessage(kExt, &msg), 0);
    m_phone->Unlock();
    ASSERT_EQ(m_sim.WaitForLog(kExt, "AcknowledgeMsg", 2, 10000), 1);
    EXPECT_EQ(m_sim.PendingMessages(kExt), 1) << "two signals that came together were taken as two";
    ASSERT_EQ(m_sim.InjectMessage(kExt, &msg), 0);
    ASSERT_EQ(m_sim.WaitForLog(kExt, "AcknowledgeMsg", 3, 10000), 1);
    // One message stays a signal behind for good, so the unregistration
    // reply comes too late for the close; the destructor ends the link.
    ZavPhone::s_dwSyncReplyTimeoutMs = 200;
    CloseLine();
}

TEST_F(PhoneLink, UnansweredUnregistrationLeavesTheThreadToTheDestructor) {
    ZavPhone::s_dwSyncReplyTimeoutMs = 200;
    ASSERT_EQ(OpenLine(), 0);
    ZavSimFaults noReply{0, 0, 0, 0, 0, 1};
    ASSERT_EQ(m_sim.SetFaults(kExt, &noReply), 0);
    m_line->Deactivate();
    m_phone->DeactivateLineDevice();
    EXPECT_NE(m_phone->GetMsgThreadId(), 0u) << "the failed shutdown left the thread running";
    // Messages keep arriving while the phone is destroyed.
    ASSERT_EQ(m_sim.InjectShutdown(kExt, 0), 0);
    ASSERT_EQ(m_sim.InjectPhoneQueryReply(kExt, "Late, Message"), 0);
    m_session.reset();
    EXPECT_EQ(m_sim.EndPointCount(nullptr), 0);
}

// An event the message thread is delivering while TAPI closes the line:
// the close must not return before that event has left TAPI's callback.
struct CloseRace {
    HANDLE inCallback = plat::MakeEvent(true, false);
    HANDLE closeStarted = plat::MakeEvent(true, false);
    HANDLE closeReturned = plat::MakeEvent(true, false);
    HANDLE callbackDone = plat::MakeEvent(true, false);
    std::atomic<bool> overlapped{false};
    std::atomic<int> reinits{0};
    ~CloseRace() {
        for (HANDLE h : {inCallback, closeStarted, closeReturned, callbackDone}) plat::CloseEvent(h);
    }
};
CloseRace* g_closeRace = nullptr;

void TSPIAPI HoldReinitDuringClose(HTAPILINE, HTAPICALL, DWORD msg, DWORD_PTR p1, DWORD_PTR, DWORD_PTR) {
    if (msg != LINE_LINEDEVSTATE || p1 != LINEDEVSTATE_REINIT) return;
    CloseRace& race = *g_closeRace;
    if (race.reinits++ != 0) return;
    plat::SetEvent(race.inCallback);
    plat::WaitForEvent(race.closeStarted, 10000);
    // A close that returns now has left this event in flight. Waiting out
    // the window only matters when the close does not wait for us.
    if (plat::WaitForEvent(race.closeReturned, 300) == WAIT_OBJECT_0) race.overlapped = true;
    plat::SetEvent(race.callbackDone);
}

TEST_F(PhoneLink, NoLineEventReachesTapiAfterTheCloseReturned) {
    CloseRace race;
    g_closeRace = &race;
    m_line->SetLineStates(LINEDEVSTATE_REINIT);
    ASSERT_EQ(OpenLine(HoldReinitDuringClose), 0);
    m_phone->ActivatePhoneDevice(nullptr, nullptr);  // keeps the link up after the line closes
    ASSERT_EQ(m_sim.InjectShutdown(kExt, 0), 0);
    ASSERT_EQ(plat::WaitForEvent(race.inCallback, 10000), WAIT_OBJECT_0);
    plat::SetEvent(race.closeStarted);
    CloseLine();
    plat::SetEvent(race.closeReturned);
    ASSERT_EQ(plat::WaitForEvent(race.callbackDone, 10000), WAIT_OBJECT_0);
    EXPECT_FALSE(race.overlapped) << "the close returned while an event was being delivered";
    ASSERT_EQ(m_sim.InjectShutdown(kExt, 0), 0);
    WaitUntilHandled("an eShutdown after the close");
    EXPECT_EQ(race.reinits, 1) << "an event reached the closed line";
    m_phone->DeactivatePhoneDevice();
    g_closeRace = nullptr;
}

// A close that failed part-way leaves its link running; the next open must
// take that link down before it builds a new one, or two message threads
// share one exit event and the close after it waits for ever.
TEST_F(PhoneLink, ReopenAfterAFailedCloseReplacesTheLeftoverLink) {
    ZavPhone::s_dwSyncReplyTimeoutMs = 1000;
    struct Case {
        const char* name;
        ZavSimFaults faults;
        int32_t shutdownResult;    // an eShutdown the close's wait takes; 0: none
        bool faultsStayForReopen;  // the reopen cannot shut the old link down either
    } cases[] = {
        {"unregistration never answered", {0, 0, 0, 0, 0, 1}, 0, true},
        {"unregistration refused", {0, 0, 0, 0, static_cast<int32_t>(E_FAIL), 0}, 0, true},
        {"unregistration refused once", {0, 0, 0, 0, static_cast<int32_t>(E_FAIL), 0}, 0, false},
        // The unregistration reply is held back: otherwise it may replace
        // the stored eShutdown before the close takes it.
        {"eShutdown with a failure taken by the close", {0, 0, 0, 0, 0, 1}, 9, false},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(OpenLine(), 0) << c.name;
        ASSERT_EQ(m_sim.SetFaults(kExt, &c.faults), 0);
        if (c.shutdownResult != 0) {
            ASSERT_EQ(m_sim.InjectShutdown(kExt, c.shutdownResult), 0);
            WaitUntilHandled(c.name);
        }
        CloseLine();
        ASSERT_NE(m_phone->GetMsgThreadId(), 0u) << c.name << ": the close did not fail";
        if (!c.faultsStayForReopen) m_sim.SetFaults(kExt, nullptr);

        ASSERT_EQ(OpenLine(), 0) << c.name;
        m_sim.SetFaults(kExt, nullptr);
        EXPECT_EQ(m_sim.EndPointCount(nullptr), 1) << c.name << ": the old endpoint was not released";
        CloseLine();
        EXPECT_EQ(m_phone->GetMsgThreadId(), 0u) << c.name;
        EXPECT_EQ(m_sim.EndPointCount(nullptr), 0) << c.name;
    }
    EXPECT_NE(TraceLog().find("**** ZavPhone::Init() found a link left by a failed shutdown"),
              std::string::npos);
}

TEST_F(PhoneLink, UnsolicitedRepliesReplaceEachOtherWithoutLeaking) {
    ASSERT_EQ(OpenLine(), 0);
    for (int i = 0; i < 5; ++i) ASSERT_EQ(m_sim.InjectShutdown(kExt, 0), 0);
    WaitUntilHandled("five eShutdowns");
    // One stored, four released on replacement; the marker goes right after
    // its owner name is taken.
    EXPECT_TRUE(Eventually([&] { return m_sim.LiveMessages() == 1; })) << m_sim.LiveMessages();
    CloseLine();
    // Re-opening does not take a reply meant for the old link. Whatever is
    // still stored goes with the phone (checked when the test ends).
    ASSERT_EQ(OpenLine(), 0);
    EXPECT_EQ(m_phone->GetVdn(), 55);
    CloseLine();
}

}  // namespace
