// How many endpoint and message objects the library has handed out and not
// yet seen released; the library may be unloaded only when both are 0.
#pragma once

#include <atomic>

namespace zavsim {

inline std::atomic<int> g_liveEndPoints{0};
inline std::atomic<int> g_liveMessages{0};
inline std::atomic<int> g_serverLocks{0};

}  // namespace zavsim
