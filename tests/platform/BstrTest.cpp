#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/Bstr.h"

namespace {

TEST(Bstr, ByteLengthsAndContents) {
    const std::string cases[] = {"", "abc", std::string("a\0b", 3), std::string(200, 'x'), "\xC3\xA9t\xC3\xA9"};
    for (const std::string& c : cases) {
        BSTR b = plat::AllocBstrBytes(c.data(), static_cast<UINT>(c.size()));
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(plat::BstrByteLength(b), c.size());
        EXPECT_EQ(std::memcmp(b, c.data(), c.size()), 0);
        // Two zero bytes follow the data, so it can be read as a C string.
        const char* bytes = reinterpret_cast<const char*>(b);
        EXPECT_EQ(bytes[c.size()], 0);
        EXPECT_EQ(bytes[c.size() + 1], 0);
        plat::FreeBstr(b);
    }
}

TEST(Bstr, NullBytesAreZeroFilledAndTextStopsAtZero) {
    BSTR b = plat::AllocBstrBytes(nullptr, 5);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(plat::BstrByteLength(b), 5u);
    EXPECT_EQ(plat::BstrToString(b), "");
    plat::FreeBstr(b);

    BSTR t = plat::AllocBstrText("100");
    EXPECT_EQ(plat::BstrByteLength(t), 3u);
    EXPECT_EQ(plat::BstrToString(t), "100");
    plat::FreeBstr(t);

    BSTR z = plat::AllocBstrBytes("ab\0cd", 5);
    EXPECT_EQ(plat::BstrToString(z), "ab");
    plat::FreeBstr(z);

    EXPECT_EQ(plat::BstrByteLength(nullptr), 0u);
    EXPECT_EQ(plat::BstrToString(nullptr), "");
    plat::FreeBstr(nullptr);
}

#ifndef _WIN32
TEST(Bstr, KeepsTheWindowsLayoutSoOthersCanFreeIt) {
    BSTR b = plat::AllocBstrBytes("hello", 5);
    uint32_t prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<unsigned char*>(b) - 4, 4);
    EXPECT_EQ(prefix, 5u);
    // A component frees our BSTR with free() of the block.
    std::free(reinterpret_cast<unsigned char*>(b) - 4);
}
#endif

}  // namespace
