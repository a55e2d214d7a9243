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
#include "switchlink/ZavPhone.h"
#include "tsp/ZavLine.h"

namespace calltest {

struct LineEvent {
    HTAPILINE htLine;
    HTAPICALL htCall;
    DWORD msg;
    DWORD_PTR p1, p2, p3;
};

struct Completion {
    DWORD id;
    LONG result;
    bool operator==(const Completion& o) const { return id == o.id && result == o.result; }
};

// What the stand-in for TAPI does with the handle slot of a LINE_NEWCALL.
enum class NewCallAnswer { AtOnce, Later, Never };

// Line events and completions arrive on whatever thread reports them.
class Recorder {
public:
    static void TSPIAPI OnLineEvent(HTAPILINE htLine, HTAPICALL htCall, DWORD msg, DWORD_PTR p1, DWORD_PTR p2,
                                    DWORD_PTR p3);
    static void TSPIAPI OnCompletion(DRV_REQUESTID id, LONG result);

    static std::vector<LineEvent> Events();
    static std::vector<LineEvent> Events(DWORD msg);
    static std::vector<Completion> Completions();
    static void Clear();

    // How the next LINE_NEWCALL is answered, and with which handle.
    static void AnswerNewCall(NewCallAnswer how, HTAPICALL htCall);
    // Under NewCallAnswer::Later: waits for the announcement and writes the
    // handle from the calling thread, as TAPI may from one of its own.
    static bool WriteLateAnswer(DWORD timeoutMs);

private:
    static std::mutex s_mutex;
    static std::vector<LineEvent> s_events;
    static std::vector<Completion> s_completions;
    static std::atomic<NewCallAnswer> s_answer;
    static std::atomic<HTAPICALL> s_answerHandle;
    static std::atomic<HTAPICALL*> s_pendingSlot;
};

// The trace log, written to a directory of the run's own.
std::string TraceLog();

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
    void SetUp() override;
    void TearDown() override;

    void AddAccount(const char* ext, int deviceType);
    // Opens line 0 as TSPI_lineOpen does, slots sized to the phone.
    void OpenLine();
    void CloseLine();

    // A call saved in the hub of line 0, with TAPI's handle when given.
    TestCall* SavedCall(HTAPICALL htCall = nullptr, DWORD sal = 0, DWORD state = 0);
    std::string SwitchLog() const { return m_sim.ReadLog(kExt); }
    void ClearSwitchLog() { m_sim.ClearLog(kExt); }

    zavtest::TempRegistry m_registry;
    zavtest::SimSwitch m_sim;
    std::unique_ptr<ZavSession> m_session;
    ZavPhone* m_phone = nullptr;
    ZavLine* m_line = nullptr;
    ZavCallHub* m_hub = nullptr;
    bool m_open = false;
};

}  // namespace calltest
