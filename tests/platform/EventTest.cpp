#include <gtest/gtest.h>

#include <string>

#include "platform/Event.h"
#include "platform/Thread.h"

namespace {

struct EventGuard {
    HANDLE h;
    explicit EventGuard(HANDLE e) : h(e) {}
    ~EventGuard() { plat::CloseEvent(h); }
};

TEST(Event, EachKindKeepsItsSignalAsWindowsDoes) {
    // Steps: s sets, r resets, w is a wait that must succeed at once, t one
    // that must time out.
    const struct {
        bool manual, initial;
        const char* steps;
    } cases[] = {
        {false, false, "tsswt"},  // an auto-reset event set twice wakes one wait once
        {true, false, "tswwrt"},  // a manual-reset one stays set until reset
        {false, true, "wt"},     {true, true, "ww"}, {false, true, "rt"},
    };
    for (const auto& c : cases) {
        EventGuard e(plat::MakeEvent(c.manual, c.initial));
        ASSERT_NE(e.h, nullptr);
        for (const char* step = c.steps; *step; ++step) {
            SCOPED_TRACE(std::string(c.steps) + " step " + std::to_string(step - c.steps));
            if (*step == 's') {
                EXPECT_TRUE(plat::SetEvent(e.h));
            } else if (*step == 'r') {
                EXPECT_TRUE(plat::ResetEvent(e.h));
            } else {
                EXPECT_EQ(plat::WaitForEvent(e.h, 0), *step == 'w' ? WAIT_OBJECT_0 : WAIT_TIMEOUT);
            }
        }
    }
}

TEST(Event, WaitOnTwoReportsTheFirstOfTwoSignalledAndConsumesOnlyIt) {
    for (bool manual : {false, true}) {
        EventGuard a(plat::MakeEvent(manual, false));
        EventGuard b(plat::MakeEvent(false, false));
        plat::SetEvent(b.h);
        plat::SetEvent(a.h);
        EXPECT_EQ(plat::WaitForTwoEvents(a.h, b.h, 0), WAIT_OBJECT_0);
        if (manual) plat::ResetEvent(a.h);
        // The second stays signalled for the next wait.
        EXPECT_EQ(plat::WaitForTwoEvents(a.h, b.h, 0), WAIT_OBJECT_0 + 1);
        EXPECT_EQ(plat::WaitForTwoEvents(a.h, b.h, 0), WAIT_TIMEOUT);
    }
}

TEST(Event, WaitTimesOutAfterRoughlyTheTimeout) {
    EventGuard e(plat::MakeEvent(false, false));
    DWORD start = plat::GetTickCount();
    EXPECT_EQ(plat::WaitForEvent(e.h, 40), WAIT_TIMEOUT);
    EXPECT_GE(plat::GetTickCount() - start, 30u);
    EventGuard f(plat::MakeEvent(false, false));
    start = plat::GetTickCount();
    EXPECT_EQ(plat::WaitForTwoEvents(e.h, f.h, 40), WAIT_TIMEOUT);
    EXPECT_GE(plat::GetTickCount() - start, 30u);
}

TEST(Event, NullHandlesFailInsteadOfWaiting) {
    EventGuard e(plat::MakeEvent(false, true));
    EXPECT_FALSE(plat::SetEvent(nullptr));
    EXPECT_EQ(plat::WaitForEvent(nullptr, 0), WAIT_FAILED);
    EXPECT_EQ(plat::WaitForTwoEvents(nullptr, e.h, 0), WAIT_FAILED);
}

struct Waiter {
    HANDLE event;
    HANDLE started;
};

DWORD WaitForever(void* p) {
    auto* w = static_cast<Waiter*>(p);
    plat::SetEvent(w->started);
    return plat::WaitForEvent(w->event, INFINITE) == WAIT_OBJECT_0 ? 7 : 1;
}

TEST(Event, OneSetOfAnAutoResetEventReleasesExactlyOneOfTwoWaiters) {
    EventGuard e(plat::MakeEvent(false, false));
    EventGuard s1(plat::MakeEvent(false, false)), s2(plat::MakeEvent(false, false));
    Waiter w1{e.h, s1.h}, w2{e.h, s2.h};
    HANDLE t1 = plat::StartThread(WaitForever, &w1, 0, nullptr);
    HANDLE t2 = plat::StartThread(WaitForever, &w2, 0, nullptr);
    ASSERT_EQ(plat::WaitForEvent(s1.h, 5000), WAIT_OBJECT_0);
    ASSERT_EQ(plat::WaitForEvent(s2.h, 5000), WAIT_OBJECT_0);

    plat::SetEvent(e.h);
    // Whichever wakes, the other must still be waiting.
    HANDLE first = nullptr, other = nullptr;
    for (DWORD waited = 0; !first && waited < 10000; waited += 10) {
        if (plat::WaitForThread(t1, 10) == WAIT_OBJECT_0)
            first = t1, other = t2;
        else if (plat::WaitForThread(t2, 0) == WAIT_OBJECT_0)
            first = t2, other = t1;
    }
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(plat::WaitForThread(other, 100), WAIT_TIMEOUT);

    plat::SetEvent(e.h);
    ASSERT_EQ(plat::WaitForThread(other, 10000), WAIT_OBJECT_0);
    DWORD c1 = 0, c2 = 0;
    EXPECT_TRUE(plat::GetThreadExitCode(t1, &c1));
    EXPECT_TRUE(plat::GetThreadExitCode(t2, &c2));
    EXPECT_EQ(c1, 7u);
    EXPECT_EQ(c2, 7u);
    plat::CloseThread(t1);
    plat::CloseThread(t2);
}

}  // namespace
