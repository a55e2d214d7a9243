// The call model's side facing the control functions: the outside party,
// the telephone set, the time-outs and recalls, and the queries.
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
    if (!call || !call->callee.external || call->callee.state != SimLegState::Ringing) return false;
    call->callee.name = name;
    Connect(*call);
    return true;
}

bool SimCallModel::RefuseOutside(LONG callId) {
    SimCall* call = FindCall(callId);
    if (!call || !call->callee.external || call->callee.state != SimLegState::Ringing) return false;
    Refuse(*call, ZAVSIM_REASON_BUSY);
    return true;
}

bool SimCallModel::HangUpOutside(LONG callId) {
    SimCall* call = FindCall(callId);
    if (!call || !(call->caller.external || call->callee.external)) return false;
    Release(*call, nullptr, ZAVSIM_REASON_NORMAL);
    return true;
}

bool SimCallModel::DigitsFromOutside(LONG callId, const std::string& digits) {
    SimCall* call = FindCall(callId);
    if (!call || !(call->caller.external || call->callee.external)) return false;
    SimEnd& outside = call->caller.external ? call->caller : call->callee;
    SimEnd& inside = call->caller.external ? call->callee : call->caller;
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

// Nobody answered in time: the whole call ends.
bool SimCallModel::NoAnswer(LONG callId) {
    SimCall* call = FindCall(callId);
    if (!call || call->callee.state != SimLegState::Ringing || call->callee.number.empty()) return false;
    Release(*call, nullptr, ZAVSIM_REASON_NO_ANSWER);
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
    return id;
}

std::string SimCallModel::Describe() const {
    static const char* const kStates[] = {"dialtone",  "dialling", "ringback", "ringing",
                                          "connected", "held",     "busy"};
    auto side = [](const SimEnd& end) {
        std::string text = end.number;
        text += end.external ? " outside " : " sal " + std::to_string(end.sal) + " ";
        text += kStates[static_cast<int>(end.state)];
        if (!end.heard.empty()) text += " heard " + end.heard;
        return text;
    };
    std::string text;
    for (const auto& [id, call] : m_calls) {
        text += "call " + std::to_string(id) + ": " + side(call.caller);
        if (!call.callee.number.empty()) text += ", " + side(call.callee);
        if (!call.trunk.empty()) text += ", trunk " + call.trunk;
        text += "\n";
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
