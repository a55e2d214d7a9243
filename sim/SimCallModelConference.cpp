// Conferences. An extension builds one from a call it has: that call and
// each consultation call it adds become the conference's calls, the
// extension's leg in each (the caller side) one seat in the conference, the
// far end (the callee side) one party. The extension's legs hold, unhold and
// hang up together. A party leaving ends its own call as any call ends: the
// extension's leg for it hears the far end go and goes on hook, and the
// conference goes on with the others. It ends for the extension when the
// extension leaves (any of its legs hangs up, or ConfDrop) or its last party
// has gone; the parties left behind stay together while two of them remain.
#include <string>
#include <utility>
#include <vector>

#include "SimCallModel.h"
#include "ZavSimControl.h"

namespace zavsim {

SimConference* SimCallModel::OwnedConference(const std::string& ext) {
    for (auto& entry : m_conferences)
        if (entry.second.owner == ext) return &entry.second;
    return nullptr;
}

int SimCallModel::PartiesIn(LONG conference) const {
    int parties = 0;
    for (const auto& entry : m_calls)
        if (entry.second.conference == conference && entry.second.callee.Present()) ++parties;
    return parties;
}

// The extension's leg in the conference's oldest call: the one it was built
// from, the provider's primary call, while that lasts.
SimCallModel::Leg SimCallModel::OwnerLeg(const SimConference& conference) {
    for (auto& entry : m_calls) {
        SimCall& call = entry.second;
        if (call.conference == conference.id && call.caller.IsLeg())
            return {&call, &call.caller, &call.callee};
    }
    return {};
}

void SimCallModel::SetOwnerLegs(LONG conference, SimLegState state) {
    for (auto& entry : m_calls)
        if (entry.second.conference == conference && entry.second.caller.IsLeg())
            entry.second.caller.state = state;
}

// A new conference starts from the extension's connected (else held) call;
// a standing one takes a further consultation. Either way the extension's
// seat goes on hold without a hold reply (the provider shows the conference
// pending itself) and a consultation leg gets dial tone. A limit is told by
// its message on the conference's leg, where a consultation for a standing
// conference is waited for; a new conference has no such leg yet, so its
// set-up is refused with a conference reply as well.
void SimCallModel::SetUpConference(const std::string& ext, LONG handle) {
    LONG refusal = 0;
    bool refused = TakeRefusal(ext, ZAVSIM_CMD_CONFERENCE, &refusal);
    SimConference* standing = OwnedConference(ext);
    Leg primary = standing ? OwnerLeg(*standing) : NewestLeg(ext, SimLegState::Connected);
    if (!primary && !standing) primary = NewestLeg(ext, SimLegState::Held);
    if (primary && !standing && (!primary.other->Present() || primary.other->IsOrbit())) primary = {};
    LONG failure = refused ? refusal
                   : standing && 1 + PartiesIn(standing->id) >= ZAVSIM_CONFERENCE_PARTIES
                       ? ZAVSIM_MSG_TOO_MANY_PARTIES_IN_CONF
                   : !standing && primary && static_cast<LONG>(m_conferences.size()) >= m_conferenceLimit
                       ? ZAVSIM_MSG_TOO_MANY_CONF_IN_SYS
                       : 0;
    if (failure == ZAVSIM_MSG_TOO_MANY_PARTIES_IN_CONF || failure == ZAVSIM_MSG_TOO_MANY_CONF_IN_SYS) {
        SayTo(ext, primary ? primary.end->sal : 0, primary ? primary.call->id : 0, failure);
        if (standing) return;
        failure = ZAVSIM_RESULT_REFUSED;
    }
    LONG sal = failure || !primary ? 0 : TakeSal(ext, 0);
    if (!sal) {
        SimMessageData& reply = SayTo(ext, 0, 0, ZAVSIM_MSG_CONFERENCE_REPLY);
        reply.requestId = handle;
        reply.result = failure ? failure : ZAVSIM_RESULT_REFUSED;
        return;
    }
    if (!standing) {
        LONG id = m_nextConferenceId++;
        standing = &m_conferences[id];
        standing->id = id;
        standing->owner = ext;
        SimCall& first = *primary.call;
        if (primary.end == &first.callee) std::swap(first.caller, first.callee);
        first.conference = id;
    }
    SetOwnerLegs(standing->id, SimLegState::Held);
    LONG conference = standing->id;
    SimCall& consultation = StartCall(ext, sal);
    consultation.conferenceFor = conference;
    Say(consultation.caller, consultation, ZAVSIM_MSG_CONFERENCE_REPLY).requestId = handle;
}

// The leg's far end joins the extension's conference, ringing or answered,
// and the extension's seat is back in it.
void SimCallModel::AddToConference(const std::string& ext, LONG sal) {
    LONG refusal = 0;
    Leg leg = FindLeg(ext, sal);
    LONG callId = leg ? leg.call->id : 0;
    if (TakeRefusal(ext, ZAVSIM_CMD_ADD_TO_CONF, &refusal)) {
        SayTo(ext, sal, callId, ZAVSIM_MSG_ADD_TO_CONF_REPLY).result = refusal;
        return;
    }
    SimConference* conference = OwnedConference(ext);
    bool joinable = leg && conference && !leg.call->conference && leg.end == &leg.call->caller &&
                    leg.other->Present() && !leg.other->IsOrbit() &&
                    (leg.end->state == SimLegState::Ringback || leg.end->state == SimLegState::Connected ||
                     leg.end->state == SimLegState::Held);
    if (!joinable) {
        SayTo(ext, sal, callId, ZAVSIM_MSG_ADD_TO_CONF_REPLY).result = ZAVSIM_RESULT_REFUSED;
        return;
    }
    if (1 + PartiesIn(conference->id) >= ZAVSIM_CONFERENCE_PARTIES) {
        SayTo(ext, sal, callId, ZAVSIM_MSG_TOO_MANY_PARTIES_IN_CONF);
        return;
    }
    leg.call->conference = conference->id;
    leg.call->conferenceFor = 0;
    SetOwnerLegs(conference->id, SimLegState::Conferenced);
    Say(*leg.end, *leg.call, ZAVSIM_MSG_ADD_TO_CONF_REPLY);
}

// The extension leaves the conference its leg is in, or, for a SAL of no
// conference leg (the provider's conference call has none), the one it
// built.
void SimCallModel::DropFromConference(const std::string& ext, LONG sal) {
    Leg leg = FindLeg(ext, sal);
    SimConference* conference = nullptr;
    if (leg && leg.call->conference && leg.end == &leg.call->caller) {
        auto it = m_conferences.find(leg.call->conference);
        if (it != m_conferences.end()) conference = &it->second;
    }
    if (!conference) conference = OwnedConference(ext);
    if (conference) OwnerLeaves(*conference);
}

// One of the conference's calls ends from one side: the extension's leg
// hanging up takes the extension out; anything else ends the party's call,
// each leg in it hearing that as the end of any call.
void SimCallModel::LeaveConference(SimCall& call, const SimEnd* leaving, LONG reason) {
    LONG conference = call.conference;
    auto it = m_conferences.find(conference);
    if (it == m_conferences.end()) return;
    if (leaving == &call.caller && call.caller.IsLeg()) return OwnerLeaves(it->second);
    for (const SimEnd* end : {&call.caller, &call.callee}) {
        if (!end->IsLeg()) continue;
        if (end != leaving) Say(*end, call, ZAVSIM_MSG_ONHOOK_REMOTE);
        Say(*end, call, ZAVSIM_MSG_ONHOOK_REPLY).reason = reason;
    }
    m_calls.erase(call.id);
    Settle(conference);
}

// Each of the extension's legs goes on hook, as it would had it hung up
// itself; the parties stay in their calls.
void SimCallModel::OwnerLeaves(SimConference& conference) {
    LONG id = conference.id;
    for (auto& entry : m_calls) {
        SimCall& call = entry.second;
        if (call.conference != id) continue;
        if (call.caller.IsLeg())
            Say(call.caller, call, ZAVSIM_MSG_ONHOOK_REPLY).reason = ZAVSIM_REASON_NORMAL;
        call.caller = SimEnd{};
    }
    conference.owner.clear();
    Settle(id);
}

// After someone left: with the extension still in, the conference lasts
// while it has a party; without it, while two parties can talk. What ends
// it releases the party left, if any.
void SimCallModel::Settle(LONG id) {
    auto it = m_conferences.find(id);
    if (it == m_conferences.end()) return;
    bool owned = !it->second.owner.empty();
    int parties = PartiesIn(id);
    if (owned ? parties > 0 : parties > 1) return;
    std::vector<LONG> members;
    for (auto& [callId, call] : m_calls) {
        if (call.conference != id) continue;
        members.push_back(callId);
        if (call.callee.IsLeg()) {
            Say(call.callee, call, ZAVSIM_MSG_ONHOOK_REMOTE);
            Say(call.callee, call, ZAVSIM_MSG_ONHOOK_REPLY).reason = ZAVSIM_REASON_NORMAL;
        }
    }
    for (LONG callId : members) m_calls.erase(callId);
    m_conferences.erase(it);
}

}  // namespace zavsim
