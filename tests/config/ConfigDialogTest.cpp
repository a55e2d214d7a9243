// The configuration dialogs end to end: an entry point opens them, a script
// works them as an administrator would, and what reaches the registry is
// checked. Linux runs them on the console stand-in, Windows (under Wine) as
// the real dialogs of the built provider.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "config/ConfigFixture.h"
#include "config/DialogDriver.h"
#include "config/ZavRegistry.h"
#include "platform/Registry.h"
#include "provider/ZavTspVersion.h"

namespace {

using zavtest::ConfigEntry;
using List = std::vector<std::string>;

const char* const kProvidersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Providers";
const std::string kReboot =
    "[ZAV TAPI Service Provider] The Ostrel ZAV TAPI configuration has been changed on your computer.";
std::string Error(const char* text) {
    return std::string("[ERROR] ") + text;
}

std::string Transformed(std::string text) {
    TransformPassword(text.data());
    return text.c_str();
}

class ConfigDialog : public zavtest::ConfigStoreTest {
protected:
    void SetUp() override {
        std::string why;
        if (!zavtest::DialogsAvailable(&why)) GTEST_SKIP() << why;
        ConfigStoreTest::SetUp();
        plat::DeleteRegKey(HKEY_LOCAL_MACHINE, kProvidersKey);
    }
    void TearDown() override {
        plat::DeleteRegKey(HKEY_LOCAL_MACHINE, kProvidersKey);
        ConfigStoreTest::TearDown();
    }

