// Transfer, conference, park, pickup, redirect and forward as an
// application drives them through TAPI, with the switch's call model doing
// the operation: what both sides see, and every request completed exactly
// once (the host's audit, checked when each test ends).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/TapiBuffer.h"
#include "integration/ServiceFixture.h"
#include "platform/Text.h"
#include "platform/Thread.h"
#include "tapi/TapiSizes.h"

namespace {

using zavtest::kLineBase;

// A LINEFORWARDLIST as a TAPI 2.x application builds it: entries of six
// words, the destination text behind them.
class ForwardList {
public:
    ForwardList(DWORD mode, const char* dest, DWORD entries = 1) {
        const std::u16string text = plat::AnsiToWide(dest);
        const DWORD textOffset = 8 + entries * 24;
        const DWORD total = textOffset + static_cast<DWORD>((text.size() + 1) * 2);
        m_words.assign((total + 3) / 4, 0);
        m_words[0] = total;
        m_words[1] = entries;
        for (DWORD i = 0; i < entries; ++i) {
            DWORD* entry = &m_words[2 + i * 6];
            entry[0] = mode;
            entry[4] = static_cast<DWORD>(text.size() * 2);
            entry[5] = textOffset;
        }
        std::memcpy(reinterpret_cast<BYTE*>(m_words.data()) + textOffset, text.c_str(), (text.size() + 1) * 2);
    }
    LPLINEFORWARDLIST Get() { return reinterpret_cast<LPLINEFORWARDLIST>(m_words.data()); }

private:
    std::vector<DWORD> m_words;
};

class TransferPark : public zavtest::TwoLineTest {
protected:
    std::u16string W(const char* text) { return plat::AnsiToWide(text); }
};

// Each refusal in its documented order: the first failing check decides,
// and a refused request creates nothing and writes no handle.
TEST_F(TransferPark, ArgumentsAndStatesAreCheckedInTheirOrder) {
    HDRVCALL caller = nullptr, callee = nullptr;
    ASSERT_TRUE(Connect(&caller, &callee));
    auto& tspi = Host().Tspi();
    ASSERT_GT(tspi.lineHold(caller), 0);
    ASSERT_TRUE(Reaches(caller, LINECALLSTATE_ONHOLD));
    const HDRVCALL bad = reinterpret_cast<HDRVCALL>(uintptr_t{0xE0000012});
    const HDRVLINE badLine = reinterpret_cast<HDRVLINE>(uintptr_t{0xE0E00009});
    const HDRVLINE line = m_line[0];
    const HDRVCALL untouched = reinterpret_cast<HDRVCALL>(uintptr_t{0x5A5A});
    HDRVCALL out = untouched, out2 = untouched;
    const std::u16string empty = W(""), number = W("300"), orbit = W("700");
    auto w = [](const std::u16string& s) { return plat::WidePtr(s); };
    ForwardList two(LINEFORWARDMODE_UNCONDINTERNAL, "300", 2), uncond(LINEFORWARDMODE_UNCOND, "300");
    ForwardList fine(LINEFORWARDMODE_BUSY, "300");
    struct Case {
        const char* name;
        LONG result;
        DWORD expected;
    } cases[] = {
        {"setup transfer, bad call", tspi.lineSetupTransfer(bad, nullptr, &out, nullptr), LINEERR_INVALCALLHANDLE},
        {"setup transfer, held", tspi.lineSetupTransfer(caller, nullptr, &out, nullptr), LINEERR_INVALCALLSTATE},
        {"setup transfer, no out", tspi.lineSetupTransfer(callee, nullptr, nullptr, nullptr), LINEERR_INVALPOINTER},
        {"complete, bad call", tspi.lineCompleteTransfer(bad, callee, nullptr, nullptr, 1), LINEERR_INVALCALLHANDLE},
        {"complete, mode first", tspi.lineCompleteTransfer(caller, bad, nullptr, nullptr, LINETRANSFERMODE_CONFERENCE),
         LINEERR_INVALTRANSFERMODE},
        {"complete, bad consult", tspi.lineCompleteTransfer(caller, bad, nullptr, nullptr, 1), LINEERR_INVALCALLHANDLE},
        {"complete, other extension", tspi.lineCompleteTransfer(caller, callee, nullptr, nullptr, 1),
         LINEERR_INVALCALLHANDLE},
        {"complete, first not held", tspi.lineCompleteTransfer(callee, callee, nullptr, nullptr, 1),
         LINEERR_INVALCALLSTATE},
        {"blind, empty first", tspi.lineBlindTransfer(bad, w(empty), 0), LINEERR_INVALADDRESS},
        {"blind, bad call", tspi.lineBlindTransfer(bad, w(number), 0), LINEERR_INVALCALLHANDLE},
        {"blind, held", tspi.lineBlindTransfer(caller, w(number), 0), LINEERR_INVALCALLSTATE},
        {"conference, bad call", tspi.lineSetupConference(bad, nullptr, nullptr, &out, nullptr, &out2, 3, nullptr),
         LINEERR_INVALCALLHANDLE},
        {"conference, held", tspi.lineSetupConference(caller, nullptr, nullptr, &out, nullptr, &out2, 3, nullptr),
         LINEERR_INVALCALLSTATE},
        {"conference, no out", tspi.lineSetupConference(callee, nullptr, nullptr, nullptr, nullptr, &out2, 3, nullptr),
         LINEERR_INVALPOINTER},
        {"prepare, bad call", tspi.linePrepareAddToConference(bad, nullptr, &out, nullptr),
         LINEERR_INVALCONFCALLHANDLE},
        {"prepare, held", tspi.linePrepareAddToConference(caller, nullptr, &out, nullptr), LINEERR_INVALCALLSTATE},
        {"prepare, no out", tspi.linePrepareAddToConference(callee, nullptr, nullptr, nullptr), LINEERR_INVALPOINTER},
        {"add, bad call", tspi.lineAddToConference(bad, callee), LINEERR_INVALCALLHANDLE},
        {"add, conference not held", tspi.lineAddToConference(callee, callee), LINEERR_INVALCALLSTATE},
        {"add, consultation held", tspi.lineAddToConference(caller, caller), LINEERR_INVALCALLSTATE},
        {"remove, bad call", tspi.lineRemoveFromConference(bad), LINEERR_INVALCALLHANDLE},
        {"remove, no conference", tspi.lineRemoveFromConference(callee), 0},
        {"park, bad call", tspi.linePark(bad, LINEPARKMODE_DIRECTED, w(orbit), nullptr), LINEERR_INVALCALLHANDLE},
        {"park, held", tspi.linePark(caller, LINEPARKMODE_DIRECTED, w(orbit), nullptr), LINEERR_INVALCALLSTATE},
        {"park, nondirected", tspi.linePark(callee, LINEPARKMODE_NONDIRECTED, w(orbit), nullptr),
         LINEERR_OPERATIONUNAVAIL},
        {"park, no address", tspi.linePark(callee, LINEPARKMODE_DIRECTED, nullptr, nullptr), LINEERR_INVALADDRESS},
        {"unpark, empty", tspi.lineUnpark(line, 0, nullptr, &out, w(empty)), LINEERR_INVALADDRESS},
        {"unpark, bad line", tspi.lineUnpark(badLine, 0, nullptr, &out, w(orbit)), LINEERR_INVALLINEHANDLE},
        {"unpark, no out", tspi.lineUnpark(line, 0, nullptr, nullptr, w(orbit)), LINEERR_INVALPOINTER},
        {"pickup, empty number", tspi.linePickup(line, 0, nullptr, &out, w(empty), nullptr), LINEERR_INVALADDRESS},
        {"pickup, empty group", tspi.linePickup(line, 0, nullptr, &out, nullptr, w(empty)), LINEERR_INVALGROUPID},
        {"pickup, bad line", tspi.linePickup(badLine, 0, nullptr, &out, w(number), nullptr), LINEERR_INVALLINEHANDLE},
        {"pickup, no out", tspi.linePickup(line, 0, nullptr, nullptr, w(number), nullptr), LINEERR_INVALPOINTER},
        {"redirect, bad call", tspi.lineRedirect(bad, w(number), 0), LINEERR_INVALCALLHANDLE},
        {"redirect, connected", tspi.lineRedirect(callee, w(number), 0), LINEERR_INVALCALLSTATE},
        {"forward, bad line", tspi.lineForward(badLine, 0, 0, fine.Get(), 0, nullptr, nullptr, nullptr),
         LINEERR_INVALLINEHANDLE},
        {"forward, address", tspi.lineForward(line, 0, 1, fine.Get(), 0, nullptr, nullptr, nullptr),
         LINEERR_INVALADDRESSID},
        {"forward, no list", tspi.lineForward(line, 0, 0, nullptr, 0, nullptr, nullptr, nullptr),
         LINEERR_OPERATIONUNAVAIL},
        {"forward, two entries", tspi.lineForward(line, 0, 0, two.Get(), 0, nullptr, nullptr, nullptr),
         LINEERR_OPERATIONUNAVAIL},
        {"forward, unconditional", tspi.lineForward(line, 0, 0, uncond.Get(), 0, nullptr, nullptr, nullptr),
         LINEERR_INVALPARAM},
    };
    for (const Case& c : cases) EXPECT_EQ(static_cast<DWORD>(c.result), c.expected) << c.name;
    EXPECT_EQ(out, untouched) << "a refused request writes no handle";
    EXPECT_EQ(out2, untouched);
}

}  // namespace

