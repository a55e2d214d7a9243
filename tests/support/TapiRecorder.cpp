#include "support/TapiRecorder.h"

#include "platform/Thread.h"

namespace zavtest {

std::mutex Recorder::s_mutex;
std::vector<LineEvent> Recorder::s_events;
std::vector<Completion> Recorder::s_completions;
std::atomic<NewCallAnswer> Recorder::s_answer{NewCallAnswer::Immediately};
std::atomic<HTAPICALL> Recorder::s_answerHandle{nullptr};
std::atomic<HTAPICALL*> Recorder::s_pendingSlot{nullptr};
std::function<void(const LineEvent&)> Recorder::s_hook;

void Recorder::SetHook(std::function<void(const LineEvent&)> hook) {
    std::lock_guard<std::mutex> lock(s_mutex);
    s_hook = std::move(hook);
}

void TSPIAPI Recorder::OnLineEvent(HTAPILINE htLine, HTAPICALL htCall, DWORD msg, DWORD_PTR p1, DWORD_PTR p2,
                                   DWORD_PTR p3) {
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        s_events.push_back(LineEvent{htLine, htCall, msg, p1, p2, p3});
    }
    std::function<void(const LineEvent&)> hook;
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        hook = s_hook;
    }
    if (hook) hook(LineEvent{htLine, htCall, msg, p1, p2, p3});
    if (msg != LINE_NEWCALL || p2 == 0) return;
    auto* slot = reinterpret_cast<HTAPICALL*>(p2);
    switch (s_answer.load()) {
        case NewCallAnswer::Immediately:
            *slot = s_answerHandle.load();
            break;
        case NewCallAnswer::Late:
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
    s_hook = nullptr;
    s_pendingSlot.store(nullptr);
    s_answer.store(NewCallAnswer::Immediately);
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

}  // namespace zavtest
