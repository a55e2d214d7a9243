#include "SimCallModel.h"

#include <cstring>
#include <utility>

#include "ZavSimControl.h"

namespace zavsim {

namespace {

// The provider drops messages whose SAL is above its slots plus 64, so the
// switch never chooses one there.
constexpr LONG kHighestChosenSal = 18 + 64;
constexpr LONG kNoSal = 0xFFFF;

}  // namespace

SimCallModel::SimCallModel() : m_conferenceLimit(ZAVSIM_DEFAULT_CONFERENCE_LIMIT) {}

std::vector<SimOutgoing> SimCallModel::TakeOutbox() {
    std::vector<SimOutgoing> said;
    said.swap(m_outbox);
    return said;
}

void SimCallModel::Clear() {
    m_calls.clear();
    m_conferences.clear();
    m_busy.clear();
    m_refusals.clear();
    m_forwards.clear();
    m_pickupGroups.clear();
    m_conferenceLimit = ZAVSIM_DEFAULT_CONFERENCE_LIMIT;
    m_outbox.clear();
}

HRESULT SimCallModel::OffHook(const std::string& ext, LONG sal, LONG handle) {
    LONG refusal = 0;
    if (TakeRefusal(ext, ZAVSIM_CMD_OFFHOOK, &refusal)) return refusal;
    if (!m_parties.count(ext)) return S_OK;
    LONG taken = TakeSal(ext, sal);
    if (!taken) return ZAVSIM_E_NO_APPEARANCE;
    HoldTalkingLeg(ext, nullptr);
    SimCall& call = StartCall(ext, taken);
    Say(call.caller, call, ZAVSIM_MSG_OFFHOOK_REPLY).requestId = handle;
    return S_OK;
}

void SimCallModel::Dial(const std::string& ext, LONG sal, const std::string& digits) {
    Leg leg = FindLeg(ext, sal);
    if (!leg) return;
    SimCall& call = *leg.call;
    if (leg.end->state == SimLegState::Connected) {
        SendDigits(call, *leg.other, digits);
        return;
    }
    if (leg.end->state == SimLegState::Conferenced) {
        // The extension speaks into the conference: every party hears it.
        for (auto& [id, member] : m_calls)
            if (member.conference == call.conference) SendDigits(member, member.callee, digits);
        return;
    }
    SimEnd& caller = call.caller;
    if (leg.end != &caller ||
        (caller.state != SimLegState::Dialtone && caller.state != SimLegState::Dialling))
        return;
    bool ended = CollectDigits(digits, &call.dialled);
    if (caller.state == SimLegState::Dialtone && (ended || !call.dialled.empty())) {
        caller.state = SimLegState::Dialling;
        Say(caller, call, ZAVSIM_MSG_STOP_DIALTONE);
    }
    switch (RouteNumber(call.dialled, ended, m_parties)) {
        case SimRoute::Incomplete:
            break;
        case SimRoute::Unobtainable:
            Refuse(call, ZAVSIM_REASON_UNOBTAINABLE);
            break;
        case SimRoute::External:
            RingOutside(call, call.dialled);
            break;
        case SimRoute::Extension:
            if (!Offer(call, call.dialled)) Refuse(call, ZAVSIM_REASON_BUSY);
            break;
    }
}

void SimCallModel::Answer(const std::string& ext, LONG sal, LONG handle) {
    Leg leg = FindLeg(ext, sal);
    if (!leg || leg.end != &leg.call->callee || leg.end->state != SimLegState::Ringing) return;
    HoldTalkingLeg(ext, leg.call);
    Say(*leg.end, *leg.call, ZAVSIM_MSG_ANSWER_REPLY).requestId = handle;
    Connect(*leg.call);
}

void SimCallModel::OnHook(const std::string& ext, LONG sal) {
    if (Leg leg = FindLeg(ext, sal)) Release(*leg.call, leg.end, ZAVSIM_REASON_NORMAL);
}

// A refused hold or unhold is answered on the SAL it named, leg or not.
void SimCallModel::Hold(const std::string& ext, LONG sal) {
    LONG refusal = 0;
    bool refused = TakeRefusal(ext, ZAVSIM_CMD_HOLD, &refusal);
    Leg leg = FindLeg(ext, sal);
    if (!leg && !refused) return;
    bool conferenced = leg && leg.end->state == SimLegState::Conferenced;
    bool allowed = !refused && (leg.end->state == SimLegState::Connected || conferenced);
    // The extension's legs in a conference are one seat in it: they go on
    // hold together, and the parties go on talking.
    if (allowed && conferenced)
        SetOwnerLegs(leg.call->conference, SimLegState::Held);
    else if (allowed)
        leg.end->state = SimLegState::Held;
    SayTo(ext, sal, leg ? leg.call->id : 0, ZAVSIM_MSG_HOLD_REPLY).result = allowed   ? 0
                                                                            : refused ? refusal
                                                                                      : ZAVSIM_RESULT_REFUSED;
}

void SimCallModel::Unhold(const std::string& ext, LONG sal, LONG handle) {
    LONG refusal = 0;
    bool refused = TakeRefusal(ext, ZAVSIM_CMD_UNHOLD, &refusal);
    Leg leg = FindLeg(ext, sal);
    if (!leg && !refused) return;
    bool allowed = !refused && leg.end->state == SimLegState::Held;
    if (allowed) HoldTalkingLeg(ext, leg.call);
    if (allowed && leg.call->conference && leg.end == &leg.call->caller)
        SetOwnerLegs(leg.call->conference, SimLegState::Conferenced);
    else if (allowed)
        leg.end->state = SimLegState::Connected;
    SimMessageData& reply = SayTo(ext, sal, leg ? leg.call->id : 0, ZAVSIM_MSG_UNHOLD_REPLY);
    reply.result = allowed ? 0 : refused ? refusal : ZAVSIM_RESULT_REFUSED;
    reply.requestId = handle;
}

void SimCallModel::SetDigitCollection(const std::string& ext, LONG sal, bool on) {
    if (Leg leg = FindLeg(ext, sal)) leg.end->collecting = on;
}

void SimCallModel::Leave(const std::string& ext) {
    // Messages to the extension itself go nowhere now; its far ends hear it.
    std::vector<std::pair<LONG, LONG>> legs;  // call id, SAL
    for (const auto& [id, call] : m_calls)
        for (const SimEnd* end : {&call.caller, &call.callee})
            if (end->IsLeg() && end->number == ext) legs.emplace_back(id, end->sal);
    for (const auto& [id, sal] : legs)
        if (Leg leg = FindLeg(ext, sal)) Release(*leg.call, leg.end, ZAVSIM_REASON_NORMAL);
}

SimCallModel::Leg SimCallModel::FindLeg(const std::string& ext, LONG sal) {
    for (auto& entry : m_calls) {
        SimCall& call = entry.second;
        if (call.caller.IsLeg() && call.caller.number == ext && call.caller.sal == sal)
            return {&call, &call.caller, &call.callee};
        if (call.callee.IsLeg() && call.callee.number == ext && call.callee.sal == sal)
            return {&call, &call.callee, &call.caller};
    }
    return {};
}

SimCall* SimCallModel::FindCall(LONG callId) {
    auto it = m_calls.find(callId);
    return it == m_calls.end() ? nullptr : &it->second;
}

// The proposed SAL when it is free at the extension, else the lowest free
// one the switch may choose; 0 when the extension has no room for a leg.
LONG SimCallModel::TakeSal(const std::string& ext, LONG proposed) const {
    auto party = m_parties.find(ext);
    if (party == m_parties.end() || LegCount(ext) >= party->second.appearances) return 0;
    std::set<LONG> used;
    for (const auto& entry : m_calls)
        for (const SimEnd* end : {&entry.second.caller, &entry.second.callee})
            if (end->IsLeg() && end->number == ext) used.insert(end->sal);
    if (proposed > 0 && proposed != kNoSal && !used.count(proposed)) return proposed;
    for (LONG sal = 1; sal <= kHighestChosenSal; ++sal)
        if (!used.count(sal)) return sal;
    return 0;
}

// A call with the extension off hook at the SAL, hearing dial tone.
SimCall& SimCallModel::StartCall(const std::string& ext, LONG sal) {
    SimCall& call = m_calls[m_nextCallId];
    call.id = m_nextCallId++;
    call.caller.number = ext;
    call.caller.name = m_parties[ext].name;
    call.caller.sal = sal;
    return call;
}

// Whether the extension can take the call as it is: not the caller itself,
// not marked busy, with room for a leg.
bool SimCallModel::CanRing(const SimCall& call, const std::string& ext) const {
    return ext != call.caller.number && !m_busy.count(ext) && TakeSal(ext, 0) != 0;
}

// Rings the extension, or where its forwarding sends the call: false, and
// nothing said, when the call can go nowhere. A forwarding to a number the
// dial plan cannot reach, back to the caller, or round in a circle is
// passed over.
bool SimCallModel::Offer(SimCall& call, const std::string& ext, SimDiversion diversion) {
    std::set<std::string> passed;
    std::string target = ext;
    for (;;) {
        bool free = CanRing(call, target);
        auto forward = m_forwards.find(target);
        if (forward != m_forwards.end() && !passed.count(target) && target != call.caller.number &&
            (forward->second.rings == 0 || !free)) {
            passed.insert(target);
            const std::string& to = forward->second.destination;
            SimDiversion next{
                forward->second.rings == 0 ? ZAVSIM_REASON_FORWARD_ALWAYS : ZAVSIM_REASON_FORWARD_BUSY,
                target, to};
            SimRoute route = RouteNumber(to, true, m_parties);
            if (route == SimRoute::External) {
                RingOutside(call, to);
                return true;
            }
            if (route == SimRoute::Extension && to != call.caller.number && !passed.count(to)) {
                diversion = next;
                target = to;
                continue;
            }
        }
        if (!free) return false;
        Ring(call, target, diversion);
        return true;
    }
}

void SimCallModel::Ring(SimCall& call, const std::string& ext, const SimDiversion& diversion) {
    SimEnd& callee = call.callee;
    callee = SimEnd{};
    callee.number = ext;
    callee.name = m_parties[ext].name;
    callee.sal = TakeSal(ext, 0);
    callee.state = SimLegState::Ringing;
    call.rang = m_nextRing++;
    if (call.caller.state == SimLegState::Dialling || call.caller.state == SimLegState::Dialtone)
        call.caller.state = SimLegState::Ringback;
    SimMessageData& offer = Say(callee, call, ZAVSIM_MSG_NEW_CALL);
    offer.callerNum = call.caller.number;
    offer.callerName = call.caller.name;
    offer.dialedNum = call.dialled;
    offer.trunk = call.trunk;
    offer.reason = diversion.reason;
    offer.redirectingNum = diversion.from;
    offer.redirectionNum = diversion.to;
    if (call.caller.IsLeg()) {
        SimMessageData& ring = Say(call.caller, call, ZAVSIM_MSG_RING_BACK);
        ring.callerNum = callee.number;
        ring.callerName = callee.name;
    }
}

// Out through the lowest trunk no other call holds.
void SimCallModel::RingOutside(SimCall& call, const std::string& number) {
    std::set<std::string> held;
    for (const auto& entry : m_calls) held.insert(entry.second.trunk);
    int trunk = 1;
    while (held.count(std::to_string(trunk))) ++trunk;
    call.trunk = std::to_string(trunk);
    call.callee = SimEnd{};
    call.callee.number = number;
    call.callee.external = true;
    call.callee.state = SimLegState::Ringing;
    call.caller.state = SimLegState::Ringback;
    if (!call.caller.IsLeg()) return;
    SimMessageData& ring = Say(call.caller, call, ZAVSIM_MSG_RING_BACK);
    ring.callerNum = call.callee.number;
    ring.trunk = call.trunk;
}

// The caller hears busy and stays off hook until it hangs up.
void SimCallModel::Refuse(SimCall& call, LONG reason) {
    call.callee = SimEnd{};
    call.caller.state = SimLegState::Busy;
    Say(call.caller, call, ZAVSIM_MSG_BUSY).reason = reason;
}

// The ringing side answered: the ends that were waiting for it connect; a
// leg in a conference, or one on hold, stays as it is.
void SimCallModel::Connect(SimCall& call) {
    for (SimEnd* end : {&call.caller, &call.callee})
        if (end->state == SimLegState::Ringback || end->state == SimLegState::Ringing)
            end->state = SimLegState::Connected;
    if (!call.caller.IsLeg()) return;
    SimMessageData& connected = Say(call.caller, call, ZAVSIM_MSG_CONNECTED);
    connected.callerNum = call.callee.number;
    connected.callerName = call.callee.name;
    connected.dialedNum = call.dialled;
    connected.trunk = call.trunk;
}

// Ends the call. A leg that did not hang up itself hears the far end go
// first; the provider disconnects only on the reply.
void SimCallModel::Release(SimCall& call, const SimEnd* leaving, LONG reason) {
    if (call.conference) return LeaveConference(call, leaving, reason);
    for (const SimEnd* end : {&call.caller, &call.callee}) {
        if (!end->IsLeg()) continue;
        if (end != leaving) Say(*end, call, ZAVSIM_MSG_ONHOOK_REMOTE);
        Say(*end, call, ZAVSIM_MSG_ONHOOK_REPLY).reason = reason;
    }
    m_calls.erase(call.id);
}

void SimCallModel::SendDigits(const SimCall& call, SimEnd& to, const std::string& digits) {
    if (to.state != SimLegState::Connected && to.state != SimLegState::Conferenced) return;
    for (char digit : digits) {
        if (digit == 0 || !std::strchr("0123456789*#ABCD", digit)) continue;
        if (to.external)
            to.heard += digit;
        else if (to.collecting)
            Say(to, call, ZAVSIM_MSG_DIGIT_REMOTE).digit = static_cast<unsigned char>(digit);
    }
}

void SimCallModel::HoldTalkingLeg(const std::string& ext, const SimCall* except) {
    for (auto& [id, call] : m_calls) {
        if (&call == except || call.conference) continue;
        for (SimEnd* end : {&call.caller, &call.callee})
            if (end->IsLeg() && end->number == ext && end->state == SimLegState::Connected) {
                end->state = SimLegState::Held;
                Say(*end, call, ZAVSIM_MSG_HOLD_REPLY);
            }
    }
}

SimMessageData& SimCallModel::Say(const SimEnd& leg, const SimCall& call, LONG type) {
    return SayTo(leg.number, leg.sal, call.id, type);
}

SimMessageData& SimCallModel::SayTo(const std::string& ext, LONG sal, LONG callId, LONG type) {
    m_outbox.push_back({ext, {}});
    SimMessageData& data = m_outbox.back().data;
    data.category = ZAVSIM_CATEGORY_CALL_CONTROL;
    data.type = type;
    data.sal1 = sal;
    data.globalCallId = callId;
    data.extension = ext;
    return data;
}

}  // namespace zavsim
