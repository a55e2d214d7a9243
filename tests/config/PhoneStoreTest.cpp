// Storing the dialog's telephone list, and the keys an installation creates.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "config/ConfigFixture.h"
#include "config/ZavDialogState.h"
#include "config/ZavRegistry.h"

namespace {

using zavtest::LogCapture;
using zavtest::PhonePath;
using zavtest::WritePhone;

struct CallbackCall {
    DWORD_PTR objectId;
    DWORD objectType;
    LPVOID params;
    DWORD size;
};
std::vector<CallbackCall> g_callbacks;

LONG CALLBACK RecordingCallback(DWORD_PTR objectId, DWORD objectType, LPVOID params, DWORD size) {
    g_callbacks.push_back({objectId, objectType, params, size});
    return 0;
}

std::string Stored(const std::string& plain) {
    std::string s = plain;
    TransformPassword(s.data());
    return std::string(s.c_str()) + '\0';
}

std::string Text(const char* path, const char* name) {
    std::string text;
    return zavtest::ReadText(path, name, &text) ? text : "<missing>";
}

class SetPhoneExtensionTest : public zavtest::ConfigStoreTest {
protected:
    void SetUp() override {
        ConfigStoreTest::SetUp();
        g_callbacks.clear();
        ZavTheDialogState().Reset();
        ZavTheDialogState().m_pfnUIDLLCallback = RecordingCallback;
    }
    void TearDown() override {
        ZavTheDialogState().Reset();
        ConfigStoreTest::TearDown();
    }

    // `old` telephones in the registry, "old<i>", and `count` table entries.
    static void Prepare(DWORD old, DWORD count) {
        zavtest::WriteDword(kZavProviderKey, "NumPhones", old);
        for (DWORD i = 0; i < old; ++i) WritePhone(i, ("old" + std::to_string(i)).c_str(), "oldpw");
        for (DWORD i = 0; i < count; ++i) {
            std::snprintf(ZavTheDialogState().m_szExtension[i], kZavTableTextSize, "%u",
                          static_cast<unsigned>(200 + i));
            std::snprintf(ZavTheDialogState().m_szPassword[i], kZavTableTextSize, "secret%u",
                          static_cast<unsigned>(i));
        }
    }
};

TEST_F(SetPhoneExtensionTest, ShrinkingWritesTheTableAndDeletesTheRestWithoutSignal) {
    Prepare(4, 2);
    LogCapture log;
    ASSERT_EQ(SetPhoneExtension(2, 4), 0);

    DWORD n = 0;
    EXPECT_TRUE(zavtest::ReadDword(kZavProviderKey, "NumPhones", &n));
    EXPECT_EQ(n, 2u);
    for (DWORD i = 0; i < 2; ++i) {
        std::string path = PhonePath(i);
        EXPECT_EQ(Text(path.c_str(), "Extension"), std::to_string(200 + i) + '\0')
            << "with its terminating zero";
        EXPECT_EQ(Text(path.c_str(), "Password"), Stored("secret" + std::to_string(i)));
    }
    EXPECT_FALSE(zavtest::KeyExists(PhonePath(2).c_str()));
    EXPECT_FALSE(zavtest::KeyExists(PhonePath(3).c_str()));
    EXPECT_TRUE(g_callbacks.empty());
    EXPECT_FALSE(ZavTheDialogState().m_bRebootNeeded);

    // Written in order: count, telephones, deletions.
    std::string text = log.Text();
    std::vector<std::string> order = {"SetPhoneExtension() is invoked P",
                                      "@@@@ Configure Software\\Ostrel\\ZAV\\ZAVTSP\\Phone0 P",
                                      "@@@@ Configure Software\\Ostrel\\ZAV\\ZAVTSP\\Phone1 P",
                                      "@@@@ Delete key Software\\Ostrel\\ZAV\\ZAVTSP\\Phone2 P",
                                      "@@@@ Delete key Software\\Ostrel\\ZAV\\ZAVTSP\\Phone3 P"};
    std::size_t at = 0;
    for (const std::string& line : order) {
        std::size_t found = text.find(line, at);
        ASSERT_NE(found, std::string::npos) << line << "\n" << text;
        at = found;
    }
    EXPECT_EQ(text.find("UI DLL callback"), std::string::npos);
}

TEST_F(SetPhoneExtensionTest, GrowingSignalsTheProviderOnceAndAsksForARebootBeyondOne) {
    struct Case {
        DWORD newCount, oldCount;
        std::size_t callbacks;
        bool reboot;
    } cases[] = {
        {5, 3, 1, true},  {4, 3, 1, false}, {1, 0, 1, false},
        {3, 3, 0, false}, {2, 4, 0, false}, {0, 2, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.newCount) + " from " + std::to_string(c.oldCount));
        zavtest::RemoveConfigKeys();
        ZavTheDialogState().Reset();
        ZavTheDialogState().m_pfnUIDLLCallback = RecordingCallback;
        g_callbacks.clear();
        Prepare(c.oldCount, c.newCount);
        LogCapture log;
        ASSERT_EQ(SetPhoneExtension(c.newCount, c.oldCount), 0);
        ASSERT_EQ(g_callbacks.size(), c.callbacks);
        for (const CallbackCall& call : g_callbacks) {
            EXPECT_EQ(call.objectId, 0u);
            EXPECT_EQ(call.objectType, static_cast<DWORD>(TUISPIDLL_OBJECT_LINEID));
            EXPECT_EQ(call.params, nullptr);
            EXPECT_EQ(call.size, 0u);
        }
        EXPECT_EQ(ZavTheDialogState().m_bRebootNeeded, c.reboot);
        if (c.callbacks) {
            EXPECT_NE(log.Text().find("@@@@ " + std::to_string(c.newCount) + " UI DLL callback P"),
                      std::string::npos);
        }
        DWORD n = 0;
        EXPECT_TRUE(zavtest::ReadDword(kZavProviderKey, "NumPhones", &n));
        EXPECT_EQ(n, c.newCount);
        EXPECT_EQ(CheckPhoneKeys(n), 0);
        EXPECT_FALSE(zavtest::KeyExists(PhonePath(c.newCount).c_str()));
    }
}

