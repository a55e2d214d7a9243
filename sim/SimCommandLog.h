// What each extension's endpoints were told, one line per command, kept so
// that tests and the demo can check what the provider sent. The key "" holds
// the lines of endpoints released before they ever registered.
#pragma once

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace zavsim {

class SimCommandLog {
public:
    void Append(const std::string& extension, const std::vector<std::string>& lines);
    // Every line followed by '\n'.
    std::string Text(const std::string& extension);
    void Clear(const std::string& extension);
    void ClearAll();
    // True once the extension's log holds `count` lines beginning with
    // `prefix`; false when `timeoutMs` (INFINITE: no limit) runs out first.
    bool WaitFor(const std::string& extension, const std::string& prefix, int count, DWORD timeoutMs);

private:
    int CountLocked(const std::string& extension, const std::string& prefix) const;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<std::string, std::vector<std::string>> m_lines;
};

}  // namespace zavsim
