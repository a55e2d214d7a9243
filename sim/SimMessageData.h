// The content of one message from the simulated switch. Every field a
// message does not carry stays 0 or empty.
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace zavsim {

struct SimMessageData {
    LONG category = 0;
    LONG type = 0;
    LONG result = 0;
    LONG sal1 = 0;
    LONG sal2 = 0;
    LONG requestId = 0;
    LONG reason = 0;
    LONG digit = 0;
    LONG globalCallId = 0;
    LONG vdn = 0;
    LONG serialNumber = 0;
    LONG deviceType = 0;
    std::string extension;
    std::string callerName;
    std::string callerNum;
    std::string dialedNum;
    std::string trunk;
    std::string redirectingNum;
    std::string redirectionNum;
    bool hasQueryItem6 = false;
    std::string queryItem6;
};

}  // namespace zavsim
