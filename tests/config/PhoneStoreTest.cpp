// Storing the dialog's telephone list, and the keys an installation creates.
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "config/ConfigFixture.h"
#include "config/ZavDialogState.h"
#include "config/ZavRegistry.h"
#include "platform/Registry.h"

namespace {

using zavtest::KeyExists;
using zavtest::LogCapture;
using zavtest::PhonePath;
using zavtest::ReadDword;
using zavtest::ReadText;
using zavtest::WritePhone;

// Each call the dialog's callback had: object id, object type, whether there
// were parameters, their size.
std::vector<std::string> g_callbacks;

LONG CALLBACK RecordingCallback(DWORD_PTR objectId, DWORD objectType, LPVOID params, DWORD size) {
    g_callbacks.push_back(std::to_string(objectId) + " " + std::to_string(objectType) +
                          (params ? " params " : " none ") + std::to_string(size));
    return 0;
}

std::string Stored(const std::string& plain) {
    std::string s = plain;
    TransformPassword(s.data());
    return std::string(s.c_str()) + '\0';
}

class SetPhoneExtensionTest : public zavtest::ConfigStoreTest {
protected:
    void SetUp() override {
        ConfigStoreTest::SetUp();
        ResetDialog();
    }
    void TearDown() override {
        ZavTheDialogState().Reset();
        ConfigStoreTest::TearDown();
    }

