// The host against the fake provider: what it records, what it flags, and
// how it treats what the provider does not export.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "host/FakeHost.h"
#include "platform/Thread.h"

namespace {

using hosttest::FakeHost;
using hosttest::IsMessage;
using hosttest::kLineBase;
using hosttest::kPhoneBase;
using hosttest::kWaitMs;
using zavhost::EntryKind;
using zavhost::FaultKind;
namespace fp = fakeprovider;

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(Host, MissingExportsAreReportedAndAnswerOperationUnavailable) {
    FakeHost fake;
    ASSERT_TRUE(fake.Ready()) << fake.Host().LastError();
    zavhost::TapiHost& host = fake.Host();
    auto missing = host.MissingExports();
    EXPECT_TRUE(Contains(missing, "TSPI_lineAnswer"));
    EXPECT_FALSE(Contains(missing, "TSPI_lineMakeCall"));

    HDRVCALL hdCall = nullptr;
    ASSERT_GT(host.LineMakeCall(fake.Line(), fp::kCompleteBeforeReturn, &hdCall), 0);
    const std::size_t requests = host.Requests().size();
    EXPECT_EQ(host.LineAnswer(hdCall), LINEERR_OPERATIONUNAVAIL);
    EXPECT_EQ(host.Tspi().lineHold(hdCall), LINEERR_OPERATIONUNAVAIL);
    zavhost::TapiBuffer status(sizeof(LINECALLSTATUS));
    EXPECT_EQ(host.LineGetCallStatus(hdCall, status), LINEERR_OPERATIONUNAVAIL);
    EXPECT_EQ(host.MissingCalls(),
              (std::vector<std::string>{"TSPI_lineAnswer", "TSPI_lineHold", "TSPI_lineGetCallStatus"}));
    EXPECT_EQ(host.Requests().size(), requests) << "no request id is spent on a function that is not there";
    EXPECT_TRUE(host.Faults().empty()) << host.FaultReport();
}

TEST(Host, ALibraryThatCannotBeLoadedIsReported) {
    zavhost::TapiHost host;
    EXPECT_FALSE(host.Load(zavtest::NativePath("/nonexistent/fake.tsp")));
    EXPECT_FALSE(host.LastError().empty());
    EXPECT_EQ(host.EnumDevices(), LINEERR_OPERATIONUNAVAIL);
}

TEST(Host, OnlyOneHostIsCurrentInAProcess) {
    {
        zavhost::TapiHost first;
        ASSERT_TRUE(first.IsCurrent());
        EXPECT_EQ(zavhost::TapiHost::Current(), &first);
        zavhost::TapiHost second;
        EXPECT_FALSE(second.IsCurrent());
        EXPECT_FALSE(second.Load(zavtest::NativePath(ZAV_FAKE_TSP_PATH)));
        EXPECT_EQ(zavhost::TapiHost::Current(), &first);
    }
    EXPECT_EQ(zavhost::TapiHost::Current(), nullptr);
    zavhost::TapiHost third;
    EXPECT_TRUE(third.IsCurrent());
}

TEST(Host, EventsKeepTheProvidersOrderAndThread) {
    FakeHost fake;
    ASSERT_TRUE(fake.Ready()) << fake.Host().LastError();
    zavhost::TapiHost& host = fake.Host();
    // The in-service report came from inside TSPI_lineOpen, on this thread.
    auto inService = host.GetJournal().WaitFor(IsMessage(LINE_LINEDEVSTATE), 0);
    ASSERT_TRUE(inService.has_value());
    EXPECT_EQ(inService->p1, DWORD_PTR(LINEDEVSTATE_INSERVICE));
    EXPECT_EQ(inService->threadId, plat::GetCurrentThreadId());
    EXPECT_EQ(inService->deviceId, kLineBase);

    constexpr DWORD kCount = 200;
    const std::size_t from = host.GetJournal().Size();
    fake.Command(fp::kLineStateBurst, kCount, 0);
    auto isBurst = [](const zavhost::JournalEntry& e) { return e.msg == LINE_LINEDEVSTATE && e.p3 == 0x1234; };
    ASSERT_TRUE(host.GetJournal().WaitUntil(
        [&](const std::vector<zavhost::JournalEntry>& all) {
            return static_cast<DWORD>(std::count_if(all.begin(), all.end(), isBurst)) == kCount;
        },
        kWaitMs));
    const DWORD sender = static_cast<DWORD>(fake.Probe(fp::kSenderThread));
    EXPECT_NE(sender, plat::GetCurrentThreadId());
    DWORD expected = 0;
    for (const auto& e : host.GetJournal().Snapshot()) {
        if (e.seq < from || !isBurst(e)) continue;
        EXPECT_EQ(e.p2, expected++);
        EXPECT_EQ(e.threadId, sender);
        EXPECT_EQ(e.deviceId, kLineBase);
        EXPECT_EQ(e.p1, DWORD_PTR(LINEDEVSTATE_OTHER));
    }
    EXPECT_TRUE(host.Faults().empty()) << host.FaultReport();
}

TEST(Host, EventsForLinesAndPhonesTheHostDoesNotKnowAreFlagged) {
    struct Case {
        const char* name;
        DWORD command;
        std::vector<FaultKind> faults;
    } cases[] = {
        {"a handle never given", fp::kForeignLine, {FaultKind::EventForUnknownLine}},
        {"a handle cut to 32 bits", fp::kTruncatedLine, {FaultKind::EventForUnknownLine}},
        {"the open phone", fp::kPhoneState, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHost fake;
        ASSERT_TRUE(fake.Ready()) << fake.Host().LastError();
        HDRVPHONE hdPhone = nullptr;
        ASSERT_EQ(fake.Host().PhoneOpen(kPhoneBase, &hdPhone), 0);
        const std::size_t from = fake.Host().GetJournal().Size();
        fake.Command(c.command);
        auto entry = fake.Host().GetJournal().WaitFor(
            [](const zavhost::JournalEntry& e) {
                return e.kind == EntryKind::LineEvent || e.kind == EntryKind::PhoneEvent;
            },
            0, from);
        ASSERT_TRUE(entry.has_value()) << "recorded even when wrong";
        EXPECT_EQ(fake.FaultKinds(), c.faults) << fake.Host().FaultReport();
        if (c.command == fp::kPhoneState) {
            EXPECT_EQ(entry->deviceId, kPhoneBase);
            EXPECT_EQ(entry->p1, DWORD_PTR(PHONESTATE_DISPLAY));
        }
        EXPECT_EQ(fake.Host().PhoneClose(hdPhone), 0);
    }
}

TEST(Host, AStructureWrittenPastItsTotalSizeIsFlagged) {
    for (DWORD overrun : {0u, 1u, 8u}) {
        SCOPED_TRACE(overrun);
        FakeHost fake;
        ASSERT_TRUE(fake.Ready()) << fake.Host().LastError();
        zavhost::TapiHost& host = fake.Host();
        HDRVCALL hdCall = nullptr;
        ASSERT_GT(host.LineMakeCall(fake.Line(), fp::kCompleteBeforeReturn, &hdCall), 0);
        fake.Command(fp::kCallInfoOverrun, overrun);
        zavhost::TapiBuffer info(sizeof(LINECALLINFO));
        EXPECT_EQ(host.LineGetCallInfo(hdCall, info), 0);
        EXPECT_EQ(info.Word(4), sizeof(LINECALLINFO) + overrun) << "dwNeededSize";
        EXPECT_EQ(fake.FaultKinds(),
                  overrun ? std::vector<FaultKind>{FaultKind::WroteBeyondTotalSize} : std::vector<FaultKind>{});
    }
}

TEST(Host, ThinLayerPairsTheCallsAFunctionCreates) {
    FakeHost fake;
    ASSERT_TRUE(fake.Ready()) << fake.Host().LastError();
    zavhost::TapiHost& host = fake.Host();
    HTAPICALL htCall = host.NewTapiCall(fake.Line());
    HDRVCALL hdCall = nullptr;
    LPLINECALLPARAMS params = nullptr;
    LONG result = host.Tspi().lineMakeCall(fake.Line(), htCall, &hdCall, reinterpret_cast<LPCWSTR>(u"pending"),
                                           DWORD(0), params);
    ASSERT_GT(result, 0);
    auto call = host.CallByTapi(htCall);
    ASSERT_TRUE(call.has_value());
    EXPECT_EQ(call->hdCall, hdCall);
    EXPECT_EQ(call->deviceId, kLineBase);
    auto requests = host.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().id, static_cast<DRV_REQUESTID>(result));
    EXPECT_EQ(requests.back().call, hdCall);
    EXPECT_EQ(requests.back().line, fake.Line());
    // Bound to the call it created, the pending request is lost with it.
    host.LineCloseCall(hdCall);
    EXPECT_EQ(fake.FaultKinds(), std::vector<FaultKind>{FaultKind::NeverCompleted});
}

}  // namespace
