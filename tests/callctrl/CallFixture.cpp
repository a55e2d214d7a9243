#include "callctrl/CallFixture.h"


namespace calltest {

std::mutex TestCall::s_mutex;
std::set<const ZavCall*> TestCall::s_live;

TestCall::TestCall(HTAPICALL htCall, DWORD origin) : ZavCall(htCall, origin) {
    std::lock_guard<std::mutex> lock(s_mutex);
    s_live.insert(this);
}

TestCall::~TestCall() {
    std::lock_guard<std::mutex> lock(s_mutex);
    s_live.erase(this);
}

bool TestCall::IsAlive(const ZavCall* call) {
    std::lock_guard<std::mutex> lock(s_mutex);
    return s_live.count(call) != 0;
}

std::size_t TestCall::LiveCount() {
    std::lock_guard<std::mutex> lock(s_mutex);
    return s_live.size();
}

void TestCall::DeleteAll() {
    for (;;) {
        const ZavCall* call = nullptr;
        {
            std::lock_guard<std::mutex> lock(s_mutex);
            if (s_live.empty()) return;
            call = *s_live.begin();
        }
        delete call;
    }
}

std::unique_ptr<zavtest::TempRegistry> CallTest::s_registry;
std::unique_ptr<zavtest::SimSwitch> CallTest::s_sim;

void CallTest::SetUpTestSuite() {
    s_registry = std::make_unique<zavtest::TempRegistry>();
    s_sim = std::make_unique<zavtest::SimSwitch>();
    if (s_sim->Ok()) s_sim->Register();
    zavtest::ConfigurePhones({kExt, "202", "203", "204"}, -1, {"secret"});
}

void CallTest::TearDownTestSuite() {
    s_sim.reset();
    s_registry.reset();
}

void CallTest::SetUp() {
    ASSERT_TRUE(m_sim.Ok()) << m_sim.Error();
    m_sim.Reset();
    AddAccount(kExt, 1);
    m_session = std::make_unique<ZavSession>(0x00020001, 1, 0, 0, 4, 4, &Recorder::OnCompletion);
    ASSERT_EQ(m_session->Init(), 0);
    m_phone = ZavPhone::m_PhoneVect.at(0);
    m_line = ZavLine::m_LineVect.at(0);
    ASSERT_TRUE(m_phone && m_line);
    m_hub = m_phone->GetCallHubPointer();
    ASSERT_NE(m_hub, nullptr);
    OpenLine();
    Recorder::Clear();
    ClearSwitchLog();
}

void CallTest::TearDown() {
    // What the test itself still holds; a call the system should have
    // freed is checked by the test that expects it gone.
    TestCall::DeleteAll();
    // Calls the hub made from the switch's messages.
    for (DWORD id = 0; id < m_hub->MaxNumCalls(); ++id) {
        delete m_hub->CallIdToCallPtr(id);
        delete m_hub->CallIdToDeleteCallPtr(id);
    }
    if (m_open) CloseLine();
    m_session.reset();
    Recorder::Clear();
    EXPECT_EQ(m_sim.EndPointCount(nullptr), 0) << "an endpoint outlived its phone";
}

void CallTest::AddAccount(const char* ext, int deviceType) {
    ZavSimAccount a{ext, "secret", deviceType, 55, 7, "Doe, John"};
    ASSERT_EQ(m_sim.AddAccount(&a), 0);
}

void CallTest::OpenLine() {
    m_line->Activate(kTapiLine, &Recorder::OnLineEvent);
    m_phone->ActivateLineDevice();
    ASSERT_EQ(m_phone->Init(), 0);
    m_hub->CheckCallVectSize();
    m_open = true;
}

void CallTest::CloseLine() {
    m_line->Deactivate();
    m_phone->DeactivateLineDevice();
    m_open = false;
}

TestCall* CallTest::SavedCall(HTAPICALL htCall, DWORD sal, DWORD state) {
    auto* call = new TestCall(htCall);
    call->SetSAL(sal);
    call->UpdateCallState(state);
    EXPECT_GE(m_hub->SaveCall(call), 0);
    return call;
}

}  // namespace calltest
