#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/Bstr.h"

namespace {

TEST(Bstr, KeepsItsBytesWithTwoZeroBytesBehindAndTextStopsAtZero) {
    const std::string longText(200, 'x');
    const struct {
        const char* bytes;  // nullptr: zero-filled
        UINT length;
        std::string text;
    } cases[] = {{"", 0, ""},
                 {"abc", 3, "abc"},
                 {"a\0b", 3, "a"},
                 {longText.c_str(), 200, longText},
                 {"\xC3\xA9t\xC3\xA9", 5, "\xC3\xA9t\xC3\xA9"},
                 {nullptr, 5, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        BSTR b = plat::AllocBstrBytes(c.bytes, c.length);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(plat::BstrByteLength(b), c.length);
        const std::string held(reinterpret_cast<const char*>(b), c.length + 2);
        EXPECT_EQ(held,
                  (c.bytes ? std::string(c.bytes, c.length) : std::string(c.length, '\0')) + '\0' + '\0');
        EXPECT_EQ(plat::BstrToString(b), c.text);
        plat::FreeBstr(b);
    }
    BSTR t = plat::AllocBstrText("100");
    EXPECT_EQ(plat::BstrByteLength(t), 3u);
    EXPECT_EQ(plat::BstrToString(t), "100");
    plat::FreeBstr(t);
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
