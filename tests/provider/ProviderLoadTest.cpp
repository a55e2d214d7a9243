#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "host/ProviderModule.h"
#include "platform/Registry.h"
#include "support/TempRegistry.h"
#include "tapi/Tapi.h"

namespace {

#ifndef _WIN32
// The load hook reads the registry before the library's own globals are
// built; what the registry layer keeps of that read must survive their
// construction. The sanitizer build's leak checker is the judge. First in
// the file: the library stays mapped once loaded, so only a first load runs
// its hooks.
TEST(ProviderLoad, TheRegistryReadWhileLoadingIsNotLost) {
    zavtest::TempRegistry registry;
    HKEY key = nullptr;
    ASSERT_EQ(plat::CreateRegKey(HKEY_LOCAL_MACHINE, "Software\\Ostrel\\ZAV\\ZAVTSP", KEY_ALL_ACCESS, &key, nullptr),
              0);
    plat::CloseRegKey(key);
    // Only a file unchanged for a moment is kept: wait until this one is.
    namespace fs = std::filesystem;
    while (fs::file_time_type::clock::now() - fs::last_write_time(registry.File()) < std::chrono::milliseconds(300))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    zavhost::ProviderModule provider;
    ASSERT_TRUE(provider.Load(ZAV_PROVIDER_PATH)) << provider.LastError();
}
#endif

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
