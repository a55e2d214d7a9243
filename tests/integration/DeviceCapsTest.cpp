// What an application learns about a line device before and while it uses
// it: capabilities packed into buffers of every interesting size (the
// host's guard bytes catch a write past dwTotalSize), the values that depend
// on the telephone's registration, device status, and the sound device that
// belongs to the extension.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "host/TapiBuffer.h"
#include "integration/ServiceFixture.h"
#include "platform/Text.h"
#include "platform/Wave.h"
#include "support/Eventually.h"
#include "tapi/TapiSizes.h"

namespace {

using zavhost::TapiBuffer;
using zavtest::kLineBase;

constexpr DWORD kCapsFixed = tapi::kLineDevCapsSize20;
constexpr DWORD kAddrFixed = tapi::kLineAddressCapsSize20;

std::u16string Wide(const std::string& text) { return plat::AnsiToWide(text.c_str()); }

// The device class list: texts up to the empty one that ends it.
std::vector<std::string> Classes(const TapiBuffer& b, DWORD offset, DWORD size) {
    std::u16string all = b.WideAt(offset, size);
    std::vector<std::string> out;
    for (std::size_t pos = 0; pos < all.size() && all[pos] != u'\0';) {
        std::size_t end = all.find(u'\0', pos);
        if (end == std::u16string::npos) end = all.size();
        out.push_back(plat::WideToAnsi(plat::WidePtr(all.substr(pos, end - pos))));
        pos = end + 1;
    }
    return out;
}

class DeviceCaps : public zavtest::ServiceTest {
protected:
    void TearDown() override {
        if (m_line) Host().LineClose(m_line);
        ServiceTest::TearDown();
    }
    // 201 registers as the given kind of telephone.
    void Open201(int deviceType, int vdn, const char* owner = "Front Desk") {
        ZavSimAccount a{"201", "pw1", deviceType, vdn, 90210, owner};
        ASSERT_EQ(m_sim.AddAccount(&a), 0);
        ASSERT_EQ(Host().LineOpen(kLineBase, &m_line), 0);
        // The owner's name comes with the switch's answer to a phone query.
        ASSERT_EQ(m_sim.InjectPhoneQueryReply("201", owner), 0);
        ASSERT_TRUE(zavtest::Eventually([&] {
            TapiBuffer b(kCapsFixed + 400);
            const LINEDEVCAPS* caps = b.As<LINEDEVCAPS>();
            return Host().LineGetDevCaps(kLineBase, b) == 0 &&
                   b.WideAt(caps->dwLineNameOffset, caps->dwLineNameSize) == Wide(std::string("x201, ") + owner);
        }));
    }
    static void SetDword(const char* key, const char* name, DWORD value) {
        HKEY k;
        ASSERT_EQ(plat::CreateRegKey(HKEY_LOCAL_MACHINE, key, KEY_ALL_ACCESS, &k, nullptr), ERROR_SUCCESS);
        plat::SetRegDword(k, name, value);
        plat::CloseRegKey(k);
    }
    static void SetWaveDevices(const std::string& list) {
        HKEY k;
        ASSERT_EQ(plat::CreateRegKey(HKEY_LOCAL_MACHINE, plat::kWaveOutListKey, KEY_ALL_ACCESS, &k, nullptr),
                  ERROR_SUCCESS);
        plat::SetRegValue(k, plat::kWaveOutListValue, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(list.data()),
                          static_cast<DWORD>(list.size()));
        plat::CloseRegKey(k);
    }
    LONG GetID(const char* cls, DWORD total, DWORD* id) {
        TapiBuffer b(total);
        LONG r = Host().LineGetID(m_line, nullptr, cls, b);
        const VARSTRING* v = b.As<VARSTRING>();
        if (r == 0 && total >= tapi::kVarStringSize) {
            EXPECT_EQ(v->dwNeededSize, 0x1Cu) << cls;
        }
        if (r == 0 && v->dwUsedSize == 0x1C) {
            EXPECT_EQ(v->dwStringFormat, static_cast<DWORD>(STRINGFORMAT_BINARY));
            EXPECT_EQ(v->dwStringOffset, 0x18u);
            std::memcpy(id, b.Data() + 0x18, sizeof *id);
        }
        return r;
    }
    HDRVLINE m_line = nullptr;
};

TEST_F(DeviceCaps, DevCapsCarryTheirVariablePartWholeOrNotAtAll) {
    Open201(0, 4001);
    // "ZAV TSP 2.1", "x201, Front Desk" without nulls, three classes.
    const DWORD info = 22, name = 32, classes = 2 * (10 + 8 + 9 + 1), all = kCapsFixed + info + name + classes;
    struct Case {
        DWORD total;
        LONG result;
        DWORD used;
    } cases[] = {
        {kCapsFixed - 1, static_cast<LONG>(LINEERR_STRUCTURETOOSMALL), 0},
        {kCapsFixed, 0, kCapsFixed},
        {all - 1, 0, kCapsFixed},
        {all, 0, all},
        {all + 100, 0, all},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.total);
        TapiBuffer b(c.total);
        ASSERT_EQ(Host().LineGetDevCaps(kLineBase, b), c.result);
        if (c.result) continue;
        const LINEDEVCAPS* caps = b.As<LINEDEVCAPS>();
        EXPECT_EQ(caps->dwNeededSize, all);
        EXPECT_EQ(caps->dwUsedSize, c.used);
        EXPECT_EQ(caps->dwPermanentLineID, kLineBase - 0x10000);
        EXPECT_EQ(caps->dwMaxNumActiveCalls, 18u);
        EXPECT_EQ(caps->dwLineFeatures, 0x3Fu);
        EXPECT_EQ(caps->DefaultDialParams.dwDialSpeed, 200u);
        if (c.used == kCapsFixed) {
            EXPECT_EQ(caps->dwLineNameSize, 0u);
            EXPECT_EQ(caps->dwDeviceClassesSize, 0u);
            continue;
        }
        EXPECT_EQ(caps->dwProviderInfoOffset, kCapsFixed);
        EXPECT_EQ(b.WideAt(caps->dwProviderInfoOffset, caps->dwProviderInfoSize), Wide("ZAV TSP 2.1"));
        EXPECT_EQ(caps->dwLineNameOffset, kCapsFixed + info);
        EXPECT_EQ(b.WideAt(caps->dwLineNameOffset, caps->dwLineNameSize), Wide("x201, Front Desk"));
        EXPECT_EQ(caps->dwDeviceClassesSize, classes);
        EXPECT_EQ(Classes(b, caps->dwDeviceClassesOffset, caps->dwDeviceClassesSize),
                  (std::vector<std::string>{"tapi/line", "wave/in", "wave/out"}));
    }
}

