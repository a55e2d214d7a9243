// One extension the simulated switch lets register.
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace zavsim {

struct SimAccount {
    std::string extension;
    std::string password;  // compared byte for byte with what RegisterA receives
    LONG deviceType = 1;   // an ordinary telephone, unless configured otherwise
    LONG vdn = 0;
    LONG serialNumber = 0;
    std::string ownerName;
};

}  // namespace zavsim
