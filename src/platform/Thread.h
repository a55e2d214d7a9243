// Threads, ids, time.
//
// A thread handle is opaque; close it with CloseThread once waited for. The
// thread procedure's return value is the thread's exit code, which is the only
// way a thread ends: there is no ExitThread, because unwinding a thread out
// from under C++ objects is never what the provider wants.
#pragma once

#include <cstddef>

#include "platform/WinTypes.h"

namespace plat {

typedef DWORD (*ThreadProc)(void* arg);

// Starts a thread with at least `stackSize` bytes of stack, as Windows
// commits them: a minimum, never a limit. Where the stack cannot grow
// (Linux) it is at least the megabyte Windows reserves; 0 means the OS
// default. Returns null on
// failure. `threadId` (optional) receives the new thread's id, the same value
// GetCurrentThreadId returns on that thread.
HANDLE StartThread(ThreadProc proc, void* arg, std::size_t stackSize, DWORD* threadId);

// Raises a thread to the highest normal priority. False when the OS refuses
// (an unprivileged process on Linux may not lower its nice value).
bool RaiseThreadPriority(HANDLE thread);

// The thread's priority on the scale Windows uses for THREAD_PRIORITY_*
// (0 normal, 2 highest); on Linux derived from the thread's nice value.
int GetThreadPriorityLevel(HANDLE thread);
inline constexpr int kThreadPriorityHighest = 2;

// WAIT_OBJECT_0 when the thread has ended, WAIT_TIMEOUT, or WAIT_FAILED.
DWORD WaitForThread(HANDLE thread, DWORD timeoutMs);

// False while the thread runs or for a bad handle.
bool GetThreadExitCode(HANDLE thread, DWORD* exitCode);

// Releases the handle. A thread still running keeps running (detached).
void CloseThread(HANDLE thread);

DWORD GetCurrentProcessId();
DWORD GetCurrentThreadId();

// Milliseconds since an arbitrary start, wrapping at 2^32 like GetTickCount.
DWORD GetTickCount();

void Sleep(DWORD ms);

}  // namespace plat
