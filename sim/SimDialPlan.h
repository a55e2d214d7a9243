// How the simulated switch reads a dialled number: an extension of its own,
// a number outside, or nothing it can reach. The README gives the rules.
#pragma once

#include <map>
#include <string>

#include "platform/WinTypes.h"

namespace zavsim {

// An extension that can take part in calls: registered, with its account.
struct SimParty {
    std::string name;  // the account's owner name
    int appearances = 18;
};
using SimParties = std::map<std::string, SimParty>;

enum class SimRoute { Incomplete, Extension, External, Unobtainable };

// Line appearances of a telephone of the given device type.
int LineAppearances(LONG deviceType);

// Adds what was dialled to `number`: pauses and unknown characters are
// dropped, '#' ends the number. True once the number has ended.
bool CollectDigits(const std::string& dialled, std::string* number);

SimRoute RouteNumber(const std::string& number, bool ended, const SimParties& parties);

}  // namespace zavsim
