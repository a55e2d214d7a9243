// Opening, closing and configuring lines through the provider's exports, as
// the telephony service calls them, with the simulated switch behind.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "integration/ServiceFixture.h"

namespace {

using zavtest::kLineBase;

class LineFunctions : public zavtest::ServiceTest {};

TEST_F(LineFunctions, OpenRefusals) {
    auto& tspi = Host().Tspi();
    HDRVLINE hd = nullptr;
    HTAPILINE ht = reinterpret_cast<HTAPILINE>(uintptr_t{0x123});
    struct Case {
        DWORD device, version;
        DWORD result;
    } cases[] = {
        {kLineBase - 1, 0x00020001, LINEERR_NODRIVER},
        {kLineBase + 2, 0x00020001, LINEERR_NODRIVER},
        {kLineBase, 0x00020000, LINEERR_INCOMPATIBLEAPIVERSION},
    };
    for (const Case& c : cases)
        EXPECT_EQ(static_cast<DWORD>(tspi.lineOpen(c.device, ht, &hd, c.version, zavhost::TapiHost::LineEventProc)),
                  c.result)
            << c.device;
    EXPECT_EQ(static_cast<DWORD>(tspi.lineOpen(kLineBase, ht, nullptr, 0x00020001, zavhost::TapiHost::LineEventProc)),
              static_cast<DWORD>(LINEERR_INVALPOINTER));
    ASSERT_EQ(Host().LineOpen(kLineBase, &hd), 0);
    HDRVLINE again = nullptr;
    EXPECT_EQ(static_cast<DWORD>(Host().LineOpen(kLineBase, &again)), static_cast<DWORD>(LINEERR_REINIT));
    EXPECT_EQ(Host().LineClose(hd), 0);
    EXPECT_EQ(static_cast<DWORD>(Host().LineClose(hd)), static_cast<DWORD>(LINEERR_INVALLINEHANDLE));
}

TEST_F(LineFunctions, RejectedRegistrationLeavesTheLineOpenForTheClose) {
    AddAccount("201", "another password", 1);
    HDRVLINE hd = nullptr;
    EXPECT_EQ(static_cast<DWORD>(Host().LineOpen(kLineBase, &hd)), static_cast<DWORD>(LINEERR_OPERATIONFAILED));
    HDRVLINE again = nullptr;
    EXPECT_EQ(static_cast<DWORD>(Host().LineOpen(kLineBase, &again)), static_cast<DWORD>(LINEERR_REINIT))
        << "the failed open still activated the line";
    EXPECT_EQ(Host().Tspi().lineClose(reinterpret_cast<HDRVLINE>(uintptr_t{0xE0E00000})), 0);
    EXPECT_EQ(m_sim.EndPointCount(nullptr), 0) << "closing took the link down";
}

TEST_F(LineFunctions, ShutdownFromTheSwitchReportsReinitWhenTheMaskAsks) {
    HDRVLINE hd201 = nullptr, hd202 = nullptr;
    ASSERT_EQ(Host().LineOpen(kLineBase, &hd201), 0);
    ASSERT_EQ(Host().LineOpen(kLineBase + 1, &hd202), 0);
    ASSERT_EQ(Host().LineSetStatusMessages(hd202, LINEDEVSTATE_RINGING, 0), 0);  // no REINIT on 202
    ASSERT_EQ(m_sim.InjectShutdown("201", 0), 0);
    ASSERT_EQ(m_sim.InjectShutdown("202", 0), 0);
    // Messages are handled in order: once the owner names have changed, the
    // shutdowns before them have been handled.
    ASSERT_EQ(m_sim.InjectPhoneQueryReply("201", "A"), 0);
    ASSERT_EQ(m_sim.InjectPhoneQueryReply("202", "B"), 0);
    ASSERT_TRUE(Host().GetJournal().WaitFor(
        [](const zavhost::JournalEntry& e) { return e.msg == LINE_LINEDEVSTATE && e.p1 == LINEDEVSTATE_REINIT; },
        5000, m_mark));
    EXPECT_EQ(Host().LineClose(hd201), 0);
    EXPECT_EQ(Host().LineClose(hd202), 0);
    auto events = LineEvents(LINE_LINEDEVSTATE);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].deviceId, kLineBase);
    EXPECT_EQ(events[0].p1, 0x00040000u);
    EXPECT_EQ(events[0].p2, 0u);
    EXPECT_EQ(events[0].p3, 0x80u);
}

