// Digits and tones on a call answered from outside: gathering ended every
// way it can end, monitoring, both sharing the switch's digit collection,
// generation, and a call closed while its timers run. Time-outs are the
// shortest TAPI allows and are asserted by the events they cause.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "integration/ServiceFixture.h"
#include "platform/Text.h"

namespace {

using zavhost::JournalEntry;
using zavtest::kLineBase;

constexpr DWORD kLong = 0x8000;  // a time-out no test waits for

class Digits : public zavtest::TwoLineTest {
protected:
    std::optional<JournalEntry> Next(DWORD msg, DWORD timeoutMs = 10000) {
        auto e = Host().GetJournal().WaitFor([&](const JournalEntry& j) { return j.msg == msg; }, timeoutMs, m_mark);
        if (e) m_mark = e->seq + 1;
        return e;
    }
    std::size_t Count(DWORD msg) const {
        std::size_t n = 0;
        for (const JournalEntry& e : Host().GetJournal().Snapshot())
            if (e.seq >= m_mark && e.msg == msg) ++n;
        return n;
    }
    LONG Gather(HDRVCALL call, WCHAR* buffer, DWORD size, const char* term, DWORD first, DWORD inter,
                DWORD modes = LINEDIGITMODE_DTMF) {
        const std::u16string t = plat::AnsiToWide(term ? term : "");
        return Host().Tspi().lineGatherDigits(call, 77, modes, buffer, size, term ? plat::WidePtr(t) : nullptr,
                                              first, inter);
    }
};

std::string Text(const WCHAR* buffer, std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n && buffer[i] != 0xCDCD; ++i) out += static_cast<char>(buffer[i]);
    return out;
}

