// The calls of the simulated switch: what the provider's commands and the
// control functions do to them, and the messages each leg receives. Not
// locked: the switch runs it under its own lock, tells it who can take part
// before each operation and queues what it said afterwards. sim/README.md
// gives the protocol.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "SimCall.h"
#include "SimDialPlan.h"
#include "SimMessageData.h"
#include "platform/WinTypes.h"

namespace zavsim {

struct SimOutgoing {
    std::string extension;
    SimMessageData data;
};

// Why a call rings where it does, when that is not where it was dialled.
struct SimDiversion {
    LONG reason = 0;
    std::string from, to;  // the diverting extension, the number it diverted to
};

struct SimForwarding {
    std::string destination;
    LONG rings = 0;  // 0: every call; else on busy and on no answer
};

class SimCallModel {
public:
    SimCallModel();
    void SetParties(SimParties parties) { m_parties = std::move(parties); }
    // What the model said since it was last asked, oldest first.
    std::vector<SimOutgoing> TakeOutbox();
    // Forgets every call and busy mark; nobody is told.
    void Clear();

    // The provider's commands, from an endpoint registered for `ext`.
    HRESULT OffHook(const std::string& ext, LONG sal, LONG handle);
    void Dial(const std::string& ext, LONG sal, const std::string& digits);
    void Answer(const std::string& ext, LONG sal, LONG handle);
    void OnHook(const std::string& ext, LONG sal);
    void Hold(const std::string& ext, LONG sal);
    void Unhold(const std::string& ext, LONG sal, LONG handle);
    void SetDigitCollection(const std::string& ext, LONG sal, bool on);
    void SetUpTransfer(const std::string& ext, LONG handle);
    void CompleteTransfer(const std::string& ext, LONG sal);
    void SetUpConference(const std::string& ext, LONG handle);
    void AddToConference(const std::string& ext, LONG sal);
    void DropFromConference(const std::string& ext, LONG sal);
    void Redirect(const std::string& ext, LONG sal, const std::string& digits);
    void Park(const std::string& ext, LONG sal, const std::string& digits);
    void Unpark(const std::string& ext, LONG sal, const std::string& digits);
    void Pickup(const std::string& ext, LONG sal, const std::string& digits, bool directed);
    void Forward(const std::string& ext, const std::string& digits, LONG rings);
    // The extension can no longer be reached: its calls end.
    void Leave(const std::string& ext);

    // The far end and the telephone set, played through the control functions.
    LONG CallFromOutside(const std::string& ext, const std::string& number, const std::string& name,
                         LONG trunk);
    bool AnswerOutside(LONG callId, const std::string& name);
    bool RefuseOutside(LONG callId);
    bool HangUpOutside(LONG callId);
    bool DigitsFromOutside(LONG callId, const std::string& digits);
    void MarkBusy(const std::string& ext, bool busy);
    LONG LiftHandset(const std::string& ext);
    bool DialOnSet(const std::string& ext, LONG sal, const std::string& digits);
    bool HangUpSet(const std::string& ext, LONG sal);
    bool NoAnswer(LONG callId);
    LONG ParkTimeout(const std::string& orbit);
    bool RedirectTimeout(LONG callId);
    void SetPickupGroup(const std::string& ext, const std::string& group);
    bool SetConferenceLimit(LONG limit);
    // The failures the switch answers with, armed per extension and kind.
    bool RefuseNext(const std::string& ext, LONG command, LONG result);
    // A call brought back to the extension; kept as a call while `keep`.
    LONG Recall(const std::string& ext, LONG kind, LONG sal, const std::string& number,
                const std::string& name, bool keep);

    std::string Describe() const;
    int LegCount(const std::string& ext) const;

private:
    struct Leg {
        SimCall* call = nullptr;
        SimEnd* end = nullptr;
        SimEnd* other = nullptr;  // the far end
        explicit operator bool() const { return call != nullptr; }
    };

    Leg FindLeg(const std::string& ext, LONG sal);
    SimCall* FindCall(LONG callId);
    LONG TakeSal(const std::string& ext, LONG proposed) const;
    Leg NewestLeg(const std::string& ext, SimLegState state, const SimCall* except = nullptr);
    bool TakeRefusal(const std::string& ext, LONG command, LONG* result);
    SimCall& StartCall(const std::string& ext, LONG sal);
    bool CanRing(const SimCall& call, const std::string& ext) const;
    bool Offer(SimCall& call, const std::string& ext, SimDiversion diversion = {});
    void Ring(SimCall& call, const std::string& ext, const SimDiversion& diversion);
    void RingOutside(SimCall& call, const std::string& number);
    bool ForwardOnNoAnswer(SimCall& call);
    void Refuse(SimCall& call, LONG reason);
    void Connect(SimCall& call);
    // A telephone talks on one leg at a time: taking another puts the one
    // it talks on on hold, and the provider hears it as a hold reply.
    void HoldTalkingLeg(const std::string& ext, const SimCall* except);
    void Release(SimCall& call, const SimEnd* leaving, LONG reason);
    void SendDigits(const SimCall& call, SimEnd& to, const std::string& digits);
    // A leg in dial tone that asked for a feature instead of dialling.
    Leg FeatureLeg(const std::string& ext, LONG sal);
    SimCall* FindParked(const std::string& orbit);

    // Conferences (SimCallModelConference.cpp).
    SimConference* OwnedConference(const std::string& ext);
    int PartiesIn(LONG conference) const;
    Leg OwnerLeg(const SimConference& conference);
    void SetOwnerLegs(LONG conference, SimLegState state);
    void LeaveConference(SimCall& call, const SimEnd* leaving, LONG reason);
    void OwnerLeaves(SimConference& conference);
    void Settle(LONG conference);

    SimMessageData& Say(const SimEnd& leg, const SimCall& call, LONG type);
    SimMessageData& SayTo(const std::string& ext, LONG sal, LONG callId, LONG type);

    SimParties m_parties;
    std::map<LONG, SimCall> m_calls;  // by id, so oldest first
    std::map<LONG, SimConference> m_conferences;
    std::set<std::string> m_busy;
    std::map<std::pair<std::string, LONG>, LONG> m_refusals;  // by extension and command
    std::map<std::string, SimForwarding> m_forwards;
    std::map<std::string, std::string> m_pickupGroups;  // group by extension
    LONG m_conferenceLimit;
    std::vector<SimOutgoing> m_outbox;
    LONG m_nextCallId = 1;
    LONG m_nextConferenceId = 1;
    uint64_t m_nextRing = 1;
};

}  // namespace zavsim
