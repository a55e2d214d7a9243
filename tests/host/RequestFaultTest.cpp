// The host's check of the asynchronous request protocol, against a fake
// provider whose TSPI_lineMakeCall treats its request as the number says.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/FakeHost.h"

namespace {

using hosttest::FakeHost;
using hosttest::kWaitMs;
using zavhost::FaultKind;
using zavhost::RequestState;
namespace fp = fakeprovider;

const zavhost::RequestRecord* Find(const std::vector<zavhost::RequestRecord>& all, DRV_REQUESTID id) {
    for (const auto& r : all)
        if (r.id == id) return &r;
    return nullptr;
}

TEST(RequestFaults, EachMisuseOfARequestIdIsFlaggedOnce) {
    struct Case {
        const char* number;
        LONG result;  // relative: 0 means the id itself
        std::vector<FaultKind> faults;
        RequestState state;  // after the call is closed
        DRV_REQUESTID faultOffset;  // the faulty id minus the issued one
    } cases[] = {
        {fp::kCompleteBeforeReturn, 0, {}, RequestState::Completed, 0},
        {fp::kCompleteFromThread, 0, {}, RequestState::Completed, 0},
        {fp::kCompleteTwice, 0, {FaultKind::CompletedTwice}, RequestState::Completed, 0},
        {fp::kCompleteUnknownId, 0, {FaultKind::CompletedUnknownRequest}, RequestState::Completed, 1000},
        {fp::kRefuse, static_cast<LONG>(LINEERR_CALLUNAVAIL), {}, RequestState::Refused, 0},
        {fp::kRefuseAfterCompleting, static_cast<LONG>(LINEERR_OPERATIONFAILED), {FaultKind::CompletedNotAccepted}, RequestState::Refused, 0},
        {fp::kSynchronous, 0, {}, RequestState::Synchronous, 0},
        {fp::kSynchronousAfterCompleting, 0, {FaultKind::CompletedNotAccepted}, RequestState::Synchronous, 0},
        {fp::kNeverComplete, 0, {FaultKind::NeverCompleted}, RequestState::Lost, 0},
        {fp::kCompleteOnClose, 0, {}, RequestState::Completed, 0},
        {fp::kReturnOtherId, 0, {FaultKind::WrongRequestIdReturned}, RequestState::Refused, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        FakeHost fake;
        ASSERT_TRUE(fake.Ready()) << fake.Host().LastError();
        zavhost::TapiHost& host = fake.Host();

        HDRVCALL hdCall = nullptr;
        LONG result = host.LineMakeCall(fake.Line(), c.number, &hdCall);
        DRV_REQUESTID id = host.LastRequestId();
        const std::string number = c.number;
        LONG expected = c.result ? c.result : static_cast<LONG>(id);
        if (number == fp::kSynchronous || number == fp::kSynchronousAfterCompleting) expected = 0;
        if (number == fp::kReturnOtherId) expected = static_cast<LONG>(id + 1);
        EXPECT_EQ(result, expected);
        if (number == fp::kCompleteFromThread) {
            ASSERT_TRUE(host.GetJournal().WaitFor(
                [id](const zavhost::JournalEntry& e) {
                    return e.kind == zavhost::EntryKind::Completion && e.requestId == id;
                },
                kWaitMs));
        }
        if (hdCall) {
            EXPECT_EQ(host.LineCloseCall(hdCall), 0);
        }

        EXPECT_EQ(fake.FaultKinds(), c.faults) << host.FaultReport();
        for (const zavhost::HostFault& fault : host.Faults()) EXPECT_EQ(fault.requestId, id + c.faultOffset);
        const auto requests = host.Requests();
        const zavhost::RequestRecord* record = Find(requests, id);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->function, "TSPI_lineMakeCall");
        EXPECT_EQ(record->state, c.state) << zavhost::RequestStateName(record->state);
        if (number == fp::kCompleteOnClose) {
            EXPECT_EQ(record->result, static_cast<LONG>(LINEERR_OPERATIONFAILED));
        }
        if (result < 0) {
            auto call = host.CallByTapi(host.Calls().back().htCall);
            ASSERT_TRUE(call.has_value());
            EXPECT_TRUE(call->closed) << "a refused call stays known to the host";
        }
    }
}

TEST(RequestFaults, APendingRequestIsLostWhenItsCallLineOrProviderCloses) {
    enum Closer { kCloseCall, kCloseLine, kShutdown };
    struct Case {
        Closer closer;
        const char* detail;
    } cases[] = {
        {kCloseCall, "its call was closed"},
        {kCloseLine, "its line was closed"},
        {kShutdown, "the provider was shut down"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.detail);
        FakeHost fake;
        ASSERT_TRUE(fake.Ready()) << fake.Host().LastError();
        zavhost::TapiHost& host = fake.Host();
        HDRVCALL hdCall = nullptr;
        ASSERT_GT(host.LineMakeCall(fake.Line(), fp::kNeverComplete, &hdCall), 0);
        DRV_REQUESTID id = host.LastRequestId();
        EXPECT_TRUE(host.Faults().empty()) << "pending is no fault while the call lives";

        switch (c.closer) {
            case kCloseCall: host.LineCloseCall(hdCall); break;
            case kCloseLine: host.LineClose(fake.Line()); break;
            case kShutdown: host.ProviderShutdown(); break;
        }
        auto faults = host.Faults();
        ASSERT_EQ(faults.size(), 1u) << host.FaultReport();
        EXPECT_EQ(faults[0].kind, FaultKind::NeverCompleted);
        EXPECT_EQ(faults[0].requestId, id);
        EXPECT_NE(faults[0].detail.find(c.detail), std::string::npos) << faults[0].detail;
    }
}

TEST(RequestFaults, ACompletionAfterTheRequestWasReportedLostIsItsOwnFault) {
    FakeHost fake;
    ASSERT_TRUE(fake.Ready()) << fake.Host().LastError();
    zavhost::TapiHost& host = fake.Host();
    HDRVCALL hdCall = nullptr;
    ASSERT_GT(host.LineMakeCall(fake.Line(), fp::kNeverComplete, &hdCall), 0);
    DRV_REQUESTID id = host.LastRequestId();
    host.LineCloseCall(hdCall);
    fake.Command(fp::kComplete, id, 0);
    EXPECT_EQ(fake.FaultKinds(), (std::vector<FaultKind>{FaultKind::NeverCompleted, FaultKind::CompletedAfterClose}))
        << host.FaultReport();
}

}  // namespace