TEST_F(LineFunctions, ServiceStatesStaySilentUntilEnabledAndAZeroMaskChangesNothing) {
    HDRVLINE hd = nullptr;
    ASSERT_EQ(Host().LineOpen(kLineBase, &hd), 0);
    EXPECT_TRUE(LineEvents(LINE_LINEDEVSTATE).empty()) << "in-service reported without being asked for";
    ASSERT_EQ(Host().LineSetStatusMessages(hd, LINEDEVSTATE_INSERVICE | LINEDEVSTATE_OUTOFSERVICE, 0), 0);
    ASSERT_EQ(Host().LineSetStatusMessages(hd, 0, 0), 0);
    ASSERT_EQ(Host().LineClose(hd), 0);
    ASSERT_EQ(Host().LineOpen(kLineBase, &hd), 0);
    ASSERT_EQ(Host().LineClose(hd), 0);
    auto events = LineEvents(LINE_LINEDEVSTATE);
    ASSERT_EQ(events.size(), 3u) << "the masks survive a close";
    EXPECT_EQ(events[0].p1, static_cast<DWORD_PTR>(LINEDEVSTATE_OUTOFSERVICE));
    EXPECT_EQ(events[1].p1, static_cast<DWORD_PTR>(LINEDEVSTATE_INSERVICE));
    EXPECT_EQ(events[2].p1, static_cast<DWORD_PTR>(LINEDEVSTATE_OUTOFSERVICE));
}

TEST_F(LineFunctions, VersionNegotiation) {
    auto& tspi = Host().Tspi();
    struct Case {
        DWORD device, low, high, result;
    } tspiCases[] = {
        {INITIALIZE_NEGOTIATION, 0x00010003, 0x00030000, 0},
        {INITIALIZE_NEGOTIATION, 0x00010000, 0x00020000, LINEERR_INCOMPATIBLEAPIVERSION},
        {INITIALIZE_NEGOTIATION, 0x00020001, 0x00020001, 0},
        {INITIALIZE_NEGOTIATION, 0x00020002, 0x00030000, LINEERR_INCOMPATIBLEAPIVERSION},
        {kLineBase + 1, 0x00020000, 0x00020001, 0},
        {kLineBase + 2, 0x00020000, 0x00020001, LINEERR_BADDEVICEID},
    };
    for (const Case& c : tspiCases) {
        DWORD version = 0;
        EXPECT_EQ(static_cast<DWORD>(tspi.lineNegotiateTSPIVersion(c.device, c.low, c.high, &version)), c.result)
            << std::hex << c.low << "-" << c.high;
        if (c.result != LINEERR_BADDEVICEID) {
            EXPECT_EQ(version, 0x00020001u) << "written also on failure";
        }
    }
    struct ExtCase {
        DWORD low, high, result;
    } extCases[] = {
        {0x00010000, 0x00010000, 0},
        {0x00000001, 0x00020000, 0},
        {0x00020000, 0x00030000, LINEERR_INCOMPATIBLEAPIVERSION},
    };
    for (const ExtCase& c : extCases) {
        DWORD version = 0;
        EXPECT_EQ(static_cast<DWORD>(tspi.lineNegotiateExtVersion(kLineBase, 0x00020001, c.low, c.high, &version)),
                  c.result);
        EXPECT_EQ(version, 0x00010000u);
    }
}