    // The telephones as "extension:password" (plain); the switch
    // component's key with an address and port.
    static void Configure(const List& phones) {
        zavtest::WriteDword(kZavProviderKey, "NumPhones", static_cast<DWORD>(phones.size()));
        for (DWORD i = 0; i < phones.size(); ++i) {
            const std::size_t colon = phones[i].find(':');
            zavtest::WritePhone(i, phones[i].substr(0, colon).c_str(),
                                Transformed(phones[i].substr(colon + 1)).c_str());
        }
        zavtest::WriteText(kZavServerKey, "ServerIPAddr", "192.0.2.1");
        zavtest::WriteText(kZavServerKey, "ServerPortId", "20485");
    }
    static void ListProvider(const char* file) {
        zavtest::WriteDword(kProvidersKey, "NumProviders", 2);
        zavtest::WriteText(kProvidersKey, "ProviderFilename0", "unimdm.tsp");
        zavtest::WriteText(kProvidersKey, "ProviderFilename1", file);
    }
    static List Stored() {
        List phones;
        for (DWORD i = 0, n = ReadNumPhones(); i < n; ++i) {
            char extension[kZavExtensionSize] = "?", password[kZavPasswordSize] = "";
            GetPhoneExtension(i, extension);
            GetUserPassword(i, password);
            phones.push_back(std::string(extension) + ":" + Transformed(password));
        }
        return phones;
    }
};

TEST_F(ConfigDialog, EditsReachTheRegistryOnlyThroughOk) {
    const List two = {"201:1234", "202:5678"};
    const std::string signal = "0 " + std::to_string(TUISPIDLL_OBJECT_LINEID) + " none 0";
    const struct {
        const char* name;
        List before;
        List steps;
        List after;
        List messages;
        std::size_t signals;
        const char* address = "192.0.2.1";
        ConfigEntry entry = ConfigEntry::kProviderConfig;
    } cases[] = {
        {"add one",
         two,
         {"1026", "1031=203", "1030=pw3", "1", "1"},
         {"201:1234", "202:5678", "203:pw3"},
         {},
         1,
         "192.0.2.1",
         ConfigEntry::kLineConfig},
        {"add two",
         two,
         {"1026", "1031=203", "1", "1026", "1031=204", "1", "1"},
         {"201:1234", "202:5678", "203:", "204:"},
         {kReboot},
         1},
        {"refusals keep the extension dialog open",
         two,
         {"1026", "1", "1031=201", "1", "1031=205", "1", "1"},
         {"201:1234", "202:5678", "205:"},
         {Error("No extension is specified!"), Error("Extension already exists!")},
         1},
        {"modify keeps the password shown",
         two,
         {"1024#1", "1025", "1031=212", "1", "1"},
         {"201:1234", "212:5678"},
         {},
         0},
        {"remove the selected", two, {"1024#1", "1027", "1"}, {"201:1234"}, {kReboot}, 0},
        {"remove the last one", {"201:1234"}, {"1027", "1"}, {}, {kReboot}, 0},
        {"nothing to select",
         {},
         {"1025", "1027", "1"},
         {},
         {Error("No device is selected!"), Error("No device is selected!")},
         0},
        {"shift and add: a range",
         two,
         {"+1026", "1031=200-205", "1", "1"},
         {"201:1234", "202:5678", "200:", "203:", "204:", "205:"},
         {kReboot},
         1},
        {"refused ranges",
         two,
         {"+1026", "1031=205-200", "1", "1031=0-5", "1", "1031=7-7", "1", "1031=", "1", "1031=12", "1", "2",
          "1"},
         two,
         {Error("Invalid extension range is specified!"), Error("Invalid extension range is specified!"),
          Error("Invalid extension range is specified!"), Error("No extension range is specified!"),
          Error("extension range invalid format use: ext1-ext2")},
         0},
        {"shift and remove: a range", two, {"+1027", "1031=200-201", "1", "1"}, {"202:5678"}, {kReboot}, 0},
        {"cancel stores nothing",
         two,
         {"1026", "1031=203", "1", "1024#0", "1027", "1017=10.0.0.1", "2"},
         two,
         {},
         0},
        {"a new address", two, {"1017=192.0.2.99", "1"}, two, {kReboot}, 0, "192.0.2.99"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        zavtest::RemoveConfigKeys();
        Configure(c.before);
        const zavtest::DialogRun run = zavtest::RunConfigEntry(c.entry, c.steps);
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(Stored(), c.after);
        EXPECT_EQ(run.messages, c.messages);
        EXPECT_EQ(run.callbacks, List(c.signals, signal));
        EXPECT_EQ(zavtest::ReadText(kZavServerKey, "ServerIPAddr"), std::string(c.address) + '\0');
        EXPECT_EQ(run.unused, List());
    }
}

// Installing refuses a second instance; the TUISPI way also creates the
// keys with their defaults before the dialog, which Cancel then leaves.
TEST_F(ConfigDialog, InstallingChecksTheProviderListAndCreatesTheDefaults) {
    const List edit = {"1026", "1031=209", "1", "1"};
    const LONG refused = static_cast<LONG>(LINEERR_NOMULTIPLEINSTANCE);
    const struct {
        ConfigEntry entry;
        const char* listed;  // null: the provider list has no such file
        LONG result;
        List after;
    } cases[] = {
        {ConfigEntry::kUiInstall, "ZAVTSP.TSP", refused, {}},
        {ConfigEntry::kTspiInstall, "zavtsp.tsp", refused, {}},
        {ConfigEntry::kUiInstall, "zavtsp.tsp.old", 0, {"100:" + Transformed("61836183")}},
        {ConfigEntry::kTspiInstall, nullptr, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.listed ? c.listed : "not listed") +
                     (c.entry == ConfigEntry::kUiInstall ? " TUISPI" : " TSPI"));
        zavtest::RemoveConfigKeys();
        plat::DeleteRegKey(HKEY_LOCAL_MACHINE, kProvidersKey);
        if (c.listed) ListProvider(c.listed);
        const List steps = c.result ? edit : List{"2"};
        const zavtest::DialogRun run = zavtest::RunConfigEntry(c.entry, steps);
        EXPECT_EQ(run.result, c.result);
        EXPECT_EQ(run.unused, c.result ? edit : List());
        EXPECT_EQ(Stored(), c.after);
        EXPECT_EQ(zavtest::ReadDword(kZavProviderKey, "CurrentVersion"),
                  c.after.empty() ? std::nullopt : std::optional<DWORD>(kZavStoreVersion));
    }
}

// Not a check: a picture of each dialog for the documentation, taken when
// the test script asks for them (ZAV_SCREENSHOT_DIR, Windows under Xvfb).
TEST_F(ConfigDialog, Pictures) {
    if (!std::getenv("ZAV_SCREENSHOT_DIR")) GTEST_SKIP() << "no pictures asked for";
    Configure({"201:1234", "202:5678", "203:"});
    const zavtest::DialogRun run = zavtest::RunConfigEntry(
        ConfigEntry::kProviderConfig,
        {"1017=192.0.2.10", "1024#1", "shot:config-dialog", "1025", "shot:extension-dialog", "2", "+1026",
         "1031=210-219", "shot:range-dialog", "2", "2"});
    EXPECT_EQ(run.unused, List());
}

#ifdef _WIN32
// The library's file properties carry the version the provider announces.
TEST(ProviderFile, CarriesTheProvidersVersion) {
    const std::string path = zavtest::NativePath(ZAV_PROVIDER_PATH);
    std::vector<char> info(GetFileVersionInfoSizeA(path.c_str(), nullptr));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    const std::pair<const char*, const char*> texts[] = {{"ProductVersion", kZavVersionText},
                                                         {"OriginalFilename", "ZAVTSP.TSP"}};
    for (const auto& [name, expected] : texts) {
        void* value = nullptr;
        UINT length = 0;
        const std::string query = std::string("\\StringFileInfo\\040904b0\\") + name;
        ASSERT_TRUE(VerQueryValueA(info.data(), query.c_str(), &value, &length)) << name;
        EXPECT_STREQ(static_cast<const char*>(value), expected);
    }
    unsigned a = 0, b = 0, c = 0;
    ASSERT_EQ(std::sscanf(kZavVersionText, "R%u.%u.%u", &a, &b, &c), 3);
    void* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", &fixed, &length));
    EXPECT_EQ(static_cast<VS_FIXEDFILEINFO*>(fixed)->dwFileVersionMS, (a << 16) | b);
    EXPECT_EQ(static_cast<VS_FIXEDFILEINFO*>(fixed)->dwFileVersionLS, c << 16);
}
#endif

}  // namespace
