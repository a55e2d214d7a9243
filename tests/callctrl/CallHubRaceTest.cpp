// Calls leave the hub on TAPI's threads while the message thread looks them
// up: no lookup may see a call that is being freed.
#include <atomic>
#include <thread>

#include "callctrl/CallFixture.h"

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

}  // namespace
}  // namespace calltest
