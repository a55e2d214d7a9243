// The roles a call plays: what each variant reports to TAPI and sends to the
// switch as the switch reports progress.
#include <functional>
#include <memory>

#include "callctrl/CallFixture.h"
#include "callctrl/ZavConfCall.h"
#include "callctrl/ZavConfOutCall.h"
#include "callctrl/ZavOutCallAuto.h"
#include "callctrl/ZavTspCallIncoming.h"
#include "callctrl/ZavXferOutCallAuto.h"
#include "provider/ZavTspGlobals.h"
#include "tsp/ZavAddress.h"

namespace calltest {
namespace {

class CallVariants : public CallTest {
protected:
    // The calls go before the hub they are in.
    void TearDown() override {
        m_owned.clear();
        CallTest::TearDown();
    }
    template <typename T>
    T* Saved(T* call, DWORD sal = 0, DWORD state = 0) {
        call->SetSAL(sal);
        call->UpdateCallState(state);
        EXPECT_GE(m_hub->SaveCall(call), 0);
        m_owned.emplace_back(call);
        return call;
    }
    // The states TAPI heard of, in order.
    static std::vector<DWORD> States() {
        std::vector<DWORD> states;
        for (const LineEvent& e : Recorder::Events(LINE_CALLSTATE)) states.push_back(static_cast<DWORD>(e.p1));
        return states;
    }
    static std::vector<DWORD> CallInfo() {
        std::vector<DWORD> bits;
        for (const LineEvent& e : Recorder::Events(LINE_CALLINFO)) bits.push_back(static_cast<DWORD>(e.p1));
        return bits;
    }
    std::vector<std::unique_ptr<ZavCall>> m_owned;
};

TEST_F(CallVariants, MakeCallProposesTheLowestFreeSalAndOnlyOnce) {
    Saved(new ZavOutCall(TapiCall(0x901)), 65, LINECALLSTATE_CONNECTED);
    Saved(new ZavOutCall(TapiCall(0x902)), 66, LINECALLSTATE_ONHOLD);
    Saved(new ZavOutCall(TapiCall(0x903)), 67, LINECALLSTATE_IDLE);  // an idle leg is free again
    ZavOutCall* call = Saved(new ZavOutCall(TapiCall(0x904)));
    ASSERT_EQ(call->MakeCall(), 0);
    EXPECT_NE(SwitchLog().find("OffHook sal=0x00000043"), std::string::npos) << SwitchLog();
    ClearSwitchLog();
    call->UpdateCallState(LINECALLSTATE_DIALTONE);
    EXPECT_EQ(call->MakeCall(), -1) << "a call goes off-hook once";
    EXPECT_EQ(SwitchLog(), "");
}

TEST_F(CallVariants, AnOutgoingCallReportsItsProgressOnce) {
    ZavOutCall* call = Saved(new ZavOutCall(TapiCall(0x911)), 65);
    call->NotifyDialTone();
    call->NotifyDialing();
    call->NotifyRingBack();
    call->NotifyRingBack();
    call->NotifyConnected();
    const DWORD info[] = {LINECALLINFOSTATE_CALLERID, LINECALLINFOSTATE_CALLEDID, LINECALLINFOSTATE_ORIGIN};
    EXPECT_EQ(States(), (std::vector<DWORD>{LINECALLSTATE_DIALTONE, LINECALLSTATE_DIALING, LINECALLSTATE_PROCEEDING,
                                            LINECALLSTATE_RINGBACK, LINECALLSTATE_CONNECTED}));
    std::vector<DWORD> twice(std::begin(info), std::end(info));
    twice.insert(twice.end(), std::begin(info), std::end(info));
    EXPECT_EQ(CallInfo(), twice) << "each ring-back reports the parties";
    EXPECT_EQ(call->NotifyDisconnected(1), 0);
    EXPECT_TRUE(call->IsIdle());
    EXPECT_EQ(States().size(), 5u) << "the hub reports the disconnection itself";
    EXPECT_EQ(call->NotifyDisconnected(1), -1);
}

TEST_F(CallVariants, FeaturesFollowTheRoleAndState) {
    ZavInCall in(TapiCall(0x921));
    ZavOutCall out(TapiCall(0x922));
    struct Case {
        ZavCall* call;
        DWORD state, features;
    } cases[] = {
        {&in, LINECALLSTATE_OFFERING, LINECALLFEATURE_ACCEPT | LINECALLFEATURE_ANSWER | LINECALLFEATURE_REDIRECT},
        {&in, LINECALLSTATE_ACCEPTED, LINECALLFEATURE_ANSWER},
        {&out, LINECALLSTATE_DIALTONE, LINECALLFEATURE_DIAL | LINECALLFEATURE_DROP},
        {&out, LINECALLSTATE_DIALING, LINECALLFEATURE_DIAL | LINECALLFEATURE_DROP},
        {&out, LINECALLSTATE_PROCEEDING, LINECALLFEATURE_DROP},
        {&out, LINECALLSTATE_BUSY, LINECALLFEATURE_DROP},
    };
    for (const Case& c : cases) {
        c.call->UpdateCallState(c.state);
        EXPECT_EQ(c.call->GetCallFeatures(), c.features) << std::hex << c.call->GetCallObjectType() << " " << c.state;
    }
}

TEST_F(CallVariants, AnAutomaticCallDialsItsDestinationAtDialTone) {
    ZavOutCallAuto* call = Saved(new ZavOutCallAuto(TapiCall(0x931), "9,(1) 555"), 66);
    call->NotifyDialTone();
    EXPECT_EQ(States(), std::vector<DWORD>{LINECALLSTATE_DIALTONE});
    EXPECT_NE(SwitchLog().find("DialDigitsA sal=0x00000042 digits=9,1555"), std::string::npos) << SwitchLog();
    EXPECT_EQ(call->GetCallObjectType(), 0x90u);
}

TEST_F(CallVariants, ADroppedConsultationCallStillAnswersTheTransferSetUp) {
    ZavInCall* held = Saved(new ZavInCall(TapiCall(0x941)), 5, LINECALLSTATE_CONNECTED);
    ZavXferOutCall* consult = Saved(new ZavXferOutCall(TapiCall(0x942), held), 65, LINECALLSTATE_DIALING);
    consult->SetRequestId(eReqSetupTransfer, 0x51);
    held->SetRequestId(eReqSetupTransfer, 0x51);
    ASSERT_EQ(consult->Transfer(), 0);
    EXPECT_TRUE(held->IsHeldPendXfer());
    EXPECT_TRUE(States().empty()) << "the held call waits silently";
    ASSERT_EQ(consult->Drop(), 0);
    consult->NotifyDialTone();
    consult->NotifyRingBack();
    consult->NotifyConnected();
    EXPECT_EQ(Recorder::Completions(), (std::vector<Completion>{{0x51, 0}}));
    EXPECT_EQ(held->GetRequestId(eReqSetupTransfer), 0u);
    ASSERT_EQ(Recorder::Events(LINE_CALLSTATE).size(), 1u) << "only the held call's state reaches TAPI";
    EXPECT_EQ(Recorder::Events(LINE_CALLSTATE)[0].htCall, TapiCall(0x941));
    EXPECT_EQ(States(), std::vector<DWORD>{LINECALLSTATE_ONHOLDPENDTRANSFER});
}

TEST_F(CallVariants, ABlindTransferCompletesAtRingBackAndLeavesByItself) {
    ZavInCall* held = Saved(new ZavInCall(TapiCall(0x951)), 6, LINECALLSTATE_CONNECTED);
    auto* blind = new ZavXferOutCallAuto(nullptr, held, "202");
    blind->SetSAL(65);
    ASSERT_GE(m_hub->SaveCall(blind), 0);
    blind->SetRequestId(eReqBlindTransfer, 0x61);
    blind->NotifyDialTone();
    EXPECT_NE(SwitchLog().find("DialDigitsA sal=0x00000041 digits=202"), std::string::npos);
    blind->NotifyRingBack();
    EXPECT_EQ(Recorder::Completions(), (std::vector<Completion>{{0x61, 0}}));
    EXPECT_NE(SwitchLog().find("CompleteTransfer sal=0x00000041"), std::string::npos);
    DWORD slot = blind->GetId();
    blind->NotifyTransferEnd();
    EXPECT_EQ(m_hub->CallIdToCallPtr(slot), nullptr) << "the transient call is gone";
    EXPECT_TRUE(held->IsIdle());
}

TEST_F(CallVariants, ABlindTransferThatFailsPutsTheHeldCallBack) {
    ZavInCall* held = Saved(new ZavInCall(TapiCall(0x961)), 7, LINECALLSTATE_ONHOLDPENDTRANSFER);
    ZavXferOutCallAuto* blind = Saved(new ZavXferOutCallAuto(nullptr, held, "9999"), 65, LINECALLSTATE_DIALING);
    blind->SetRequestId(eReqBlindTransfer, 0x71);
    blind->NotifyBlindTransferError(static_cast<LONG>(LINEERR_INVALADDRESS));
    EXPECT_TRUE(held->IsHeld());
    EXPECT_EQ(Recorder::Completions(), (std::vector<Completion>{{0x71, static_cast<LONG>(LINEERR_INVALADDRESS)}}));
    EXPECT_NE(SwitchLog().find("OnHook sal=0x00000041"), std::string::npos);
    blind->NotifyBlindTransferError(0);
    EXPECT_EQ(Recorder::Completions().size(), 1u) << "no request, no second completion";
}

TEST_F(CallVariants, AConferenceGoesThroughItsPrimaryCall) {
    ZavInCall* primary = Saved(new ZavInCall(TapiCall(0x971)), 8, LINECALLSTATE_CONNECTED);
    auto* consult = Saved(new ZavConfOutCall(TapiCall(0x972), primary));
    auto* conf = new ZavConfCall(TapiCall(0x973), primary, consult);
    m_hub->SaveConfCall(conf);
    m_owned.emplace_back(conf);
    consult->SetRequestId(eReqConference, 0x81);
    ASSERT_EQ(consult->Conference(), 0);
    EXPECT_TRUE(primary->IsConferenced());
    consult->NotifyDialTone();
    EXPECT_EQ(Recorder::Completions(), (std::vector<Completion>{{0x81, 0}}));
    EXPECT_TRUE(conf->IsHeldPendConf());
    EXPECT_EQ(conf->Drop(), -1) << "a conference on hold is not dropped";
    EXPECT_TRUE(primary->IsConferenced());
    conf->SetParkNumber("7001");
    EXPECT_EQ(primary->GetParkNumber(), "7001");
    EXPECT_EQ(conf->GetParkNumber(), "7001");
    consult->NotifyConfComplete();
    EXPECT_TRUE(conf->IsConnected());
    EXPECT_TRUE(consult->IsConferenced());
    conf->SetGenerateDigits("12");
    ClearSwitchLog();
    EXPECT_EQ(conf->GenerateDigits(), 0);
    EXPECT_NE(SwitchLog().find("DialDigitsA sal=0x00000008 digits=12"), std::string::npos) << "on the primary leg";
    conf->NotifyPrimaryCallDisconnected();
    EXPECT_TRUE(conf->IsIdle());
    EXPECT_EQ(m_hub->GetConfCallPointer(), nullptr);
}

TEST_F(CallVariants, CallerUpdatesNameThePartyThatChanged) {
    ZavInCall* in = Saved(new ZavInCall(TapiCall(0x981)), 9);
    ZavOutCall* out = Saved(new ZavOutCall(TapiCall(0x982)), 65);
    in->SetCallerAddr("4100");
    in->SetCallerName("Old");
    in->UpdateCallerId("4101", nullptr);
    EXPECT_EQ(in->GetPreviousAddr(), "4100");
    EXPECT_EQ(in->GetOtherName(), "Old") << "no name, no name change";
    out->UpdateCallerId("202", "Sales");
    EXPECT_EQ(out->GetCallerName(), "Sales");
    EXPECT_EQ(CallInfo(), (std::vector<DWORD>{LINECALLINFOSTATE_CALLERID, LINECALLINFOSTATE_CALLEDID}));
    in->HandleHuntGrpCallerID("500:4102", 1);
    EXPECT_EQ(in->GetCallerName(), "500");
    EXPECT_EQ(in->GetCallerAddr(), "4102");
    EXPECT_EQ(in->GetSecondaryCallerIDNum(), 500);
    in->HandleHuntGrpCallerID("x12:4103", 1);
    EXPECT_EQ(in->GetSecondaryCallerIDNum(), 500) << "only an all-digit group becomes the secondary number";
}

}  // namespace
}  // namespace calltest