// What registration says about the telephone decides its classes, its
// address flags and its sound device.
TEST_F(DeviceCaps, RegistrationDecidesClassesFlagsAndSoundDevice) {
    // Index 1 is 4001/16 = 250's device, index 2 that of 0x1234/16 = 291.
    const char list[] = "Speakers\0Ostrel wav drv 250 (line)\0ZAV wav driver 291\0";
    SetWaveDevices(std::string(list, sizeof list));
    const bool emulatedWave = plat::GetWaveOutDeviceCount() == 3;
    struct Case {
        int type, vdn;
        DWORD modem;
        bool wave;
        DWORD addrFlags;
        LONG waveResult;
        DWORD waveIndex;
    } cases[] = {
        {0, 4001, 0, true, 0x000E0023, 0, 1},
        {2, 0x1234, 1, true, 0x000E0023, 0, 2},
        {1, 4001, 0, false, 0x000E0023, 0, 1},
        {3, 4001, 0, false, 0x02000000, 0, 1},
        {0, 0xFFFF, 0, false, 0x000E0023, static_cast<LONG>(LINEERR_NODEVICE), 0},
        {0, -16, 0, true, 0x000E0023, static_cast<LONG>(LINEERR_NODEVICE), 0},
        {0, 16, 0, true, 0x000E0023, static_cast<LONG>(LINEERR_NODEVICE), 0},  // no device "... 1"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "type " << c.type << " vdn " << c.vdn);
        SetDword(zavtest::kProviderKey, "EmulateModem", c.modem);
        Open201(c.type, c.vdn);
        TapiBuffer caps(kCapsFixed + 200);
        ASSERT_EQ(Host().LineGetDevCaps(kLineBase, caps), 0);
        const LINEDEVCAPS* dc = caps.As<LINEDEVCAPS>();
        EXPECT_EQ(dc->dwMediaModes, c.modem ? 0x1Eu : 0xEu);
        std::vector<std::string> expected{"tapi/line"};
        if (c.wave) expected.insert(expected.end(), {"wave/in", "wave/out"});
        EXPECT_EQ(Classes(caps, dc->dwDeviceClassesOffset, dc->dwDeviceClassesSize), expected);
        TapiBuffer addr(kAddrFixed);
        ASSERT_EQ(Host().LineGetAddressCaps(kLineBase, 0, addr), 0);
        EXPECT_EQ(addr.As<LINEADDRESSCAPS>()->dwAddrCapFlags, c.addrFlags);

        DWORD id = 0xFFFF;
        EXPECT_EQ(GetID("tapi/line", 0x1C, &id), 0);
        EXPECT_EQ(id, kLineBase);
        for (const char* cls : {"wave/in", "WAVE/OUT", "wave/in/out"}) {
            id = 0xFFFF;
            const LONG r = GetID(cls, 0x1C, &id);
            // Wine's own wave devices never carry the extension's name.
            if (!emulatedWave) {
                EXPECT_EQ(r, static_cast<LONG>(LINEERR_NODEVICE)) << cls;
                continue;
            }
            EXPECT_EQ(r, c.waveResult) << cls;
            if (r == 0) {
                EXPECT_EQ(id, c.waveIndex) << cls;
            }
        }
        ASSERT_EQ(Host().LineClose(m_line), 0);
        m_line = nullptr;
    }
}

