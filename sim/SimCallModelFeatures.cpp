// The call model's features beyond a plain call: transfer, redirect, park
// and unpark, pickup and forwarding, and the refusals a test arms for any
// of them. Conferences have a file of their own.
#include <set>
#include <string>
#include <utility>

#include "SimCallModel.h"
#include "ZavSimControl.h"

namespace zavsim {

bool SimCallModel::RefuseNext(const std::string& ext, LONG command, LONG result) {
    auto either = [result](LONG usual, LONG other) {
        return result == 0 || result == usual || result == other;
    };
    LONG usual = ZAVSIM_RESULT_REFUSED;
    switch (command) {
        case ZAVSIM_CMD_HOLD:
        case ZAVSIM_CMD_UNHOLD:
        case ZAVSIM_CMD_TRANSFER:
        case ZAVSIM_CMD_CONFERENCE:
        case ZAVSIM_CMD_ADD_TO_CONF:
            break;
        case ZAVSIM_CMD_OFFHOOK:
            if (result > 0) return false;  // a failure code, or none for the usual one
            usual = ZAVSIM_E_NO_APPEARANCE;
            break;
        case ZAVSIM_CMD_REDIRECT:
            if (!either(ZAVSIM_MSG_REDIRECT_GENERAL_FAILURE, ZAVSIM_MSG_REDIRECT_EXT_BUSY) &&
                result != ZAVSIM_MSG_REDIRECT_NOT_ALLOWED)
                return false;
            usual = ZAVSIM_MSG_REDIRECT_GENERAL_FAILURE;
            break;
        case ZAVSIM_CMD_PARK:
            if (!either(ZAVSIM_MSG_PARK_GENERAL_FAILURE, ZAVSIM_MSG_PARK_INVALID_EXT) &&
                result != ZAVSIM_MSG_PARK_CANCELLED)
                return false;
            usual = ZAVSIM_MSG_PARK_GENERAL_FAILURE;
            break;
        default:
            return false;
    }
    m_refusals[{ext, command}] = result ? result : usual;
    return true;
}

bool SimCallModel::TakeRefusal(const std::string& ext, LONG command, LONG* result) {
    auto it = m_refusals.find({ext, command});
    if (it == m_refusals.end()) return false;
    *result = it->second;
    m_refusals.erase(it);
    return true;
}

// The leg of the extension's newest call that is in the state: the one a
// command without a SAL acts on. A conference's legs are not the
// extension's to hand to another feature.
SimCallModel::Leg SimCallModel::NewestLeg(const std::string& ext, SimLegState state, const SimCall* except) {
    for (auto it = m_calls.rbegin(); it != m_calls.rend(); ++it) {
        if (it->second.conference || &it->second == except) continue;
        for (SimEnd* end : {&it->second.caller, &it->second.callee}) {
            if (end->IsLeg() && end->number == ext && end->state == state)
                return {&it->second, end,
                        end == &it->second.caller ? &it->second.callee : &it->second.caller};
        }
    }
    return {};
}

// The connected call goes on hold without a hold reply (the provider shows
// it pending transfer itself) and a consultation leg gets dial tone. Without
// a call to transfer or room for the leg, the reply names no leg. The
// command names no leg, so only the one the telephone talks on can be
// meant: a held call is never taken instead (the call the application
// meant may have ended while the command was on its way).
void SimCallModel::SetUpTransfer(const std::string& ext, LONG handle) {
    LONG refusal = 0;
    bool refused = TakeRefusal(ext, ZAVSIM_CMD_TRANSFER, &refusal);
    Leg held = NewestLeg(ext, SimLegState::Connected);
    LONG sal = refused || !held ? 0 : TakeSal(ext, 0);
    if (!sal) {
        SimMessageData& reply = SayTo(ext, 0, 0, ZAVSIM_MSG_TRANSFER_REPLY);
        reply.requestId = handle;
        reply.result = refused ? refusal : ZAVSIM_RESULT_REFUSED;
        return;
    }
    held.end->state = SimLegState::Held;
    LONG heldCall = held.call->id;
    SimCall& consultation = StartCall(ext, sal);
    consultation.transferFrom = heldCall;
    Say(consultation.caller, consultation, ZAVSIM_MSG_TRANSFER_REPLY).requestId = handle;
}

// The party on hold and the consultation's far end are put through to each
// other, as they are: talking, or the held party hearing the other ring.
// The transferring extension's two legs leave: the end reply names the
// consultation leg, then each leg goes on hook. Each far end at an
// extension hears its new party on its own leg, as an update of its call.
// The joined call keeps the consultation's id; a call between two parties
// outside is only a bridge of two trunks and leaves the model.
void SimCallModel::CompleteTransfer(const std::string& ext, LONG sal) {
    Leg consult = FindLeg(ext, sal);
    bool reached = consult && !consult.call->conference && consult.other->Present() &&
                   !consult.other->IsOrbit() &&
                   (consult.end->state == SimLegState::Ringback ||
                    consult.end->state == SimLegState::Connected || consult.end->state == SimLegState::Held);
    Leg held;
    if (reached) {
        SimCall* from = FindCall(consult.call->transferFrom);
        if (from && from != consult.call && !from->conference)
            for (SimEnd* end : {&from->caller, &from->callee})
                if (end->IsLeg() && end->number == ext)
                    held = {from, end, end == &from->caller ? &from->callee : &from->caller};
        if (held && (!held.other->Present() || held.other->IsOrbit())) held = {};
    }
    if (!held) {
        SayTo(ext, sal, consult ? consult.call->id : 0, ZAVSIM_MSG_TRANSFER_END_REPLY).result =
            ZAVSIM_RESULT_REFUSED;
        return;
    }
    SimCall& joined = *consult.call;
    Say(*consult.end, joined, ZAVSIM_MSG_TRANSFER_END_REPLY);
    Say(*held.end, *held.call, ZAVSIM_MSG_ONHOOK_REPLY).reason = ZAVSIM_REASON_NORMAL;
    Say(*consult.end, joined, ZAVSIM_MSG_ONHOOK_REPLY).reason = ZAVSIM_REASON_NORMAL;
    SimEnd& target = *consult.other;
    *consult.end = *held.other;
    SimEnd& party = *consult.end;
    if (target.state == SimLegState::Ringing) party.state = SimLegState::Ringback;
    if (!target.IsOutside()) joined.trunk = held.call->trunk;
    joined.dialled.clear();  // neither party dialled the other
    joined.transferFrom = 0;
    m_calls.erase(held.call->id);
    if (!party.IsLeg() && !target.IsLeg()) {
        m_calls.erase(joined.id);
        return;
    }
    for (auto [to, from] : {std::pair{&party, &target}, std::pair{&target, &party}}) {
        if (!to->IsLeg()) continue;
        SimMessageData& update = Say(*to, joined, ZAVSIM_MSG_NEW_CALL);
        update.callerNum = from->number;
        update.callerName = from->name;
        update.redirectingNum = ext;
        update.reason = ZAVSIM_REASON_TRANSFER;
        if (from->IsOutside()) update.trunk = joined.trunk;
    }
}

// A ringing call goes on to another extension of the switch, and the leg
// that sent it away hangs up. The switch sends no call out again. The call
// remembers who sent it, for the time-out that brings it back.
void SimCallModel::Redirect(const std::string& ext, LONG sal, const std::string& digits) {
    LONG refusal = 0;
    bool refused = TakeRefusal(ext, ZAVSIM_CMD_REDIRECT, &refusal);
    Leg leg = FindLeg(ext, sal);
    std::string number;
    CollectDigits(digits, &number);
    LONG answer = ZAVSIM_MSG_REDIRECT_GENERAL_FAILURE;
    if (refused) {
        answer = refusal;
    } else if (leg && leg.end == &leg.call->callee && leg.end->state == SimLegState::Ringing &&
               !leg.call->conference) {
        switch (RouteNumber(number, true, m_parties)) {
            case SimRoute::Extension: {
                bool reachable = number != ext && number != leg.call->caller.number &&
                                 !m_busy.count(number) && TakeSal(number, 0) != 0;
                answer = reachable ? ZAVSIM_MSG_REDIRECT_SUCCESS : ZAVSIM_MSG_REDIRECT_EXT_BUSY;
                break;
            }
            case SimRoute::External:
                answer = ZAVSIM_MSG_REDIRECT_NOT_ALLOWED;
                break;
            default:
                break;
        }
    }
    SayTo(ext, sal, leg ? leg.call->id : 0, answer);
    if (answer != ZAVSIM_MSG_REDIRECT_SUCCESS) return;
    Say(*leg.end, *leg.call, ZAVSIM_MSG_ONHOOK_REPLY).reason = ZAVSIM_REASON_NORMAL;
    leg.call->dialled = number;
    leg.call->redirectedBy = ext;
    Offer(*leg.call, number);
}

// The parked leg leaves: the provider ends its call on the park's success.
// The far end stays in the call, held by the orbit, until it is unparked,
// recalled or hangs up. One orbit holds one call.
void SimCallModel::Park(const std::string& ext, LONG sal, const std::string& digits) {
    LONG refusal = 0;
    bool refused = TakeRefusal(ext, ZAVSIM_CMD_PARK, &refusal);
    Leg leg = FindLeg(ext, sal);
    std::string orbit;
    CollectDigits(digits, &orbit);
    bool parkable = leg && !leg.call->conference && leg.other->Present() && !leg.other->IsOrbit() &&
                    (leg.end->state == SimLegState::Connected || leg.end->state == SimLegState::Held);
    LONG answer = refused             ? refusal
                  : !parkable         ? ZAVSIM_MSG_PARK_GENERAL_FAILURE
                  : orbit.empty()     ? ZAVSIM_MSG_PARK_INVALID_EXT
                  : FindParked(orbit) ? ZAVSIM_MSG_PARK_GENERAL_FAILURE
                                      : ZAVSIM_MSG_PARK_SUCCESS;
    SayTo(ext, sal, leg ? leg.call->id : 0, answer);
    if (answer != ZAVSIM_MSG_PARK_SUCCESS) return;
    *leg.end = SimEnd{};
    leg.end->number = orbit;
    leg.end->external = true;
    leg.end->parkedBy = ext;
    leg.end->state = SimLegState::Held;
}

SimCall* SimCallModel::FindParked(const std::string& orbit) {
    for (auto& entry : m_calls)
        for (const SimEnd* end : {&entry.second.caller, &entry.second.callee})
            if (end->IsOrbit() && end->number == orbit) return &entry.second;
    return nullptr;
}

// Unpark and pickup are asked for on a fresh leg, still in dial tone: the
// switch takes the request as dialling, so the tone stops first.
SimCallModel::Leg SimCallModel::FeatureLeg(const std::string& ext, LONG sal) {
    Leg leg = FindLeg(ext, sal);
    if (!leg || leg.end != &leg.call->caller || leg.other->Present() ||
        (leg.end->state != SimLegState::Dialtone && leg.end->state != SimLegState::Dialling))
        return {};
    if (leg.end->state == SimLegState::Dialtone) {
        leg.end->state = SimLegState::Dialling;
        Say(*leg.end, *leg.call, ZAVSIM_MSG_STOP_DIALTONE);
    }
    return leg;
}

// The leg takes the orbit's place in the parked call, and the leg's own
// call, which never reached anyone, is gone. Nothing parked there: the leg
// hears the number unobtainable and stays until it hangs up.
void SimCallModel::Unpark(const std::string& ext, LONG sal, const std::string& digits) {
    Leg leg = FeatureLeg(ext, sal);
    if (!leg) return;
    std::string orbit;
    CollectDigits(digits, &orbit);
    SimCall* parked = FindParked(orbit);
    const SimEnd* held = !parked ? nullptr : parked->caller.IsOrbit() ? &parked->callee : &parked->caller;
    if (!held || held->number == ext) return Refuse(*leg.call, ZAVSIM_REASON_UNOBTAINABLE);
    SimEnd taker = *leg.end;
    taker.state = SimLegState::Connected;
    m_calls.erase(leg.call->id);
    SimEnd& place = parked->caller.IsOrbit() ? parked->caller : parked->callee;
    SimEnd& party = parked->caller.IsOrbit() ? parked->callee : parked->caller;
    place = taker;
    party.state = SimLegState::Connected;
    SimMessageData& unparked = Say(place, *parked, ZAVSIM_MSG_UNPARK_SUCCESS);
    unparked.callerNum = party.number;
    unparked.callerName = party.name;
    SimMessageData& connected = Say(place, *parked, ZAVSIM_MSG_CONNECTED);
    connected.callerNum = party.number;
    connected.callerName = party.name;
    if (party.IsOutside()) connected.trunk = parked->trunk;
    if (party.IsLeg()) {
        SimMessageData& told = Say(party, *parked, ZAVSIM_MSG_CONNECTED);
        told.callerNum = place.number;
        told.callerName = place.name;
    }
}

// A directed pickup names the ringing extension; else the digits name a
// pickup group, none the picking extension's own. The oldest call ringing
// there comes to the leg: the ringing leg lets go as if the caller had
// given up, the call's parties are connected and each hears whose call it
// was (redirectingNum). Nothing ringing there: the leg hears the number
// unobtainable and stays until it hangs up.
void SimCallModel::Pickup(const std::string& ext, LONG sal, const std::string& digits, bool directed) {
    Leg leg = FeatureLeg(ext, sal);
    if (!leg) return;
    std::string number;
    CollectDigits(digits, &number);
    std::set<std::string> where;
    if (directed) {
        where.insert(number);
    } else {
        auto own = m_pickupGroups.find(ext);
        std::string group = !number.empty() ? number : own != m_pickupGroups.end() ? own->second : "";
        for (const auto& [member, itsGroup] : m_pickupGroups)
            if (!group.empty() && itsGroup == group) where.insert(member);
    }
    where.erase(ext);
    SimCall* ringing = nullptr;
    for (auto& [id, call] : m_calls)
        if (!call.conference && call.callee.IsLeg() && call.callee.state == SimLegState::Ringing &&
            where.count(call.callee.number) && call.caller.number != ext &&
            (!ringing || call.rang < ringing->rang))
            ringing = &call;
    if (!ringing) return Refuse(*leg.call, ZAVSIM_REASON_UNOBTAINABLE);
    SimEnd taker = *leg.end;
    taker.state = SimLegState::Connected;
    m_calls.erase(leg.call->id);
    SimCall& call = *ringing;
    const SimEnd was = call.callee;
    Say(was, call, ZAVSIM_MSG_ONHOOK_REMOTE);
    Say(was, call, ZAVSIM_MSG_ONHOOK_REPLY).reason = ZAVSIM_REASON_NORMAL;
    call.callee = taker;
    if (call.caller.state == SimLegState::Ringback) call.caller.state = SimLegState::Connected;
    for (auto [to, from] : {std::pair{&call.callee, &call.caller}, std::pair{&call.caller, &call.callee}}) {
        if (!to->IsLeg()) continue;
        SimMessageData& connected = Say(*to, call, ZAVSIM_MSG_CONNECTED);
        connected.callerNum = from->number;
        connected.callerName = from->name;
        connected.dialedNum = call.dialled;
        connected.trunk = call.trunk;
        connected.redirectingNum = was.number;
    }
}

// The switch keeps one forwarding per extension; no digits cancel it. The
// provider passes no mode, so the ring count tells: 0 forwards every call
// at once, more forwards a call the extension is too busy for at once and
// one it does not answer when its no-answer timer fires.
void SimCallModel::Forward(const std::string& ext, const std::string& digits, LONG rings) {
    std::string destination;
    CollectDigits(digits, &destination);
    if (destination.empty())
        m_forwards.erase(ext);
    else
        m_forwards[ext] = {destination, rings > 0 ? rings : 0};
}

}  // namespace zavsim