namespace calltest {
namespace {

TEST_F(CallVariants, MakeCallFillsInDefaultsAndRefusesRoutePoints) {
    gpTS.store(m_session.get());
    HDRVCALL hdCall = nullptr;
    LONG id = TSPI_lineMakeCall(0x41, m_line->ToLineHandle(), TapiCall(0x991), &hdCall, nullptr, 0, nullptr);
    EXPECT_EQ(id, 0x41);
    EXPECT_EQ(Recorder::Completions(), (std::vector<Completion>{{0x41, 0}}));
    ZavCall* call = m_session->ToCallPointer(hdCall);
    ASSERT_NE(call, nullptr);
    const LINECALLPARAMS* params = call->GetCallParamsPointer();
    ASSERT_NE(params, nullptr);
    EXPECT_EQ(params->dwTotalSize, 176u);
    EXPECT_EQ(params->dwBearerMode, static_cast<DWORD>(LINEBEARERMODE_VOICE));
    EXPECT_EQ(params->dwMinRate, 3100u);
    EXPECT_EQ(params->dwMaxRate, 3100u);
    EXPECT_EQ(params->dwMediaMode, static_cast<DWORD>(LINEMEDIAMODE_INTERACTIVEVOICE));
    EXPECT_EQ(params->dwNoAnswerTimeout, m_line->GetAddrPointer()->GetNumRingsNoAnswer() * 6);
    EXPECT_EQ(call->GetRequestId(eReqMakeCall), 0u) << "completed once, then forgotten";
    EXPECT_NE(SwitchLog().find("OffHook sal=0x00000041"), std::string::npos);
    EXPECT_EQ(TSPI_lineCloseCall(hdCall), 0);

    CloseLine();
    AddAccount(kExt, 3);  // a route point
    OpenLine();
    EXPECT_EQ(static_cast<DWORD>(TSPI_lineMakeCall(0x42, m_line->ToLineHandle(), TapiCall(0x992), &hdCall,
                                                   nullptr, 0, nullptr)),
              static_cast<DWORD>(LINEERR_OPERATIONUNAVAIL));
    gpTS.store(nullptr);
}

}  // namespace
}  // namespace calltest
