// LINE_NEWCALL: the host's call handle reaches the provider's variable
// during the event, later from another thread, or never, as set.
#include <gtest/gtest.h>

#include "host/FakeHost.h"
#include "platform/Thread.h"

namespace {

using hosttest::FakeHost;
using hosttest::IsKind;
using hosttest::IsMessage;
using hosttest::kLineBase;
using hosttest::kWaitMs;
using zavhost::EntryKind;
using zavhost::FaultKind;
using zavhost::NewCallAnswer;
namespace fp = fakeprovider;

TEST(NewCall, TheHandleArrivesAsTheAnswerSettingSays) {
    struct Case {
        const char* name;
        NewCallAnswer mode;
        DWORD delayMs;
    } cases[] = {
        {"immediately", NewCallAnswer::Immediately, 0},
        {"late", NewCallAnswer::Late, 150},
        {"never", NewCallAnswer::Never, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHost fake;
        ASSERT_TRUE(fake.Ready()) << fake.Host().LastError();
        zavhost::TapiHost& host = fake.Host();
        ASSERT_TRUE(host.SetNewCallAnswer(c.mode, c.delayMs));
        const int slot = 3;
        fake.Command(fp::kNewCall, 0, slot);

        auto announced = host.GetJournal().WaitFor(IsMessage(LINE_NEWCALL), 0);
        ASSERT_TRUE(announced.has_value()) << "the event is recorded before it returns";
        EXPECT_EQ(announced->threadId, plat::GetCurrentThreadId());
        EXPECT_EQ(announced->deviceId, kLineBase);
        const auto handle = reinterpret_cast<std::uintptr_t>(announced->assignedCall);
        const std::uintptr_t afterEvent = fake.Probe(fp::kSlotAfterEvent, slot);

        switch (c.mode) {
            case NewCallAnswer::Immediately: {
                EXPECT_NE(handle, 0u);
                EXPECT_EQ(afterEvent, handle) << "TAPI writes the handle before the event returns";
                break;
            }
            case NewCallAnswer::Late: {
                EXPECT_NE(handle, 0u);
                EXPECT_EQ(afterEvent, 0u) << "written during the event";
                auto answered = host.GetJournal().WaitFor(IsKind(EntryKind::NewCallAnswered), kWaitMs);
                ASSERT_TRUE(answered.has_value());
                EXPECT_EQ(fake.Probe(fp::kSlotNow, slot), handle);
                EXPECT_NE(answered->threadId, announced->threadId);
                EXPECT_EQ(answered->assignedCall, announced->assignedCall);
                // Tick granularity on Windows is about 16 ms.
                EXPECT_GE(answered->tick - announced->tick, c.delayMs - 20);
                break;
            }
            case NewCallAnswer::Never: {
                EXPECT_EQ(handle, 0u);
                EXPECT_EQ(afterEvent, 0u);
                EXPECT_TRUE(host.Calls().empty()) << "an unanswered call is not the host's";
                break;
            }
        }
        if (c.mode != NewCallAnswer::Never) {
            auto call = host.CallByTapi(announced->assignedCall);
            ASSERT_TRUE(call.has_value());
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(call->hdCall), std::uintptr_t(0xCA120000) + slot);
            EXPECT_EQ(call->deviceId, kLineBase);
            EXPECT_EQ(call->origin, zavhost::CallOrigin::NewCall);
            EXPECT_TRUE(call->delivered);
        }

        // The provider's first state for the call, with the handle it has.
        std::size_t before = host.GetJournal().Size();
        fake.Command(fp::kCallState, 0, slot);
        auto state = host.GetJournal().WaitFor(IsMessage(LINE_CALLSTATE), 0, before);
        ASSERT_TRUE(state.has_value());
        if (c.mode == NewCallAnswer::Never) {
            EXPECT_EQ(fake.FaultKinds(), std::vector<FaultKind>{FaultKind::EventForUnknownCall});
        } else {
            EXPECT_EQ(state->call, announced->call);
            EXPECT_TRUE(host.Faults().empty()) << host.FaultReport();
        }
    }
}

TEST(NewCall, ALateAnswerMustComeBeforeTheProviderGivesUp) {
    FakeHost fake;
    ASSERT_TRUE(fake.Ready()) << fake.Host().LastError();
    zavhost::TapiHost& host = fake.Host();
    EXPECT_TRUE(host.SetNewCallAnswer(NewCallAnswer::Late, zavhost::kMaxLateAnswerMs));
    EXPECT_LT(zavhost::kMaxLateAnswerMs, zavhost::kProviderNewCallWaitMs);
    EXPECT_FALSE(host.SetNewCallAnswer(NewCallAnswer::Late, zavhost::kProviderNewCallWaitMs));
}

TEST(LineCreate, TheHostCreatesTheDeviceOnTheEventsOwnThread) {
    struct Case {
        const char* name;
        DWORD fromOwnThread;
    } cases[] = {{"on the caller's thread", 0}, {"on the provider's thread", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHost fake;
        ASSERT_TRUE(fake.Ready()) << fake.Host().LastError();
        zavhost::TapiHost& host = fake.Host();
        ASSERT_EQ(host.NumLines(), 2u);

        fake.Command(fp::kLineCreate, 7, 0, c.fromOwnThread);
        auto created = host.GetJournal().WaitFor(IsKind(EntryKind::LineCreated), kWaitMs);
        ASSERT_TRUE(created.has_value());
        auto event = host.GetJournal().WaitFor(IsMessage(LINE_CREATE), 0);
        ASSERT_TRUE(event.has_value());
        EXPECT_LT(event->seq, created->seq);
        EXPECT_EQ(event->p1, reinterpret_cast<DWORD_PTR>(host.ProviderHandle()));
        EXPECT_EQ(created->hostResult, 0);
        EXPECT_EQ(created->newDeviceId, kLineBase + 2);
        EXPECT_EQ(fake.Probe(fp::kCreateLineTempId), 7u);
        EXPECT_EQ(fake.Probe(fp::kCreateLineDeviceId), kLineBase + 2);

        const DWORD sender = c.fromOwnThread ? static_cast<DWORD>(fake.Probe(fp::kSenderThread))
                                             : plat::GetCurrentThreadId();
        EXPECT_EQ(event->threadId, sender);
        EXPECT_EQ(created->threadId, sender);
        EXPECT_EQ(fake.Probe(fp::kCreateLineThread), sender);
        EXPECT_EQ(host.NumLines(), 3u);
        EXPECT_TRUE(host.Faults().empty()) << host.FaultReport();
    }
}

TEST(LineCreate, OnlyACreatedDeviceTakesTheNextIdAndTheProviderHandleIsChecked) {
    FakeHost fake;
    ASSERT_TRUE(fake.Ready()) << fake.Host().LastError();
    zavhost::TapiHost& host = fake.Host();
    struct Step {
        DWORD tempId;
        DWORD wrongProvider;
        LONG result;
        DWORD offered;
    } steps[] = {
        {99, 0, static_cast<LONG>(LINEERR_BADDEVICEID), kLineBase + 2},  // the fake refuses temporary id 99
        {7, 0, 0, kLineBase + 2},
        {8, 1, 0, kLineBase + 3},
    };
    std::size_t from = 0;
    for (const Step& s : steps) {
        fake.Command(fp::kLineCreate, s.tempId, s.wrongProvider, 0);
        auto created = host.GetJournal().WaitFor(IsKind(EntryKind::LineCreated), kWaitMs, from);
        ASSERT_TRUE(created.has_value());
        from = created->seq + 1;
        EXPECT_EQ(created->hostResult, s.result) << s.tempId;
        EXPECT_EQ(created->newDeviceId, s.offered) << s.tempId;
    }
    EXPECT_EQ(host.NumLines(), 4u);
    EXPECT_EQ(fake.FaultKinds(), std::vector<FaultKind>{FaultKind::WrongProviderHandle});
}

}  // namespace
