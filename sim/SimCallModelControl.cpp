// The call model's side facing the control functions: the outside party,
// the telephone set, the time-outs and recalls, the switch's settings, and
// the queries.
#include <string>
#include <vector>

#include "SimCallModel.h"
#include "ZavSimControl.h"

namespace zavsim {

namespace {
// Looks like a call handle (top nibble 0xE) of a line no extension has.
constexpr LONG kNoRequest = static_cast<LONG>(0xEFFF0FFFu);
}  // namespace

LONG SimCallModel::CallFromOutside(const std::string& ext, const std::string& number, const std::string& name,
                                   LONG trunk) {
    if (!m_parties.count(ext)) return 0;
    LONG id = m_nextCallId++;
    SimCall& call = m_calls[id];
    call.id = id;
    call.caller.number = number;
    call.caller.name = name;
    call.caller.external = true;
    call.dialled = ext;
    if (trunk > 0) call.trunk = std::to_string(trunk);
    if (Offer(call, ext)) return id;
    m_calls.erase(id);
    return 0;
}

bool SimCallModel::AnswerOutside(LONG callId, const std::string& name) {
    SimCall* call = FindCall(callId);
    if (!call || !call->callee.IsOutside() || call->callee.state != SimLegState::Ringing) return false;
    call->callee.name = name;
    Connect(*call);
    return true;
}

bool SimCallModel::RefuseOutside(LONG callId) {
    SimCall* call = FindCall(callId);
    if (!call || !call->callee.IsOutside() || call->callee.state != SimLegState::Ringing) return false;
    // A party called into a conference that refuses simply never joins.
    if (call->conference)
        Release(*call, nullptr, ZAVSIM_REASON_BUSY);
    else
        Refuse(*call, ZAVSIM_REASON_BUSY);
    return true;
}

bool SimCallModel::HangUpOutside(LONG callId) {
    SimCall* call = FindCall(callId);
    if (!call || !(call->caller.IsOutside() || call->callee.IsOutside())) return false;
    Release(*call, nullptr, ZAVSIM_REASON_NORMAL);
    return true;
}

bool SimCallModel::DigitsFromOutside(LONG callId, const std::string& digits) {
    SimCall* call = FindCall(callId);
    if (!call || !(call->caller.IsOutside() || call->callee.IsOutside())) return false;
    SimEnd& outside = call->caller.IsOutside() ? call->caller : call->callee;
    SimEnd& inside = call->caller.IsOutside() ? call->callee : call->caller;
    if (outside.state != SimLegState::Connected) return false;
    SendDigits(*call, inside, digits);
    return true;
}

void SimCallModel::MarkBusy(const std::string& ext, bool busy) {
    if (busy)
        m_busy.insert(ext);
    else
        m_busy.erase(ext);
}

LONG SimCallModel::LiftHandset(const std::string& ext) {
    LONG sal = TakeSal(ext, 0);
    if (!sal) return 0;
    HoldTalkingLeg(ext, nullptr);
    // Request id 0: a call the provider did not ask for.
    SimCall& call = StartCall(ext, sal);
    Say(call.caller, call, ZAVSIM_MSG_OFFHOOK_REPLY);
    return sal;
}

bool SimCallModel::DialOnSet(const std::string& ext, LONG sal, const std::string& digits) {
    if (!FindLeg(ext, sal)) return false;
    Dial(ext, sal, digits);
    return true;
}

// SAL 0 puts the handset down: every leg of the set that is not on hold ends.
bool SimCallModel::HangUpSet(const std::string& ext, LONG sal) {
    std::vector<LONG> sals;
    for (const auto& entry : m_calls)
        for (const SimEnd* end : {&entry.second.caller, &entry.second.callee})
            if (end->IsLeg() && end->number == ext &&
                (sal ? end->sal == sal : end->state != SimLegState::Held))
                sals.push_back(end->sal);
    for (LONG each : sals) OnHook(ext, each);
    return !sals.empty();
}

// Nobody answered in time: the call goes on where the ringing extension
// forwards unanswered calls, else it ends. A party called into a
// conference just never joins.
bool SimCallModel::NoAnswer(LONG callId) {
    SimCall* call = FindCall(callId);
    if (!call || call->callee.state != SimLegState::Ringing || call->callee.number.empty()) return false;
    if (!ForwardOnNoAnswer(*call)) Release(*call, nullptr, ZAVSIM_REASON_NO_ANSWER);
    return true;
}

// The ringing leg lets go of the call as if the caller had given up, and
// the call rings at the forwarding's destination. False, and nothing said,
// when there is no such forwarding or the destination cannot take it.
bool SimCallModel::ForwardOnNoAnswer(SimCall& call) {
    auto forward = m_forwards.find(call.callee.number);
    if (call.conference || !call.callee.IsLeg() || forward == m_forwards.end() || forward->second.rings == 0)
        return false;
    const SimEnd ringing = call.callee;
    const std::string to = forward->second.destination;
    const std::size_t said = m_outbox.size();
    Say(ringing, call, ZAVSIM_MSG_ONHOOK_REMOTE);
    Say(ringing, call, ZAVSIM_MSG_ONHOOK_REPLY).reason = ZAVSIM_REASON_NO_ANSWER;
    call.callee = SimEnd{};
    bool moved = false;
    switch (RouteNumber(to, true, m_parties)) {
        case SimRoute::External:
            RingOutside(call, to);
            moved = true;
            break;
        case SimRoute::Extension:
            moved = to != ringing.number &&
                    Offer(call, to, {ZAVSIM_REASON_FORWARD_NO_ANSWER, ringing.number, to});
            break;
        default:
            break;
    }
    if (moved) return true;
    m_outbox.resize(said);
    call.callee = ringing;
    return false;
}

// The parked call rings again at the extension that parked it, from the
// parked party, on a leg the switch chooses.
LONG SimCallModel::ParkTimeout(const std::string& orbit) {
    SimCall* call = FindParked(orbit);
    if (!call) return -1;
    SimEnd& place = call->caller.IsOrbit() ? call->caller : call->callee;
    SimEnd party = call->caller.IsOrbit() ? call->callee : call->caller;
    const std::string parker = place.parkedBy;
    LONG sal = m_parties.count(parker) ? TakeSal(parker, 0) : 0;
    if (!sal) return -1;
    party.state = SimLegState::Ringback;
    call->caller = party;
    call->callee = SimEnd{};
    call->callee.number = parker;
    call->callee.name = m_parties[parker].name;
    call->callee.sal = sal;
    call->callee.state = SimLegState::Ringing;
    call->dialled = parker;
    call->rang = m_nextRing++;
    SimMessageData& recall = Say(call->callee, *call, ZAVSIM_MSG_PARK_TIMEOUT);
    recall.callerNum = party.number;
    recall.callerName = party.name;
    return call->id;
}

// The call comes back from where it was redirected, to a new leg of the
// extension that redirected it; its far end hears it ring there again.
bool SimCallModel::RedirectTimeout(LONG callId) {
    SimCall* call = FindCall(callId);
    if (!call || call->redirectedBy.empty() || call->conference || !call->callee.IsLeg() ||
        call->callee.state != SimLegState::Ringing)
        return false;
    const std::string back = call->redirectedBy;
    LONG sal = m_parties.count(back) && back != call->caller.number ? TakeSal(back, 0) : 0;
    if (!sal) return false;
    const SimEnd ringing = call->callee;
    Say(ringing, *call, ZAVSIM_MSG_ONHOOK_REMOTE);
    Say(ringing, *call, ZAVSIM_MSG_ONHOOK_REPLY).reason = ZAVSIM_REASON_NO_ANSWER;
    call->callee = SimEnd{};
    call->callee.number = back;
    call->callee.name = m_parties[back].name;
    call->callee.sal = sal;
    call->callee.state = SimLegState::Ringing;
    call->dialled = back;
    call->redirectedBy.clear();
    call->rang = m_nextRing++;
    SimMessageData& recall = Say(call->callee, *call, ZAVSIM_MSG_REDIRECT_TIMEOUT);
    recall.callerNum = call->caller.number;
    recall.callerName = call->caller.name;
    recall.dialedNum = back;
    recall.redirectingNum = back;
    recall.redirectionNum = ringing.number;
    if (call->caller.IsLeg()) {
        SimMessageData& ring = Say(call->caller, *call, ZAVSIM_MSG_RING_BACK);
        ring.callerNum = back;
        ring.callerName = call->callee.name;
    }
    return true;
}

void SimCallModel::SetPickupGroup(const std::string& ext, const std::string& group) {
    if (group.empty())
        m_pickupGroups.erase(ext);
    else
        m_pickupGroups[ext] = group;
}

bool SimCallModel::SetConferenceLimit(LONG limit) {
    if (limit < 0) return false;
    m_conferenceLimit = limit;
    return true;
}

// The call comes back from the caller, as a new call ringing at the SAL. A
// transfer may name none: the provider then takes the lowest free from 65,
// and so does the leg here.
LONG SimCallModel::Recall(const std::string& ext, LONG kind, LONG sal, const std::string& number,
                          const std::string& name, bool keep) {
    LONG type = kind == ZAVSIM_RECALL_TRANSFER   ? ZAVSIM_MSG_TRANSFER_TIMEOUT
                : kind == ZAVSIM_RECALL_PARK     ? ZAVSIM_MSG_PARK_TIMEOUT
                : kind == ZAVSIM_RECALL_REDIRECT ? ZAVSIM_MSG_REDIRECT_TIMEOUT
                                                 : 0;
    auto party = m_parties.find(ext);
    if (!type || party == m_parties.end() || sal < 0 || (sal == 0 && type != ZAVSIM_MSG_TRANSFER_TIMEOUT))
        return -1;
    LONG legSal = sal;
    for (LONG candidate = 65; !legSal; ++candidate)
        if (!FindLeg(ext, candidate)) legSal = candidate;
    if (keep && (FindLeg(ext, legSal) || LegCount(ext) >= party->second.appearances)) return -1;
    LONG id = m_nextCallId++;
    SimMessageData& recall = SayTo(ext, sal, id, type);
    recall.callerNum = number;
    recall.callerName = name;
    // A message with neither a leg nor a request is not the extension's:
    // a transfer recall without a SAL names a request of no line instead.
    if (sal == 0) recall.requestId = kNoRequest;
    if (!keep) return id;
    SimCall& call = m_calls[id];
    call.id = id;
    call.dialled = ext;
    call.caller.number = number;
    call.caller.name = name;
    call.caller.external = true;
    call.caller.state = SimLegState::Ringback;
    call.callee.number = ext;
    call.callee.name = party->second.name;
    call.callee.sal = legSal;
    call.callee.state = SimLegState::Ringing;
    call.rang = m_nextRing++;
    return id;
}

std::string SimCallModel::Describe() const {
    static const char* const kStates[] = {"dialtone",  "dialling", "ringback", "ringing",
                                          "connected", "held",     "busy",     "conferenced"};
    auto side = [](const SimEnd& end) {
        if (end.IsOrbit()) return "orbit " + end.number + " of " + end.parkedBy;
        std::string text = end.number;
        text += end.external ? " outside " : " sal " + std::to_string(end.sal) + " ";
        text += kStates[static_cast<int>(end.state)];
        if (!end.heard.empty()) text += " heard " + end.heard;
        return text;
    };
    std::string text;
    for (const auto& [id, call] : m_calls) {
        std::string line;
        for (const SimEnd* end : {&call.caller, &call.callee})
            if (end->Present()) line += (line.empty() ? "" : ", ") + side(*end);
        if (!call.trunk.empty()) line += ", trunk " + call.trunk;
        if (call.conference) line += ", conference " + std::to_string(call.conference);
        text += "call " + std::to_string(id) + ": " + line + "\n";
    }
    for (const auto& [id, conference] : m_conferences) {
        text += "conference " + std::to_string(id);
        if (!conference.owner.empty()) text += " of " + conference.owner;
        std::string parties;
        for (const auto& entry : m_calls)
            if (entry.second.conference == id && entry.second.callee.Present())
                parties += (parties.empty() ? ": " : ", ") + entry.second.callee.number;
        text += parties + "\n";
    }
    return text;
}

int SimCallModel::LegCount(const std::string& ext) const {
    int count = 0;
    for (const auto& entry : m_calls)
        for (const SimEnd* end : {&entry.second.caller, &entry.second.callee})
            if (end->IsLeg() && end->number == ext) ++count;
    return count;
}

}  // namespace zavsim
