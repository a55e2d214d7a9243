// Calls leave the hub on TAPI's threads while the message thread looks them
// up: no lookup may see a call that is being freed.
#include <atomic>
#include <thread>

#include "callctrl/CallFixture.h"
#include "provider/ZavTspGlobals.h"

namespace calltest {
namespace {

class CallHubRace : public CallTest {};

TEST_F(CallHubRace, LookupsWhileCallsComeAndGoOnOtherThreads) {
    std::atomic<bool> stop{false};
    std::atomic<long> lookups{0};
    std::thread messageThread([&] {
        while (!stop.load()) {
            DWORD index = 0;
            m_hub->SALToCallPtr(0x61, &index);
            m_hub->SALToCallInclIdlePtr(0x62, &index);
            // The calls found are not used: a call found outside the locks
            // that keep it alive may be gone the next moment.
            for (DWORD id = 0; id < m_hub->MaxNumCalls(); ++id) {
                m_hub->CallIdToCallPtr(id);
                m_hub->CallIdToDeleteCallPtr(id);
            }
            m_hub->FindCallInState(LINECALLSTATE_CONNECTED);
            m_hub->TransferCompletionIdToCallPtr(0x99, false);
            DWORD active = 0, idle = 0, onHold = 0, pending = 0;
            m_hub->NumCallStatistics(&active, &idle, &onHold, &pending);
            lookups.fetch_add(1);
        }
    });
    // A second TAPI thread competes for the slots.
    std::thread otherTapiThread([&] {
        for (int round = 0; round < 200; ++round) {
            auto* call = new TestCall(TapiCall(0x9F0));
            call->SetSAL(0x62);
            if (m_hub->SaveCall(call) >= 0) m_hub->SaveToDeleteCall(call->GetId());
            delete call;
        }
    });
    for (int round = 0; round < 200; ++round) {
        std::vector<TestCall*> calls;
        for (int k = 0; k < 4; ++k)
            calls.push_back(SavedCall(TapiCall(0x900 + k), 0x61 + k % 2,
                                      k % 2 ? LINECALLSTATE_CONNECTED : LINECALLSTATE_OFFERING));
        calls[0]->SetRequestId(eReqSetupTransfer, 0x99);
        calls[3]->SetPrimaryRefCallId(calls[0]->GetId());
        m_hub->SaveToDeleteCall(calls[1]->GetId());
        for (TestCall* call : calls) delete call;
    }
    otherTapiThread.join();
    // The message thread has run alongside at least once more.
    long seen = lookups.load();
    while (lookups.load() < seen + 2) std::this_thread::yield();
    stop.store(true);
    messageThread.join();
    for (DWORD id = 0; id < m_hub->MaxNumCalls(); ++id) {
        EXPECT_EQ(m_hub->CallIdToCallPtr(id), nullptr) << id;
        EXPECT_EQ(m_hub->CallIdToDeleteCallPtr(id), nullptr) << id;
    }
    EXPECT_EQ(TestCall::LiveCount(), 0u);
}

// TAPI closes an offered call while the switch keeps reporting it: the
// message thread's handlers and the close must never overlap on the call.
TEST_F(CallHubRace, TapiClosesACallWhileTheSwitchReportsIt) {
    gpTS.store(m_session.get());
    ZavSimMessage report{};
    report.category = ZAVSIM_CATEGORY_CALL_CONTROL;
    report.sal1 = 5;
    for (int round = 0; round < 100; ++round) {
        const std::size_t announced = Recorder::Events(LINE_NEWCALL).size();
        Recorder::AnswerNewCall(NewCallAnswer::Immediately, TapiCall(0x700 + round));
        report.msgType = 0x28001;  // eNewCall
        report.callerNum = "4711";
        ASSERT_EQ(m_sim.InjectMessage(kExt, &report), 0);
        std::vector<LineEvent> newCalls;
        ASSERT_TRUE(Eventually([&] { return (newCalls = Recorder::Events(LINE_NEWCALL)).size() > announced; }));
        const HDRVCALL hdCall = reinterpret_cast<HDRVCALL>(newCalls.back().p1);
        // Updates and connections of the same call, some of them racing the
        // close below.
        for (int k = 0; k < 6; ++k) {
            report.msgType = k % 2 ? 0x28003 : 0x28002;  // eConnected, eRingBack
            report.callerNum = k % 3 ? "4712" : "4713";
            report.callerName = k % 2 ? "Renamed" : "Again";
            ASSERT_EQ(m_sim.InjectMessage(kExt, &report), 0);
        }
        report.callerName = nullptr;
        EXPECT_EQ(TSPI_lineCloseCall(hdCall), 0);
        WaitUntilHandled();
        EXPECT_EQ(m_hub->SALToCallInclIdlePtr(5, nullptr), nullptr) << round;
    }
    gpTS.store(nullptr);
}

}  // namespace
}  // namespace calltest
