// Waiting in tests for what another thread brings about. The bounds only
// turn a hang into a failure; nothing waits for a time to pass.
#pragma once

#include <atomic>
#include <string>

#include "support/Eventually.h"
#include "support/SimSwitch.h"
#include "switchlink/ZavPhone.h"

namespace zavtest {

// The extension's messages are handled in arrival order: once a phone
// query reply sent now has changed the owner name, everything queued
// before it has been handled in full, not just taken off the queue.
inline bool WaitUntilHandled(SimSwitch& sim, const char* extension, const ZavPhone& phone) {
    static std::atomic<int> s_marker{0};
    std::string marker = "Handled " + std::to_string(++s_marker);
    return sim.InjectPhoneQueryReply(extension, marker.c_str()) == 0 &&
           Eventually([&] { return phone.GetOwnerName() == marker; });
}

}  // namespace zavtest