namespace {

class UnparkSilentSwitch : public zavtest::ServiceTest {};

// The switch never answers the off-hook (its call model is off): unpark
// gives up after its second of waiting for the leg and leaves no call
// behind, the line's status counts none.
TEST_F(UnparkSilentSwitch, GivesUpAndLeavesNoCall) {
    HDRVLINE line = nullptr;
    ASSERT_EQ(Host().LineOpen(kLineBase, &line), 0);
    const std::u16string orbit = plat::AnsiToWide("700");
    HDRVCALL call = nullptr;
    const DWORD started = plat::GetTickCount();
    EXPECT_EQ(static_cast<DWORD>(Host().Tspi().lineUnpark(line, 0, Host().NewTapiCall(line), &call,
                                                          plat::WidePtr(orbit))),
              static_cast<DWORD>(LINEERR_RESOURCEUNAVAIL));
    EXPECT_GE(plat::GetTickCount() - started, 1000u) << "it waited its second";
    zavhost::TapiBuffer status(tapi::kLineDevStatusSize20);
    ASSERT_EQ(Host().LineGetLineDevStatus(line, status), 0);
    EXPECT_EQ(status.As<LINEDEVSTATUS>()->dwNumActiveCalls, 0u);
    EXPECT_NE(m_sim.ReadLog("201").find("OffHook"), std::string::npos) << m_sim.ReadLog("201");
    EXPECT_EQ(m_sim.ReadLog("201").find("UnPark"), std::string::npos) << "no unpark without a leg";
    Host().LineClose(line);
}

}  // namespace
