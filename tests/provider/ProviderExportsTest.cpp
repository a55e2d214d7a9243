// The provider-level entry points, called through the loaded library as the
// telephony service calls them.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "host/ProviderModule.h"
#include "support/LogFixture.h"
#include "support/PhoneConfig.h"
#include "tapi/Tapi.h"

namespace {

typedef LONG(TSPIAPI* EnumDevicesFn)(DWORD, LPDWORD, LPDWORD, HPROVIDER, LINEEVENT, PHONEEVENT);
typedef LONG(TSPIAPI* InitFn)(DWORD, DWORD, DWORD, DWORD, DWORD_PTR, DWORD_PTR, ASYNC_COMPLETION, LPDWORD);
typedef LONG(TSPIAPI* ShutdownFn)(DWORD, DWORD);
typedef LONG(TSPIAPI* CreateLineFn)(DWORD_PTR, DWORD);
typedef LONG(TSPIAPI* GenericDialogDataFn)(DWORD_PTR, DWORD, LPVOID, DWORD);

constexpr DWORD kVersion = 0x00020001;

// The library is loaded once per process, as TAPI does: its load step reads
// the install path, so the registry must be in place first.
class LoadedProvider : public ::testing::Environment {
public:
    void SetUp() override {
        m_logs = std::make_unique<zavtest::LogDirectory>();
        std::filesystem::create_directories(m_logs->LogsDir());
        ASSERT_TRUE(s_module.Load(zavtest::NativePath(ZAV_PROVIDER_PATH))) << s_module.LastError();
    }
    void TearDown() override {
        // Unloading would free what the library keeps for the process's
        // lifetime; TAPI does not unload a provider mid-session either.
        m_logs.reset();
    }
    static zavhost::ProviderModule s_module;
    static std::unique_ptr<zavtest::LogDirectory> m_logs;
};
zavhost::ProviderModule LoadedProvider::s_module;
std::unique_ptr<zavtest::LogDirectory> LoadedProvider::m_logs;

class ProviderExports : public ::testing::Test {
protected:
    void SetUp() override {
        m_enum = LoadedProvider::s_module.Get<EnumDevicesFn>("TSPI_providerEnumDevices");
        m_init = LoadedProvider::s_module.Get<InitFn>("TSPI_providerInit");
        m_shutdown = LoadedProvider::s_module.Get<ShutdownFn>("TSPI_providerShutdown");
        m_createLine = LoadedProvider::s_module.Get<CreateLineFn>("TSPI_providerCreateLineDevice");
        m_dialogData = LoadedProvider::s_module.Get<GenericDialogDataFn>("TSPI_providerGenericDialogData");
        ASSERT_TRUE(m_enum && m_init && m_shutdown && m_createLine && m_dialogData);
    }
    void TearDown() override {
        m_shutdown(kVersion, 1);
        zavtest::ClearPhones();
    }

    LONG Init(DWORD lineBase, DWORD phoneBase, DWORD n, DWORD* options = nullptr) {
        DWORD ignored = 0;
        return m_init(kVersion, 1, lineBase, phoneBase, n, n, nullptr, options ? options : &ignored);
    }