TEST_F(Digits, GatheringEndsByDigitBufferTimeoutAndCancel) {
    HDRVCALL call = nullptr;
    int32_t id = 0;
    ASSERT_TRUE(AnsweredFromOutside(&call, &id));
    struct Case {
        const char* name;
        const char* term;
        DWORD size, first, inter;
        const char* typed;  // null: the test cancels
        DWORD reason;
        const char* gathered;
    } cases[] = {
        {"termination digit", "#", 4, kLong, kLong, "12#", LINEGATHERTERM_TERMDIGIT, "12#"},
        {"full buffer", nullptr, 3, kLong, kLong, "123", LINEGATHERTERM_BUFFERFULL, "123"},
        {"last digit that fits terminates", "3", 3, kLong, kLong, "123", LINEGATHERTERM_TERMDIGIT, "123"},
        {"no first digit", nullptr, 4, 100, kLong, "", LINEGATHERTERM_FIRSTTIMEOUT, ""},
        {"no second digit", nullptr, 4, kLong, 100, "1", LINEGATHERTERM_INTERTIMEOUT, "1"},
        {"cancelled", nullptr, 4, kLong, kLong, nullptr, LINEGATHERTERM_CANCEL, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<WCHAR> buffer(8, 0xCDCD);
        ASSERT_EQ(Gather(call, buffer.data(), c.size, c.term, c.first, c.inter), 0);
        if (c.typed) {
            ASSERT_EQ(m_sim.ExternalDigits(id, c.typed), 0);
        } else {
            WCHAR* none = nullptr;
            ASSERT_EQ(Gather(call, none, 0, nullptr, 0, 0), 0) << "no buffer cancels";
        }
        auto done = Next(LINE_GATHERDIGITS);
        ASSERT_TRUE(done);
        EXPECT_EQ(done->p1, c.reason);
        EXPECT_EQ(done->p2, 77u) << "the application's identifier";
        EXPECT_EQ(Text(buffer.data(), buffer.size()), c.gathered);
        EXPECT_EQ(buffer[c.size], 0xCDCD) << "nothing past the application's buffer";
    }
    WCHAR* none = nullptr;
    ASSERT_EQ(Gather(call, none, 0, nullptr, 0, 0), 0) << "cancelling with nothing to cancel";
    EXPECT_EQ(Count(LINE_GATHERDIGITS), 0u);
}

TEST_F(Digits, RefusalsComeInTheirDocumentedOrder) {
    HDRVCALL call = nullptr;
    int32_t id = 0;
    ASSERT_TRUE(AnsweredFromOutside(&call, &id));
    auto& tspi = Host().Tspi();
    const HDRVCALL bad = reinterpret_cast<HDRVCALL>(uintptr_t{0xE0000012});
    WCHAR buffer[8] = {};
    const std::u16string digits = plat::AnsiToWide("12"), tooLong(200, u'1');
    struct Case {
        const char* name;
        LONG result;
        DWORD expected;
    } cases[] = {
        {"gather, bad call", Gather(bad, buffer, 4, nullptr, 100, 100), LINEERR_INVALCALLHANDLE},
        {"gather, 99 ms", Gather(call, buffer, 4, nullptr, 99, 100), LINEERR_INVALTIMEOUT},
        {"gather, 32769 ms", Gather(call, buffer, 4, nullptr, 100, 32769), LINEERR_INVALTIMEOUT},
        {"gather, pulse too", Gather(call, buffer, 4, nullptr, 100, 100, LINEDIGITMODE_DTMF | LINEDIGITMODE_PULSE),
         LINEERR_INVALDIGITMODE},
        {"gather, no room", Gather(call, buffer, 0, nullptr, 100, 100), LINEERR_INVALPARAM},
        {"monitor, bad call", tspi.lineMonitorDigits(bad, LINEDIGITMODE_DTMF), LINEERR_INVALCALLHANDLE},
        {"monitor, pulse", tspi.lineMonitorDigits(call, LINEDIGITMODE_PULSE), LINEERR_INVALDIGITMODE},
        {"monitor, end only", tspi.lineMonitorDigits(call, LINEDIGITMODE_DTMFEND), 0},
        {"monitor, off", tspi.lineMonitorDigits(call, 0), 0},
        {"generate, bad call", tspi.lineGenerateDigits(bad, 1, LINEDIGITMODE_DTMF, plat::WidePtr(digits), 0),
         LINEERR_INVALCALLHANDLE},
        {"generate, cancel", tspi.lineGenerateDigits(call, 1, LINEDIGITMODE_DTMF, nullptr, 0),
         LINEERR_OPERATIONUNAVAIL},
        {"generate, pulse", tspi.lineGenerateDigits(call, 1, LINEDIGITMODE_PULSE, plat::WidePtr(digits), 0),
         LINEERR_INVALDIGITMODE},
        {"generate, too long", tspi.lineGenerateDigits(call, 1, LINEDIGITMODE_DTMF, plat::WidePtr(tooLong), 0),
         LINEERR_INVALDIGITS},
        {"tone, custom first", tspi.lineGenerateTone(bad, 1, LINETONEMODE_CUSTOM, 0, 0, nullptr),
         LINEERR_INVALCALLHANDLE},
        {"tone, custom", tspi.lineGenerateTone(call, 1, LINETONEMODE_CUSTOM, 0, 0, nullptr),
         LINEERR_OPERATIONUNAVAIL},
        {"tone, unknown", tspi.lineGenerateTone(call, 1, 0x20, 0, 0, nullptr), LINEERR_INVALTONEMODE},
        {"media", tspi.lineMonitorMedia(call, 0), LINEERR_OPERATIONUNAVAIL},
        {"tones", tspi.lineMonitorTones(call, 0, nullptr, 0), LINEERR_OPERATIONUNAVAIL},
        {"generate", tspi.lineGenerateDigits(call, 5, LINEDIGITMODE_DTMF, plat::WidePtr(digits), 0), 0},
        {"beep", tspi.lineGenerateTone(call, 6, LINETONEMODE_BEEP, 100, 0, nullptr), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(static_cast<DWORD>(c.result), c.expected) << c.name;
    // Each generation is reported done once, with its identifier, before
    // the function returned.
    auto digitsDone = Next(LINE_GENERATE, 0), toneDone = Next(LINE_GENERATE, 0);
    ASSERT_TRUE(digitsDone && toneDone);
    EXPECT_EQ(digitsDone->p1, static_cast<DWORD_PTR>(LINEGENERATETERM_DONE));
    EXPECT_EQ(digitsDone->p2, 5u);
    EXPECT_EQ(toneDone->p2, 6u);
    EXPECT_NE(m_sim.DescribeCalls().find("heard 12"), std::string::npos) << m_sim.DescribeCalls();
    // On hold: a gathering ends silently, generation is refused.
    ASSERT_GT(tspi.lineHold(call), 0);
    ASSERT_TRUE(Reaches(call, LINECALLSTATE_ONHOLD));
    ASSERT_EQ(Gather(call, buffer, 4, nullptr, kLong, kLong), 0);
    WCHAR* none = nullptr;
    ASSERT_EQ(Gather(call, none, 0, nullptr, 0, 0), 0);
    EXPECT_EQ(Count(LINE_GATHERDIGITS), 0u) << "a gathering that ends on hold is not reported";
    EXPECT_EQ(static_cast<DWORD>(tspi.lineGenerateDigits(call, 1, LINEDIGITMODE_DTMF, plat::WidePtr(digits), 0)),
              static_cast<DWORD>(LINEERR_INVALCALLSTATE));
}

// Monitoring reports each digit's beginning and end, and keeps the switch's
// digit collection on when a gathering beside it ends.
TEST_F(Digits, MonitoringSharesTheDigitCollectionWithGathering) {
    HDRVCALL call = nullptr;
    int32_t id = 0;
    ASSERT_TRUE(AnsweredFromOutside(&call, &id));
    ASSERT_EQ(Host().Tspi().lineMonitorDigits(call, LINEDIGITMODE_DTMF), 0);
    WCHAR buffer[4] = {};
    ASSERT_EQ(Gather(call, buffer, 1, nullptr, kLong, kLong), 0);
    const std::size_t typed = Host().GetJournal().Size();
    ASSERT_EQ(m_sim.ExternalDigits(id, "7"), 0);
    auto first = Next(LINE_MONITORDIGITS), end = Next(LINE_MONITORDIGITS);
    ASSERT_TRUE(first && end);
    EXPECT_EQ(first->p1, static_cast<DWORD_PTR>('7'));
    EXPECT_EQ(first->p2, static_cast<DWORD_PTR>(LINEDIGITMODE_DTMF));
    EXPECT_EQ(end->p2, static_cast<DWORD_PTR>(LINEDIGITMODE_DTMFEND));
    // The digit filled the buffer: the gathering ended, before the digit
    // was reported.
    auto gathered = Host().GetJournal().WaitFor([](const JournalEntry& e) { return e.msg == LINE_GATHERDIGITS; },
                                                0, typed);
    ASSERT_TRUE(gathered);
    EXPECT_LT(gathered->seq, first->seq);
    ASSERT_EQ(m_sim.ExternalDigits(id, "8"), 0);
    auto after = Next(LINE_MONITORDIGITS);
    ASSERT_TRUE(after) << "the gathering's end left the collection on for monitoring";
    EXPECT_EQ(after->p1, static_cast<DWORD_PTR>('8'));
}

// A call dropped and closed while a timer of each kind runs: the timer ends
// before the call goes (the sanitizer builds see any use after free).
TEST_F(Digits, ACallClosedWhileItsTimersRun) {
    for (const char* typed : {"", "1"}) {
        SCOPED_TRACE(*typed ? "inter-digit timer" : "first-digit timer");
        HDRVCALL call = nullptr;
        int32_t id = 0;
        ASSERT_TRUE(AnsweredFromOutside(&call, &id));
        WCHAR buffer[4] = {};
        ASSERT_EQ(Gather(call, buffer, 4, nullptr, kLong, kLong), 0);
        if (*typed) {
            ASSERT_EQ(m_sim.ExternalDigits(id, typed), 0);
        }
        ASSERT_EQ(Host().LineDrop(call), 0);
        ASSERT_TRUE(Reaches(call, LINECALLSTATE_IDLE));
        ASSERT_EQ(Host().LineCloseCall(call), 0);
    }
}

}  // namespace