TEST_F(DeviceCaps, AddressCapsAddTheNumberOnlyWhenItFits) {
    Open201(1, 4001);
    struct Case {
        DWORD total;
        LONG result;
        DWORD used;
    } cases[] = {
        {kAddrFixed - 1, static_cast<LONG>(LINEERR_STRUCTURETOOSMALL), 0},
        {kAddrFixed, 0, kAddrFixed},
        {kAddrFixed + 5, 0, kAddrFixed},
        {kAddrFixed + 6, 0, kAddrFixed + 6},
        {kAddrFixed + 64, 0, kAddrFixed + 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.total);
        TapiBuffer b(c.total);
        ASSERT_EQ(Host().LineGetAddressCaps(kLineBase, 0, b), c.result);
        if (c.result) continue;
        const LINEADDRESSCAPS* caps = b.As<LINEADDRESSCAPS>();
        EXPECT_EQ(caps->dwNeededSize, kAddrFixed + 6);
        EXPECT_EQ(caps->dwUsedSize, c.used);
        EXPECT_EQ(caps->dwLineDeviceID, kLineBase);
        EXPECT_EQ(caps->dwCallFeatures, 0x0F218BEFu);
        EXPECT_EQ(caps->dwAvailableMediaModes, 0u) << "the last field of the fixed part is written";
        EXPECT_EQ(caps->dwAddressSize, c.used == kAddrFixed ? 0u : 6u);
        if (c.used > kAddrFixed) {
            EXPECT_EQ(b.WideAt(caps->dwAddressOffset, caps->dwAddressSize), Wide("201"));
        }
    }
}