    EnumDevicesFn m_enum = nullptr;
    InitFn m_init = nullptr;
    ShutdownFn m_shutdown = nullptr;
    CreateLineFn m_createLine = nullptr;
    GenericDialogDataFn m_dialogData = nullptr;
};

TEST_F(ProviderExports, EnumerationCountsOneLineAndOnePhonePerTelephone) {
    struct Case {
        std::vector<std::string> extensions;
        int numPhones;  // -1: as many as extensions
        DWORD result, lines;
    } cases[] = {
        {{}, -2, 0, 0},                                   // no NumPhones value at all
        {{"201", "202"}, -1, 0, 2},                       //
        {{"201", "", "203"}, -1, LINEERR_OPERATIONFAILED, 99},  // Phone1 without Extension
        {{"201", "202"}, 3, LINEERR_OPERATIONFAILED, 99},       // Phone2 missing
        {{"1234567"}, -1, 0, 1},                          // seven characters fit
        {{"12345678"}, -1, LINEERR_OPERATIONFAILED, 99},  // eight do not
    };
    for (const Case& c : cases) {
        if (c.numPhones == -2)
            zavtest::ClearPhones();
        else
            zavtest::ConfigurePhones(c.extensions, c.numPhones);
        DWORD lines = 99, phones = 99;
        EXPECT_EQ(static_cast<DWORD>(m_enum(1, &lines, &phones, nullptr, nullptr, nullptr)), c.result)
            << c.extensions.size();
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(phones, c.lines);
    }
}

TEST_F(ProviderExports, InitialisationResults) {
    zavtest::ConfigurePhones({"201", "202"});
    DWORD options = 0;
    EXPECT_EQ(Init(10, 4, 2, &options), 0);
    EXPECT_EQ(options, static_cast<DWORD>(LINETSPIOPTION_NONREENTRANT));
    EXPECT_EQ(static_cast<DWORD>(Init(10, 4, 2)), 0x80000052u) << "second initialisation";
    // The first session still works: it accepts the line it announced.
    zavtest::ConfigurePhones({"201", "202", "203"});
    EXPECT_EQ(m_createLine(7, 12), 0);
    EXPECT_EQ(m_shutdown(kVersion, 1), 0);

    zavtest::ClearPhones();
    EXPECT_EQ(static_cast<DWORD>(Init(0, 0, 0)), 0x8000004Bu) << "no lines";
    zavtest::ConfigurePhones({"201"});
    EXPECT_EQ(static_cast<DWORD>(Init(0, 0, 2)), 0x8000004Bu) << "TAPI's count has a telephone without a key";
    EXPECT_EQ(Init(0, 0, 1), 0) << "failed attempts leave no session behind";
}

TEST_F(ProviderExports, ShutdownResultsAndReinitialisation) {
    EXPECT_EQ(m_shutdown(kVersion, 1), 0) << "not initialised";
    zavtest::ConfigurePhones({"201"});
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(Init(0, 0, 1), 0) << round;
        EXPECT_EQ(m_shutdown(kVersion, 1), 0);
    }
    ASSERT_EQ(Init(0, 0, 1), 0);
    EXPECT_EQ(static_cast<DWORD>(m_shutdown(0x00020000, 1)), 0x8000000Cu);
    EXPECT_EQ(Init(0, 0, 1), 0) << "a wrong version still destroys the session";
}

TEST_F(ProviderExports, AddingATelephoneWhileRunning) {
    EXPECT_EQ(static_cast<DWORD>(m_createLine(7, 0)), 0x80000044u) << "no session";
    EXPECT_EQ(static_cast<DWORD>(m_dialogData(0, TUISPIDLL_OBJECT_LINEID, nullptr, 0)), 0x80000044u);
    zavtest::ConfigurePhones({"201", "202", "203", "204"}, 2);
    ASSERT_EQ(Init(10, 4, 2), 0);
    EXPECT_EQ(static_cast<DWORD>(m_dialogData(0, TUISPIDLL_OBJECT_LINEID, nullptr, 0)), 0x80000048u)
        << "no open line to announce it through";
    EXPECT_EQ(static_cast<DWORD>(m_createLine(8, 12)), 0x80000002u) << "not the announced id";
    EXPECT_EQ(m_createLine(7, 12), 0);
    EXPECT_EQ(static_cast<DWORD>(m_createLine(7, 13)), 0x80000002u) << "the id moved on";
    EXPECT_EQ(m_createLine(8, 13), 0);
    std::string log = zavtest::LogDirectory::Read(LoadedProvider::m_logs->Path("ZAV.log"));
    EXPECT_NE(log.find("ZavSession::AddNewLine() ### x203 line 12 initialized"), std::string::npos);
    EXPECT_NE(log.find("ZavSession::AddNewLine() ### x204 line 13 initialized"), std::string::npos);
}

TEST_F(ProviderExports, TracesEveryEntryWithTheProcessThreadAndLineSuffix) {
    zavtest::ConfigurePhones({"201", "202"});
    ASSERT_EQ(Init(10, 4, 2), 0);
    std::string log = zavtest::LogDirectory::Read(LoadedProvider::m_logs->Path("ZAV.log"));
    for (const char* text : {"---- TSPI_providerInit() is invoked P", "dwLineDeviceIDBase 0x0000000A P",
                             "TSP Version 2.1 P", "ZavSession::Init() ### x201 device 10 initialized P",
                             "ZavSession::Init() ### x202 device 11 initialized P", "dllMain() DLL_PROCESS_ATTACH P"})
        EXPECT_NE(log.find(text), std::string::npos) << text;
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new LoadedProvider);
    return RUN_ALL_TESTS();
}
