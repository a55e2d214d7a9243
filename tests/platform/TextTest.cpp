#include <gtest/gtest.h>

#include <string>

#include "platform/Text.h"

namespace {

TEST(Text, RoundTripsThroughTheAnsiCodePage) {
    const std::u16string cases[] = {u"", u"100", u"M\u00FCller, J\u00FCrgen", u"caf\u00E9 \u00C4\u00D6\u00DC",
                                    u"*#0123456789"};
    for (const std::u16string& c : cases) {
        std::string ansi = plat::WideToAnsi(plat::WidePtr(c));
        EXPECT_EQ(plat::AnsiToWide(ansi.c_str()), c);
    }
}

TEST(Text, LengthLimitsTheInput) {
    std::u16string s = u"12345";
    EXPECT_EQ(plat::WideToAnsi(plat::WidePtr(s), 3), "123");
    EXPECT_EQ(plat::AnsiToWide("12345", 2), u"12");
    EXPECT_EQ(plat::WideToAnsi(nullptr), "");
    EXPECT_EQ(plat::AnsiToWide(nullptr), u"");
}

#ifndef _WIN32
TEST(Text, AnsiIsUtf8OnLinux) {
    EXPECT_EQ(plat::WideToAnsi(plat::WidePtr(u"\u00E9\u20AC\U0001F600")), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(plat::AnsiToWide("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), u"\u00E9\u20AC\U0001F600");
    // Broken sequences never make the conversion read past the input.
    EXPECT_EQ(plat::AnsiToWide("a\xC3"), u"a?");
    EXPECT_EQ(plat::AnsiToWide("\xFF" "b"), u"?b");
}
#endif

TEST(Text, CaseInsensitiveComparison) {
    struct Case {
        const char16_t *a, *b;
        int sign;
    } cases[] = {
        {u"abc", u"ABC", 0},
        {u"\u00C4\u00D6\u00DC", u"\u00E4\u00F6\u00FC", 0},
        {u"wave/in", u"WAVE/IN", 0},
        {u"", u"", 0},
        {u"a", u"b", -1},
        {u"abc", u"abcd", -1},
        {u"tapi/line", u"tapi/phone", -1},
        {u"b", u"A", 1},
    };
    for (const Case& c : cases) {
        int r = plat::CompareWideNoCase(reinterpret_cast<const WCHAR*>(c.a), reinterpret_cast<const WCHAR*>(c.b));
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << plat::WideToAnsi(reinterpret_cast<const WCHAR*>(c.a)) << " vs "
                                             << plat::WideToAnsi(reinterpret_cast<const WCHAR*>(c.b));
    }
}

}  // namespace
