// The telephones' phone devices: open and close with their refusals, the
// switch link kept up while either device of a telephone needs it, and the
// requests the phone device accepts without effect.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "integration/ServiceFixture.h"
#include "tapi/TapiSizes.h"

namespace {

using zavtest::kLineBase;
constexpr DWORD kPhoneBase = 4;

class PhoneFunctions : public zavtest::ServiceTest {};

TEST_F(PhoneFunctions, RefusalsAndTheRequestsWithoutEffect) {
    auto& tspi = Host().Tspi();
    const DWORD v = Host().TspiVersion();
    HDRVPHONE hd = nullptr, again = nullptr;
    ASSERT_EQ(Host().PhoneOpen(kPhoneBase + 1, &hd), 0);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(hd), 0xC0C00001u);
    std::vector<BYTE> caps(tapi::kPhoneCapsSize20, 0xCD);
    auto capsOf = [&](DWORD total) {
        std::memcpy(caps.data(), &total, sizeof total);
        return reinterpret_cast<LPPHONECAPS>(caps.data());
    };
    DWORD version = 0;
    struct Case {
        const char* name;
        LONG result;
        DWORD expected;
    } cases[] = {
        {"open twice", Host().PhoneOpen(kPhoneBase + 1, &again), PHONEERR_REINIT},
        {"open past the phones", Host().PhoneOpen(kPhoneBase + 2, &again), PHONEERR_NODRIVER},
        {"caps past the phones", tspi.phoneGetDevCaps(kPhoneBase + 2, v, 0, capsOf(180)), PHONEERR_BADDEVICEID},
        {"caps version", tspi.phoneGetDevCaps(kPhoneBase, 0x20000, 0, capsOf(180)), PHONEERR_INCOMPATIBLEAPIVERSION},
        {"caps extension", tspi.phoneGetDevCaps(kPhoneBase, v, 1, capsOf(180)), PHONEERR_INCOMPATIBLEEXTVERSION},
        {"caps null", tspi.phoneGetDevCaps(kPhoneBase, v, 0, nullptr), PHONEERR_INVALPOINTER},
        {"caps of 176 bytes", tspi.phoneGetDevCaps(kPhoneBase, v, 0, capsOf(176)), PHONEERR_STRUCTURETOOSMALL},
        {"caps of 180 bytes", tspi.phoneGetDevCaps(kPhoneBase, v, 0, capsOf(180)), 0},
        {"close a line handle", Host().PhoneClose(reinterpret_cast<HDRVPHONE>(uintptr_t{0xE0E00000})),
         PHONEERR_INVALPHONEHANDLE},
        {"close a closed phone", Host().PhoneClose(reinterpret_cast<HDRVPHONE>(uintptr_t{0xC0C00000})),
         PHONEERR_INVALPHONEHANDLE},
        {"old version range", tspi.phoneNegotiateTSPIVersion(kPhoneBase, 0x10000, 0x10004, &version), 0},
        {"ring", tspi.phoneSetRing(hd, 1, 100), 0},
        {"device specific", tspi.phoneDevSpecific(hd, nullptr, 0), PHONEERR_OPERATIONUNAVAIL},
    };
    for (const Case& c : cases) EXPECT_EQ(static_cast<DWORD>(c.result), c.expected) << c.name;
    EXPECT_EQ(version, 0x00020001u);
    for (std::size_t i = sizeof(DWORD); i < caps.size(); ++i) ASSERT_EQ(caps[i], 0xCD) << "caps byte " << i;
    EXPECT_EQ(Host().PhoneClose(hd), 0);
}

// The telephone stays registered while its line or its phone device is
// open, and only the line device connects it.
TEST_F(PhoneFunctions, TheLinkLivesWhileEitherDeviceIsOpen) {
    enum Step { OpenLine, CloseLine, OpenPhone, ClosePhone };
    struct Case {
        const char* name;
        std::vector<std::pair<Step, int>> steps;  // each step and the endpoints after it
    } cases[] = {
        {"phone alone", {{OpenPhone, 0}, {ClosePhone, 0}}},
        {"phone closed first", {{OpenLine, 1}, {OpenPhone, 1}, {ClosePhone, 1}, {CloseLine, 0}}},
        {"line closed first", {{OpenPhone, 0}, {OpenLine, 1}, {CloseLine, 1}, {ClosePhone, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HDRVLINE line = nullptr;
        HDRVPHONE phone = nullptr;
        for (const auto& [step, endpoints] : c.steps) {
            switch (step) {
                case OpenLine: ASSERT_EQ(Host().LineOpen(kLineBase, &line), 0); break;
                case CloseLine: ASSERT_EQ(Host().LineClose(line), 0); break;
                case OpenPhone: ASSERT_EQ(Host().PhoneOpen(kPhoneBase, &phone), 0); break;
                case ClosePhone: ASSERT_EQ(Host().PhoneClose(phone), 0); break;
            }
            EXPECT_EQ(m_sim.EndPointCount("201"), endpoints) << "after step " << step;
        }
    }
}

}  // namespace
