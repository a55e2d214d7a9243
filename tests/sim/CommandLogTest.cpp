// The command log: every command an endpoint receives, with its arguments,
// under the extension the endpoint registered for.
#include <algorithm>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "SimFixture.h"
#include "platform/Thread.h"

namespace {

class CommandLog : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        AddAccount("201", "pw");
        AddAccount("202", "pw");
    }
};

TEST_F(CommandLog, EveryCommandIsAcceptedAndLoggedWithItsArguments) {
    SimComPtr<IEndPoint> endPoint = Registered("201", "pw");
    ASSERT_TRUE(endPoint);
    m_sim.ClearLog("201");
    IEndPoint* e = endPoint.Get();
    struct Case {
        std::function<HRESULT()> call;
        const char* line;
    } cases[] = {
        {[&] { return e->OffHook(5, 0xE0010005); }, "OffHook sal=0x00000005 call=0xE0010005"},
        {[&] { return e->OnHook(-1); }, "OnHook sal=0xFFFFFFFF"},
        {[&] { return e->Transfer(0xE0021003); }, "Transfer call=0xE0021003"},
        {[&] { return e->CompleteTransfer(7); }, "CompleteTransfer sal=0x00000007"},
        {[&] { return e->Answer(5, 0xE0010005); }, "Answer sal=0x00000005 call=0xE0010005"},
        {[&] { return e->Conference(0xE0010002); }, "Conference call=0xE0010002"},
        {[&] { return e->AddToConf(0x21); }, "AddToConf sal=0x00000021"},
        {[&] { return e->DialDigitsA(5, TempBstr("9,123#")); }, "DialDigitsA sal=0x00000005 digits=9,123#"},
        {[&] { return e->Hold(5); }, "Hold sal=0x00000005"},
        {[&] { return e->Unhold(5, 0xE0010005); }, "Unhold sal=0x00000005 call=0xE0010005"},
        {[&] { return e->Park(5, TempBstr("72")); }, "Park sal=0x00000005 digits=72"},
        {[&] { return e->UnPark(0, TempBstr("72")); }, "UnPark sal=0x00000000 digits=72"},
        {[&] { return e->Pickup(0, TempBstr("2002"), 1); }, "Pickup sal=0x00000000 digits=2002 directed=1"},
        {[&] { return e->GenerateTone(5, 0xFFFF, 250); },
         "GenerateTone sal=0x00000005 mode=65535 duration=250"},
        {[&] { return e->SendDigitCollectMsg(5, 1); }, "SendDigitCollectMsg sal=0x00000005 start=1"},
        {[&] { return e->SendDigitCollectMsg(5, 0); }, "SendDigitCollectMsg sal=0x00000005 start=0"},
        {[&] { return e->Forward(TempBstr("3000"), 4); }, "Forward digits=3000 rings=4"},
        {[&] { return e->Forward(nullptr, 0); }, "Forward digits= rings=0"},
        {[&] { return e->ConfDrop(9); }, "ConfDrop sal=0x00000009"},
        {[&] { return e->SetMWI(1); }, "SetMWI state=1"},
        {[&] { return e->SetLCDDisplay(TempBstr("HELLO WORLD!", 13)); }, "SetLCDDisplay text=HELLO WORLD!"},
        {[&] { return e->Redirect(TempBstr("A1B"), 5, 0xE0010005); },
         "Redirect digits=A1B sal=0x00000005 call=0xE0010005"},
        {[&] { return e->DialDigitsA(5, TempBstr("1\n2\\")); },
         "DialDigitsA sal=0x00000005 digits=1\\x0A2\\x5C"},
        {[&] { return e->AcknowledgeMsg(); }, "AcknowledgeMsg"},
        {[&] { return e->DisconnectFromServer(); }, "DisconnectFromServer"},
    };
    std::string expected;
    for (const Case& c : cases) {
        EXPECT_EQ(c.call(), S_OK) << c.line;
        expected += std::string(c.line) + "\n";
    }
    EXPECT_EQ(Log("201"), expected);
    EXPECT_EQ(Log("202"), "");
}

TEST_F(CommandLog, ReservedSlotsAreNotImplementedAndLogNothing) {
    SimComPtr<IEndPoint> endPoint = Registered("201", "pw");
    ASSERT_TRUE(endPoint);
    m_sim.ClearLog("201");
    IEndPoint* e = endPoint.Get();
    for (auto reserved :
         {&IEndPoint::Reserved3, &IEndPoint::Reserved4, &IEndPoint::Reserved5, &IEndPoint::Reserved6,
          &IEndPoint::Reserved7, &IEndPoint::Reserved11, &IEndPoint::Reserved18, &IEndPoint::Reserved19,
          &IEndPoint::Reserved29, &IEndPoint::Reserved31, &IEndPoint::Reserved32, &IEndPoint::Reserved33,
          &IEndPoint::Reserved34, &IEndPoint::Reserved35})
        EXPECT_EQ((e->*reserved)(), E_NOTIMPL);
    ASSERT_EQ(m_sim.InjectShutdown("201", 0), 0);
    SimComPtr<IMsgInt> message;
    ASSERT_EQ(e->RetrieveMsg(message.Out()), S_OK);
    IMsgInt* m = message.Get();
    for (auto reserved :
         {&IMsgInt::Reserved3, &IMsgInt::Reserved4, &IMsgInt::Reserved5, &IMsgInt::Reserved6,
          &IMsgInt::Reserved9, &IMsgInt::Reserved13, &IMsgInt::Reserved14, &IMsgInt::Reserved17,
          &IMsgInt::Reserved18, &IMsgInt::Reserved19, &IMsgInt::Reserved20, &IMsgInt::Reserved21,
          &IMsgInt::Reserved28, &IMsgInt::Reserved29, &IMsgInt::Reserved32, &IMsgInt::Reserved35,
          &IMsgInt::Reserved38, &IMsgInt::Reserved40})
        EXPECT_EQ((m->*reserved)(), E_NOTIMPL);
    EXPECT_EQ(Log("201"), "");
}

