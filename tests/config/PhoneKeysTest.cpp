// Reading the telephone list and the password transform.
#include <cstring>
#include <string>

#include "config/ConfigFixture.h"
#include "config/ZavRegistry.h"

namespace {

using zavtest::ConfigStoreTest;
using zavtest::LogCapture;
using zavtest::PhonePath;
using zavtest::WritePhone;

// A text made of raw bytes, as the registry holds transformed passwords.
std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) s.push_back(static_cast<char>(b));
    return s;
}

using ProviderValues = ConfigStoreTest;

TEST_F(ProviderValues, MissingOrMistypedValuesReadAsZero) {
    const std::string three("\3\0\0\0", 4), one("\1\0\0\0", 4);
    struct Case {
        const char* name;
        DWORD type;  // of both values; REG_NONE: neither is there
        std::string numPhones, emulateModem;
        DWORD expectedNumPhones, expectedEmulateModem;
        bool key = true;
    } cases[] = {
        {"no provider key", REG_NONE, "", "", 0, 0, false},
        {"key without values", REG_NONE, "", "", 0, 0},
        {"both set", REG_DWORD, three, one, 3, 1},
        {"text instead of a number", REG_SZ, std::string("3", 2), std::string("1", 2), 0, 0},
        {"bytes instead of a number", REG_BINARY, three, one, 0, 0},
    };
    for (const Case& c : cases) {
        zavtest::RemoveConfigKeys();
        if (c.key) zavtest::WriteText(kZavProviderKey, "CurrentVersion", "x");
        if (c.type != REG_NONE) {
            zavtest::WriteBytes(kZavProviderKey, "NumPhones", c.type, c.numPhones);
            zavtest::WriteBytes(kZavProviderKey, "EmulateModem", c.type, c.emulateModem);
        }
        EXPECT_EQ(ReadNumPhones(), c.expectedNumPhones) << c.name;
        EXPECT_EQ(ReadEmulateModem(), c.expectedEmulateModem) << c.name;
        // No telephones is a valid configuration.
        EXPECT_EQ(CheckPhoneKeys(ReadNumPhones()), c.expectedNumPhones ? -1 : 0) << c.name;
    }
}

using PhoneKeys = ConfigStoreTest;

TEST_F(PhoneKeys, CheckStopsAtTheFirstBrokenTelephoneAndNamesItsKey) {
    struct Case {
        const char* name;
        void (*breakPhone2)();
        const char* message;
    } cases[] = {
        {"key missing", [] {},
         "**** Software\\Ostrel\\ZAV\\ZAVTSP\\Phone2 key is not found in the Registry! P"},
        {"no extension", [] { WritePhone(2, nullptr, "pw"); },
         "**** Extension is not found under Software\\Ostrel\\ZAV\\ZAVTSP\\Phone2! P"},
        {"extension too long", [] { WritePhone(2, "12345678", "pw"); },
         "**** Extension is not found under Software\\Ostrel\\ZAV\\ZAVTSP\\Phone2! P"},
    };
    for (const Case& c : cases) {
        zavtest::RemoveConfigKeys();
        zavtest::WriteDword(kZavProviderKey, "NumPhones", 3);
        WritePhone(0, "100", "pw");
        WritePhone(1, "101", "pw");
        WritePhone(3, "103", "pw");
        c.breakPhone2();
        EXPECT_EQ(CheckPhoneKeys(2), 0) << c.name;
        LogCapture log;
        EXPECT_EQ(CheckPhoneKeys(ReadNumPhones()), -1) << c.name;
        EXPECT_TRUE(log.Has("CheckPhoneKeys() is invoked P")) << c.name;
        EXPECT_TRUE(log.Has(c.message)) << c.name << "\n" << log.Text();
        EXPECT_FALSE(log.Has("Phone0") || log.Has("Phone1")) << "a good telephone was reported: " << c.name;
    }
}

