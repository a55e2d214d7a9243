#include <gtest/gtest.h>

#include <string>

#include "platform/Registry.h"
#include "platform/Wave.h"
#include "support/TempRegistry.h"

#ifndef _WIN32
namespace {

TEST(Wave, DevicesComeFromTheEmulatedRegistry) {
    zavtest::TempRegistry registry;
    EXPECT_EQ(plat::GetWaveOutDeviceCount(), 0u);
    std::string name;
    EXPECT_FALSE(plat::GetWaveOutProductName(0, &name));

    HKEY key;
    ASSERT_EQ(plat::CreateRegKey(HKEY_LOCAL_MACHINE, plat::kWaveOutListKey, KEY_ALL_ACCESS, &key, nullptr),
              ERROR_SUCCESS);
    const char list[] = "Speakers\0ZAV Handset 0012\0";
    ASSERT_EQ(plat::SetRegValue(key, plat::kWaveOutListValue, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(list),
                                sizeof list),
              ERROR_SUCCESS);
    plat::CloseRegKey(key);

    EXPECT_EQ(plat::GetWaveOutDeviceCount(), 2u);
    ASSERT_TRUE(plat::GetWaveOutProductName(1, &name));
    EXPECT_EQ(name, "ZAV Handset 0012");
    EXPECT_FALSE(plat::GetWaveOutProductName(2, &name));
}

}  // namespace
#endif