// Each refusal in the order TAPI documents: the first failing check wins.
TEST_F(DeviceCaps, RefusalsComeInTheirDocumentedOrder) {
    Open201(1, 4001);
    auto& tspi = Host().Tspi();
    const DWORD v = Host().TspiVersion();
    TapiBuffer caps(kCapsFixed + 400), addr(kAddrFixed + 64), var(0x40);
    std::u16string wave = Wide("wave/out"), other = Wide("comm/datamodem"), own = Wide("201"), none = Wide("");
    HDRVLINE bad = reinterpret_cast<HDRVLINE>(uintptr_t{0xE0E00FFF});
    DWORD word = 0;
    struct Case {
        const char* what;
        std::function<LONG()> call;
        DWORD result;
    } cases[] = {
        {"devcaps null", [&] { return tspi.lineGetDevCaps(99, 0, 1, nullptr); }, LINEERR_INVALPOINTER},
        {"devcaps device", [&] { return tspi.lineGetDevCaps(99, 0, 1, caps.As<LINEDEVCAPS>()); },
         LINEERR_BADDEVICEID},
        {"devcaps version", [&] { return tspi.lineGetDevCaps(kLineBase, 0x20000, 1, caps.As<LINEDEVCAPS>()); },
         LINEERR_INCOMPATIBLEAPIVERSION},
        {"devcaps ext", [&] { return tspi.lineGetDevCaps(kLineBase, v, 0x10000, caps.As<LINEDEVCAPS>()); },
         LINEERR_INCOMPATIBLEEXTVERSION},
        {"addrcaps device", [&] { return tspi.lineGetAddressCaps(99, 1, 0, 1, addr.As<LINEADDRESSCAPS>()); },
         LINEERR_BADDEVICEID},
        {"addrcaps address",
         [&] { return tspi.lineGetAddressCaps(kLineBase, 1, 0, 1, addr.As<LINEADDRESSCAPS>()); },
         LINEERR_INVALADDRESSID},
        {"addrcaps version",
         [&] { return tspi.lineGetAddressCaps(kLineBase, 0, 0x20000, 1, addr.As<LINEADDRESSCAPS>()); },
         LINEERR_INCOMPATIBLEAPIVERSION},
        {"addrcaps ext", [&] { return tspi.lineGetAddressCaps(kLineBase, 0, v, 1, addr.As<LINEADDRESSCAPS>()); },
         LINEERR_INCOMPATIBLEEXTVERSION},
        {"addressid line", [&] { return tspi.lineGetAddressID(bad, &word, 1, plat::WidePtr(own), 0); },
         LINEERR_INVALLINEHANDLE},
        {"addressid mode", [&] { return tspi.lineGetAddressID(m_line, &word, 1, plat::WidePtr(own), 0); },
         LINEERR_INVALADDRESSMODE},
        {"addressid empty", [&] { return tspi.lineGetAddressID(m_line, &word, 2, plat::WidePtr(none), 0); },
         LINEERR_INVALADDRESS},
        {"addressid other", [&] { return tspi.lineGetAddressID(m_line, &word, 2, plat::WidePtr(wave), 0); },
         LINEERR_INVALADDRESS},
        {"addressid own", [&] { return tspi.lineGetAddressID(m_line, &word, 2, plat::WidePtr(own), 0); }, 0},
        {"devconfig device",
         [&] { return tspi.lineGetDevConfig(99, nullptr, plat::WidePtr(other)); }, LINEERR_NODRIVER},
        {"devconfig null", [&] { return tspi.lineGetDevConfig(kLineBase, var.As<VARSTRING>(), nullptr); },
         LINEERR_INVALPOINTER},
        {"devconfig class",
         [&] { return tspi.lineGetDevConfig(kLineBase, var.As<VARSTRING>(), plat::WidePtr(other)); },
         LINEERR_INVALDEVICECLASS},
        {"getid line", [&] { return Host().LineGetID(bad, nullptr, "tapi/line", var); }, LINEERR_INVALLINEHANDLE},
        {"getid call",
         [&] { return Host().LineGetID(m_line, reinterpret_cast<HDRVCALL>(uintptr_t{0x77}), "tapi/line", var); },
         LINEERR_INVALCALLHANDLE},
        {"getid class", [&] { return Host().LineGetID(m_line, nullptr, "tapi/phone", var); }, LINEERR_NODEVICE},
        {"status line", [&] { return Host().LineGetLineDevStatus(bad, var); }, LINEERR_INVALLINEHANDLE},
        {"addrstatus address", [&] { return Host().LineGetAddressStatus(m_line, 1, var); }, LINEERR_INVALADDRESSID},
        {"numaddr line", [&] { return tspi.lineGetNumAddressIDs(bad, &word); }, LINEERR_INVALLINEHANDLE},
    };
    for (const Case& c : cases) EXPECT_EQ(static_cast<DWORD>(c.call()), c.result) << c.what;

    // The successes that have something to show.
    TapiBuffer config(tapi::kVarStringSize);
    EXPECT_EQ(Host().LineGetDevConfig(kLineBase, "WAVE/OUT", config), 0);
    EXPECT_EQ(config.As<VARSTRING>()->dwUsedSize, tapi::kVarStringSize);
    EXPECT_EQ(config.As<VARSTRING>()->dwStringSize, 0u);
    TapiBuffer small(tapi::kVarStringSize - 1);
    EXPECT_EQ(static_cast<DWORD>(Host().LineGetDevConfig(kLineBase, "tapi/line", small)),
              static_cast<DWORD>(LINEERR_STRUCTURETOOSMALL));
    DWORD id = 0;
    EXPECT_EQ(GetID("tapi/line", tapi::kVarStringSize, &id), 0) << "too small for the id: the size it needs";
    EXPECT_EQ(tspi.lineGetNumAddressIDs(m_line, &word), 0);
    EXPECT_EQ(word, 1u);
    LINEEXTENSIONID ext;
    std::memset(&ext, 0xCD, sizeof ext);
    EXPECT_EQ(tspi.lineGetExtensionID(kLineBase, v, &ext), 0);
    EXPECT_EQ(ext.dwExtensionID0 | ext.dwExtensionID1 | ext.dwExtensionID2 | ext.dwExtensionID3, 0u);
    HICON icon = nullptr;
    EXPECT_EQ(tspi.lineGetIcon(kLineBase, nullptr, &icon), 0);
    EXPECT_NE(icon, nullptr);
}

