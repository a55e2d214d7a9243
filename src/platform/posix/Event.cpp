#include "platform/Event.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdint.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <mutex>
#include <set>

#include "platform/Thread.h"

namespace plat {
namespace {

// Manual-reset events that this copy of the platform layer created. Anything
// else (notably an endpoint component's message event) is auto-reset.
std::mutex g_manualMutex;
std::set<int>& ManualSet() {
    static std::set<int>* s = new std::set<int>;  // outlives static destruction
    return *s;
}

// Descriptor 0 is never an event (see MakeEvent), so a null HANDLE is -1.
int Fd(HANDLE h) {
    intptr_t v = reinterpret_cast<intptr_t>(h);
    return v > 0 && v <= INT32_MAX ? static_cast<int>(v) : -1;
}

bool IsManual(int fd) {
    std::lock_guard<std::mutex> lock(g_manualMutex);
    return ManualSet().count(fd) != 0;
}

// Consumes the counter of an auto-reset event. False when another waiter got
// there first.
bool Consume(int fd) {
    uint64_t value;
    for (;;) {
        ssize_t n = ::read(fd, &value, sizeof value);
        if (n == static_cast<ssize_t>(sizeof value)) return true;
        if (n < 0 && errno == EINTR) continue;
        return false;
    }
}

// Milliseconds left of a wait that began at `start`; -1 for INFINITE.
int Remaining(DWORD timeoutMs, DWORD start) {
    if (timeoutMs == INFINITE) return -1;
    DWORD elapsed = GetTickCount() - start;
    return elapsed >= timeoutMs ? 0 : static_cast<int>(timeoutMs - elapsed);
}

DWORD WaitOn(const int* fds, int count, DWORD timeoutMs) {
    bool manual[2] = {false, false};
    for (int i = 0; i < count; ++i) {
        if (fds[i] < 0) return WAIT_FAILED;
        manual[i] = IsManual(fds[i]);
    }
    DWORD start = GetTickCount();
    for (;;) {
        pollfd p[2];
        for (int i = 0; i < count; ++i) p[i] = pollfd{fds[i], POLLIN, 0};
        int rc = ::poll(p, static_cast<nfds_t>(count), Remaining(timeoutMs, start));
        if (rc < 0) {
            if (errno == EINTR) continue;
            return WAIT_FAILED;
        }
        if (rc == 0) return WAIT_TIMEOUT;
        for (int i = 0; i < count; ++i) {
            if (p[i].revents & (POLLERR | POLLNVAL)) return WAIT_FAILED;
            if (!(p[i].revents & POLLIN)) continue;
            if (manual[i] || Consume(fds[i])) return WAIT_OBJECT_0 + static_cast<DWORD>(i);
        }
        // Lost a race for an auto-reset event: wait again for what is left.
        if (Remaining(timeoutMs, start) == 0) return WAIT_TIMEOUT;
    }
}

}  // namespace

HANDLE MakeEvent(bool manualReset, bool initiallySet) {
    int fd = ::eventfd(initiallySet ? 1 : 0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd < 0) return nullptr;
    if (fd == 0) {
        // A null HANDLE means "no event"; never hand out descriptor 0 (it is
        // free when the process runs without standard input).
        int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 1);
        ::close(fd);
        if (moved < 0) return nullptr;
        fd = moved;
    }
    if (manualReset) {
        std::lock_guard<std::mutex> lock(g_manualMutex);
        ManualSet().insert(fd);
    }
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd));
}

bool SetEvent(HANDLE event) {
    int fd = Fd(event);
    if (fd < 0) return false;
    uint64_t one = 1;
    for (;;) {
        ssize_t n = ::write(fd, &one, sizeof one);
        if (n == static_cast<ssize_t>(sizeof one)) return true;
        if (n < 0 && errno == EINTR) continue;
        // EAGAIN means the counter is at its ceiling: the event is set anyway.
        return n < 0 && errno == EAGAIN;
    }
}

bool ResetEvent(HANDLE event) {
    int fd = Fd(event);
    if (fd < 0) return false;
    uint64_t value;
    while (::read(fd, &value, sizeof value) < 0 && errno == EINTR) {
    }
    return true;
}

void CloseEvent(HANDLE event) {
    int fd = Fd(event);
    if (fd < 0) return;
    {
        std::lock_guard<std::mutex> lock(g_manualMutex);
        ManualSet().erase(fd);
    }
    ::close(fd);
}

DWORD WaitForEvent(HANDLE event, DWORD timeoutMs) {
    int fd = Fd(event);
    return WaitOn(&fd, 1, timeoutMs);
}

DWORD WaitForTwoEvents(HANDLE first, HANDLE second, DWORD timeoutMs) {
    int fds[2] = {Fd(first), Fd(second)};
    return WaitOn(fds, 2, timeoutMs);
}

}  // namespace plat
