// Stands in for TAPI's line event and completion procedures in tests that
// drive the provider's objects directly: records what arrives, from
// whatever thread reports it, and answers LINE_NEWCALL as told.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

#include "host/NewCallAnswer.h"
#include "tapi/Tapi.h"

namespace zavtest {

using zavhost::NewCallAnswer;

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

class Recorder {
public:
    static void TSPIAPI OnLineEvent(HTAPILINE htLine, HTAPICALL htCall, DWORD msg, DWORD_PTR p1, DWORD_PTR p2,
                                    DWORD_PTR p3);
    static void TSPIAPI OnCompletion(DRV_REQUESTID id, LONG result);

    static std::vector<LineEvent> Events();
    static std::vector<LineEvent> Events(DWORD msg);
    static std::vector<Completion> Completions();
    // Forgets what was recorded and answers new calls immediately again.
    static void Clear();

    // Runs inside the line event procedure after each event is recorded,
    // as an application's reaction would; empty to remove. Cleared by Clear.
    static void SetHook(std::function<void(const LineEvent&)> hook);

    // How the next LINE_NEWCALL is answered, and with which handle.
    static void AnswerNewCall(NewCallAnswer how, HTAPICALL htCall);
    // Under NewCallAnswer::Late: waits for the announcement and writes the
    // handle from the calling thread, as TAPI may from one of its own.
    static bool WriteLateAnswer(DWORD timeoutMs);

private:
    static std::mutex s_mutex;
    static std::vector<LineEvent> s_events;
    static std::vector<Completion> s_completions;
    static std::atomic<NewCallAnswer> s_answer;
    static std::atomic<HTAPICALL> s_answerHandle;
    static std::atomic<HTAPICALL*> s_pendingSlot;
    static std::function<void(const LineEvent&)> s_hook;
};

}  // namespace zavtest
