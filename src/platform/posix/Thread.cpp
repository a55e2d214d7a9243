#include "platform/Thread.h"

#include <errno.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>

namespace plat {
namespace {

// The Windows scale goes from -2 (lowest) to +2 (highest) for normal
// threads; nice values map onto it five steps at a time.
constexpr int kNiceHighest = -10;

// Windows reserves a megabyte of stack for every thread unless told
// otherwise. glibc carves a thread's static TLS out of its stack block, and
// a sanitizer runtime keeps most of a megabyte there, so the block gets a
// second megabyte for it. Address space only: pages are committed as used.
constexpr std::size_t kMinimumReserve = std::size_t{2} << 20;

struct ThreadObject {
    ThreadProc proc = nullptr;
    void* arg = nullptr;
    pthread_t thread{};
    std::mutex mutex;
    std::condition_variable cv;
    bool started = false;
    bool ended = false;
    bool joined = false;
    pid_t tid = 0;
    DWORD exitCode = 0;
    std::atomic<int> refs{2};  // the handle and the running thread

    void Unref() {
        if (refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
    }
};

void* ThreadMain(void* p) {
    auto* t = static_cast<ThreadObject*>(p);
    {
        std::lock_guard<std::mutex> lock(t->mutex);
        t->tid = static_cast<pid_t>(::syscall(SYS_gettid));
        t->started = true;
    }
    t->cv.notify_all();
    DWORD code = t->proc(t->arg);
    {
        std::lock_guard<std::mutex> lock(t->mutex);
        t->exitCode = code;
        t->ended = true;
    }
    t->cv.notify_all();
    t->Unref();
    return nullptr;
}

ThreadObject* FromHandle(HANDLE h) { return static_cast<ThreadObject*>(h); }

}  // namespace

HANDLE StartThread(ThreadProc proc, void* arg, std::size_t stackSize, DWORD* threadId) {
    if (!proc) return nullptr;
    auto* t = new (std::nothrow) ThreadObject;
    if (!t) return nullptr;
    t->proc = proc;
    t->arg = arg;

    pthread_attr_t attr;
    if (pthread_attr_init(&attr) != 0) {
        delete t;
        return nullptr;
    }
    if (stackSize != 0) {
        // On Windows a thread's stack size is what is committed at the start;
        // the stack can still grow into the reserve behind it, and callbacks
        // into TAPI run on these stacks. A pthread stack cannot grow, so the
        // request is a minimum with Windows' default reserve under it.
        std::size_t size = stackSize < kMinimumReserve ? kMinimumReserve : stackSize;
        long minimum = ::sysconf(_SC_THREAD_STACK_MIN);
        if (minimum > 0 && size < static_cast<std::size_t>(minimum)) size = static_cast<std::size_t>(minimum);
        pthread_attr_setstacksize(&attr, size);
    }
    int rc = pthread_create(&t->thread, &attr, ThreadMain, t);
    pthread_attr_destroy(&attr);
    if (rc != 0) {
        delete t;
        return nullptr;
    }
    std::unique_lock<std::mutex> lock(t->mutex);
    t->cv.wait(lock, [t] { return t->started; });
    if (threadId) *threadId = static_cast<DWORD>(t->tid);
    return t;
}

bool RaiseThreadPriority(HANDLE thread) {
    ThreadObject* t = FromHandle(thread);
    if (!t) return false;
    std::lock_guard<std::mutex> lock(t->mutex);
    if (t->ended) return false;
    return ::setpriority(PRIO_PROCESS, static_cast<id_t>(t->tid), kNiceHighest) == 0;
}

int GetThreadPriorityLevel(HANDLE thread) {
    ThreadObject* t = FromHandle(thread);
    if (!t) return 0;
    pid_t tid;
    {
        std::lock_guard<std::mutex> lock(t->mutex);
        if (t->ended) return 0;
        tid = t->tid;
    }
    errno = 0;
    int nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
    if (errno != 0) return 0;
    int level = -nice / 5;
    if (level > kThreadPriorityHighest) level = kThreadPriorityHighest;
    if (level < -kThreadPriorityHighest) level = -kThreadPriorityHighest;
    return level;
}

DWORD WaitForThread(HANDLE thread, DWORD timeoutMs) {
    ThreadObject* t = FromHandle(thread);
    if (!t) return WAIT_FAILED;
    std::unique_lock<std::mutex> lock(t->mutex);
    if (timeoutMs == INFINITE) {
        t->cv.wait(lock, [t] { return t->ended; });
    } else if (!t->cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [t] { return t->ended; })) {
        return WAIT_TIMEOUT;
    }
    if (!t->joined) {
        // The thread has left its procedure; joining only reaps it.
        t->joined = true;
        lock.unlock();
        pthread_join(t->thread, nullptr);
    }
    return WAIT_OBJECT_0;
}

bool GetThreadExitCode(HANDLE thread, DWORD* exitCode) {
    ThreadObject* t = FromHandle(thread);
    if (!t || !exitCode) return false;
    std::lock_guard<std::mutex> lock(t->mutex);
    if (!t->ended) return false;
    *exitCode = t->exitCode;
    return true;
}

void CloseThread(HANDLE thread) {
    ThreadObject* t = FromHandle(thread);
    if (!t) return;
    {
        std::lock_guard<std::mutex> lock(t->mutex);
        if (!t->joined) {
            t->joined = true;
            pthread_detach(t->thread);
        }
    }
    t->Unref();
}

// Both are asked for on every trace line; on Windows they are reads of the
// thread's own block, here they would be system calls each time. A thread
// keeps its id, and the provider never forks.
DWORD GetCurrentProcessId() {
    static const DWORD pid = static_cast<DWORD>(::getpid());
    return pid;
}

DWORD GetCurrentThreadId() {
    thread_local const DWORD tid = static_cast<DWORD>(::syscall(SYS_gettid));
    return tid;
}

DWORD GetTickCount() {
    timespec ts;
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<DWORD>(static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

void Sleep(DWORD ms) {
    timespec ts;
    ts.tv_sec = ms / 1000;
    ts.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
    while (::nanosleep(&ts, &ts) == -1 && errno == EINTR) {
    }
}

}  // namespace plat