TEST_F(SetPhoneExtensionTest, TheTableHoldsTransformedPasswordsAfterwards) {
    Prepare(3, 5);
    // Code-page letters transform to bytes above 0x7F that are not UTF-8
    // (0F 9C 0E 0F 8D 12 21), which the registry must still give back.
    std::strcpy(ZavTheDialogState().m_szPassword[4], "p\xE4ss\xF6rd");
    ASSERT_EQ(SetPhoneExtension(5, 3), 0);
    for (DWORD i = 0; i < 5; ++i) {
        const std::string plain = i == 4 ? "p\xE4ss\xF6rd" : "secret" + std::to_string(i);
        std::string stored = Stored(plain);
        EXPECT_EQ(std::string(ZavTheDialogState().m_szPassword[i]) + '\0', stored) << i;
        EXPECT_EQ(Text(PhonePath(i).c_str(), "Password"), stored) << i;
        char password[kZavPasswordSize];
        ASSERT_EQ(GetUserPassword(i, password), 0);
        EXPECT_EQ(std::string(password) + '\0', stored) << i;
        TransformPassword(password);
        EXPECT_EQ(std::string(password), plain) << "the round trip the dialog makes";
    }
    EXPECT_STREQ(ZavTheDialogState().m_szExtension[4], "204") << "extensions stay as they are";
}

TEST_F(SetPhoneExtensionTest, WithoutACallbackNothingIsSignalled) {
    ZavTheDialogState().m_pfnUIDLLCallback = nullptr;
    Prepare(1, 3);
    LogCapture log;
    EXPECT_EQ(SetPhoneExtension(3, 1), 0);
    EXPECT_TRUE(ZavTheDialogState().m_bRebootNeeded);
    EXPECT_EQ(log.Text().find("UI DLL callback"), std::string::npos);
}

TEST_F(SetPhoneExtensionTest, TooLongEntriesAreStoredButDoNotReadBack) {
    Prepare(0, 2);
    std::strcpy(ZavTheDialogState().m_szExtension[1], "12345678");
    std::strcpy(ZavTheDialogState().m_szPassword[0], "abcdefghijklmnop");
    ASSERT_EQ(SetPhoneExtension(2, 0), 0);
    EXPECT_EQ(Text(PhonePath(1).c_str(), "Extension"), std::string("12345678", 9));
    EXPECT_EQ(CheckPhoneKeys(2), -1) << "the next enumeration fails";
    char password[kZavPasswordSize] = "keep";
    EXPECT_EQ(GetUserPassword(0, password), -1);
    EXPECT_STREQ(password, "keep");
}

TEST_F(SetPhoneExtensionTest, AFullTableEntryIsCutToItsSize) {
    Prepare(0, 1);
    std::memset(ZavTheDialogState().m_szExtension[0], '7', kZavTableTextSize);
    ASSERT_EQ(SetPhoneExtension(1, 0), 0);
    std::string text = Text(PhonePath(0).c_str(), "Extension");
    EXPECT_EQ(text, std::string(kZavTableTextSize - 1, '7') + '\0');
}