TEST_F(LineFunctions, MediaDetectionAndTheModemEmulation) {
    HDRVLINE hd = nullptr;
    ASSERT_EQ(Host().LineOpen(kLineBase, &hd), 0);
    struct Case {
        DWORD emulate, modes, result;
    } cases[] = {
        {0, LINEMEDIAMODE_INTERACTIVEVOICE, 0},
        {0, 0, 0},
        {0, LINEMEDIAMODE_DATAMODEM, LINEERR_INVALMEDIAMODE},
        {1, LINEMEDIAMODE_DATAMODEM, 0},
        {1, LINEMEDIAMODE_DATAMODEM | LINEMEDIAMODE_INTERACTIVEVOICE, LINEERR_INVALMEDIAMODE},
    };
    for (const Case& c : cases) {
        HKEY key;
        ASSERT_EQ(plat::CreateRegKey(HKEY_LOCAL_MACHINE, zavtest::kProviderKey, KEY_ALL_ACCESS, &key, nullptr), 0);
        plat::SetRegDword(key, "EmulateModem", c.emulate);
        plat::CloseRegKey(key);
        EXPECT_EQ(static_cast<DWORD>(Host().LineSetDefaultMediaDetection(hd, c.modes)), c.result)
            << c.emulate << " " << std::hex << c.modes;
    }
    auto& tspi = Host().Tspi();
    EXPECT_EQ(static_cast<DWORD>(tspi.lineConditionalMediaDetection(hd, 0, nullptr)),
              static_cast<DWORD>(LINEERR_INVALMEDIAMODE));
    EXPECT_EQ(static_cast<DWORD>(tspi.lineConditionalMediaDetection(hd, LINEMEDIAMODE_DATAMODEM, nullptr)),
              static_cast<DWORD>(LINEERR_OPERATIONUNAVAIL));
    EXPECT_EQ(tspi.lineConditionalMediaDetection(hd, LINEMEDIAMODE_AUTOMATEDVOICE, nullptr), 0);
    ASSERT_EQ(Host().LineClose(hd), 0);
}

TEST_F(LineFunctions, DeviceSpecificDisplaySerialNumberAndLamp) {
    HDRVLINE hd = nullptr;
    ASSERT_EQ(Host().LineOpen(kLineBase, &hd), 0);
    m_sim.ClearLog("201");

    unsigned char block[24];
    std::memset(block, 0xEE, sizeof block);
    DWORD type = 1;
    std::memcpy(block + 4, &type, 4);
    std::memcpy(block + 8, "ABCDEFGHIJKL", 12);  // and 0xEE bytes after it
    EXPECT_EQ(Host().LineDevSpecific(hd, 0, nullptr, block, sizeof block), 0);

    type = 2;
    std::memcpy(block + 4, &type, 4);
    EXPECT_EQ(Host().LineDevSpecific(hd, 0, nullptr, block, sizeof block), 0);
    DWORD serial = 0;
    std::memcpy(&serial, block + 8, 4);
    EXPECT_EQ(serial, 90210u);

    type = 3;  // unknown requests leave the block alone
    std::memcpy(block + 4, &type, 4);
    unsigned char copy[24];
    std::memcpy(copy, block, sizeof copy);
    EXPECT_EQ(Host().LineDevSpecific(hd, 0, nullptr, block, sizeof block), 0);
    EXPECT_EQ(std::memcmp(copy, block, sizeof copy), 0);

    EXPECT_EQ(Host().LineSetLineDevStatus(hd, LINEDEVSTATUSFLAGS_MSGWAIT, 1), 0);
    EXPECT_EQ(Host().LineSetLineDevStatus(hd, LINEDEVSTATUSFLAGS_MSGWAIT, 0), 0);
    EXPECT_EQ(static_cast<DWORD>(Host().LineSetLineDevStatus(hd, LINEDEVSTATUSFLAGS_INSERVICE, 1)),
              static_cast<DWORD>(LINEERR_OPERATIONFAILED));
    EXPECT_EQ(m_sim.ReadLog("201"), "SetLCDDisplay text=ABCDEFGHIJKL\nSetMWI state=1\nSetMWI state=0\n");
    ASSERT_EQ(Host().LineClose(hd), 0);
}

