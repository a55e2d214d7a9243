// What an application reads about a call: LINECALLINFO packed into buffers
// of every interesting size (the host's guard bytes catch a write past
// dwTotalSize), LINECALLSTATUS, and the call's address, also for a call the
// switch has ended and TAPI not yet closed.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "host/TapiBuffer.h"
#include "integration/ServiceFixture.h"
#include "tapi/TapiSizes.h"

namespace {

using zavhost::JournalEntry;
using zavhost::TapiBuffer;
using zavtest::kLineBase;

constexpr DWORD kFixed = tapi::kLineCallInfoSize20;

class CallInfo : public zavtest::TwoLineTest {
protected:
    void SetUp() override {
        TwoLineTest::SetUp();
        AddAccount("202", "pw2", 1, "Sales");
    }
};

// The text WideAt reads back: the stored terminating null is not part of it.
std::u16string Wide(const char* text) { return std::u16string(text, text + std::char_traits<char>::length(text)); }

TEST_F(CallInfo, PartiesArePackedWhileTheyFitAndTheNeedIsAlwaysTold) {
    ASSERT_GT(m_sim.ExternalCall("201", "555", "FRONT DESK", 0), 0);
    HDRVCALL call = Offered(kLineBase);
    ASSERT_TRUE(call && Reaches(call, LINECALLSTATE_OFFERING));
    // 555, FRONT DESK and 201 in UTF-16 with their nulls, then "201" dialled.
    const DWORD strings = 8 + 22 + 8, dialled = 4, all = kFixed + strings + dialled;
    struct Case {
        DWORD total;
        LONG result;
        DWORD used;
        bool callerName, dialledNumber;
    } cases[] = {
        {kFixed - 1, static_cast<LONG>(LINEERR_STRUCTURETOOSMALL), 0, false, false},
        {kFixed, 0, kFixed, false, false},
        {kFixed + 8, 0, kFixed + 8, false, false},
        {all - 1, 0, kFixed + strings, true, false},
        {all, 0, all, true, true},
        {all + 100, 0, all, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.total);
        TapiBuffer buffer(c.total);
        ASSERT_EQ(Host().LineGetCallInfo(call, buffer), c.result);
        if (c.result != 0) continue;
        const LINECALLINFO* info = buffer.As<LINECALLINFO>();
        EXPECT_EQ(info->dwNeededSize, all);
        EXPECT_EQ(info->dwUsedSize, c.used);
        EXPECT_EQ(info->dwLineDeviceID, kLineBase);
        EXPECT_EQ(info->dwTrunk, 0xFFFFFFFFu) << "no trunk";
        EXPECT_EQ(info->dwCallStates, 0x0000FF7Fu);
        if (c.total == kFixed) {
            EXPECT_EQ(info->dwCallerIDSize, 0xCDCDCDCDu) << "identifiers are left alone with no room";
            continue;
        }
        EXPECT_EQ(info->dwCallerIDSize, 8u) << "three characters and the null, in UTF-16";
        EXPECT_EQ(buffer.WideAt(info->dwCallerIDOffset, info->dwCallerIDSize), Wide("555"));
        EXPECT_EQ(info->dwCallerIDFlags, c.callerName ? 0xCu : 0x8u);
        if (c.callerName) {
            EXPECT_EQ(buffer.WideAt(info->dwCallerIDNameOffset, info->dwCallerIDNameSize), Wide("FRONT DESK"));
            EXPECT_EQ(buffer.WideAt(info->dwCalledIDOffset, info->dwCalledIDSize), Wide("201"));
            EXPECT_EQ(info->dwCalledIDFlags, 0x8u);
        }
        EXPECT_EQ(info->dwDevSpecificSize, c.dialledNumber ? 3u : 0u);
        if (c.dialledNumber) {
            EXPECT_EQ(buffer.AnsiAt(info->dwDevSpecificOffset, 3), "201");
        }
    }
    TapiBuffer status(tapi::kLineCallStatusSize20);
    ASSERT_EQ(Host().LineGetCallStatus(call, status), 0);
    EXPECT_EQ(status.As<LINECALLSTATUS>()->dwCallState, static_cast<DWORD>(LINECALLSTATE_OFFERING));
    EXPECT_EQ(status.As<LINECALLSTATUS>()->dwCallFeatures, 0x00020005u);
    DWORD address = 99;
    EXPECT_EQ(Host().Tspi().lineGetCallAddressID(call, &address), 0);
    EXPECT_EQ(address, 0u);
}

TEST_F(CallInfo, AnOutboundCallSwapsThePartiesAndAnEndedCallStillAnswers) {
    HDRVCALL call = nullptr;
    ASSERT_GT(Host().LineMakeCall(m_line[0], "202", &call), 0);
    ASSERT_TRUE(Reaches(call, LINECALLSTATE_RINGBACK));
    TapiBuffer buffer(kFixed + 200);
    ASSERT_EQ(Host().LineGetCallInfo(call, buffer), 0);
    const LINECALLINFO* info = buffer.As<LINECALLINFO>();
    EXPECT_EQ(info->dwOrigin, static_cast<DWORD>(LINECALLORIGIN_OUTBOUND));
    EXPECT_EQ(buffer.WideAt(info->dwCalledIDOffset, info->dwCalledIDSize), Wide("202"));
    EXPECT_EQ(buffer.WideAt(info->dwCalledIDNameOffset, info->dwCalledIDNameSize), Wide("Sales"));
    EXPECT_EQ(buffer.WideAt(info->dwCallerIDOffset, info->dwCallerIDSize), Wide("201"));
    EXPECT_EQ(info->dwCallerIDFlags, 0x8u);
    ASSERT_EQ(Host().LineDrop(call), 0);
    ASSERT_TRUE(Reaches(call, LINECALLSTATE_IDLE));
    TapiBuffer status(tapi::kLineCallStatusSize20);
    EXPECT_EQ(Host().LineGetCallStatus(call, status), 0) << "the call waits for TAPI to close it";
    EXPECT_EQ(status.As<LINECALLSTATUS>()->dwCallState, static_cast<DWORD>(LINECALLSTATE_IDLE));
    EXPECT_EQ(status.As<LINECALLSTATUS>()->dwCallFeatures, 0u);
    EXPECT_EQ(Host().LineGetCallInfo(call, buffer), 0);
}

}  // namespace
