// The host's audit against a fake provider that misbehaves on request: every
// kind of fault the provider integration tests rely on it to catch is caught,
// and well-behaved use raises none.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/FakeHost.h"

namespace {

using hosttest::FakeHost;
using zavhost::FaultKind;
namespace fp = fakeprovider;

TEST(Audit, EachMisuseOfARequestIsFlagged) {
    enum After { kCloseCall, kCloseLine, kShutdown, kCloseCallThenComplete };
    struct Case {
        const char* number;
        After after;
        std::vector<FaultKind> faults;
    } cases[] = {
        {fp::kCompleteBeforeReturn, kCloseCall, {}},
        {fp::kCompleteTwice, kCloseCall, {FaultKind::CompletedTwice}},
        {fp::kCompleteUnknownId, kCloseCall, {FaultKind::CompletedUnknownRequest}},
        {fp::kSynchronousAfterCompleting, kCloseCall, {FaultKind::CompletedNotAccepted}},
        {fp::kReturnOtherId, kCloseCall, {FaultKind::WrongRequestIdReturned}},
        {fp::kNeverComplete, kCloseCall, {FaultKind::NeverCompleted}},
        {fp::kNeverComplete, kCloseLine, {FaultKind::NeverCompleted}},
        {fp::kNeverComplete, kShutdown, {FaultKind::NeverCompleted}},
        {fp::kNeverComplete, kCloseCallThenComplete, {FaultKind::NeverCompleted, FaultKind::CompletedAfterClose}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.number << " " << c.after);
        FakeHost fake;
        ASSERT_TRUE(fake.Ready()) << fake.Host().LastError();
        zavhost::TapiHost& host = fake.Host();
        HDRVCALL hdCall = nullptr;
        host.LineMakeCall(fake.Line(), c.number, &hdCall);
        ASSERT_NE(hdCall, nullptr);
        const DRV_REQUESTID id = host.LastRequestId();
        if (std::string(c.number) == fp::kNeverComplete) {
            EXPECT_TRUE(host.Faults().empty()) << "pending is no fault while the call lives";
        }
        switch (c.after) {
            case kCloseCall: host.LineCloseCall(hdCall); break;
            case kCloseLine: host.LineClose(fake.Line()); break;
            case kShutdown: host.ProviderShutdown(); break;
            case kCloseCallThenComplete:
                host.LineCloseCall(hdCall);
                fake.Command(fp::kComplete, id);
                break;
        }
        EXPECT_EQ(fake.FaultKinds(), c.faults) << host.FaultReport();
    }
}

TEST(Audit, EventsForHandlesNotGivenAndWritesPastTheTotalSizeAreFlagged) {
    struct Case {
        const char* name;
        DWORD command, arg;
        std::vector<FaultKind> faults;
    } cases[] = {
        {"a line handle never given", fp::kBadLineHandle, 0, {FaultKind::EventForUnknownLine}},
        {"a line handle cut to 32 bits", fp::kBadLineHandle, 1, {FaultKind::EventForUnknownLine}},
        {"a structure filled to its total size", fp::kCallInfoOverrun, 0, {}},
        {"one byte past it", fp::kCallInfoOverrun, 1, {FaultKind::WroteBeyondTotalSize}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHost fake;
        ASSERT_TRUE(fake.Ready()) << fake.Host().LastError();
        zavhost::TapiHost& host = fake.Host();
        HDRVCALL hdCall = nullptr;
        ASSERT_GT(host.LineMakeCall(fake.Line(), fp::kCompleteBeforeReturn, &hdCall), 0);
        fake.Command(c.command, c.arg);
        zavhost::TapiBuffer info(sizeof(LINECALLINFO));
        EXPECT_EQ(host.LineGetCallInfo(hdCall, info), 0);
        EXPECT_EQ(fake.FaultKinds(), c.faults) << host.FaultReport();
    }
}

}  // namespace
