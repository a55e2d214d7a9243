#include "SimCommandLog.h"

#include <chrono>

namespace zavsim {

void SimCommandLog::Append(const std::string& extension, const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto& log = m_lines[extension];
        log.insert(log.end(), lines.begin(), lines.end());
    }
    m_changed.notify_all();
}

std::string SimCommandLog::Text(const std::string& extension) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::string text;
    auto it = m_lines.find(extension);
    if (it == m_lines.end()) return text;
    for (const std::string& line : it->second) text += line + "\n";
    return text;
}

void SimCommandLog::Clear(const std::string& extension) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lines.erase(extension);
}

void SimCommandLog::ClearAll() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lines.clear();
}

bool SimCommandLog::WaitFor(const std::string& extension, const std::string& prefix, int count,
                            DWORD timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    auto reached = [&] { return CountLocked(extension, prefix) >= count; };
    if (timeoutMs == INFINITE) {
        m_changed.wait(lock, reached);
        return true;
    }
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), reached);
}

int SimCommandLog::CountLocked(const std::string& extension, const std::string& prefix) const {
    auto it = m_lines.find(extension);
    if (it == m_lines.end()) return 0;
    int count = 0;
    for (const std::string& line : it->second)
        if (line.compare(0, prefix.size(), prefix) == 0) ++count;
    return count;
}

}  // namespace zavsim
