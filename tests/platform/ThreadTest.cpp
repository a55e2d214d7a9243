#include <gtest/gtest.h>

#include <atomic>

#include "platform/CriticalSection.h"
#include "platform/Event.h"
#include "platform/Thread.h"

namespace {

DWORD ReturnArg(void* p) {
    return static_cast<DWORD>(reinterpret_cast<uintptr_t>(p));
}

// Runs `proc` on a thread of its own to its end and gives its exit code.
DWORD ExitCodeOf(plat::ThreadProc proc, void* arg) {
    HANDLE t = plat::StartThread(proc, arg, 0, nullptr);
    EXPECT_NE(t, nullptr);
    EXPECT_EQ(plat::WaitForThread(t, 10000), WAIT_OBJECT_0);
    DWORD code = 0xDEAD;
    EXPECT_TRUE(plat::GetThreadExitCode(t, &code));
    plat::CloseThread(t);
    return code;
}

TEST(Thread, ExitCodeIsTheProcedureResult) {
    for (DWORD code : {0u, 1u, 0xFFFFFFFFu, 0x12345678u})
        EXPECT_EQ(ExitCodeOf(ReturnArg, reinterpret_cast<void*>(static_cast<uintptr_t>(code))), code);
}

// A stack size is what Windows commits up front, not a limit: TAPI's
// callbacks run on the 16 KiB message thread and the 1024-byte timer
// threads, and may use far more.
DWORD UseQuarterMegabyteOfStack(void*) {
    volatile char frame[256 * 1024];
    for (std::size_t i = 0; i < sizeof frame; i += 512) frame[i] = 1;
    return frame[sizeof frame - 512] == 1 ? 7u : 1u;
}

TEST(Thread, StackSizeIsAMinimumNotALimit) {
    for (std::size_t size : {std::size_t{1024}, std::size_t{16 * 1024}}) {
        HANDLE t = plat::StartThread(UseQuarterMegabyteOfStack, nullptr, size, nullptr);
        ASSERT_NE(t, nullptr) << size;
        ASSERT_EQ(plat::WaitForThread(t, 10000), WAIT_OBJECT_0) << size;
        DWORD got = 0;
        EXPECT_TRUE(plat::GetThreadExitCode(t, &got));
        EXPECT_EQ(got, 7u) << size;
        plat::CloseThread(t);
    }
}

struct Parked {
    HANDLE release;
    std::atomic<DWORD> id{0};
};

DWORD Park(void* p) {
    auto* parked = static_cast<Parked*>(p);
    parked->id = plat::GetCurrentThreadId();
    plat::WaitForEvent(parked->release, INFINITE);
    return 0;
}

TEST(Thread, IdPriorityAndWaitsOfARunningThread) {
    Parked parked;
    parked.release = plat::MakeEvent(true, false);
    DWORD id = 0;
    HANDLE t = plat::StartThread(Park, &parked, 0, &id);
    ASSERT_NE(t, nullptr);
    DWORD code = 0;
    EXPECT_FALSE(plat::GetThreadExitCode(t, &code)) << "still running";
    EXPECT_EQ(plat::WaitForThread(t, 20), WAIT_TIMEOUT);
    if (plat::RaiseThreadPriority(t)) {
        EXPECT_EQ(plat::GetThreadPriorityLevel(t), plat::kThreadPriorityHighest);
    }
    plat::SetEvent(parked.release);
    ASSERT_EQ(plat::WaitForThread(t, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(parked.id.load(), id);
    EXPECT_NE(id, plat::GetCurrentThreadId());
    plat::CloseThread(t);
    plat::CloseEvent(parked.release);
}

TEST(CriticalSection, ReentrantOnOneThreadExclusiveAcrossThreads) {
    plat::CriticalSection cs;
    cs.Enter();
    cs.Enter();  // recursion on the owner must not deadlock
    const plat::ThreadProc tryEnter = [](void* p) -> DWORD {
        auto* section = static_cast<plat::CriticalSection*>(p);
        if (!section->TryEnter()) return 0;
        section->Leave();
        return 1;
    };
    EXPECT_EQ(ExitCodeOf(tryEnter, &cs), 0u) << "another thread entered a held section";
    cs.Leave();
    EXPECT_EQ(ExitCodeOf(tryEnter, &cs), 0u) << "released before every Enter had its Leave";
    cs.Leave();
    EXPECT_EQ(ExitCodeOf(tryEnter, &cs), 1u) << "section still held after balanced Leave";
}

TEST(CriticalSection, CountsExactlyUnderContention) {
    struct Shared {
        plat::CriticalSection cs;
        long counter = 0;
    } s;
    const int kThreads = 4, kIncrements = 20000;
    HANDLE threads[kThreads];
    for (HANDLE& t : threads)
        t = plat::StartThread(
            [](void* p) -> DWORD {
                auto* sh = static_cast<Shared*>(p);
                for (int i = 0; i < kIncrements; ++i) {
                    sh->cs.Enter();
                    ++sh->counter;
                    sh->cs.Leave();
                }
                return 0;
            },
            &s, 0, nullptr);
    for (HANDLE t : threads) {
        ASSERT_EQ(plat::WaitForThread(t, 60000), WAIT_OBJECT_0);
        plat::CloseThread(t);
    }
    EXPECT_EQ(s.counter, long{kThreads} * kIncrements);
}

}  // namespace
