// The parties and numbers of a call, and the call information each update
// reports.
#include <cstring>

#include "callctrl/CallFixture.h"

namespace calltest {
namespace {

class CallIdentity : public CallTest {
protected:
    // The call information bits reported since the last clear.
    static std::vector<DWORD> Reported() {
        std::vector<DWORD> bits;
        for (const LineEvent& e : Recorder::Events(LINE_CALLINFO)) bits.push_back(static_cast<DWORD>(e.p1));
        return bits;
    }
};

const std::string k63(63, '7');
const std::string k64(64, '7');

TEST_F(CallIdentity, DivertingPartyTexts) {
    struct Case {
        const char* text;
        long secondary;
        const char* number;
        const char* name;
        long secondaryNum;
        bool reported;
    } cases[] = {
        {"4101:Reception", 0, "4101", "Reception", 0, true},
        {"4101", 0, "4101", "Old Name", 0, true},
        {"4101:", 0, "4101", "", 0, true},
        {"123:X", 1, "123", "X", 123, true},
        {" +42", 1, " +42", "Old Name", 42, true},
        {"0:X", 1, "0", "X", 0, true},
        {"abc:X", 1, "abc", "X", 0, true},
        {"-5", 1, "-5", "Old Name", 0, true},
        {"12:34:56", 0, "12", "34:56", 0, true},
        {k63.c_str(), 0, k63.c_str(), "Old Name", 0, true},
        {k64.c_str(), 1, "old", "Old Name", 0, false},
        {nullptr, 1, "old", "Old Name", 0, false},
    };
    for (const Case& c : cases) {
        TestCall* call = SavedCall(TapiCall(0xA01));
        call->SetDivertedNumber("old");
        call->SetDivertedName("Old Name");
        Recorder::Clear();
        call->UpdateDivertedCallerId(c.text, c.secondary);
        const char* what = c.text ? c.text : "(null)";
        EXPECT_EQ(call->GetDivertedNumber(), c.number) << what;
        EXPECT_EQ(call->GetDivertedName(), c.name) << what;
        EXPECT_EQ(call->GetSecondaryCallerIDNum(), c.secondaryNum) << what;
        EXPECT_EQ(Reported(),
                  c.reported ? std::vector<DWORD>{LINECALLINFOSTATE_REDIRECTINGID} : std::vector<DWORD>{})
            << what;
        delete call;
    }
    EXPECT_NE(TraceLog().find("ZavCall::UpdateDivertedCallerId SecondaryCallerID ### 123 P"),
              std::string::npos);
    EXPECT_NE(TraceLog().find("ZavCall::UpdateDivertedCallerId ### 4101:Reception P"), std::string::npos);
}

TEST_F(CallIdentity, WhatTheDivertingPartyDialled) {
    struct Case {
        const char* text;
        const char* stored;
        bool reported;
    } cases[] = {
        {"4101:Reception", "4101:Reception", true},
        {k63.c_str(), k63.c_str(), true},
        {k64.c_str(), "before", false},
        {nullptr, "before", false},
    };
    for (const Case& c : cases) {
        TestCall* call = SavedCall(TapiCall(0xA02));
        call->SetDivertingPartyDialedNumber("before");
        Recorder::Clear();
        call->UpdateDivertingPartyDialedId(c.text);
        EXPECT_EQ(call->GetDivertingPartyDialedNumber(), c.stored);
        EXPECT_EQ(Reported(),
                  c.reported ? std::vector<DWORD>{LINECALLINFOSTATE_REDIRECTIONID} : std::vector<DWORD>{});
        EXPECT_EQ(call->GetDivertingPartyDialedName(), "");
        delete call;
    }
}

TEST_F(CallIdentity, GlobalCallIdIsReportedWhenItChanges) {
    TestCall* call = SavedCall(TapiCall(0xA03));
    call->SetGlobalCallId(0);
    EXPECT_TRUE(Reported().empty());
    call->SetGlobalCallId(0x1234);
    call->SetGlobalCallId(0x1234);
    EXPECT_EQ(call->GetGlobalCallId(), 0x1234u);
    EXPECT_EQ(Reported(), std::vector<DWORD>{LINECALLINFOSTATE_CALLID});
}

TEST_F(CallIdentity, SwitchReasonCodesBecomeTapiReasons) {
    struct Case {
        DWORD reason;
        int translate;
        DWORD stored;
    } cases[] = {
        {0, 1, 0},      {1, 1, 0x2},     {2, 1, 0x1},   {3, 1, 0x8},     {4, 1, 0x4},   {5, 1, 0x100},
        {6, 1, 0x10},   {14, 1, 0x2200}, {18, 1, 0x42}, {19, 1, 0x240},  {20, 1, 0x40}, {21, 1, 0x80},
        {7, 1, 0x5555}, {22, 1, 0x5555}, {7, 0, 7},     {0x20, 0, 0x20},
    };
    for (const Case& c : cases) {
        TestCall call;
        call.SetCallReason(0x5555, 0);
        call.SetCallReason(c.reason, c.translate);
        EXPECT_EQ(call.GetCallReason(), c.stored) << c.reason << "/" << c.translate;
    }
}

TEST_F(CallIdentity, OnlyTheFirstUnparkCounts) {
    TestCall call;
    EXPECT_EQ(call.OnceUnparked(), 0);
    EXPECT_EQ(call.OnceUnparked(), 1);
    EXPECT_EQ(call.OnceUnparked(), 1);
}

TEST_F(CallIdentity, AnUnparkedCallRemembersItsPreviousParty) {
    struct Case {
        const char* name;
        const char* otherName;
    } cases[] = {{nullptr, "Smith"}, {"Jones", "Jones"}};
    for (const Case& c : cases) {
        TestCall* call = SavedCall(TapiCall(0xA04));
        call->SetOtherAddr("4100");
        call->SetOtherName("Smith");
        Recorder::Clear();
        call->UpdateUnParkCallerId("4200", c.name);
        EXPECT_EQ(call->GetPreviousAddr(), "4100");
        EXPECT_EQ(call->GetPreviousName(), "Smith");
        EXPECT_EQ(call->GetOtherAddr(), "4200");
        EXPECT_EQ(call->GetOtherName(), c.otherName);
        EXPECT_EQ(Reported(), std::vector<DWORD>{LINECALLINFOSTATE_CALLERID});
        delete call;
    }
}

TEST_F(CallIdentity, TheBaseCallHasNoCallerOfItsOwn) {
    TestCall* call = SavedCall(TapiCall(0xA05));
    call->SetOtherAddr("4100");
    call->SetOtherName("Smith");
    call->SetCallerName("Jones");
    call->SetCallerAddr("4300");
    call->UpdateCallerId("4400", "Brown");
    call->HandleHuntGrpCallerID("500:4102", 1);
    EXPECT_EQ(call->GetCallerAddr(), "");
    EXPECT_EQ(call->GetOtherAddr(), "4100");
    EXPECT_EQ(call->GetOtherName(), "Smith");
    EXPECT_EQ(call->GetPreviousAddr(), "");
    EXPECT_EQ(call->GetSecondaryCallerIDNum(), 0);
    EXPECT_TRUE(Recorder::Events().empty());
    EXPECT_NE(TraceLog().find("ZavCall::UpdateCallerId is invoked P"), std::string::npos);
}

TEST_F(CallIdentity, NumbersTheCallUsesForParkAndPickup) {
    TestCall call;
    call.SetParkNumber("*72");
    call.SetParkNumber("*73");
    call.SetPickupNumber("4100");
    call.SetDialedNum("4200");
    call.SetTrunkNum(9);
    EXPECT_EQ(call.GetParkNumber(), "*73");
    EXPECT_EQ(call.GetPickupNumber(), "4100");
    EXPECT_EQ(call.GetDialedNum(), "4200");
    EXPECT_EQ(call.GetTrunkNum(), 9u);
    EXPECT_NE(TraceLog().find("ZavCall::SetParkNumber() is invoked, *73 => *72 P"), std::string::npos);
    EXPECT_NE(TraceLog().find("ZavCall::SetPickupNumber() is invoked, 4100 =>  P"), std::string::npos);
}

TEST_F(CallIdentity, CallParametersAreCopiedWhole) {
    const std::size_t extra = 16;
    std::vector<unsigned char> buffer(sizeof(LINECALLPARAMS) + extra, 0);
    auto* params = reinterpret_cast<LINECALLPARAMS*>(buffer.data());
    params->dwTotalSize = static_cast<DWORD>(buffer.size());
    params->dwMediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;
    std::memcpy(buffer.data() + sizeof(LINECALLPARAMS), "variable part!!", extra);

    TestCall call;
    EXPECT_EQ(call.GetCallParamsPointer(), nullptr);
    call.SetCallParams(params);
    LINECALLPARAMS* copy = call.GetCallParamsPointer();
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, params);
    buffer[sizeof(LINECALLPARAMS)] = 'X';
    params->dwMediaMode = 0;
    EXPECT_EQ(copy->dwTotalSize, buffer.size());
    EXPECT_EQ(copy->dwMediaMode, static_cast<DWORD>(LINEMEDIAMODE_INTERACTIVEVOICE));
    EXPECT_EQ(std::memcmp(reinterpret_cast<unsigned char*>(copy) + sizeof(LINECALLPARAMS), "variable part!!",
                          extra),
              0);
    call.SetCallParams(nullptr);
    EXPECT_EQ(call.GetCallParamsPointer(), copy) << "a null argument changed the parameters";
}

}  // namespace
}  // namespace calltest