TEST_F(CommandLog, CommandsBeforeRegistrationMoveToTheExtension) {
    SimComPtr<IEndPoint> endPoint = Create();
    ASSERT_TRUE(endPoint);
    HANDLE event = nullptr;
    ASSERT_EQ(endPoint->ConnectToServer(&event), S_OK);
    ASSERT_EQ(endPoint->ConfigServerA(TempBstr("10.0.0.1"), 0), S_OK);
    EXPECT_EQ(Log("201"), "");
    ASSERT_EQ(endPoint->RegisterA(TempBstr("201"), TempBstr("pw")), S_OK);
    ASSERT_EQ(endPoint->Unregister(), S_OK);
    EXPECT_EQ(Log("201"),
              "ConnectToServer\n"
              "ConfigServerA address=10.0.0.1 port=0\n"
              "RegisterA ext=201 password=pw\n"
              "Unregister\n");
    EXPECT_EQ(Log(nullptr), "");
}

TEST_F(CommandLog, EndPointsReleasedUnregisteredLogUnderNoExtension) {
    {
        SimComPtr<IEndPoint> endPoint = Create();
        ASSERT_TRUE(endPoint);
        HANDLE event = nullptr;
        ASSERT_EQ(endPoint->ConnectToServer(&event), S_OK);
        ASSERT_EQ(endPoint->DisconnectFromServer(), S_OK);
        EXPECT_EQ(Log(nullptr), "") << "kept while the endpoint may still register";
    }
    EXPECT_EQ(Log(nullptr), "ConnectToServer\nDisconnectFromServer\n");
    EXPECT_EQ(Log(""), Log(nullptr));
}

TEST_F(CommandLog, ClearingAndResetting) {
    SimComPtr<IEndPoint> a = Registered("201", "pw");
    SimComPtr<IEndPoint> b = Registered("202", "pw");
    ASSERT_TRUE(a && b);
    a->Hold(1);
    b->Hold(2);
    m_sim.ClearLog("201");
    EXPECT_EQ(Log("201"), "");
    EXPECT_NE(Log("202"), "");
    a->Hold(3);
    EXPECT_EQ(Log("201"), "Hold sal=0x00000003\n") << "logging goes on after clearing";
    m_sim.ClearLog(nullptr);
    EXPECT_EQ(Log("201") + Log("202"), "");
    a->Hold(4);
    m_sim.Reset();
    EXPECT_EQ(Log("201"), "");
}

TEST_F(CommandLog, ReadingIntoASmallBufferCutsAndTerminates) {
    SimComPtr<IEndPoint> endPoint = Registered("201", "pw");
    ASSERT_TRUE(endPoint);
    m_sim.ClearLog("201");
    endPoint->Hold(1);  // "Hold sal=0x00000001\n": 20 bytes
    char buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), 'X');
    EXPECT_EQ(m_sim.ReadLog("201", buffer, sizeof buffer), 20u);
    EXPECT_EQ(std::string(buffer), "Hold sa");
    EXPECT_EQ(m_sim.ReadLog("201", buffer, 0), 20u);
    EXPECT_EQ(m_sim.ReadLog("201", nullptr, 100), 20u);
}

struct Acknowledger {
    IEndPoint* endPoint;
    int count;
};

DWORD Acknowledge(void* arg) {
    auto* a = static_cast<Acknowledger*>(arg);
    for (int i = 0; i < a->count; ++i) a->endPoint->AcknowledgeMsg();
    return 0;
}

TEST_F(CommandLog, WaitingForLinesLoggedByOtherThreads) {
    SimComPtr<IEndPoint> endPoint = Registered("201", "pw");
    ASSERT_TRUE(endPoint);
    EXPECT_EQ(m_sim.WaitForLog("201", "AcknowledgeMsg", 1, 0), 0);
    constexpr int kThreads = 3, kEach = 50;
    Acknowledger work{endPoint.Get(), kEach};
    std::vector<HANDLE> threads;
    for (int i = 0; i < kThreads; ++i) threads.push_back(plat::StartThread(Acknowledge, &work, 0, nullptr));
    EXPECT_EQ(m_sim.WaitForLog("201", "AcknowledgeMsg", kThreads * kEach, 10000), 1);
    for (HANDLE t : threads) {
        EXPECT_EQ(plat::WaitForThread(t, 10000), WAIT_OBJECT_0);
        plat::CloseThread(t);
    }
    std::string log = Log("201");
    size_t lines = 0;
    for (size_t at = log.find("AcknowledgeMsg\n"); at != std::string::npos;
         at = log.find("AcknowledgeMsg\n", at + 1))
        ++lines;
    EXPECT_EQ(lines, static_cast<size_t>(kThreads * kEach)) << "no line lost or torn";
    EXPECT_EQ(m_sim.WaitForLog("201", "Answer", 1, 20), 0) << "times out when the line never comes";
    EXPECT_EQ(m_sim.WaitForLog("201", "RegisterA ext=201", 1, 0), 1);
}

}  // namespace
