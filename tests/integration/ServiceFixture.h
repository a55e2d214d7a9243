// The provider as the telephony service sees it: loaded once per process
// by the host emulator, initialised per test with two telephones on the
// simulated switch, and what TAPI heard since the test began.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
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

// Both telephones open, the switch's call model on, and what TAPI heard
// about calls: the tests of call operations start here.
class TwoLineTest : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        ASSERT_EQ(m_sim.SetCallModel(1), 0);
        ASSERT_EQ(Host().LineOpen(kLineBase, &m_line[0]), 0);
        ASSERT_EQ(Host().LineOpen(kLineBase + 1, &m_line[1]), 0);
    }
    void TearDown() override {
        // Read again before each close: closing one call can fail a request
        // that made another, which TAPI then forgets and never closes.
        for (std::size_t i = 0; i < Host().CallCount(); ++i) {
            const std::optional<zavhost::CallView> call = Host().CallAt(i);
            if (call && !call->closed && call->hdCall) {
                EXPECT_EQ(Host().LineCloseCall(call->hdCall), 0);
            }
        }
        for (HDRVLINE line : m_line)
            if (line) Host().LineClose(line);
        ServiceTest::TearDown();
    }
    // Waits until TAPI has heard the call enter `state`.
    bool Reaches(HDRVCALL hdCall, DWORD state) {
        auto view = Host().CallByDriver(hdCall);
        return view && Host().GetJournal().WaitFor(
                           [&](const zavhost::JournalEntry& e) {
                               return e.msg == LINE_CALLSTATE && e.p1 == state && e.htCall == view->htCall;
                           },
                           10000, m_mark);
    }
    // The call TAPI was offered on the line, once it was.
    HDRVCALL Offered(DWORD device) {
        auto e = Host().GetJournal().WaitFor(
            [&](const zavhost::JournalEntry& j) { return j.msg == LINE_NEWCALL && j.deviceId == device; }, 10000,
            m_mark);
        return e ? reinterpret_cast<HDRVCALL>(e->p1) : nullptr;
    }
    // An outside caller rings 201, which answers: the call and the switch's id.
    bool AnsweredFromOutside(HDRVCALL* call, int32_t* id, const char* number = "555") {
        m_mark = Host().GetJournal().Size();
        *id = m_sim.ExternalCall("201", number, "Bob", 0);
        *call = *id > 0 ? Offered(kLineBase) : nullptr;
        return *call && Reaches(*call, LINECALLSTATE_OFFERING) && Host().LineAnswer(*call) == 0 &&
               Reaches(*call, LINECALLSTATE_CONNECTED);
    }
    // The result TAPI was given for the request, once it was.
    std::optional<LONG> Completion(LONG requestId) {
        auto e = Host().GetJournal().WaitFor(
            [&](const zavhost::JournalEntry& j) {
                return j.kind == zavhost::EntryKind::Completion && j.requestId == static_cast<DRV_REQUESTID>(requestId);
            },
            10000, 0);
        return e ? std::optional<LONG>(e->result) : std::nullopt;
    }
    // The leg (SAL) of 201's first call at the switch, and the switch's id
    // of that call: for messages a test injects about it.
    void LegOf201(int32_t* sal, int32_t* callId) {
        const std::string calls = m_sim.DescribeCalls();
        *sal = std::stoi(calls.substr(calls.find("201 sal ") + 8));
        *callId = std::stoi(calls.substr(calls.find("call ") + 5));
    }
    // The far end of that leg hangs up, as the switch reports it.
    bool FarEndHangsUp(int32_t sal, int32_t callId) {
        for (int32_t type : {ZAVSIM_MSG_ONHOOK_REMOTE, ZAVSIM_MSG_ONHOOK_REPLY}) {
            ZavSimMessage msg{};
            msg.category = ZAVSIM_CATEGORY_CALL_CONTROL;
            msg.msgType = type;
            msg.sal1 = sal;
            msg.globalCallId = callId;
            msg.reason = ZAVSIM_REASON_NORMAL;
            if (m_sim.InjectMessage("201", &msg) != 0) return false;
        }
        return true;
    }
    // 201 calls 202 and 202 answers: the caller's and the callee's call.
    bool Connect(HDRVCALL* caller, HDRVCALL* callee) {
        m_mark = Host().GetJournal().Size();
        if (Host().LineMakeCall(m_line[0], "202", caller) <= 0) return false;
        *callee = Offered(kLineBase + 1);
        return *callee && Reaches(*callee, LINECALLSTATE_OFFERING) && Host().LineAnswer(*callee) == 0 &&
               Reaches(*caller, LINECALLSTATE_CONNECTED) && Reaches(*callee, LINECALLSTATE_CONNECTED);
    }

    HDRVLINE m_line[2] = {};
};

}  // namespace zavtest
