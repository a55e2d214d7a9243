// LINE_NEWCALL and LINE_CREATE: the host answers them as the telephony
// service does, with the handle written when the setting says and the new
// device created on the thread that reported it.
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
        fake.Command(fp::kNewCall, slot);
        auto announced = host.GetJournal().WaitFor(IsMessage(LINE_NEWCALL), 0);
        ASSERT_TRUE(announced.has_value()) << "the event is recorded before it returns";
        const auto handle = reinterpret_cast<std::uintptr_t>(announced->assignedCall);
        EXPECT_EQ(handle != 0, c.mode != NewCallAnswer::Never);
        EXPECT_EQ(fake.Probe(fp::kSlotAfterEvent, slot), c.mode == NewCallAnswer::Immediately ? handle : 0u)
            << "only an immediate answer writes the handle before the event returns";
        if (c.mode == NewCallAnswer::Late) {
            auto answered = host.GetJournal().WaitFor(IsKind(EntryKind::NewCallAnswered), kWaitMs);
            ASSERT_TRUE(answered.has_value());
            EXPECT_EQ(fake.Probe(fp::kSlotNow, slot), handle);
            EXPECT_NE(answered->threadId, announced->threadId);
            // Tick granularity on Windows is about 16 ms.
            EXPECT_GE(answered->tick - announced->tick, c.delayMs - 20);
        }

        // The provider's first state for the call, with the handle it has.
        const std::size_t before = host.GetJournal().Size();
        fake.Command(fp::kCallState, slot);
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

TEST(LineCreate, TheHostCreatesTheDeviceOnTheEventsOwnThread) {
    struct Case {
        const char* name;
        DWORD fromOwnThread, wrongProvider;
        std::vector<FaultKind> faults;
    } cases[] = {
        {"on the caller's thread", 0, 0, {}},
        {"on the provider's thread", 1, 0, {}},
        {"with another provider's handle", 0, 1, {FaultKind::WrongProviderHandle}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHost fake;
        ASSERT_TRUE(fake.Ready()) << fake.Host().LastError();
        zavhost::TapiHost& host = fake.Host();
        fake.Command(fp::kLineCreate, 7, c.wrongProvider, c.fromOwnThread);
        auto created = host.GetJournal().WaitFor(IsKind(EntryKind::LineCreated), kWaitMs);
        ASSERT_TRUE(created.has_value());
        auto event = host.GetJournal().WaitFor(IsMessage(LINE_CREATE), 0);
        ASSERT_TRUE(event.has_value());
        EXPECT_EQ(event->threadId != plat::GetCurrentThreadId(), c.fromOwnThread != 0);
        EXPECT_EQ(created->threadId, event->threadId);
        EXPECT_EQ(fake.Probe(fp::kCreateLineThread), event->threadId);
        EXPECT_EQ(fake.Probe(fp::kCreateLineTempId), 7u);
        EXPECT_EQ(fake.Probe(fp::kCreateLineDeviceId), kLineBase + 1);
        EXPECT_EQ(host.NumLines(), 2u);
        EXPECT_EQ(fake.FaultKinds(), c.faults) << host.FaultReport();
    }
}

}  // namespace
