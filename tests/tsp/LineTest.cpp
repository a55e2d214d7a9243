// What a line reports to TAPI, filtered by its masks.
#include <gtest/gtest.h>

#include "callctrl/ZavCallHub.h"
#include "support/TapiRecorder.h"
#include "tsp/ZavAddress.h"
#include "tsp/ZavLine.h"

namespace {

using zavtest::Recorder;

const HTAPILINE kTapiLine = reinterpret_cast<HTAPILINE>(uintptr_t{0x1234});

class Line : public ::testing::Test {
protected:
    void SetUp() override {
        Recorder::Clear();
    }
    ZavLine m_line{nullptr, 3};
};

TEST_F(Line, DefaultMasksDecideWhatIsReported) {
    struct Case {
        bool open;
        DWORD lineStates;  // 0: keep the default
        DWORD state;
        bool sent;
    } cases[] = {
        {true, 0, LINEDEVSTATE_INSERVICE, false},
        {true, LINEDEVSTATE_INSERVICE, LINEDEVSTATE_INSERVICE, true},
        {true, 0, LINEDEVSTATE_RINGING, true},
        {true, 0, LINEDEVSTATE_REINIT, true},
        {false, 0, LINEDEVSTATE_RINGING, false},  // closed lines report nothing
    };
    for (const Case& c : cases) {
        ZavLine line(nullptr, 1);
        if (c.lineStates) line.SetLineStates(c.lineStates);
        if (c.open) line.Activate(kTapiLine, Recorder::OnLineEvent);
        Recorder::Clear();
        line.NotifyLineDevState(c.state, 1, 0);
        auto events = Recorder::Events();
        ASSERT_EQ(events.size(), c.sent ? 1u : 0u) << std::hex << c.state;
        if (c.sent) {
            EXPECT_EQ(events[0].htLine, kTapiLine);
            EXPECT_EQ(events[0].htCall, nullptr);
            EXPECT_EQ(events[0].msg, static_cast<DWORD>(LINE_LINEDEVSTATE));
            EXPECT_EQ(events[0].p1, c.state);
            EXPECT_EQ(events[0].p2, 1u);
            EXPECT_EQ(events[0].p3, 0u);
        }
        if (c.open) line.Deactivate();
    }
}

TEST_F(Line, OpenAndCloseReportServiceStateOnlyWhenAsked) {
    m_line.Activate(kTapiLine, Recorder::OnLineEvent);
    m_line.Deactivate();
    EXPECT_TRUE(Recorder::Events().empty());
    m_line.SetLineStates(LINEDEVSTATE_INSERVICE | LINEDEVSTATE_OUTOFSERVICE);
    m_line.Activate(kTapiLine, Recorder::OnLineEvent);
    EXPECT_TRUE(m_line.IsActive());
    EXPECT_EQ(ZavLine::NumActiveLines(), 1u);
    m_line.Deactivate();
    ASSERT_EQ(Recorder::Events().size(), 2u);
    EXPECT_EQ(Recorder::Events()[0].p1, static_cast<DWORD_PTR>(LINEDEVSTATE_INSERVICE));
    EXPECT_EQ(Recorder::Events()[1].p1, static_cast<DWORD_PTR>(LINEDEVSTATE_OUTOFSERVICE)) << "sent before the handle goes";
    EXPECT_EQ(Recorder::Events()[1].htLine, kTapiLine);
    EXPECT_EQ(m_line.GetHTapiLine(), nullptr);
    EXPECT_EQ(ZavLine::NumActiveLines(), 0u);
    // The masks survive a close.
    EXPECT_EQ(m_line.GetLineStates(), static_cast<DWORD>(LINEDEVSTATE_INSERVICE | LINEDEVSTATE_OUTOFSERVICE));
}

TEST_F(Line, AddressStatesAreFilteredByTheAddressMask) {
    m_line.Activate(kTapiLine, Recorder::OnLineEvent);
    m_line.NotifyAddressState(0, LINEADDRESSSTATE_FORWARD);
    m_line.NotifyAddressState(0, LINEADDRESSSTATE_NUMCALLS);
    ASSERT_EQ(Recorder::Events().size(), 1u);
    EXPECT_EQ(Recorder::Events()[0].msg, static_cast<DWORD>(LINE_ADDRESSSTATE));
    EXPECT_EQ(Recorder::Events()[0].p1, 0u);
    EXPECT_EQ(Recorder::Events()[0].p2, static_cast<DWORD_PTR>(LINEADDRESSSTATE_FORWARD));
    m_line.SetAddressStates(LINEADDRESSSTATE_NUMCALLS);
    m_line.NotifyAddressState(0, LINEADDRESSSTATE_NUMCALLS);
    EXPECT_EQ(Recorder::Events().size(), 2u);
    m_line.Deactivate();
}

TEST_F(Line, AddressBasics) {
    EXPECT_FALSE(ZavLine::IsValidAddrId(1));
    EXPECT_TRUE(ZavLine::IsValidAddrId(0));
    ZavAddress addr(TRUE, 0, "201");
    EXPECT_EQ(addr.GetNumSecsNoAnswer(), 30u);
    EXPECT_TRUE(addr.IsValidCallId(18));
    EXPECT_FALSE(addr.IsValidCallId(19));
    EXPECT_EQ(addr.GetCallPointer(0), nullptr);
    addr.AssociateWith(&m_line);
    EXPECT_EQ(m_line.GetAddrPointer(5), &addr) << "any id gives the one address";
    ZavAddress copy = addr;
    EXPECT_EQ(copy.GetAddress(), "201");
}

}  // namespace
