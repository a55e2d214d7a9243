// The session's device ids, handle translation and object graph, on a real
// registry configuration.
#include <gtest/gtest.h>

#include <atomic>
#include <new>

#include "callctrl/ZavCall.h"
#include "callctrl/ZavCallHub.h"
#include "provider/ZavSession.h"
#include "support/PhoneConfig.h"
#include "support/TempRegistry.h"
#include "switchlink/ZavPhone.h"
#include "tsp/ZavAddress.h"
#include "tsp/ZavLine.h"

// Allocation failure on demand: the session builds its objects with
// nothrow new and must survive it failing anywhere.
namespace {
std::atomic<std::size_t> g_failSize{0};
std::atomic<int> g_failCountdown{0};
}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (size == g_failSize.load() && g_failCountdown.fetch_sub(1) == 1) {
        g_failSize = 0;
        return nullptr;
    }
    // Through the ordinary operator new, so that the ordinary delete (and a
    // sanitizer's bookkeeping) matches.
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}

namespace {

// The `nth` nothrow allocation of `size` bytes from now on fails.
void FailAllocation(std::size_t size, int nth) {
    g_failCountdown = nth;
    g_failSize = size;
}

HDRVLINE Line(DWORD h) { return reinterpret_cast<HDRVLINE>(static_cast<uintptr_t>(h)); }
HDRVPHONE Phone(DWORD h) { return reinterpret_cast<HDRVPHONE>(static_cast<uintptr_t>(h)); }
HDRVCALL Call(DWORD h) { return reinterpret_cast<HDRVCALL>(static_cast<uintptr_t>(h)); }
DWORD Bits(const void* h) { return static_cast<DWORD>(reinterpret_cast<uintptr_t>(h)); }

class Session : public ::testing::Test {
protected:
    zavtest::TempRegistry m_registry;
};

TEST_F(Session, LineDeviceIdsAndHandlesOnTwoTelephones) {
    zavtest::ConfigurePhones({"201", "202"});
    ZavSession s(0x00020001, 7, 10, 4, 2, 2, nullptr);
    ASSERT_EQ(s.Init(), 0);
    EXPECT_EQ(s.ToDeviceId(0), 10u);
    EXPECT_EQ(s.ToDeviceId(1), 11u);
    struct {
        DWORD id;
        bool valid;
    } ids[] = {{9, false}, {10, true}, {11, true}, {12, false}};
    for (auto c : ids) EXPECT_EQ(s.IsValidLineDeviceId(c.id), c.valid) << c.id;
    EXPECT_TRUE(s.IsValidPhoneDeviceId(5));
    EXPECT_FALSE(s.IsValidPhoneDeviceId(6));

    ZavLine* line1 = ZavLine::m_LineVect.at(1);
    ASSERT_NE(line1, nullptr);
    EXPECT_EQ(Bits(line1->ToLineHandle()), 0xE0E00001u);
    EXPECT_EQ(s.ToLinePointer(Line(0xE0E00001)), line1);
    EXPECT_EQ(s.ToLinePointer(Line(0xE0E00002)), nullptr);
    EXPECT_EQ(s.ToLinePointer(Line(0xE0E10001)), nullptr);
    EXPECT_EQ(line1->GetAddrPointer()->GetAddress(), "202");

    ZavPhone* phone0 = s.ToPhonePointer(Phone(0xC0C00000));
    ASSERT_NE(phone0, nullptr);
    EXPECT_EQ(phone0->GetExtension(), "201");
    EXPECT_EQ(s.ToPhonePointer(Phone(0xC0C00002)), nullptr);
    EXPECT_EQ(s.ToPhonePointer(Phone(0xC1C00000)), nullptr);
}

TEST_F(Session, ObjectGraphIsAssociatedBothWays) {
    zavtest::ConfigurePhones({"201"});
    ZavSession s(0x00020001, 7, 0, 4, 1, 1, nullptr);
    ASSERT_EQ(s.Init(), 0);
    ZavLine* line = ZavLine::m_LineVect.at(0);
    ZavAddress* addr = line->GetAddrPointer();
    ZavCallHub* hub = addr->GetCallHubPointer();
    ZavPhone* phone = ZavPhone::m_PhoneVect.at(0);
    ASSERT_TRUE(addr && hub && phone);
    EXPECT_EQ(addr->GetLinePointer(), line);
    EXPECT_EQ(hub->GetAddrPointer(), addr);
    EXPECT_EQ(hub->GetLinePointer(), line);
    EXPECT_EQ(hub->GetPhonePointer(), phone);
    EXPECT_EQ(phone->GetCallHubPointer(), hub);
    EXPECT_EQ(Bits(phone->ToPhoneHandle()), 0xC0C00000u);
    EXPECT_EQ(hub->MaxNumCalls(), 19u);
    EXPECT_TRUE(addr->IsPrimary());
}

TEST_F(Session, ShutdownEmptiesTheRegistriesAndNeverInitialisedDeletesNothing) {
    zavtest::ConfigurePhones({"201", "202"});
    {
        ZavSession s(0x00020001, 7, 0, 0, 2, 2, nullptr);
        EXPECT_EQ(s.Shutdown(), 0);
        ASSERT_EQ(s.Init(), 0);
        EXPECT_EQ(ZavPhone::NumActivePhones(), 2u);
        EXPECT_EQ(s.Shutdown(), 0);
        EXPECT_EQ(ZavLine::m_LineVect.raw(0), nullptr);
        EXPECT_EQ(ZavPhone::m_PhoneVect.raw(1), nullptr);
        EXPECT_EQ(ZavPhone::NumActivePhones(), 0u);
    }
    ZavSession noLines(0x00020001, 7, 0, 0, 0, 0, nullptr);
    EXPECT_EQ(static_cast<DWORD>(noLines.Init()), 0x80000048u);
}

TEST_F(Session, CallHandleTranslationStopsAtTheFirstBadPart) {
    zavtest::ConfigurePhones({"201", "202"});
    ZavSession s(0x00020001, 7, 0, 0, 2, 2, nullptr);
    ASSERT_EQ(s.Init(), 0);
    ZavLine* line1 = ZavLine::m_LineVect.at(1);

    ZavCall call;
    call.SetId(5);
    call.SetCallHubPointer(line1->GetAddrPointer()->GetCallHubPointer());
    EXPECT_EQ(Bits(call.ToCallHandle()), 0xE0010005u);
    EXPECT_EQ(ZavCall::CallHandleToId(Call(0xE0010005)), 5);
    EXPECT_EQ(ZavCall::CallHandleToId(Call(0xD0010005)), -1);

    struct Case {
        DWORD handle;
        bool lineFound, addrFound;
    } cases[] = {
        {0xE0010005, true, true},   // free slot: no call
        {0xE0011005, true, false},  // address id 1
        {0xE0010013, true, true},   // call id 19: past the hub's 19 slots
        {0xE0020005, false, false}, // line 2 of 2
        {0x70010005, false, false}, // not a call handle
    };
    for (const Case& c : cases) {
        ZavLine* l = nullptr;
        ZavAddress* a = nullptr;
        ZavCall* found = reinterpret_cast<ZavCall*>(1);
        EXPECT_FALSE(s.CallHandleToPointers(Call(c.handle), &l, &a, &found)) << std::hex << c.handle;
        EXPECT_EQ(l != nullptr, c.lineFound) << std::hex << c.handle;
        EXPECT_EQ(a != nullptr, c.addrFound) << std::hex << c.handle;
        EXPECT_EQ(found, nullptr);
        EXPECT_EQ(s.ToCallPointer(Call(c.handle)), nullptr);
        EXPECT_EQ(s.ToDeleteCallPointer(Call(c.handle)), nullptr);
    }
}

TEST_F(Session, UnequalDeviceCountsLeaveNoObjectBehind) {
    zavtest::ConfigurePhones({"201", "202", "203"});
    struct Case {
        DWORD lines, phones;
    } cases[] = {{2, 3}, {3, 2}};
    for (const Case& c : cases) {
        {
            ZavSession s(0x00020001, 7, 0, 0, c.lines, c.phones, nullptr);
            ASSERT_EQ(s.Init(), 0);
            EXPECT_EQ(s.ToLinePointer(reinterpret_cast<HDRVLINE>(uintptr_t{0xE0E00002})) != nullptr,
                      c.lines == 3 && c.phones == 3);
        }
        EXPECT_EQ(ZavPhone::NumActivePhones(), 0u) << c.lines << "/" << c.phones;
        for (DWORD i = 0; i < 3; ++i) EXPECT_EQ(ZavLine::m_LineVect.raw(i), nullptr) << i;
    }
}

TEST_F(Session, FailedBuildsLeaveNoObjectBehind) {
    zavtest::ConfigurePhones({"201", "202", "203", "204"}, 2);
    {
        // The third telephone's phone object cannot be made: its line,
        // address and hub go at once, the first two telephones with the
        // session that failed to initialise.
        ZavSession s(0x00020001, 7, 0, 0, 3, 3, nullptr);
        FailAllocation(sizeof(ZavPhone), 3);
        EXPECT_EQ(static_cast<DWORD>(s.Init()), 0x80000044u);
        EXPECT_NE(ZavPhone::m_PhoneVect.raw(1), nullptr);
        EXPECT_EQ(ZavLine::m_LineVect.raw(2), nullptr);
    }
    EXPECT_EQ(ZavPhone::NumActivePhones(), 0u);
    EXPECT_EQ(ZavLine::m_LineVect.raw(0), nullptr);
    {
        // A failed addition leaves a telephone without objects; one added
        // after it must still be freed at shut-down.
        ZavSession s(0x00020001, 7, 0, 0, 2, 2, nullptr);
        ASSERT_EQ(s.Init(), 0);
        FailAllocation(sizeof(ZavPhone), 1);
        EXPECT_EQ(static_cast<DWORD>(s.AddNewLine()), 0x80000044u);
        EXPECT_EQ(s.GetNumPhones(), 3u);
        ASSERT_EQ(s.AddNewLine(), 0);
        EXPECT_EQ(ZavPhone::NumActivePhones(), 3u);
    }
    EXPECT_EQ(ZavPhone::NumActivePhones(), 0u);
    for (DWORD i = 0; i < 4; ++i) EXPECT_EQ(ZavLine::m_LineVect.raw(i), nullptr) << i;
}

TEST_F(Session, TemporaryIdOfAnAddedLine) {
    zavtest::ConfigurePhones({"201", "202", "203"}, 2);
    ZavSession s(0x00020001, 7, 0, 4, 2, 2, nullptr);
    ASSERT_EQ(s.Init(), 0);
    EXPECT_EQ(s.GetTempId(), 7u);
    EXPECT_FALSE(s.IsValidTempId(8));
    EXPECT_TRUE(s.IsValidTempId(7));
    EXPECT_EQ(s.NotifyLineCreate(), -1) << "no open line to announce it through";
    ASSERT_EQ(s.AddNewLine(), 0);
    EXPECT_EQ(s.GetNumLines(), 3u);
    EXPECT_EQ(s.GetTempId(), 8u);
    ASSERT_NE(ZavPhone::m_PhoneVect.at(2), nullptr);
    EXPECT_EQ(ZavPhone::m_PhoneVect.at(2)->GetExtension(), "203");
    EXPECT_EQ(s.ToDeviceId(2), 2u);
}

}  // namespace