// Extensions of up to seven characters and stored passwords of up to fifteen
// come back as stored, terminated or not; anything else leaves the caller's
// buffer alone, and nothing is ever written past the documented size.
TEST_F(PhoneKeys, TextsComeBackAsStoredUpToTheirSize) {
    const std::string noExtension =
        "**** GetPhoneExtension() Extension is not found under "
        "Software\\Ostrel\\ZAV\\ZAVTSP\\Phone0! P";
    const std::string noPassword =
        "**** Password is not found under Software\\Ostrel\\ZAV\\ZAVTSP\\Phone0! P";
    const std::string noKey = "Software\\Ostrel\\ZAV\\ZAVTSP\\Phone0 key is not found in the Registry! P";
    struct Case {
        const char* value;  // "Extension" or "Password"
        const char* what;
        std::optional<std::string> stored;  // REG_SZ data; nullopt: no value
        const char* expected;               // nullptr: not readable
        std::string message;
        bool key = true;
    } cases[] = {
        {"Extension", "seven", std::string("1234567", 8), "1234567", ""},
        {"Extension", "seven, no terminator", std::string("1234567", 7), "1234567", ""},
        {"Extension", "eight", std::string("12345678", 9), nullptr, noExtension},
        {"Extension", "eight, no terminator", std::string("12345678", 8), nullptr, noExtension},
        {"Extension", "empty", std::string("", 1), "", ""},
        {"Extension", "no value", std::nullopt, nullptr, noExtension},
        {"Extension", "no key", std::nullopt, nullptr, "**** GetPhoneExtension() " + noKey, false},
        {"Password", "fifteen", std::string("abcdefghijklmno", 16), "abcdefghijklmno",
         "GetUserPassword() is invoked P"},
        {"Password", "empty", std::string("", 1), "", ""},
        {"Password", "sixteen", std::string("abcdefghijklmnop", 17), nullptr, noPassword},
        {"Password", "no value", std::nullopt, nullptr, noPassword},
        {"Password", "no key", std::nullopt, nullptr, "**** " + noKey, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.value) + ", " + c.what);
        const bool extension = std::strcmp(c.value, "Extension") == 0;
        zavtest::RemoveConfigKeys();
        if (c.key) zavtest::WriteText(PhonePath(0), extension ? "Password" : "Extension", "1");
        if (c.stored) zavtest::WriteBytes(PhonePath(0), c.value, REG_SZ, *c.stored);
        char out[kZavPasswordSize + 4];
        std::memset(out, '#', sizeof out);
        std::strcpy(out, "keep");
        LogCapture log;
        EXPECT_EQ((extension ? GetPhoneExtension : GetUserPassword)(0, out), c.expected ? 0 : -1);
        EXPECT_STREQ(out, c.expected ? c.expected : "keep");
        EXPECT_TRUE(log.Has(c.message)) << log.Text();
        // Only the extension counts for the check.
        EXPECT_EQ(CheckPhoneKeys(1), (extension ? c.expected != nullptr : c.key) ? 0 : -1);
        for (std::size_t i = extension ? kZavExtensionSize : kZavPasswordSize; i < sizeof out; ++i)
            EXPECT_EQ(out[i], '#') << "wrote past " << i;
    }
    WritePhone(0, "100", "pw");
    EXPECT_EQ(GetPhoneExtension(0, nullptr), -1);
    EXPECT_EQ(GetUserPassword(0, nullptr), -1);
}

TEST(PasswordTransform, KnownValues) {
    struct Case {
        const char* name;
        std::string plain, stored;
    } cases[] = {
        {"abc", "abc", Bytes({0x1E, 0x1E, 0x1E})},
        {"empty", "", ""},
        {"position counts", "aaaa", Bytes({0x1E, 0x1F, 0x20, 0x21})},
        {"high byte", Bytes({'x', 'y', 'z', 0xE9}), Bytes({0x07, 0x07, 0x07, 0x99})},
        // A byte equal to its position + 127 turns into a zero; the rest is
        // still transformed up to the original end.
        {"becomes zero", Bytes({0x7F, 'b'}), Bytes({0x00, 0x1E})},
    };
    for (const Case& c : cases) {
        std::string text = c.plain;
        ASSERT_EQ(TransformPassword(text.data()), 0) << c.name;
        EXPECT_EQ(text, c.stored) << c.name;
    }
    EXPECT_EQ(TransformPassword(nullptr), -1);
}

TEST(PasswordTransform, RestoresEveryPrintablePasswordOfUpToFifteenCharacters) {
    for (int position = 0; position < 15; ++position) {
        for (int ch = 0x20; ch <= 0x7E; ++ch) {
            std::string text(15, 'A');
            text[position] = static_cast<char>(ch);
            std::string once = text;
            TransformPassword(once.data());
            ASSERT_EQ(std::strlen(once.c_str()), 15u) << "a zero byte at " << position << " for " << ch;
            TransformPassword(once.data());
            ASSERT_EQ(once, text) << position << " " << ch;
        }
    }
}

}  // namespace