// Status follows the calls: the counts move as a call is answered and held.
TEST_F(DeviceCaps, StatusCountsTheLinesCalls) {
    ASSERT_EQ(m_sim.SetCallModel(1), 0);
    Open201(1, 4001);
    HDRVLINE line202 = nullptr;
    ASSERT_EQ(Host().LineOpen(kLineBase + 1, &line202), 0);
    HDRVCALL call = nullptr;
    ASSERT_GT(Host().LineMakeCall(m_line, "202", &call), 0);
    auto reaches = [&](HDRVCALL hd, DWORD state) {
        auto view = Host().CallByDriver(hd);
        return view && Host()
                           .GetJournal()
                           .WaitFor(
                               [&](const zavhost::JournalEntry& e) {
                                   return e.msg == LINE_CALLSTATE && e.p1 == state && e.htCall == view->htCall;
                               },
                               10000, m_mark)
                           .has_value();
    };
    ASSERT_TRUE(reaches(call, LINECALLSTATE_RINGBACK));
    auto offered = Host().GetJournal().WaitFor(
        [&](const zavhost::JournalEntry& e) { return e.msg == LINE_NEWCALL && e.deviceId == kLineBase + 1; }, 10000,
        m_mark);
    ASSERT_TRUE(offered);
    const HDRVCALL callee = reinterpret_cast<HDRVCALL>(offered->p1);
    struct Step {
        const char* what;
        std::function<bool()> act;
        DWORD active, onHold;
    } steps[] = {
        {"ringing back", [] { return true; }, 1, 0},
        {"held",
         [&] {
             return Host().LineAnswer(callee) == 0 && reaches(call, LINECALLSTATE_CONNECTED) &&
                    Host().Tspi().lineHold(call) > 0 && reaches(call, LINECALLSTATE_ONHOLD);
         },
         0, 1},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        ASSERT_TRUE(s.act());
        TapiBuffer addr(tapi::kLineAddressStatusSize20), dev(tapi::kLineDevStatusSize20);
        ASSERT_EQ(Host().LineGetAddressStatus(m_line, 0, addr), 0);
        ASSERT_EQ(Host().LineGetLineDevStatus(m_line, dev), 0);
        const LINEADDRESSSTATUS* as = addr.As<LINEADDRESSSTATUS>();
        const LINEDEVSTATUS* ds = dev.As<LINEDEVSTATUS>();
        EXPECT_EQ(as->dwUsedSize, 0x40u);
        EXPECT_EQ(as->dwNumActiveCalls, s.active);
        EXPECT_EQ(as->dwNumOnHoldCalls, s.onHold);
        EXPECT_EQ(as->dwAddressFeatures, 0x068Eu);
        EXPECT_EQ(ds->dwUsedSize, 0x58u);
        EXPECT_EQ(ds->dwNumActiveCalls, s.active);
        EXPECT_EQ(ds->dwNumOnHoldCalls, s.onHold);
        EXPECT_EQ(ds->dwDevStatusFlags, 5u);
        EXPECT_EQ(ds->dwNumOpens, 0xCDCDCDCDu) << "TAPI's own field stays as TAPI passed it";
    }
    TapiBuffer tooSmall(tapi::kLineDevStatusSize20 - 1);
    EXPECT_EQ(static_cast<DWORD>(Host().LineGetLineDevStatus(m_line, tooSmall)),
              static_cast<DWORD>(LINEERR_STRUCTURETOOSMALL));
    // 202's own answer may still be on its way: an offered call cannot be
    // dropped.
    ASSERT_TRUE(reaches(callee, LINECALLSTATE_CONNECTED));
    EXPECT_EQ(Host().LineDrop(callee), 0);
    EXPECT_TRUE(reaches(call, LINECALLSTATE_IDLE));
    for (HDRVCALL hd : {call, callee}) Host().LineCloseCall(hd);
    Host().LineClose(line202);
}

}  // namespace
