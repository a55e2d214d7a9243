#include "host/CurrentHost.h"

#include <condition_variable>
#include <mutex>

namespace zavhost::current_host {

namespace {
std::mutex g_mutex;
std::condition_variable g_idle;
TapiHost* g_host = nullptr;
unsigned g_uses = 0;
unsigned long g_orphans = 0;
}  // namespace

bool Claim(TapiHost* host) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_host) return false;
    g_host = host;
    return true;
}

void Release(TapiHost* host) {
    std::unique_lock<std::mutex> lock(g_mutex);
    if (g_host != host) return;
    g_host = nullptr;
    g_idle.wait(lock, [] { return g_uses == 0; });
}

TapiHost* Get() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_host;
}

Use::Use() {
    std::lock_guard<std::mutex> lock(g_mutex);
    m_host = g_host;
    if (m_host)
        ++g_uses;
    else
        ++g_orphans;
}

Use::~Use() {
    if (!m_host) return;
    std::lock_guard<std::mutex> lock(g_mutex);
    if (--g_uses == 0) g_idle.notify_all();
}

unsigned long Orphans() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_orphans;
}

}  // namespace zavhost::current_host
