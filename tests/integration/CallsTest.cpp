// Calls end to end: the simulated switch places them, the provider reports
// them, and TAPI (the host emulator) sees each line's calls go through their
// states in order.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "integration/ServiceFixture.h"

namespace {

using zavhost::EntryKind;
using zavhost::JournalEntry;
using zavtest::kLineBase;

// What a line heard: (message, first parameter), LINE_NEWCALL without it.
using Heard = std::vector<std::pair<DWORD, DWORD_PTR>>;

class Calls : public zavtest::ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        AddAccount("201", "pw1", 1, "Reception");
        AddAccount("202", "pw2", 1, "Sales");
        ASSERT_EQ(m_sim.SetCallModel(1), 0);
        ASSERT_EQ(Host().LineOpen(kLineBase, &m_line[0]), 0);
        ASSERT_EQ(Host().LineOpen(kLineBase + 1, &m_line[1]), 0);
        m_mark = Host().GetJournal().Size();
    }
    void TearDown() override {
        for (const zavhost::CallView& call : Host().Calls())
            if (!call.closed && call.hdCall) Host().LineCloseCall(call.hdCall);
        for (HDRVLINE line : m_line) Host().LineClose(line);
        ServiceTest::TearDown();
    }
    // Waits until the line has heard `count` events from the test's start.
    std::vector<JournalEntry> Events(DWORD device, std::size_t count) {
        std::vector<JournalEntry> events;
        Host().GetJournal().WaitUntil(
            [&](const std::vector<JournalEntry>& all) {
                events.clear();
                for (std::size_t i = m_mark; i < all.size(); ++i)
                    if (all[i].kind == EntryKind::LineEvent && all[i].deviceId == device) events.push_back(all[i]);
                return events.size() >= count;
            },
            10000);
        return events;
    }
    Heard HeardOn(DWORD device, std::size_t count) {
        Heard heard;
        for (const JournalEntry& e : Events(device, count)) heard.emplace_back(e.msg, e.msg == LINE_NEWCALL ? 0 : e.p1);
        return heard;
    }
    // The leg of the extension's only call, as the switch describes it.
    DWORD LegOf(const char* ext) {
        std::string calls = m_sim.DescribeCalls();
        std::string key = std::string(ext) + " sal ";
        std::size_t at = calls.find(key);
        return at == std::string::npos ? 0 : static_cast<DWORD>(std::stoul(calls.substr(at + key.size())));
    }

    HDRVLINE m_line[2] = {};
};

const Heard kOffered = {{LINE_NEWCALL, 0},
                        {LINE_CALLSTATE, LINECALLSTATE_OFFERING},
                        {LINE_CALLINFO, LINECALLINFOSTATE_CALLID},
                        {LINE_LINEDEVSTATE, LINEDEVSTATE_RINGING},
                        {LINE_CALLINFO, LINECALLINFOSTATE_CALLERID},
                        {LINE_CALLINFO, LINECALLINFOSTATE_CALLEDID},
                        {LINE_CALLINFO, LINECALLINFOSTATE_ORIGIN}};

TEST_F(Calls, AnOutsideCallIsOfferedThenEndsWhenTheCallerHangsUp) {
    int32_t call = m_sim.ExternalCall("201", "0612345678", "Jane Roe", 12);
    ASSERT_GT(call, 0);
    Heard expected = kOffered;
    expected.emplace_back(LINE_CALLINFO, LINECALLINFOSTATE_TRUNK);
    EXPECT_EQ(HeardOn(kLineBase, expected.size()), expected);
    EXPECT_EQ(Events(kLineBase, 2)[1].p2, static_cast<DWORD_PTR>(LINEOFFERINGMODE_ACTIVE));
    ASSERT_EQ(m_sim.ExternalHangUp(call), 0);
    expected.emplace_back(LINE_CALLSTATE, LINECALLSTATE_IDLE);
    EXPECT_EQ(HeardOn(kLineBase, expected.size()), expected);
}

