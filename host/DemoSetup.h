// Two demo telephones on the stand-in switch, configured as an installer
// and the configuration dialog would: the provider's telephone list, the
// switch's accounts for the same extensions, and the switch component
// registered by class id. Shared by the demo and the console.
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace zavhost {

struct DemoTelephone {
    const char* extension;
    const char* password;
    DWORD deviceType;
    DWORD vdn;
    DWORD serial;
    const char* owner;
};
inline constexpr DemoTelephone kDemoTelephones[] = {
    {"201", "1234", 1, 4001, 70201, "Reception"},
    {"202", "5678", 3, 4002, 70202, "Sales queue"},
};

// Passwords are stored in the transformed form the configuration dialog
// writes: byte i becomes (i - b + 127) mod 256.
std::string TransformedPassword(const std::string& plain);

// Writes the demo telephones and their switch accounts into the registry,
// the provider's install path (where its Logs folder is) when one is given,
// and registers the stand-in component loaded from `simPath`. Each line of
// `report` says what was done. False, with the reason in `error`, when the
// registry cannot be written or the component not registered.
bool SetUpDemo(const std::string& simPath, const char* installPath, std::string* report, std::string* error);

// The number of telephones the registry configures (0 when none).
DWORD ConfiguredTelephones();

}  // namespace zavhost
