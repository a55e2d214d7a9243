#include "platform/Thread.h"

#include <new>

namespace plat {
namespace {

struct StartBlock {
    ThreadProc proc;
    void* arg;
};

DWORD WINAPI ThreadMain(LPVOID p) {
    StartBlock block = *static_cast<StartBlock*>(p);
    delete static_cast<StartBlock*>(p);
    return block.proc(block.arg);
}

}  // namespace

HANDLE StartThread(ThreadProc proc, void* arg, std::size_t stackSize, DWORD* threadId) {
    if (!proc) return nullptr;
    auto* block = new (std::nothrow) StartBlock{proc, arg};
    if (!block) return nullptr;
    DWORD id = 0;
    // Windows rounds a small stack request up to its own minimum by itself.
    HANDLE h = ::CreateThread(nullptr, stackSize, ThreadMain, block, 0, &id);
    if (!h) {
        delete block;
        return nullptr;
    }
    if (threadId) *threadId = id;
    return h;
}

bool RaiseThreadPriority(HANDLE thread) { return ::SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST) != 0; }

int GetThreadPriorityLevel(HANDLE thread) {
    int p = ::GetThreadPriority(thread);
    return p == THREAD_PRIORITY_ERROR_RETURN ? 0 : p;
}

DWORD WaitForThread(HANDLE thread, DWORD timeoutMs) {
    if (!thread) return WAIT_FAILED;
    return ::WaitForSingleObject(thread, timeoutMs);
}

bool GetThreadExitCode(HANDLE thread, DWORD* exitCode) {
    DWORD code = 0;
    if (!thread || !exitCode || !::GetExitCodeThread(thread, &code) || code == STILL_ACTIVE) return false;
    *exitCode = code;
    return true;
}

void CloseThread(HANDLE thread) {
    if (thread) ::CloseHandle(thread);
}

DWORD GetCurrentProcessId() { return ::GetCurrentProcessId(); }

DWORD GetCurrentThreadId() { return ::GetCurrentThreadId(); }

DWORD GetTickCount() { return ::GetTickCount(); }

void Sleep(DWORD ms) { ::Sleep(ms); }

}  // namespace plat
