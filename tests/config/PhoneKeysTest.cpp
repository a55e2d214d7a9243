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

std::string Transformed(std::string text) {
    EXPECT_EQ(TransformPassword(text.data()), 0);
    return std::string(text.c_str());
}

using ProviderValues = ConfigStoreTest;

TEST_F(ProviderValues, MissingOrMistypedValuesReadAsZero) {
    struct Case {
        const char* name;
        void (*setUp)();
        DWORD numPhones, emulateModem;
    } cases[] = {
        {"no provider key", [] {}, 0, 0},
        {"key without values", [] { zavtest::WriteText(kZavProviderKey, "CurrentVersion", "x"); }, 0, 0},
        {"both set",
         [] {
             zavtest::WriteDword(kZavProviderKey, "NumPhones", 3);
             zavtest::WriteDword(kZavProviderKey, "EmulateModem", 1);
         },
         3, 1},
        {"text instead of a number",
         [] {
             zavtest::WriteText(kZavProviderKey, "NumPhones", "3");
             zavtest::WriteText(kZavProviderKey, "EmulateModem", "1");
         },
         0, 0},
    };
    for (const Case& c : cases) {
        zavtest::RemoveConfigKeys();
        c.setUp();
        EXPECT_EQ(ReadNumPhones(), c.numPhones) << c.name;
        EXPECT_EQ(ReadEmulateModem(), c.emulateModem) << c.name;
    }
}

TEST_F(ProviderValues, NoTelephonesIsAValidConfiguration) {
    zavtest::WriteDword(kZavProviderKey, "EmulateModem", 0);
    DWORD n = ReadNumPhones();
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(CheckPhoneKeys(n), 0);
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
        std::string text = log.Text();
        EXPECT_NE(text.find("CheckPhoneKeys() is invoked P"), std::string::npos) << c.name;
        EXPECT_NE(text.find(c.message), std::string::npos) << c.name << "\n" << text;
        EXPECT_EQ(text.find("Phone0"), std::string::npos) << "a good telephone was reported: " << c.name;
        EXPECT_EQ(text.find("Phone1"), std::string::npos) << "a good telephone was reported: " << c.name;
    }
}

TEST_F(PhoneKeys, ExtensionsOfSevenCharactersReadBackAndLongerOnesDoNot) {
    struct Case {
        const char* name;
        std::string bytes;  // REG_SZ data as stored, terminator included or not
        bool readable;
        const char* expected;
    } cases[] = {
        {"seven", std::string("1234567", 8), true, "1234567"},
        {"seven, no terminator", std::string("1234567", 7), true, "1234567"},
        {"eight", std::string("12345678", 9), false, nullptr},
        {"eight, no terminator", std::string("12345678", 8), false, nullptr},
        {"empty", std::string("", 1), true, ""},
    };
    for (const Case& c : cases) {
        zavtest::RemoveConfigKeys();
        zavtest::WriteBytes(PhonePath(0).c_str(), "Extension", REG_SZ, c.bytes);
        char out[kZavExtensionSize + 4];
        std::memset(out, '#', sizeof out);
        std::strcpy(out, "keep");
        LogCapture log;
        int rc = GetPhoneExtension(0, out);
        EXPECT_EQ(rc, c.readable ? 0 : -1) << c.name;
        EXPECT_EQ(CheckPhoneKeys(1), c.readable ? 0 : -1) << c.name;
        if (c.readable) {
            EXPECT_STREQ(out, c.expected) << c.name;
        } else {
            EXPECT_STREQ(out, "keep") << "changed on failure: " << c.name;
            EXPECT_NE(log.Text().find("**** GetPhoneExtension() Extension is not found under "
                                      "Software\\Ostrel\\ZAV\\ZAVTSP\\Phone0! P"),
                      std::string::npos)
                << c.name;
        }
        for (std::size_t i = kZavExtensionSize; i < sizeof out; ++i)
            EXPECT_EQ(out[i], '#') << "wrote past " << i;
    }
}

TEST_F(PhoneKeys, ExtensionOfAMissingTelephone) {
    WritePhone(0, "100", "pw");
    char out[kZavExtensionSize] = "keep";
    LogCapture log;
    EXPECT_EQ(GetPhoneExtension(1, out), -1);
    EXPECT_STREQ(out, "keep");
    EXPECT_NE(
        log.Text().find("**** GetPhoneExtension() Software\\Ostrel\\ZAV\\ZAVTSP\\Phone1 key is not found in "
                        "the Registry! P"),
        std::string::npos);
    EXPECT_EQ(GetPhoneExtension(0, nullptr), -1);
    EXPECT_EQ(GetPhoneExtension(0, out), 0);
    EXPECT_STREQ(out, "100");
}

TEST_F(PhoneKeys, PasswordsComeBackInTheirStoredFormUpToFifteenCharacters) {
    struct Case {
        const char* name;
        bool writeKey;
        const char* stored;  // nullptr: no value
        bool readable;
        const char* message;
    } cases[] = {
        {"fifteen", true, "abcdefghijklmno", true, nullptr},
        {"empty", true, "", true, nullptr},
        {"sixteen", true, "abcdefghijklmnop", false,
         "**** Password is not found under Software\\Ostrel\\ZAV\\ZAVTSP\\Phone0! P"},
        {"no value", true, nullptr, false,
         "**** Password is not found under Software\\Ostrel\\ZAV\\ZAVTSP\\Phone0! P"},
        {"no key", false, nullptr, false,
         "**** Software\\Ostrel\\ZAV\\ZAVTSP\\Phone0 key is not found in the Registry! P"},
    };
    for (const Case& c : cases) {
        zavtest::RemoveConfigKeys();
        std::string stored = c.stored ? Transformed(c.stored) : std::string();
        if (c.writeKey) WritePhone(0, "100", c.stored ? stored.c_str() : nullptr);
        char out[kZavPasswordSize + 4];
        std::memset(out, '#', sizeof out);
        std::strcpy(out, "keep");
        LogCapture log;
        EXPECT_EQ(GetUserPassword(0, out), c.readable ? 0 : -1) << c.name;
        std::string text = log.Text();
        EXPECT_NE(text.find("GetUserPassword() is invoked P"), std::string::npos) << c.name;
        if (c.readable) {
            EXPECT_EQ(std::string(out), stored) << "not the stored form: " << c.name;
        } else {
            EXPECT_STREQ(out, "keep") << c.name;
            EXPECT_NE(text.find(c.message), std::string::npos) << c.name << "\n" << text;
        }
        for (std::size_t i = kZavPasswordSize; i < sizeof out; ++i)
            EXPECT_EQ(out[i], '#') << "wrote past " << i;
    }
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
