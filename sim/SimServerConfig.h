// The switch address the component connects to, kept in the component's
// own registry key so that it outlives every process that sets it.
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace zavsim {

// Stores the address, and the port when it is positive (callers that only
// change the address pass 0). An HRESULT.
HRESULT StoreServerConfig(const std::string& address, LONG port);

// The stored address (empty when none) and port (the default when none, or
// when the stored text is no port number). An HRESULT.
HRESULT LoadServerConfig(std::string* address, LONG* port);

}  // namespace zavsim
