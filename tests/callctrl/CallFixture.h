// A real session graph for call tests: four telephones, the first one's
// line open and registered with the simulated switch, and recorders that
// stand in for TAPI's line event and completion procedures.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "callctrl/ZavCall.h"
#include "callctrl/ZavCallHub.h"
#include "platform/Thread.h"
#include "provider/ZavSession.h"
#include "support/PhoneConfig.h"
#include "support/SimSwitch.h"
#include "support/TapiRecorder.h"
#include "support/TraceEnvironment.h"
#include "support/Wait.h"
#include "switchlink/ZavPhone.h"
#include "tsp/ZavLine.h"

namespace calltest {

using zavtest::Completion;
using zavtest::LineEvent;
using zavtest::NewCallAnswer;
using zavtest::Recorder;
using zavtest::Eventually;
using zavtest::TraceLog;

// A concrete call that counts itself, so a test sees which calls are still
// alive and the fixture can free what the test left.
class TestCall : public ZavCall {
public:
    explicit TestCall(HTAPICALL htCall = nullptr, DWORD origin = LINECALLORIGIN_INBOUND);
    ~TestCall() override;
    static bool IsAlive(const ZavCall* call);
    static std::size_t LiveCount();
    static void DeleteAll();

    int m_primaryLost = 0;
    void NotifyPrimaryCallDisconnected() override { ++m_primaryLost; }

private:
    static std::mutex s_mutex;
    static std::set<const ZavCall*> s_live;
};

inline HTAPICALL TapiCall(uintptr_t v) {
    return reinterpret_cast<HTAPICALL>(v);
}
inline HDRVCALL DrvCall(DWORD v) {
    return reinterpret_cast<HDRVCALL>(static_cast<uintptr_t>(v));
}
inline DWORD Bits(HDRVCALL h) {
    return static_cast<DWORD>(reinterpret_cast<uintptr_t>(h));
}

inline const char* const kExt = "201";
inline const HTAPILINE kTapiLine = reinterpret_cast<HTAPILINE>(uintptr_t{0x77});

class CallTest : public ::testing::Test {
protected:
    // The registry and the switch component's registration are the same for
    // every test of a suite; only the switch's state is reset per test.
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    void AddAccount(const char* ext, int deviceType);
    // Opens line 0 as TSPI_lineOpen does, slots sized to the phone.
    void OpenLine();
    void CloseLine();

    // A call saved in the hub of line 0, with TAPI's handle when given.
    TestCall* SavedCall(HTAPICALL htCall = nullptr, DWORD sal = 0, DWORD state = 0);
    std::string SwitchLog() const { return m_sim.ReadLog(kExt); }
    void WaitUntilHandled() { ASSERT_TRUE(zavtest::WaitUntilHandled(m_sim, kExt, *m_phone)); }
    void ClearSwitchLog() { m_sim.ClearLog(kExt); }

    static std::unique_ptr<zavtest::TempRegistry> s_registry;
    static std::unique_ptr<zavtest::SimSwitch> s_sim;
    zavtest::SimSwitch& m_sim = *s_sim;
    std::unique_ptr<ZavSession> m_session;
    ZavPhone* m_phone = nullptr;
    ZavLine* m_line = nullptr;
    ZavCallHub* m_hub = nullptr;
    bool m_open = false;
};

}  // namespace calltest
