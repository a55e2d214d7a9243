#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "host/ProviderModule.h"
#include "support/TempRegistry.h"
#include "tapi/Tapi.h"

namespace {

TEST(ProviderLoad, LoadsByPathAndResolvesExportsByName) {
    zavhost::ProviderModule provider;
    ASSERT_TRUE(provider.Load(zavtest::NativePath(ZAV_PROVIDER_PATH))) << provider.LastError();
    auto present = provider.PresentExports();
    EXPECT_NE(std::find(present.begin(), present.end(), "TSPI_providerUIIdentify"), present.end());
    EXPECT_EQ(provider.Find("NoSuchFunction"), nullptr);
}

TEST(ProviderLoad, MissingLibraryIsReportedNotFatal) {
    zavhost::ProviderModule provider;
    EXPECT_FALSE(provider.Load(zavtest::NativePath("/nonexistent/ZAVTSP.TSP")));
    EXPECT_FALSE(provider.LastError().empty());
    EXPECT_EQ(provider.Find("TSPI_providerUIIdentify"), nullptr);
}

TEST(ProviderLoad, UiIdentifyAndPhoneDeviceCreation) {
    zavhost::ProviderModule provider;
    ASSERT_TRUE(provider.Load(zavtest::NativePath(ZAV_PROVIDER_PATH))) << provider.LastError();
    auto identify = provider.Get<LONG(TSPIAPI*)(LPWSTR)>("TSPI_providerUIIdentify");
    ASSERT_NE(identify, nullptr);
    WCHAR buffer[32];
    std::fill(std::begin(buffer), std::end(buffer), WCHAR(0xFFFF));
    EXPECT_EQ(identify(buffer), 0);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(buffer)), u"ZAVTSP.TSP");
    EXPECT_EQ(buffer[11], WCHAR(0xFFFF)) << "wrote past the name and its terminator";

    auto createPhone = provider.Get<LONG(TSPIAPI*)(DWORD_PTR, DWORD)>("TSPI_providerCreatePhoneDevice");
    ASSERT_NE(createPhone, nullptr);
    EXPECT_EQ(static_cast<DWORD>(createPhone(0, 0)), 0x80000049u);
}

}  // namespace
