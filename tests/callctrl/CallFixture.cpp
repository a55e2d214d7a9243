#include "callctrl/CallFixture.h"

#include <filesystem>

#include "support/LogFixture.h"
#include "trace/ZavTraceLog.h"

namespace calltest {

namespace {

// The trace log is process-wide: one install directory for the whole run.
class TraceEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        m_dir = std::make_unique<zavtest::LogDirectory>();
        std::filesystem::create_directories(m_dir->LogsDir());
        ZavTheTraceLog().Init();
        ZavTheTraceLog().RegisterModule("ZAVTSP");
        ZavTheTraceLog().SetMaxSize(50);
        s_logPath = m_dir->Path("ZAV.log");
    }
    static std::string s_logPath;

private:
    std::unique_ptr<zavtest::LogDirectory> m_dir;
};
std::string TraceEnvironment::s_logPath;
const auto* g_traceEnvironment = ::testing::AddGlobalTestEnvironment(new TraceEnvironment);

}  // namespace

std::string TraceLog() {
    return zavtest::LogDirectory::Read(TraceEnvironment::s_logPath);
}

std::mutex Recorder::s_mutex;
std::vector<LineEvent> Recorder::s_events;
std::vector<Completion> Recorder::s_completions;
std::atomic<NewCallAnswer> Recorder::s_answer{NewCallAnswer::AtOnce};
std::atomic<HTAPICALL> Recorder::s_answerHandle{nullptr};
std::atomic<HTAPICALL*> Recorder::s_pendingSlot{nullptr};

void TSPIAPI Recorder::OnLineEvent(HTAPILINE htLine, HTAPICALL htCall, DWORD msg, DWORD_PTR p1, DWORD_PTR p2,
                                   DWORD_PTR p3) {
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        s_events.push_back(LineEvent{htLine, htCall, msg, p1, p2, p3});
    }
    if (msg != LINE_NEWCALL || p2 == 0) return;
    auto* slot = reinterpret_cast<HTAPICALL*>(p2);
    switch (s_answer.load()) {
        case NewCallAnswer::AtOnce:
            *slot = s_answerHandle.load();
            break;
        case NewCallAnswer::Later:
            s_pendingSlot.store(slot);
            break;
        case NewCallAnswer::Never:
            break;
    }
}

void TSPIAPI Recorder::OnCompletion(DRV_REQUESTID id, LONG result) {
    std::lock_guard<std::mutex> lock(s_mutex);
    s_completions.push_back(Completion{id, result});
}

std::vector<LineEvent> Recorder::Events() {
    std::lock_guard<std::mutex> lock(s_mutex);
    return s_events;
}

std::vector<LineEvent> Recorder::Events(DWORD msg) {
    std::vector<LineEvent> out;
    for (const LineEvent& e : Events())
        if (e.msg == msg) out.push_back(e);
    return out;
}

std::vector<Completion> Recorder::Completions() {
    std::lock_guard<std::mutex> lock(s_mutex);
    return s_completions;
}

void Recorder::Clear() {
    std::lock_guard<std::mutex> lock(s_mutex);
    s_events.clear();
    s_completions.clear();
    s_pendingSlot.store(nullptr);
    s_answer.store(NewCallAnswer::AtOnce);
    s_answerHandle.store(nullptr);
}

void Recorder::AnswerNewCall(NewCallAnswer how, HTAPICALL htCall) {
    s_answerHandle.store(htCall);
    s_answer.store(how);
}

bool Recorder::WriteLateAnswer(DWORD timeoutMs) {
    DWORD start = plat::GetTickCount();
    HTAPICALL* slot = nullptr;
    // Polls a condition another thread brings about; the bound only turns
    // a hang into a failure.
    while (!(slot = s_pendingSlot.load())) {
        if (plat::GetTickCount() - start > timeoutMs) return false;
        plat::Sleep(1);
    }
    std::atomic_ref<HTAPICALL>(*slot).store(s_answerHandle.load());
    return true;
}

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

void CallTest::SetUp() {
    ASSERT_TRUE(m_sim.Ok()) << m_sim.Error();
    ASSERT_EQ(m_sim.Register(), S_OK);
    m_sim.Reset();
    zavtest::ConfigurePhones({kExt, "202", "203", "204"}, -1, {"secret"});
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
