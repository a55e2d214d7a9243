// The call model's features beyond a plain call: transfer and conference
// set-up, redirect and park, and the refusals a test arms for any of them.
// The switch completes no transfer and builds no conference; it answers the
// set-up, so the provider's success and failure paths both run.
#include <string>

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
// command without a SAL acts on.
SimCallModel::Leg SimCallModel::NewestLeg(const std::string& ext, SimLegState state) {
    for (auto it = m_calls.rbegin(); it != m_calls.rend(); ++it) {
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
// a call to transfer or room for the leg, the reply names no leg.
void SimCallModel::SetUpTransfer(const std::string& ext, LONG handle) {
    LONG refusal = 0;
    bool refused = TakeRefusal(ext, ZAVSIM_CMD_TRANSFER, &refusal);
    Leg held = NewestLeg(ext, SimLegState::Connected);
    if (!held) held = NewestLeg(ext, SimLegState::Held);
    LONG sal = refused || !held ? 0 : TakeSal(ext, 0);
    if (!sal) {
        SimMessageData& reply = SayTo(ext, 0, 0, ZAVSIM_MSG_TRANSFER_REPLY);
        reply.requestId = handle;
        reply.result = refused ? refusal : ZAVSIM_RESULT_REFUSED;
        return;
    }
    held.end->state = SimLegState::Held;
    SimCall& consultation = StartCall(ext, sal);
    Say(consultation.caller, consultation, ZAVSIM_MSG_TRANSFER_REPLY).requestId = handle;
}

// Answered only when refused. The consultation call has no leg yet, so a
// party or conference limit is reported on the leg being conferenced.
void SimCallModel::SetUpConference(const std::string& ext, LONG handle) {
    LONG refusal = 0;
    if (!TakeRefusal(ext, ZAVSIM_CMD_CONFERENCE, &refusal)) return;
    if (refusal == ZAVSIM_MSG_TOO_MANY_PARTIES_IN_CONF || refusal == ZAVSIM_MSG_TOO_MANY_CONF_IN_SYS) {
        Leg leg = NewestLeg(ext, SimLegState::Connected);
        if (!leg) leg = NewestLeg(ext, SimLegState::Held);
        SayTo(ext, leg ? leg.end->sal : 0, leg ? leg.call->id : 0, refusal);
        return;
    }
    SimMessageData& reply = SayTo(ext, 0, 0, ZAVSIM_MSG_CONFERENCE_REPLY);
    reply.requestId = handle;
    reply.result = refusal;
}

void SimCallModel::AddToConference(const std::string& ext, LONG sal) {
    LONG refusal = 0;
    if (!TakeRefusal(ext, ZAVSIM_CMD_ADD_TO_CONF, &refusal)) return;
    Leg leg = FindLeg(ext, sal);
    SayTo(ext, sal, leg ? leg.call->id : 0, ZAVSIM_MSG_ADD_TO_CONF_REPLY).result = refusal;
}

// A ringing call goes on to another extension of the switch, and the leg
// that sent it away hangs up. The switch sends no call out again.
void SimCallModel::Redirect(const std::string& ext, LONG sal, const std::string& digits) {
    LONG refusal = 0;
    bool refused = TakeRefusal(ext, ZAVSIM_CMD_REDIRECT, &refusal);
    Leg leg = FindLeg(ext, sal);
    std::string number;
    CollectDigits(digits, &number);
    LONG answer = ZAVSIM_MSG_REDIRECT_GENERAL_FAILURE;
    if (refused) {
        answer = refusal;
    } else if (leg && leg.end == &leg.call->callee && leg.end->state == SimLegState::Ringing) {
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
    Offer(*leg.call, number);
}

// The parked leg leaves: the provider ends its call on the park's success.
// A far end at an extension stays in the call, held by the park orbit.
void SimCallModel::Park(const std::string& ext, LONG sal, const std::string& digits) {
    LONG refusal = 0;
    bool refused = TakeRefusal(ext, ZAVSIM_CMD_PARK, &refusal);
    Leg leg = FindLeg(ext, sal);
    std::string orbit;
    CollectDigits(digits, &orbit);
    bool parkable = leg && (leg.end->state == SimLegState::Connected || leg.end->state == SimLegState::Held);
    LONG answer = refused         ? refusal
                  : !parkable     ? ZAVSIM_MSG_PARK_GENERAL_FAILURE
                  : orbit.empty() ? ZAVSIM_MSG_PARK_INVALID_EXT
                                  : ZAVSIM_MSG_PARK_SUCCESS;
    SayTo(ext, sal, leg ? leg.call->id : 0, answer);
    if (answer != ZAVSIM_MSG_PARK_SUCCESS) return;
    if (!leg.other->IsLeg()) {
        m_calls.erase(leg.call->id);
        return;
    }
    *leg.end = SimEnd{};
    leg.end->number = orbit;
    leg.end->external = true;
    leg.end->state = SimLegState::Held;
}

}  // namespace zavsim
