// One call of the simulated switch: two sides, each either a leg at one of
// the switch's extensions, a party outside reached through a trunk, or a
// park orbit holding the call. Calls of one conference share its id.
#pragma once

#include <cstdint>
#include <string>

#include "platform/WinTypes.h"

namespace zavsim {

enum class SimLegState { Dialtone, Dialling, Ringback, Ringing, Connected, Held, Busy, Conferenced };

struct SimEnd {
    std::string number;  // the extension, the outside party's number, or the orbit
    std::string name;
    bool external = false;
    LONG sal = 0;  // the leg's identifier at its extension; 0 outside
    SimLegState state = SimLegState::Dialtone;
    bool collecting = false;  // the provider asked for the far end's digits
    std::string heard;        // digits an outside party has received
    std::string parkedBy;     // an orbit: the extension that parked the call there

    bool IsLeg() const { return !external && !number.empty(); }
    bool IsOrbit() const { return !parkedBy.empty(); }
    bool IsOutside() const { return external && parkedBy.empty(); }
    bool Present() const { return !number.empty(); }
};

struct SimCall {
    LONG id = 0;  // the global call id, in every message about the call
    SimEnd caller;
    SimEnd callee;  // no number until the dialled number is complete
    std::string dialled;
    std::string trunk;  // decimal text, for calls through a trunk
    // A consultation leg's purpose: the call a transfer put on hold for it,
    // or the conference it was opened for.
    LONG transferFrom = 0;
    LONG conferenceFor = 0;
    // Part of a conference: the caller side is the leg of the extension
    // that built it (empty once it left), the callee side one party.
    LONG conference = 0;
    std::string redirectedBy;  // the extension that sent the ringing call on
    uint64_t rang = 0;         // when the callee began to ring; pickup takes the oldest
};

struct SimConference {
    LONG id = 0;
    std::string owner;  // the extension that built it; empty once it left
};

}  // namespace zavsim
