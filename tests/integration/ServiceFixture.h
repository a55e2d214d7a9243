// The provider as the telephony service sees it: loaded once per process
// by the host emulator, initialised per test with two telephones on the
// simulated switch, and what TAPI heard since the test began.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/TapiHost.h"
#include "support/LogFixture.h"
#include "support/PhoneConfig.h"
#include "support/SimSwitch.h"

namespace zavtest {

// One telephony service per process, and the provider loaded once: its
// load step reads the install path of the log.
class ServiceEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        s_logs = std::make_unique<LogDirectory>();
        std::filesystem::create_directories(s_logs->LogsDir());
        s_host = std::make_unique<zavhost::TapiHost>();
        ASSERT_TRUE(s_host->Load(NativePath(ZAV_PROVIDER_PATH))) << s_host->LastError();
    }
    void TearDown() override {
        s_host.reset();
        s_logs.reset();
    }
    static inline std::unique_ptr<zavhost::TapiHost> s_host;
    static inline std::unique_ptr<LogDirectory> s_logs;
};

// Registered once, whichever test files include this.
inline ::testing::Environment* const g_serviceEnvironment =
    ::testing::AddGlobalTestEnvironment(new ServiceEnvironment);

inline const DWORD kLineBase = 10;

class ServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_sim.Ok()) << m_sim.Error();
        ASSERT_EQ(m_sim.Register(), S_OK);
        m_sim.Reset();
        ConfigurePhones({"201", "202"}, -1, {"pw1", "pw2"});
        AddAccount("201", "pw1", 1);
        AddAccount("202", "pw2", 1);
        ASSERT_EQ(Host().NegotiateTSPIVersion(), 0);
        ASSERT_EQ(Host().EnumDevices(), 0);
        ASSERT_EQ(Host().ProviderInit(kLineBase, 4), 0);
        m_mark = Host().GetJournal().Size();
    }
    void TearDown() override {
        EXPECT_EQ(Host().ProviderShutdown(), 0);
        EXPECT_TRUE(Host().Faults().empty()) << Host().FaultReport();
        EXPECT_EQ(m_sim.EndPointCount(nullptr), 0);
    }

    static zavhost::TapiHost& Host() { return *ServiceEnvironment::s_host; }
    void AddAccount(const char* ext, const char* password, int deviceType, const char* owner = "Owner") {
        ZavSimAccount a{ext, password, deviceType, 4001, 90210, owner};
        ASSERT_EQ(m_sim.AddAccount(&a), 0);
    }
    // Line events since the test began.
    std::vector<zavhost::JournalEntry> LineEvents(DWORD msg) const {
        std::vector<zavhost::JournalEntry> out;
        auto all = Host().GetJournal().Snapshot();
        for (std::size_t i = m_mark; i < all.size(); ++i)
            if (all[i].kind == zavhost::EntryKind::LineEvent && all[i].msg == msg) out.push_back(all[i]);
        return out;
    }

    TempRegistry m_registry;
    SimSwitch m_sim;
    std::size_t m_mark = 0;
};

}  // namespace zavtest
