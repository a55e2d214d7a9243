// The journal on its own: order across threads, waiting, the listener.
#include <gtest/gtest.h>

#include <vector>

#include "host/Journal.h"
#include "platform/Event.h"
#include "platform/Thread.h"

namespace {

using zavhost::EntryKind;
using zavhost::Journal;
using zavhost::JournalEntry;

constexpr DWORD kWaitMs = 10000;

JournalEntry Event(DWORD_PTR p1, DWORD_PTR p2) {
    JournalEntry e;
    e.kind = EntryKind::LineEvent;
    e.p1 = p1;
    e.p2 = p2;
    return e;
}

struct Writer {
    Journal* journal;
    HANDLE go;
    DWORD number;
    DWORD count;
};

DWORD Write(void* arg) {
    Writer* w = static_cast<Writer*>(arg);
    plat::WaitForEvent(w->go, INFINITE);
    for (DWORD i = 0; i < w->count; ++i) w->journal->Append(Event(w->number, i));
    return 0;
}

TEST(Journal, ConcurrentWritersKeepTheirOwnOrderAndGetOneSequence) {
    constexpr DWORD kThreads = 4, kEach = 300;
    Journal journal;
    std::vector<std::uint64_t> heard;
    journal.SetListener([&](const JournalEntry& e) { heard.push_back(e.seq); });

    HANDLE go = plat::MakeEvent(true, false);
    Writer writers[kThreads];
    HANDLE threads[kThreads];
    DWORD ids[kThreads];
    for (DWORD t = 0; t < kThreads; ++t) {
        writers[t] = Writer{&journal, go, t, kEach};
        threads[t] = plat::StartThread(&Write, &writers[t], 0, &ids[t]);
        ASSERT_NE(threads[t], nullptr);
    }
    plat::SetEvent(go);
    ASSERT_TRUE(journal.WaitForSize(kThreads * kEach, kWaitMs));
    for (HANDLE thread : threads) {
        plat::WaitForThread(thread, INFINITE);
        plat::CloseThread(thread);
    }
    plat::CloseEvent(go);

    std::vector<JournalEntry> entries = journal.Snapshot();
    ASSERT_EQ(entries.size(), kThreads * kEach);
    DWORD next[kThreads] = {};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const JournalEntry& e = entries[i];
        ASSERT_EQ(e.seq, i);
        if (i > 0) {
            EXPECT_LE(entries[i - 1].tick, e.tick) << "tick order disagrees with sequence at " << i;
        }
        ASSERT_LT(e.p1, kThreads);
        EXPECT_EQ(e.threadId, ids[e.p1]) << "entry " << i << " recorded on the wrong thread";
        EXPECT_EQ(e.p2, next[e.p1]++) << "writer " << e.p1 << " out of order";
    }
    ASSERT_EQ(heard.size(), entries.size());
    for (std::size_t i = 0; i < heard.size(); ++i) ASSERT_EQ(heard[i], i) << "listener out of journal order";
}

struct LateWriter {
    Journal* journal;
    HANDLE go;
};

DWORD WriteWhenTold(void* arg) {
    LateWriter* w = static_cast<LateWriter*>(arg);
    plat::WaitForEvent(w->go, INFINITE);
    w->journal->Append(Event(1, 0));
    w->journal->Append(Event(7, 1));
    w->journal->Append(Event(7, 2));
    return 0;
}

TEST(Journal, WaitReturnsTheFirstMatchFromWhereItIsAskedToLook) {
    Journal journal;
    journal.Append(Event(7, 0));  // matches, but before `from`
    LateWriter writer{&journal, plat::MakeEvent(true, false)};
    HANDLE thread = plat::StartThread(&WriteWhenTold, &writer, 0, nullptr);
    ASSERT_NE(thread, nullptr);

    plat::SetEvent(writer.go);
    auto found = journal.WaitFor([](const JournalEntry& e) { return e.p1 == 7; }, kWaitMs, 1);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->p2, 1u);
    EXPECT_EQ(found->seq, 2u);
    EXPECT_NE(found->threadId, plat::GetCurrentThreadId());

    plat::WaitForThread(thread, INFINITE);
    plat::CloseThread(thread);
    plat::CloseEvent(writer.go);
}

TEST(Journal, WaitGivesUpAfterItsTimeOut) {
    Journal journal;
    journal.Append(Event(1, 0));
    DWORD start = plat::GetTickCount();
    EXPECT_FALSE(journal.WaitFor([](const JournalEntry& e) { return e.p1 == 2; }, 50).has_value());
    EXPECT_FALSE(journal.WaitForSize(2, 50));
    // Tick granularity on Windows is about 16 ms.
    EXPECT_GE(plat::GetTickCount() - start, 80u);
}

}  // namespace
