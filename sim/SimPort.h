// The switch's side of one endpoint: its message queue and event, whether
// it is connected, and the extension it registered for.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace zavsim {

class SimMessage;

struct SimPort {
    HANDLE event = nullptr;  // auto-reset, set once per queued message (see QueueLocked)
    bool connected = false;
    bool bound = false;       // has named an extension in RegisterA
    bool registered = false;  // and the switch accepted it: the extension takes part in calls
    std::string extension;
    uint64_t boundOrder = 0;              // the newest registration wins injected messages
    std::deque<SimMessage*> queue;        // one reference each
    std::vector<std::string> unboundLog;  // commands before the registration
};

}  // namespace zavsim
