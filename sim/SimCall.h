// One call of the simulated switch: two sides, each either a leg at one of
// the switch's extensions or a party outside, reached through a trunk.
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace zavsim {

enum class SimLegState { Dialtone, Dialling, Ringback, Ringing, Connected, Held, Busy };

struct SimEnd {
    std::string number;  // the extension, or the outside party's number
    std::string name;
    bool external = false;
    LONG sal = 0;  // the leg's identifier at its extension; 0 outside
    SimLegState state = SimLegState::Dialtone;
    bool collecting = false;  // the provider asked for the far end's digits
    std::string heard;        // digits an outside party has received

    bool IsLeg() const { return !external && !number.empty(); }
};

struct SimCall {
    LONG id = 0;  // the global call id, in every message about the call
    SimEnd caller;
    SimEnd callee;  // no number until the dialled number is complete
    std::string dialled;
    std::string trunk;  // decimal text, for calls through a trunk
};

}  // namespace zavsim