TEST_F(LineFunctions, BadHandlesAndPointersAreRefusedNotCrashed) {
    auto& tspi = Host().Tspi();
    HDRVLINE bad = reinterpret_cast<HDRVLINE>(uintptr_t{0xE0E00005});
    HDRVCALL badCall = reinterpret_cast<HDRVCALL>(uintptr_t{0xE0000001});
    unsigned char block[24] = {};
    struct Case {
        const char* name;
        LONG result;
        DWORD expected;
    } cases[] = {
        {"lineClose", tspi.lineClose(bad), LINEERR_INVALLINEHANDLE},
        {"lineSetStatusMessages", tspi.lineSetStatusMessages(bad, 1, 1), LINEERR_INVALLINEHANDLE},
        {"lineSetDefaultMediaDetection", tspi.lineSetDefaultMediaDetection(bad, 4), LINEERR_INVALLINEHANDLE},
        {"lineConditionalMediaDetection", tspi.lineConditionalMediaDetection(bad, 4, nullptr),
         LINEERR_INVALLINEHANDLE},
        {"lineSetMediaMode", tspi.lineSetMediaMode(badCall, 4), LINEERR_INVALCALLHANDLE},
        {"lineSetLineDevStatus", Host().LineSetLineDevStatus(bad, LINEDEVSTATUSFLAGS_MSGWAIT, 1),
         LINEERR_INVALLINEHANDLE},
        {"lineDevSpecific", Host().LineDevSpecific(bad, 0, nullptr, block, sizeof block), LINEERR_INVALLINEHANDLE},
        {"lineNegotiateTSPIVersion", tspi.lineNegotiateTSPIVersion(INITIALIZE_NEGOTIATION, 0, 0x00030000, nullptr),
         LINEERR_INVALPOINTER},
        {"lineNegotiateExtVersion", tspi.lineNegotiateExtVersion(kLineBase, 0x00020001, 0, 0x00010000, nullptr),
         LINEERR_INVALPOINTER},
        {"lineSelectExtVersion", tspi.lineSelectExtVersion(bad, 0), LINEERR_OPERATIONUNAVAIL},
        {"lineSetCurrentLocation", tspi.lineSetCurrentLocation(0), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(static_cast<DWORD>(c.result), c.expected) << c.name;

    HDRVLINE hd = nullptr;
    ASSERT_EQ(Host().LineOpen(kLineBase, &hd), 0);
    struct OpenCase {
        const char* name;
        LONG result;
        DWORD expected;
    } openCases[] = {
        {"lineDevSpecific address 1", Host().LineDevSpecific(hd, 1, nullptr, block, sizeof block),
         LINEERR_INVALADDRESSID},
        {"lineDevSpecific null block", Host().LineDevSpecific(hd, 0, nullptr, nullptr, 0), LINEERR_INVALPOINTER},
        {"lineDevSpecific short block", Host().LineDevSpecific(hd, 0, nullptr, block, 4), LINEERR_STRUCTURETOOSMALL},
    };
    for (const OpenCase& c : openCases) EXPECT_EQ(static_cast<DWORD>(c.result), c.expected) << c.name;
    ASSERT_EQ(Host().LineClose(hd), 0);
}

TEST(LineFunctionsWithoutSession, RefuseAsUninitialised) {
    auto& tspi = zavtest::ServiceEnvironment::s_host->Tspi();
    HDRVLINE hd = reinterpret_cast<HDRVLINE>(uintptr_t{0xE0E00000});
    HDRVLINE out = nullptr;
    struct Case {
        const char* name;
        LONG result;
    } cases[] = {
        {"lineOpen", tspi.lineOpen(0, nullptr, &out, 0x00020001, zavhost::TapiHost::LineEventProc)},
        {"lineClose", tspi.lineClose(hd)},
        {"lineSetStatusMessages", tspi.lineSetStatusMessages(hd, 1, 1)},
        {"lineSetDefaultMediaDetection", tspi.lineSetDefaultMediaDetection(hd, 4)},
        {"lineSetMediaMode", tspi.lineSetMediaMode(reinterpret_cast<HDRVCALL>(uintptr_t{0xE0000000}), 4)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(static_cast<DWORD>(c.result), static_cast<DWORD>(LINEERR_UNINITIALIZED)) << c.name;
    EXPECT_EQ(out, nullptr);
}

}  // namespace
