// The basic call operations as an application drives them through TAPI:
// make, dial, accept, answer, hold, unhold, swap, drop and close, with the
// switch's call model answering, and every request completed exactly once
// (the host's audit, checked when each test ends).
#include <gtest/gtest.h>

#include <string>

#include "integration/ServiceFixture.h"

namespace {

using zavhost::JournalEntry;
using zavtest::kLineBase;

class CallOperations : public zavtest::TwoLineTest {};

TEST_F(CallOperations, ArgumentsAndStatesAreCheckedInTheirOrder) {
    auto& tspi = Host().Tspi();
    const HDRVCALL bad = reinterpret_cast<HDRVCALL>(uintptr_t{0xE0000012});
    const HDRVLINE badLine = reinterpret_cast<HDRVLINE>(uintptr_t{0xE0E00009});
    HDRVCALL made = nullptr;
    const WCHAR empty[] = {0};
    HTAPICALL ht = Host().NewTapiCall(m_line[0]);
    struct Case {
        const char* name;
        LONG result;
        DWORD expected;
    } cases[] = {
        {"make, empty number", tspi.lineMakeCall(m_line[0], ht, &made, empty, 0, nullptr), LINEERR_INVALADDRESS},
        {"make, bad line", tspi.lineMakeCall(badLine, ht, &made, nullptr, 0, nullptr), LINEERR_INVALLINEHANDLE},
        {"make, no out-pointer", tspi.lineMakeCall(m_line[0], ht, nullptr, nullptr, 0, nullptr),
         LINEERR_INVALPOINTER},
        {"dial", tspi.lineDial(bad, nullptr, 0), LINEERR_INVALCALLHANDLE},
        {"answer", tspi.lineAnswer(bad, nullptr, 0), LINEERR_INVALCALLHANDLE},
        {"accept", tspi.lineAccept(bad, nullptr, 0), LINEERR_INVALCALLHANDLE},
        {"drop", tspi.lineDrop(bad, nullptr, 0), LINEERR_INVALCALLHANDLE},
        {"hold", tspi.lineHold(bad), LINEERR_INVALCALLHANDLE},
        {"unhold", tspi.lineUnhold(bad), LINEERR_INVALCALLHANDLE},
        {"swap", tspi.lineSwapHold(bad, bad), LINEERR_INVALCALLHANDLE},
        {"app specific", tspi.lineSetAppSpecific(bad, 1), LINEERR_INVALCALLHANDLE},
        {"complete call", tspi.lineCompleteCall(bad, nullptr, 0, 0), LINEERR_OPERATIONUNAVAIL},
        {"uncomplete call", tspi.lineUncompleteCall(m_line[0], 0), LINEERR_OPERATIONUNAVAIL},
        {"drop on close", tspi.lineDropOnClose(bad), LINEERR_OPERATIONUNAVAIL},
        {"drop no owner", tspi.lineDropNoOwner(bad), LINEERR_OPERATIONUNAVAIL},
    };
    for (const Case& c : cases) EXPECT_EQ(static_cast<DWORD>(c.result), c.expected) << c.name;

    // A call with dial tone: neither held nor idle.
    HDRVCALL call = nullptr;
    ASSERT_GT(Host().LineMakeCall(m_line[0], nullptr, &call), 0);
    ASSERT_TRUE(Reaches(call, LINECALLSTATE_DIALTONE));
    EXPECT_EQ(static_cast<DWORD>(tspi.lineUnhold(call)), static_cast<DWORD>(LINEERR_INVALCALLSTATE));
    EXPECT_EQ(static_cast<DWORD>(tspi.lineSwapHold(call, call)), static_cast<DWORD>(LINEERR_INVALCALLSTATE));
    EXPECT_EQ(static_cast<DWORD>(tspi.lineAnswer(call, nullptr, 0)), static_cast<DWORD>(LINEERR_INVALCALLSTATE));
    EXPECT_EQ(tspi.lineSetAppSpecific(call, 7), 0);
    EXPECT_EQ(Host().LineDrop(call), 0);
    ASSERT_TRUE(Reaches(call, LINECALLSTATE_IDLE));
    // The switch's on-hook took the call out of the live calls: until TAPI
    // closes it, nothing but the close (and call information) reaches it.
    EXPECT_EQ(static_cast<DWORD>(tspi.lineDial(call, nullptr, 0)), static_cast<DWORD>(LINEERR_INVALCALLHANDLE));
    EXPECT_EQ(static_cast<DWORD>(tspi.lineHold(call)), static_cast<DWORD>(LINEERR_INVALCALLHANDLE));

    // A held call of the other telephone is no partner for a swap (found by
    // the fuzzer: the request stayed on a line TAPI had not made it on).
    HDRVCALL caller = nullptr, callee = nullptr;
    ASSERT_TRUE(Connect(&caller, &callee));
    ASSERT_GT(tspi.lineHold(callee), 0);
    ASSERT_TRUE(Reaches(callee, LINECALLSTATE_ONHOLD));
    EXPECT_EQ(static_cast<DWORD>(tspi.lineSwapHold(caller, callee)), static_cast<DWORD>(LINEERR_INVALCALLHANDLE));
}

TEST_F(CallOperations, TwoExtensionsCallAcceptAnswerHoldAndDrop) {
    HDRVCALL caller = nullptr;
    LONG id = Host().LineMakeCall(m_line[0], "202", &caller);
    ASSERT_GT(id, 0);
    auto completion = Host().GetJournal().WaitFor(
        [&](const JournalEntry& e) { return e.kind == zavhost::EntryKind::Completion && e.requestId == static_cast<DRV_REQUESTID>(id); }, 0,
        m_mark);
    ASSERT_TRUE(completion) << "the make-call request was completed before the function returned";
    EXPECT_EQ(completion->result, 0);
    ASSERT_TRUE(Reaches(caller, LINECALLSTATE_RINGBACK));
    HDRVCALL callee = Offered(kLineBase + 1);
    ASSERT_TRUE(callee && Reaches(callee, LINECALLSTATE_OFFERING));
    auto& tspi = Host().Tspi();
    ASSERT_GT(tspi.lineAccept(callee, nullptr, 0), 0);
    ASSERT_TRUE(Reaches(callee, LINECALLSTATE_ACCEPTED));
    ASSERT_EQ(Host().LineAnswer(callee), 0) << "an accepted call is answered";
    ASSERT_TRUE(Reaches(callee, LINECALLSTATE_CONNECTED));
    ASSERT_TRUE(Reaches(caller, LINECALLSTATE_CONNECTED));
    ASSERT_GT(tspi.lineHold(caller), 0);
    ASSERT_TRUE(Reaches(caller, LINECALLSTATE_ONHOLD));
    EXPECT_EQ(static_cast<DWORD>(tspi.lineHold(caller)), static_cast<DWORD>(LINEERR_INVALCALLSTATE));
    m_mark = Host().GetJournal().Size();  // before the unhold: its answer may come at once
    ASSERT_GT(tspi.lineUnhold(caller), 0);
    ASSERT_TRUE(Reaches(caller, LINECALLSTATE_CONNECTED));
    ASSERT_EQ(Host().LineDrop(callee), 0) << "dropped from the far side";
    EXPECT_TRUE(Reaches(callee, LINECALLSTATE_IDLE));
    EXPECT_TRUE(Reaches(caller, LINECALLSTATE_IDLE));
}

TEST_F(CallOperations, DialledOutAnsweredOutsideThenSwappedWithASecondCall) {
    HDRVCALL first = nullptr, second = nullptr;
    ASSERT_GT(Host().LineMakeCall(m_line[0], nullptr, &first), 0);
    ASSERT_TRUE(Reaches(first, LINECALLSTATE_DIALTONE));
    const WCHAR number[] = {'0', '6', '1', '2', '3', '4', '5', '6', '7', '8', 0};
    ASSERT_EQ(Host().Tspi().lineDial(first, number, 0), 0);
    ASSERT_TRUE(Reaches(first, LINECALLSTATE_RINGBACK));
    std::string calls = m_sim.DescribeCalls();
    ASSERT_EQ(m_sim.ExternalAnswer(std::stoi(calls.substr(calls.find("call ") + 5)), "Bob"), 0);
    ASSERT_TRUE(Reaches(first, LINECALLSTATE_CONNECTED));
    ASSERT_GT(Host().Tspi().lineHold(first), 0);
    ASSERT_TRUE(Reaches(first, LINECALLSTATE_ONHOLD));
    ASSERT_GT(Host().LineMakeCall(m_line[0], "202", &second), 0);
    HDRVCALL callee = Offered(kLineBase + 1);
    ASSERT_EQ(Host().LineAnswer(callee), 0);
    ASSERT_TRUE(Reaches(second, LINECALLSTATE_CONNECTED));
    m_mark = Host().GetJournal().Size();
    ASSERT_GT(Host().Tspi().lineSwapHold(second, first), 0);
    EXPECT_TRUE(Reaches(second, LINECALLSTATE_ONHOLD));
    EXPECT_TRUE(Reaches(first, LINECALLSTATE_CONNECTED));
    ASSERT_EQ(Host().LineDrop(first), 0);
    EXPECT_TRUE(Reaches(first, LINECALLSTATE_IDLE));
}

TEST_F(CallOperations, RefusalsReachTheApplication) {
    ASSERT_EQ(m_sim.RefuseNext("201", ZAVSIM_CMD_OFFHOOK, 0), 0);
    HDRVCALL refused = nullptr;
    EXPECT_EQ(static_cast<DWORD>(Host().LineMakeCall(m_line[0], nullptr, &refused)),
              static_cast<DWORD>(LINEERR_RESOURCEUNAVAIL));
    HDRVCALL call = nullptr;
    ASSERT_GT(Host().LineMakeCall(m_line[0], "202", &call), 0);
    ASSERT_EQ(Host().LineAnswer(Offered(kLineBase + 1)), 0);
    ASSERT_TRUE(Reaches(call, LINECALLSTATE_CONNECTED));
    ASSERT_GT(Host().Tspi().lineHold(call), 0);
    ASSERT_TRUE(Reaches(call, LINECALLSTATE_ONHOLD));
    ASSERT_EQ(m_sim.RefuseNext("201", ZAVSIM_CMD_UNHOLD, 0), 0);
    const LONG unhold = Host().Tspi().lineUnhold(call);
    ASSERT_GT(unhold, 0);
    auto completion = Host().GetJournal().WaitFor(
        [&](const JournalEntry& e) {
            return e.kind == zavhost::EntryKind::Completion && e.requestId == static_cast<DRV_REQUESTID>(unhold);
        },
        10000, m_mark);
    ASSERT_TRUE(completion);
    EXPECT_EQ(static_cast<DWORD>(completion->result), static_cast<DWORD>(LINEERR_OPERATIONFAILED));
}

TEST_F(CallOperations, RecalledCallsRingAgainAndCanBeAnswered) {
    struct Case {
        int32_t kind, sal;
    } cases[] = {
        {ZAVSIM_RECALL_TRANSFER, 0},  // the provider picks 65, as the switch does
        {ZAVSIM_RECALL_PARK, 3},
        {ZAVSIM_RECALL_REDIRECT, 4},
    };
    for (const Case& c : cases) {
        m_mark = Host().GetJournal().Size();
        ASSERT_GT(m_sim.FireRecall("201", c.kind, c.sal, "5551234", "Bob"), 0) << c.kind;
        HDRVCALL recalled = Offered(kLineBase);
        ASSERT_NE(recalled, nullptr) << c.kind;
        ASSERT_TRUE(Reaches(recalled, LINECALLSTATE_OFFERING)) << c.kind;
        ASSERT_EQ(Host().LineAnswer(recalled), 0) << c.kind;
        EXPECT_TRUE(Reaches(recalled, LINECALLSTATE_CONNECTED)) << c.kind;
        ASSERT_EQ(Host().LineDrop(recalled), 0) << c.kind;
        EXPECT_TRUE(Reaches(recalled, LINECALLSTATE_IDLE)) << c.kind;
    }
}

TEST_F(CallOperations, ClosingCallsAndLinesMidCallSettlesWhatIsPending) {
    HDRVCALL caller = nullptr;
    ASSERT_GT(Host().LineMakeCall(m_line[0], "202", &caller), 0);
    HDRVCALL callee = Offered(kLineBase + 1);
    ASSERT_EQ(Host().LineAnswer(callee), 0);
    ASSERT_TRUE(Reaches(caller, LINECALLSTATE_CONNECTED));
    // A switch that stops answering: the hold stays pending.
    ASSERT_EQ(m_sim.SetCallModel(0), 0);
    const LONG hold = Host().Tspi().lineHold(caller);
    ASSERT_GT(hold, 0);
    EXPECT_EQ(Host().LineCloseCall(caller), 0);
    auto completion = Host().GetJournal().WaitFor(
        [&](const JournalEntry& e) {
            return e.kind == zavhost::EntryKind::Completion && e.requestId == static_cast<DRV_REQUESTID>(hold);
        },
        0, m_mark);
    ASSERT_TRUE(completion) << "closing the call failed its pending hold at once";
    EXPECT_EQ(static_cast<DWORD>(completion->result), static_cast<DWORD>(LINEERR_OPERATIONFAILED));
    // The other line goes with its call still connected; the host's audit
    // (at the end of the test) finds nothing left open.
    EXPECT_EQ(Host().LineClose(m_line[1]), 0);
    m_line[1] = nullptr;
}

}  // namespace