TEST_F(SetPhoneExtensionTest, AFailedDeletionIsReportedAndTheOthersGoOn) {
    Prepare(4, 1);
    zavtest::RemoveKey(PhonePath(2).c_str());
    LogCapture log;
    EXPECT_EQ(SetPhoneExtension(1, 4), 0);
    EXPECT_FALSE(zavtest::KeyExists(PhonePath(1).c_str()));
    EXPECT_FALSE(zavtest::KeyExists(PhonePath(3).c_str()));
    EXPECT_NE(
        log.Text().find("**** ERROR: Failed at RegDeleteKeyA(), key Software\\Ostrel\\ZAV\\ZAVTSP\\Phone2 P"),
        std::string::npos);
}

TEST_F(SetPhoneExtensionTest, RefusedWithoutTheProviderKeyOrBeyondTheTable) {
    Prepare(0, 2);
    zavtest::RemoveConfigKeys();
    LogCapture log;
    EXPECT_EQ(SetPhoneExtension(2, 0), -1);
    EXPECT_NE(log.Text().find("**** ERROR: Failed at RegOpenKeyExA(), key Software\\Ostrel\\ZAV\\ZAVTSP P"),
              std::string::npos);
    EXPECT_FALSE(zavtest::KeyExists(kZavProviderKey)) << "a missing key is not created";
    EXPECT_TRUE(g_callbacks.empty());
    EXPECT_STREQ(ZavTheDialogState().m_szPassword[0], "secret0") << "nothing transformed";

    zavtest::WriteDword(kZavProviderKey, "NumPhones", 1);
    EXPECT_EQ(SetPhoneExtension(kZavMaxPhones + 1, 1), -1);
    DWORD n = 0;
    EXPECT_TRUE(zavtest::ReadDword(kZavProviderKey, "NumPhones", &n));
    EXPECT_EQ(n, 1u);
    EXPECT_TRUE(g_callbacks.empty());
}

using CreateKeys = zavtest::ConfigStoreTest;

TEST_F(CreateKeys, AFreshInstallationGetsTheDefaultsAndOneTelephone) {
    LogCapture log;
    ASSERT_EQ(CreateZAVRegistryKeys(), 0);
    struct Value {
        const char* name;
        DWORD value;
    } values[] = {{"CurrentVersion", 0x00020001}, {"NumPhones", 1}, {"EmulateModem", 0}};
    std::string text = log.Text();
    std::size_t at = 0;
    for (const Value& v : values) {
        DWORD got = 0xDEAD;
        EXPECT_TRUE(zavtest::ReadDword(kZavProviderKey, v.name, &got)) << v.name;
        EXPECT_EQ(got, v.value) << v.name;
        std::size_t found = text.find(
            std::string("**** ERROR: Failed at RegQueryValueExA(), creating value ") + v.name + " P", at);
        EXPECT_NE(found, std::string::npos) << v.name << " not traced in order\n" << text;
        at = found == std::string::npos ? at : found;
    }
    EXPECT_EQ(Text(PhonePath(0).c_str(), "Extension"), std::string("100", 4));
    EXPECT_EQ(Text(PhonePath(0).c_str(), "Password"), std::string("61836183", 9)) << "stored untransformed";
    EXPECT_EQ(CheckPhoneKeys(ReadNumPhones()), 0);
}

TEST_F(CreateKeys, AnExistingTelephoneAndPresentValuesAreLeftAlone) {
    WritePhone(0, "555", "mine");
    zavtest::WriteDword(kZavProviderKey, "NumPhones", 7);
    LogCapture log;
    ASSERT_EQ(CreateZAVRegistryKeys(), 0);
    EXPECT_EQ(Text(PhonePath(0).c_str(), "Extension"), std::string("555", 4));
    EXPECT_EQ(Text(PhonePath(0).c_str(), "Password"), std::string("mine", 5));
    DWORD value = 0;
    EXPECT_TRUE(zavtest::ReadDword(kZavProviderKey, "NumPhones", &value));
    EXPECT_EQ(value, 7u);
    EXPECT_TRUE(zavtest::ReadDword(kZavProviderKey, "CurrentVersion", &value));
    EXPECT_EQ(value, 0x00020001u);
    EXPECT_TRUE(zavtest::ReadDword(kZavProviderKey, "EmulateModem", &value));
    EXPECT_EQ(value, 0u);
    std::string text = log.Text();
    EXPECT_NE(text.find("**** RegCreateKeyExA(), key Software\\Ostrel\\ZAV\\ZAVTSP\\Phone0 already exists P"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("creating value NumPhones"), std::string::npos);

    // Running it again changes nothing.
    ASSERT_EQ(CreateZAVRegistryKeys(), 0);
    EXPECT_EQ(Text(PhonePath(0).c_str(), "Extension"), std::string("555", 4));
    EXPECT_EQ(ReadNumPhones(), 7u);
}

}  // namespace
