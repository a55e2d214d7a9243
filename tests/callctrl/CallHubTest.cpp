// The hub's slots and lookups.
#include "callctrl/CallFixture.h"

namespace calltest {
namespace {

class CallHub : public CallTest {};

TEST_F(CallHub, EighteenCallSlotsAndTheConferenceSlot) {
    std::vector<TestCall*> calls;
    for (long i = 0; i < 18; ++i) {
        calls.push_back(new TestCall);
        EXPECT_EQ(m_hub->SaveCall(calls.back()), i);
        EXPECT_EQ(calls.back()->GetId(), static_cast<DWORD>(i));
        EXPECT_EQ(calls.back()->GetCallHubPointer(), m_hub);
    }
    auto* extra = new TestCall;
    EXPECT_EQ(m_hub->SaveCall(extra), -1);
    EXPECT_EQ(extra->GetCallHubPointer(), m_hub);
    EXPECT_EQ(m_hub->GetConfCallPointer(), nullptr) << "a call took the conference slot";
    EXPECT_EQ(m_hub->SaveCall(nullptr), -1);
    delete extra;
    for (TestCall* call : calls)
        EXPECT_EQ(m_hub->CallIdToCallPtr(call->GetId()), call) << "the rejected call's end";

    delete calls[7];
    auto* again = new TestCall;
    EXPECT_EQ(m_hub->SaveCall(again), 7);
    EXPECT_NE(TraceLog().find("ZavCallHub::SaveCall() saved call handle e0000007 at 7 in call vector P"),
              std::string::npos);
}

TEST_F(CallHub, ARoutePointHasFourHundredCallSlots) {
    CloseLine();
    AddAccount(kExt, 3);
    OpenLine();
    EXPECT_EQ(m_hub->MaxNumCalls(), 401u);
    for (long i = 0; i < 400; ++i) ASSERT_EQ(m_hub->SaveCall(new TestCall), i);
    auto* extra = new TestCall;
    EXPECT_EQ(m_hub->SaveCall(extra), -1);
    delete extra;
    auto* conf = new TestCall;
    m_hub->SaveConfCall(conf);
    EXPECT_EQ(conf->GetId(), 400u);
    EXPECT_EQ(Bits(conf->ToCallHandle()), 0xE0000190u);
    EXPECT_EQ(m_hub->ReqIdToCallPtr(conf->ToCallHandle()), conf);
    EXPECT_NE(TraceLog().find("ZavCallHub::CheckCallVectSize() is resizing for route point P"),
              std::string::npos);
}

TEST_F(CallHub, ResizingEmptiesEverySlot) {
    TestCall* live = SavedCall(TapiCall(0x801));
    TestCall* gone = SavedCall(TapiCall(0x802));
    ASSERT_EQ(m_hub->SaveToDeleteCall(gone->GetId()), 0);
    m_hub->CheckCallVectSize();
    EXPECT_EQ(m_hub->CallIdToCallPtr(live->GetId()), nullptr);
    EXPECT_EQ(m_hub->CallIdToDeleteCallPtr(gone->GetId()), nullptr);
    // Forgotten, not deleted: the calls end without a slot to clear.
    EXPECT_TRUE(TestCall::IsAlive(live));
    delete live;
    delete gone;
}

TEST_F(CallHub, SalLookupsSkipIdleCallsOnlyWhenAskedTo) {
    const DWORD sal = 0x51;
    TestCall* idle = SavedCall(nullptr, sal, LINECALLSTATE_IDLE);
    SavedCall(nullptr, 0x52, LINECALLSTATE_CONNECTED);
    SavedCall(nullptr, 0, LINECALLSTATE_CONNECTED);
    TestCall* ringing = SavedCall(nullptr, sal, LINECALLSTATE_OFFERING);
    TestCall* later = SavedCall(nullptr, sal, LINECALLSTATE_CONNECTED);
    ASSERT_EQ(ringing->GetId(), 3u);
    const DWORD untouched = 0xABCD;
    struct Case {
        DWORD sal;
        bool inclIdle;
        ZavCall* call;
        DWORD index;
    } cases[] = {
        {sal, false, ringing, 3},  {sal, true, idle, 0},           {0x53, false, nullptr, 19},
        {0x53, true, nullptr, 19}, {0, false, nullptr, untouched}, {0, true, nullptr, untouched},
    };
    for (const Case& c : cases) {
        DWORD index = untouched;
        ZavCall* found =
            c.inclIdle ? m_hub->SALToCallInclIdlePtr(c.sal, &index) : m_hub->SALToCallPtr(c.sal, &index);
        EXPECT_EQ(found, c.call) << std::hex << c.sal << " " << c.inclIdle;
        EXPECT_EQ(index, c.index) << std::hex << c.sal << " " << c.inclIdle;
    }
    ringing->UpdateCallState(LINECALLSTATE_IDLE);
    EXPECT_EQ(m_hub->SALToCallPtr(sal, nullptr), later);
    EXPECT_NE(TraceLog().find("ZavCallHub::SALToCallPtr() is invoked, id 81 => h 0xE0000003 P"),
              std::string::npos);
    EXPECT_NE(TraceLog().find("ZavCallHub::SALToCallInclIdlePtr() is invoked, id 81 => h 0xE0000000 P"),
              std::string::npos);
    EXPECT_EQ(TraceLog().find("is invoked, id 0 =>"), std::string::npos) << "a lookup of SAL 0 was traced";
}

TEST_F(CallHub, OnlyCallsTapiKnowsWaitInTheDeletePendingSlots) {
    TestCall* unknown = SavedCall();
    TestCall* known = SavedCall(TapiCall(0x810));
    EXPECT_EQ(m_hub->SaveToDeleteCall(unknown->GetId()), -1);
    EXPECT_EQ(m_hub->CallIdToCallPtr(unknown->GetId()), unknown);
    EXPECT_EQ(m_hub->SaveToDeleteCall(-1), -1);
    EXPECT_EQ(m_hub->SaveToDeleteCall(19), -1);
    EXPECT_EQ(m_hub->SaveToDeleteCall(5), -1) << "a free slot";
    EXPECT_EQ(m_hub->SaveToDeleteCall(known->GetId()), 0);
    EXPECT_EQ(m_hub->CallIdToCallPtr(known->GetId()), nullptr);
    EXPECT_EQ(m_hub->CallIdToDeleteCallPtr(known->GetId()), known);
    EXPECT_EQ(m_hub->CallIdToDeleteCallPtr(19), nullptr);
    EXPECT_NE(TraceLog().find("ZavCallHub::SaveToDeleteCall() is invoked at 1 in call vector P"),
              std::string::npos);
}

// A call that waits for TAPI to close it keeps its id to itself: a new call
// gets another slot, so two calls never share an id or a handle.
TEST_F(CallHub, TheSlotOfACallWaitingForTapiIsNotReused) {
    TestCall* waiting = SavedCall(TapiCall(0x820));
    ASSERT_EQ(m_hub->SaveToDeleteCall(0), 0);
    TestCall* next = SavedCall(TapiCall(0x821));
    EXPECT_EQ(next->GetId(), 1u);
    delete waiting;
    EXPECT_EQ(m_hub->CallIdToDeleteCallPtr(0), nullptr);
    EXPECT_EQ(m_hub->CallIdToCallPtr(1), next);
    TestCall* third = SavedCall();
    EXPECT_EQ(third->GetId(), 0u);
}

// The conference slot is the one slot that can hold a new call while an
// older call of the same id waits in its delete-pending twin.
TEST_F(CallHub, TerminationClearsTheSlotOfTheDestroyedCallOnly) {
    for (bool olderFirst : {true, false}) {
        auto* older = new TestCall(TapiCall(0x830));
        m_hub->SaveConfCall(older);
        ASSERT_EQ(m_hub->SaveToDeleteCall(18), 0);
        auto* newer = new TestCall(TapiCall(0x831));
        m_hub->SaveConfCall(newer);
        ASSERT_EQ(older->GetId(), newer->GetId());
        TestCall* first = olderFirst ? older : newer;
        TestCall* second = olderFirst ? newer : older;
        delete first;
        EXPECT_EQ(m_hub->CallIdToDeleteCallPtr(18), olderFirst ? nullptr : older) << olderFirst;
        EXPECT_EQ(m_hub->CallIdToCallPtr(18), olderFirst ? newer : nullptr) << olderFirst;
        delete second;
        EXPECT_EQ(m_hub->CallIdToDeleteCallPtr(18), nullptr) << olderFirst;
        EXPECT_EQ(m_hub->CallIdToCallPtr(18), nullptr) << olderFirst;
    }
}

TEST_F(CallHub, TerminationOfAnUnknownCallChangesNothing) {
    TestCall* saved = SavedCall();
    TestCall stranger;
    m_hub->HandleCallTermination(saved->GetId(), &stranger);
    m_hub->HandleCallTermination(19, saved);
    m_hub->HandleCallTermination(0, nullptr);
    EXPECT_EQ(m_hub->CallIdToCallPtr(saved->GetId()), saved);
    std::string log = TraceLog();
    EXPECT_NE(log.find("**** ZavCallHub::HandleCallTermination() pTermCall is NULL P"), std::string::npos);
    EXPECT_NE(log.find("**** ZavCallHub::HandleCallTermination() problem with CallID 19 P"),
              std::string::npos);
    // Overwriting the conference slot forgets the old conference call; its
    // end clears nothing of the new one.
    auto* oldConf = new TestCall;
    m_hub->SaveConfCall(oldConf);
    auto* newConf = new TestCall;
    m_hub->SaveConfCall(newConf);
    EXPECT_NE(TraceLog().find("**** ZavCallHub::SaveConfCall wasn't NULL P"), std::string::npos);
    delete oldConf;
    EXPECT_EQ(m_hub->GetConfCallPointer(), newConf);
}

TEST_F(CallHub, OnlyTheFirstConsultationCallLosesItsPrimaryReference) {
    TestCall* held = SavedCall(TapiCall(0x840));
    TestCall* first = SavedCall(TapiCall(0x841));
    TestCall* second = SavedCall(TapiCall(0x842));
    TestCall* unrelated = SavedCall(TapiCall(0x843));
    first->SetPrimaryRefCallId(held->GetId());
    second->SetPrimaryRefCallId(held->GetId());
    EXPECT_EQ(first->GetPrimaryRefCallPointer(), held);
    EXPECT_EQ(unrelated->GetPrimaryRefCallPointer(), nullptr);
    DWORD heldId = held->GetId();
    delete held;
    EXPECT_EQ(first->GetPrimaryRefCallId(), ZavCall::s_NoId);
    EXPECT_EQ(second->GetPrimaryRefCallId(), heldId);
    EXPECT_EQ(unrelated->GetPrimaryRefCallId(), ZavCall::s_NoId);
    EXPECT_NE(TraceLog().find("ZavCallHub::HandleCallTermination() resetting SetPrimaryRefCallId P"),
              std::string::npos);
    // Ids beyond the hub's slots name no call.
    first->SetPrimaryRefCallId(19);
    EXPECT_EQ(first->GetPrimaryRefCallPointer(), nullptr);
}

TEST_F(CallHub, StatisticsCountLiveCallsByState) {
    struct Case {
        std::vector<DWORD> states;
        DWORD active, idle, onHold, onHoldPending;
    } cases[] = {
        {{LINECALLSTATE_CONNECTED, LINECALLSTATE_ONHOLD, LINECALLSTATE_IDLE}, 1, 1, 1, 0},
        {{LINECALLSTATE_ONHOLDPENDCONF, LINECALLSTATE_ONHOLDPENDTRANSFER, 0, LINECALLSTATE_OFFERING},
         2,
         0,
         0,
         2},
        {{}, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        for (DWORD state : c.states) SavedCall(nullptr, 0, state);
        // A call waiting for TAPI is not counted; the conference call is.
        TestCall* waiting = SavedCall(TapiCall(0x850), 0, LINECALLSTATE_CONNECTED);
        ASSERT_EQ(m_hub->SaveToDeleteCall(waiting->GetId()), 0);
        auto* conf = new TestCall;
        conf->UpdateCallState(LINECALLSTATE_ONHOLD);
        m_hub->SaveConfCall(conf);
        DWORD active = 99, idle = 99, onHold = 99, onHoldPending = 99;
        m_hub->NumCallStatistics(&active, &idle, &onHold, &onHoldPending);
        EXPECT_EQ(active, c.active);
        EXPECT_EQ(idle, c.idle);
        EXPECT_EQ(onHold, c.onHold + 1);
        EXPECT_EQ(onHoldPending, c.onHoldPending);
        TestCall::DeleteAll();
    }
}

TEST_F(CallHub, ReplyRequestIdsNameCallsOfThisLineOnly) {
    TestCall* call = SavedCall(TapiCall(0x860));
    HDRVCALL own = call->ToCallHandle();
    struct Case {
        DWORD handle;
        bool found;
    } cases[] = {
        {Bits(own), true},   {0xE0010000, false},  // line 1
        {0xD0000000, false},                       // no call handle
        {0xE0000005, false},                       // a free slot
        {0xE0000013, false},                       // past the slots
    };
    for (const Case& c : cases)
        EXPECT_EQ(m_hub->ReqIdToCallPtr(DrvCall(c.handle)), c.found ? call : nullptr) << std::hex << c.handle;
}

TEST_F(CallHub, TransferRequestsAndStatesFindTheFirstCallInSlotOrder) {
    TestCall* a = SavedCall(nullptr, 0, LINECALLSTATE_CONNECTED);
    TestCall* b = SavedCall(nullptr, 0, LINECALLSTATE_ONHOLDPENDTRANSFER);
    TestCall* c = SavedCall(nullptr, 0, LINECALLSTATE_ONHOLD);
    a->SetRequestId(eReqCompleteTransfer, 0x77);
    b->SetRequestId(eReqSetupTransfer, 0x77);
    c->SetRequestId(eReqSetupTransfer, 0x77);
    EXPECT_EQ(m_hub->TransferCompletionIdToCallPtr(0x77, true), a);
    EXPECT_EQ(m_hub->TransferCompletionIdToCallPtr(0x77, false), b);
    EXPECT_EQ(m_hub->TransferCompletionIdToCallPtr(0x78, false), nullptr);
    EXPECT_EQ(m_hub->TransferCompletionIdToCallPtr(0, false), nullptr);
    EXPECT_NE(
        TraceLog().find("ZavCallHub::TransferCompletionIdToCallPtr() is invoked, id 119 => h 0xE0000001 P"),
        std::string::npos);

    const DWORD held[] = {LINECALLSTATE_ONHOLD, LINECALLSTATE_ONHOLDPENDTRANSFER, 0};
    const DWORD none[] = {LINECALLSTATE_IDLE, LINECALLSTATE_DIALTONE, 0};
    const DWORD empty[] = {0};
    EXPECT_EQ(m_hub->FindCallInStates(held), b);
    EXPECT_EQ(m_hub->FindCallInStates(none), nullptr);
    EXPECT_EQ(m_hub->FindCallInStates(empty), nullptr);
    EXPECT_EQ(m_hub->FindCallInState(LINECALLSTATE_ONHOLD), c);
}

}  // namespace
}  // namespace calltest
