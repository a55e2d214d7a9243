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

TEST(Text, AnsiToWideTakesOnlyTheGivenLength) {
    const struct {
        const char* ansi;
        int length;
        std::u16string wide;
    } cases[] = {
        {"12345", 2, u"12"},
        {nullptr, -1, u""},
#ifndef _WIN32
        // The ANSI code page is UTF-8 here.
        {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", -1, u"\u00E9\u20AC\U0001F600"},
        // Broken sequences never make the conversion read past the input.
        {"a\xC3", -1, u"a?"},
        {"\xFF"
         "b",
         -1, u"?b"},
        {"\xC3\xA9", 1, u"?"},
#endif
    };
    for (const auto& c : cases)
        EXPECT_EQ(plat::AnsiToWide(c.ansi, c.length), c.wide) << (c.ansi ? c.ansi : "null");
}

}  // namespace
