// The real provider through the host: enumeration, initialisation and
// shut-down as the telephony service runs them.
#include <gtest/gtest.h>

#include <filesystem>

#include "host/TapiHost.h"
#include "support/LogFixture.h"
#include "support/PhoneConfig.h"

namespace {

TEST(RealProvider, EnumeratesInitialisesAndShutsDownThroughTheHost) {
    // The library reads its install path when it is loaded.
    zavtest::LogDirectory logs;
    std::filesystem::create_directories(logs.LogsDir());
    zavtest::ConfigurePhones({"201", "202"});
    {
        zavhost::TapiHost host;
        ASSERT_TRUE(host.Load(zavtest::NativePath(ZAV_PROVIDER_PATH))) << host.LastError();
        ASSERT_EQ(host.NegotiateTSPIVersion(), 0);
        EXPECT_EQ(host.TspiVersion(), 0x00020001u);
        DWORD lines = 0, phones = 0;
        ASSERT_EQ(host.EnumDevices(&lines, &phones), 0);
        EXPECT_EQ(lines, 2u);
        EXPECT_EQ(phones, 2u);
        DWORD options = 0;
        ASSERT_EQ(host.ProviderInit(10, 4, &options), 0);
        EXPECT_EQ(options, static_cast<DWORD>(LINETSPIOPTION_NONREENTRANT));
        for (DWORD device : {10u, 11u}) {
            DWORD version = 0;
            EXPECT_EQ(host.LineNegotiateTSPIVersion(device, &version), 0) << device;
            EXPECT_EQ(version, 0x00020001u);
        }
        DWORD version = 0;
        EXPECT_EQ(static_cast<DWORD>(host.LineNegotiateTSPIVersion(12, &version)), 0x80000002u) << "no device 12";
        EXPECT_EQ(host.ProviderShutdown(), 0);
        EXPECT_FALSE(host.IsInitialised());
        EXPECT_TRUE(host.Faults().empty()) << host.FaultReport();
        EXPECT_TRUE(host.MissingCalls().empty());
    }
    zavtest::ClearPhones();
}

}  // namespace
