#include "SimDialPlan.h"

#include <cstring>

namespace zavsim {

int LineAppearances(LONG deviceType) {
    return deviceType == 3 ? 400 : 18;
}

bool CollectDigits(const std::string& dialled, std::string* number) {
    for (char c : dialled) {
        if (c == '#') return true;
        if (c != 0 && std::strchr("0123456789*ABCD", c)) *number += c;
    }
    return false;
}

SimRoute RouteNumber(const std::string& number, bool ended, const SimParties& parties) {
    if (number.empty()) return ended ? SimRoute::Unobtainable : SimRoute::Incomplete;
    if (number.size() >= 7 || number[0] == '0' || number[0] == '9') return SimRoute::External;
    if (parties.count(number)) return SimRoute::Extension;
    if (ended) return SimRoute::Unobtainable;
    // A number that is still the beginning of an extension waits for more.
    auto next = parties.lower_bound(number);
    bool beginning = next != parties.end() && next->first.compare(0, number.size(), number) == 0;
    return beginning ? SimRoute::Incomplete : SimRoute::Unobtainable;
}

}  // namespace zavsim
