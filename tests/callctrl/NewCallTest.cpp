// Announcing a call to TAPI and waiting for TAPI's handle.
#include <thread>

#include "callctrl/CallFixture.h"

namespace calltest {
namespace {

class NewCall : public CallTest {};

TEST_F(NewCall, TapiAnswersDuringTheEventOrLaterFromAnotherThread) {
    struct Case {
        const char* what;
        NewCallAnswer how;
    } cases[] = {{"at once", NewCallAnswer::Immediately}, {"later", NewCallAnswer::Late}};
    for (const Case& c : cases) {
        TestCall* call = SavedCall(nullptr, 0x41, LINECALLSTATE_OFFERING);
        Recorder::Clear();
        Recorder::AnswerNewCall(c.how, TapiCall(0x700));
        bool written = true;
        std::thread tapi;
        if (c.how == NewCallAnswer::Late)
            tapi = std::thread([&] { written = Recorder::WriteLateAnswer(10000); });
        DWORD start = plat::GetTickCount();
        EXPECT_EQ(call->NotifyNewCall(), 0) << c.what;
        DWORD elapsed = plat::GetTickCount() - start;
        if (tapi.joinable()) tapi.join();
        EXPECT_TRUE(written) << c.what;
        EXPECT_LT(elapsed, 2000u) << c.what;
        EXPECT_EQ(call->GetHTapiCall(), TapiCall(0x700)) << c.what;

        std::vector<LineEvent> events = Recorder::Events();
        ASSERT_EQ(events.size(), 1u) << c.what << ": the state is the caller's to report";
        EXPECT_EQ(events[0].msg, static_cast<DWORD>(LINE_NEWCALL));
        EXPECT_EQ(events[0].htLine, kTapiLine);
        EXPECT_EQ(events[0].htCall, nullptr);
        EXPECT_EQ(events[0].p1, static_cast<DWORD_PTR>(Bits(call->ToCallHandle())));
        EXPECT_NE(events[0].p2, 0u);
        EXPECT_EQ(events[0].p3, 0u);
        delete call;
    }
}

TEST_F(NewCall, ACallTheHubDoesNotHoldIsNotAnnounced) {
    TestCall loose;
    EXPECT_EQ(loose.NotifyNewCall(), -1);
    TestCall* saved = SavedCall();
    TestCall other;
    other.SetCallHubPointer(m_hub);
    other.SetId(saved->GetId());
    EXPECT_EQ(other.NotifyNewCall(), -1) << "announced on another call's slot";
    EXPECT_TRUE(Recorder::Events().empty());
}

// The one test that waits out the give-up.
TEST_F(NewCall, WithoutAnAnswerItGivesUpAfterTwoSeconds) {
    TestCall* call = SavedCall(nullptr, 0x42, LINECALLSTATE_OFFERING);
    Recorder::AnswerNewCall(NewCallAnswer::Never, TapiCall(0x701));
    DWORD start = plat::GetTickCount();
    EXPECT_EQ(call->NotifyNewCall(), -1);
    DWORD elapsed = plat::GetTickCount() - start;
    EXPECT_GE(elapsed, 2000u);
    EXPECT_LT(elapsed, 4000u);
    EXPECT_EQ(call->GetHTapiCall(), nullptr);
    EXPECT_NE(TraceLog().find("**** ZavCall::NotifyNewCall() timed out waiting for HtapiCall  P"),
              std::string::npos);
    EXPECT_EQ(Recorder::Events(LINE_NEWCALL).size(), 1u);
}

}  // namespace
}  // namespace calltest
