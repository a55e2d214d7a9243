#include "host/Journal.h"

#include <chrono>

#include "platform/Thread.h"

namespace zavhost {

std::uint64_t Journal::Append(JournalEntry entry) {
    std::uint64_t seq;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        seq = m_entries.size();
        entry.seq = seq;
        entry.threadId = plat::GetCurrentThreadId();
        entry.tick = plat::GetTickCount();
        m_entries.push_back(entry);
        if (m_listener) m_listener(m_entries.back());
    }
    m_changed.notify_all();
    return seq;
}

std::vector<JournalEntry> Journal::Snapshot() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_entries;
}

std::size_t Journal::Size() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_entries.size();
}

bool Journal::WaitUntil(const std::function<bool(const std::vector<JournalEntry>&)>& done, DWORD timeoutMs) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return done(m_entries); });
}

std::optional<JournalEntry> Journal::WaitFor(const std::function<bool(const JournalEntry&)>& match, DWORD timeoutMs,
                                             std::size_t from) const {
    std::optional<JournalEntry> found;
    std::size_t next = from;
    WaitUntil(
        [&](const std::vector<JournalEntry>& entries) {
            for (; next < entries.size(); ++next) {
                if (match(entries[next])) {
                    found = entries[next];
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

bool Journal::WaitForSize(std::size_t size, DWORD timeoutMs) const {
    return WaitUntil([size](const std::vector<JournalEntry>& entries) { return entries.size() >= size; }, timeoutMs);
}

void Journal::SetListener(Listener listener) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_listener = std::move(listener);
}

}  // namespace zavhost