    static void ResetDialog() {
        g_callbacks.clear();
        ZavTheDialogState().Reset();
        ZavTheDialogState().m_pfnUIDLLCallback = RecordingCallback;
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

    EXPECT_EQ(ReadDword(kZavProviderKey, "NumPhones"), 2u);
    for (DWORD i = 0; i < 2; ++i) {
        EXPECT_EQ(ReadText(PhonePath(i), "Extension"), std::to_string(200 + i) + '\0')
            << "with its terminating zero";
        EXPECT_EQ(ReadText(PhonePath(i), "Password"), Stored("secret" + std::to_string(i)));
    }
    EXPECT_FALSE(KeyExists(PhonePath(2)));
    EXPECT_FALSE(KeyExists(PhonePath(3)));
    EXPECT_FALSE(ZavTheDialogState().m_bRebootNeeded);

    // Written in order: count, telephones, deletions.
    const std::string text = log.Text();
    std::size_t at = 0;
    for (const char* line :
         {"SetPhoneExtension() is invoked P", "@@@@ Configure Software\\Ostrel\\ZAV\\ZAVTSP\\Phone0 P",
          "@@@@ Configure Software\\Ostrel\\ZAV\\ZAVTSP\\Phone1 P",
          "@@@@ Delete key Software\\Ostrel\\ZAV\\ZAVTSP\\Phone2 P",
          "@@@@ Delete key Software\\Ostrel\\ZAV\\ZAVTSP\\Phone3 P"}) {
        at = text.find(line, at);
        ASSERT_NE(at, std::string::npos) << line << "\n" << text;
    }
}

// Only growing tells the provider, once whatever the number added, and only
// when the dialog was given a callback; more than one new telephone needs a
// reboot either way.
TEST_F(SetPhoneExtensionTest, GrowingSignalsTheProviderOnceAndAsksForARebootBeyondOne) {
    struct Case {
        DWORD newCount, oldCount;
        std::size_t callbacks;
        bool reboot;
        bool withCallback = true;
    } cases[] = {
        {5, 3, 1, true},  {4, 3, 1, false}, {1, 0, 1, false},       {3, 3, 0, false},
        {2, 4, 0, false}, {0, 2, 0, false}, {3, 1, 0, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.newCount) + " from " + std::to_string(c.oldCount));
        zavtest::RemoveConfigKeys();
        ResetDialog();
        if (!c.withCallback) ZavTheDialogState().m_pfnUIDLLCallback = nullptr;
        Prepare(c.oldCount, c.newCount);
        LogCapture log;
        ASSERT_EQ(SetPhoneExtension(c.newCount, c.oldCount), 0);
        const std::string lineCallback = "0 " + std::to_string(TUISPIDLL_OBJECT_LINEID) + " none 0";
        EXPECT_EQ(g_callbacks, std::vector<std::string>(c.callbacks, lineCallback));
        EXPECT_EQ(ZavTheDialogState().m_bRebootNeeded, c.reboot);
        const std::string traced =
            c.callbacks ? "@@@@ " + std::to_string(c.newCount) + " UI DLL callback P" : "UI DLL callback";
        EXPECT_EQ(log.Has(traced), c.callbacks > 0) << log.Text();
        EXPECT_EQ(ReadDword(kZavProviderKey, "NumPhones"), c.newCount);
        EXPECT_EQ(CheckPhoneKeys(c.newCount), 0);
        EXPECT_FALSE(KeyExists(PhonePath(c.newCount)));
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
        EXPECT_EQ(ReadText(PhonePath(i), "Password"), stored) << i;
        char password[kZavPasswordSize];
        ASSERT_EQ(GetUserPassword(i, password), 0);
        EXPECT_EQ(std::string(password) + '\0', stored) << i;
        TransformPassword(password);
        EXPECT_EQ(std::string(password), plain) << "the round trip the dialog makes";
    }
    EXPECT_STREQ(ZavTheDialogState().m_szExtension[4], "204") << "extensions stay as they are";
}

// Entries go to the registry as the table holds them, even when too long to
// read back; an entry that fills its slot is cut to the slot.
TEST_F(SetPhoneExtensionTest, EntriesAreStoredAsTheTableHoldsThem) {
    Prepare(0, 2);
    std::memset(ZavTheDialogState().m_szExtension[0], '7', kZavTableTextSize);
    std::strcpy(ZavTheDialogState().m_szExtension[1], "12345678");
    ASSERT_EQ(SetPhoneExtension(2, 0), 0);
    EXPECT_EQ(ReadText(PhonePath(0), "Extension"), std::string(kZavTableTextSize - 1, '7') + '\0');
    EXPECT_EQ(ReadText(PhonePath(1), "Extension"), std::string("12345678", 9));
    EXPECT_EQ(CheckPhoneKeys(2), -1) << "the next enumeration fails";
}

TEST_F(SetPhoneExtensionTest, AFailedDeletionIsReportedAndTheOthersGoOn) {
    Prepare(4, 1);
    ASSERT_EQ(plat::DeleteRegKey(HKEY_LOCAL_MACHINE, PhonePath(2).c_str()), ERROR_SUCCESS);
    LogCapture log;
    EXPECT_EQ(SetPhoneExtension(1, 4), 0);
    EXPECT_FALSE(KeyExists(PhonePath(1)));
    EXPECT_FALSE(KeyExists(PhonePath(3)));
    EXPECT_TRUE(
        log.Has("**** ERROR: Failed at RegDeleteKeyA(), key Software\\Ostrel\\ZAV\\ZAVTSP\\Phone2 P"));
}

TEST_F(SetPhoneExtensionTest, RefusedWithoutTheProviderKeyOrBeyondTheTable) {
    Prepare(0, 2);
    zavtest::RemoveConfigKeys();
    LogCapture log;
    EXPECT_EQ(SetPhoneExtension(2, 0), -1);
    EXPECT_TRUE(log.Has("**** ERROR: Failed at RegOpenKeyExA(), key Software\\Ostrel\\ZAV\\ZAVTSP P"));
    EXPECT_FALSE(KeyExists(kZavProviderKey)) << "a missing key is not created";
    EXPECT_STREQ(ZavTheDialogState().m_szPassword[0], "secret0") << "nothing transformed";

    zavtest::WriteDword(kZavProviderKey, "NumPhones", 1);
    EXPECT_EQ(SetPhoneExtension(kZavMaxPhones + 1, 1), -1);
    EXPECT_EQ(ReadDword(kZavProviderKey, "NumPhones"), 1u);
    EXPECT_TRUE(g_callbacks.empty());
}

using CreateKeys = zavtest::ConfigStoreTest;

TEST_F(CreateKeys, AFreshInstallationGetsTheDefaultsAndOneTelephone) {
    LogCapture log;
    ASSERT_EQ(CreateZAVRegistryKeys(), 0);
    const std::string text = log.Text();
    std::size_t at = 0;
    const std::pair<const char*, DWORD> values[] = {
        {"CurrentVersion", 0x00020001}, {"NumPhones", 1}, {"EmulateModem", 0}};
    for (const auto& [name, value] : values) {
        EXPECT_EQ(ReadDword(kZavProviderKey, name), value) << name;
        std::size_t found = text.find(
            std::string("**** ERROR: Failed at RegQueryValueExA(), creating value ") + name + " P", at);
        EXPECT_NE(found, std::string::npos) << name << " not traced in order\n" << text;
        at = found == std::string::npos ? at : found;
    }
    EXPECT_EQ(ReadText(PhonePath(0), "Extension"), std::string("100", 4));
    EXPECT_EQ(ReadText(PhonePath(0), "Password"), std::string("61836183", 9)) << "stored untransformed";
    EXPECT_EQ(CheckPhoneKeys(ReadNumPhones()), 0);
}

TEST_F(CreateKeys, AnExistingTelephoneAndPresentValuesAreLeftAlone) {
    WritePhone(0, "555", "mine");
    zavtest::WriteDword(kZavProviderKey, "NumPhones", 7);
    LogCapture log;
    ASSERT_EQ(CreateZAVRegistryKeys(), 0);
    EXPECT_TRUE(log.Has("**** RegCreateKeyExA(), key Software\\Ostrel\\ZAV\\ZAVTSP\\Phone0 already exists P"))
        << log.Text();
    EXPECT_FALSE(log.Has("creating value NumPhones"));
    // Running it again changes nothing either.
    ASSERT_EQ(CreateZAVRegistryKeys(), 0);
    EXPECT_EQ(ReadText(PhonePath(0), "Extension"), std::string("555", 4));
    EXPECT_EQ(ReadText(PhonePath(0), "Password"), std::string("mine", 5));
    EXPECT_EQ(ReadDword(kZavProviderKey, "NumPhones"), 7u);
    EXPECT_EQ(ReadDword(kZavProviderKey, "CurrentVersion"), 0x00020001u);
    EXPECT_EQ(ReadDword(kZavProviderKey, "EmulateModem"), 0u);
}

}  // namespace