TEST_F(Calls, AnExtensionCallsAnotherFromItsSetAndHangsUp) {
    ASSERT_GT(m_sim.LiftHandset("201"), 0);
    const Heard dialTone = {{LINE_NEWCALL, 0}, {LINE_CALLSTATE, LINECALLSTATE_DIALTONE}};
    EXPECT_EQ(HeardOn(kLineBase, dialTone.size()), dialTone) << "a call started at the set is announced";
    const DWORD leg = LegOf("201");
    ASSERT_EQ(m_sim.DialOnSet("201", static_cast<int32_t>(leg), "202"), 0);
    Heard caller = dialTone;
    for (std::pair<DWORD, DWORD_PTR> e : Heard{{LINE_CALLSTATE, LINECALLSTATE_DIALING},
                                               {LINE_CALLSTATE, LINECALLSTATE_PROCEEDING},
                                               {LINE_CALLINFO, LINECALLINFOSTATE_CALLERID},
                                               {LINE_CALLINFO, LINECALLINFOSTATE_CALLEDID},
                                               {LINE_CALLINFO, LINECALLINFOSTATE_ORIGIN},
                                               {LINE_CALLSTATE, LINECALLSTATE_RINGBACK}})
        caller.push_back(e);
    EXPECT_EQ(HeardOn(kLineBase, caller.size()), caller);
    EXPECT_EQ(HeardOn(kLineBase + 1, kOffered.size()), kOffered);
    ASSERT_EQ(m_sim.HangUpSet("201", static_cast<int32_t>(leg)), 0);
    caller.emplace_back(LINE_CALLSTATE, LINECALLSTATE_IDLE);
    Heard callee = kOffered;
    callee.emplace_back(LINE_CALLSTATE, LINECALLSTATE_IDLE);
    EXPECT_EQ(HeardOn(kLineBase, caller.size()), caller);
    EXPECT_EQ(HeardOn(kLineBase + 1, callee.size()), callee);
}

TEST_F(Calls, BusyOrAnsweredAndThePartyChangingMidCall) {
    struct Case {
        const char* name;
        const char* number;
        bool busy;
    } cases[] = {{"busy extension", "202", true}, {"outside party answers", "0612345678", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_mark = Host().GetJournal().Size();
        m_sim.SetExtensionBusy("202", c.busy ? 1 : 0);
        ASSERT_GT(m_sim.LiftHandset("201"), 0);
        Events(kLineBase, 2);
        const DWORD leg = LegOf("201");
        ASSERT_EQ(m_sim.DialOnSet("201", static_cast<int32_t>(leg), c.number), 0);
        if (c.busy) {
            auto events = Events(kLineBase, 4);
            EXPECT_EQ(events.back().msg, static_cast<DWORD>(LINE_CALLSTATE));
            EXPECT_EQ(events.back().p1, static_cast<DWORD_PTR>(LINECALLSTATE_BUSY));
        } else {
            Events(kLineBase, 8);  // up to ring-back
            std::string calls = m_sim.DescribeCalls();
            int32_t call = std::stoi(calls.substr(calls.rfind("call ") + 5));
            ASSERT_EQ(m_sim.ExternalAnswer(call, "Bob"), 0);
            EXPECT_EQ(Events(kLineBase, 9).back().p1, static_cast<DWORD_PTR>(LINECALLSTATE_CONNECTED));
            // The switch reports another party on the same leg.
            ZavSimMessage update{};
            update.category = ZAVSIM_CATEGORY_CALL_CONTROL;
            update.msgType = ZAVSIM_MSG_NEW_CALL;
            update.sal1 = static_cast<int32_t>(leg);
            update.globalCallId = call;
            update.callerNum = "0698765432";
            ASSERT_EQ(m_sim.InjectMessage("201", &update), 0);
            auto events = Events(kLineBase, 11);
            EXPECT_EQ(events[9].p1, static_cast<DWORD_PTR>(LINECALLINFOSTATE_CALLEDID));
            EXPECT_EQ(events[10].p1, static_cast<DWORD_PTR>(LINECALLINFOSTATE_CALLERID));
        }
        ASSERT_EQ(m_sim.HangUpSet("201", static_cast<int32_t>(leg)), 0);
        ASSERT_TRUE(Host().GetJournal().WaitFor(
            [](const JournalEntry& e) { return e.msg == LINE_CALLSTATE && e.p1 == LINECALLSTATE_IDLE; }, 10000,
            m_mark));
    }
}

}  // namespace
