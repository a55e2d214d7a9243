// What the provider relies on from the stand-in switch component, and what
// the provider's own tests rely on from its control functions. Whatever else
// the stand-in does is its own business.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "platform/Bstr.h"
#include "platform/Com.h"
#include "platform/Event.h"
#include "platform/Registry.h"
#include "support/SimSwitch.h"
#include "switchlink/ZavBstrArg.h"
#include "zav/EndPoint.h"

namespace {

constexpr HRESULT kRefused = static_cast<HRESULT>(0x800704C9L);
constexpr HRESULT kDenied = static_cast<HRESULT>(0x80070005L);

// One reference, released however the test ends, so that a failed assertion
// does not show up as a leak in the next check.
struct Releaser {
    void operator()(IUnknown* p) const { p->Release(); }
};
using EndPoint = std::unique_ptr<IEndPoint, Releaser>;
using Message = std::unique_ptr<IMsgInt, Releaser>;

// Texts go over as the provider hands them: made with their byte length.
using Bstr = ZavBstrArg;

LONG Number(const Message& m, HRESULT (IMsgInt::*getter)(LONG*)) {
    LONG value = 0x5A5A5A5A;
    EXPECT_EQ((m.get()->*getter)(&value), S_OK);
    return value;
}

std::string Text(const Message& m, HRESULT (IMsgInt::*getter)(BSTR*)) {
    BSTR text = nullptr;
    EXPECT_EQ((m.get()->*getter)(&text), S_OK);
    std::string value = plat::BstrToString(text);
    plat::FreeBstr(text);
    return value;
}

std::string Hex(LONG value) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(value));
    return text;
}

ZavSimMessage CallControl(LONG sal1) {
    ZavSimMessage m{};
    m.category = ZAVSIM_CATEGORY_CALL_CONTROL;
    m.msgType = 0x28001;
    m.sal1 = sal1;
    return m;
}

// An endpoint and the event it signals its messages with.
struct Link {
    EndPoint endPoint;
    HANDLE event = nullptr;

    Message Retrieve() const {
        IMsgInt* message = nullptr;
        HRESULT hr = endPoint->RetrieveMsg(&message);
        EXPECT_EQ(SUCCEEDED(hr), message != nullptr);
        return Message(message);
    }
    // The provider takes one message per wake and nothing without a wake,
    // so a message and its signal must come together.
    Message Next() const {
        bool signalled = plat::WaitForEvent(event, 0) == WAIT_OBJECT_0;
        Message message = Retrieve();
        EXPECT_EQ(signalled, message != nullptr) << "a signal and a message must come together";
        return message;
    }
};

class SimContract : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_sim.Ok()) << m_sim.Error();
        ASSERT_EQ(m_sim.Register(), S_OK);
        m_sim.Reset();
        ASSERT_TRUE(SUCCEEDED(plat::ComInitialize(true)));
        m_com = true;
    }
    void TearDown() override {
        if (!m_com) return;
        EXPECT_EQ(m_sim.LiveObjects(), 0) << "an endpoint or message was not released";
        plat::ComUninitialize();
    }

    void AddAccount(const char* ext, const char* password, LONG type = 1, LONG vdn = 0, LONG serial = 0) {
        ZavSimAccount account{ext, password, type, vdn, serial, "Doe, John"};
        ASSERT_EQ(m_sim.AddAccount(&account), 0);
    }

    // By class id, as the provider makes every endpoint.
    static EndPoint Create() {
        void* endPoint = nullptr;
        EXPECT_EQ(plat::ComCreateInstance(CLSID_ZavEndPoint, IID_IZavEndPoint, &endPoint), S_OK);
        return EndPoint(static_cast<IEndPoint*>(endPoint));
    }

    // Connected and registered, the reply taken.
    Link Registered(const char* extension) {
        AddAccount(extension, "pw");
        Link link{Create()};
        if (!link.endPoint || link.endPoint->ConnectToServer(&link.event) != S_OK ||
            link.endPoint->RegisterA(Bstr(extension), Bstr("pw")) != S_OK)
            return Link{};
        Message reply = link.Next();
        EXPECT_TRUE(reply && Number(reply, &IMsgInt::GetResult) == 0);
        return link;
    }

    // The provider's link up and down, each step taken only when the one
    // before succeeded, told as "connect 0, event, register 0, reply, ...".
    std::string Run(const char* extension) {
        // The event preset as the provider presets it.
        Link link{Create(), reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1))};
        IEndPoint* e = link.endPoint.get();
        std::string out;
        auto ok = [&out](const char* step, HRESULT hr) {
            out += (out.empty() ? "" : ", ") + std::string(step) + " " + Hex(hr);
            return SUCCEEDED(hr);
        };
        auto reply = [&](LONG type) {
            Message m = link.Next();
            bool good = m && Number(m, &IMsgInt::GetCategory) == ZAVSIM_CATEGORY_REGISTRATION &&
                        Number(m, &IMsgInt::GetMsgType) == type && Number(m, &IMsgInt::GetResult) == 0;
            out += good ? ", reply" : ", no reply";
        };
        if (!e || !ok("connect", e->ConnectToServer(&link.event))) return out;
        out += link.event ? ", event" : ", no event";
        if (!link.event || !ok("register", e->RegisterA(Bstr(extension), Bstr("pw")))) return out;
        reply(ZAVSIM_MSG_REGISTER_REPLY);
        if (!ok("unregister", e->Unregister())) return out;
        reply(ZAVSIM_MSG_UNREGISTER_REPLY);
        EXPECT_EQ(e->DisconnectFromServer(), S_OK);
        return out;
    }

    zavtest::TempRegistry m_registry;
    zavtest::SimSwitch m_sim;
    bool m_com = false;
};

// The provider reads result, VDN, serial number and device type from the
// reply; a rejection comes as a result, never as a failed RegisterA. Each
// case replaces an account, as the provider's tests do between opens. The
// extensions are not the demo's: the switch also takes accounts from the
// registry, which on Windows outlives the run.
TEST_F(SimContract, RegistrationIsAnsweredFromTheAccount) {
    struct Case {
        const char* name;
        const char* extension;
        const char* password;
        bool reset;
        std::array<LONG, 4> reply;  // result, VDN, serial number, device type; the result alone when rejected
    } cases[] = {
        {"account", "301", "s3cret", false, {0, 5001, 123456, 3}},
        {"password of the replaced account", "301", "old", false, {ZAVSIM_REJECT_BAD_PASSWORD}},
        {"wrong password", "301", "s3cre", false, {ZAVSIM_REJECT_BAD_PASSWORD}},
        {"unknown extension", "302", "s3cret", false, {ZAVSIM_REJECT_UNKNOWN_EXTENSION}},
        {"account forgotten by a reset", "301", "s3cret", true, {ZAVSIM_REJECT_UNKNOWN_EXTENSION}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AddAccount("301", "old", 1, 1, 1);
        AddAccount("301", "s3cret", 3, 5001, 123456);
        if (c.reset) m_sim.Reset();
        Link link{Create()};
        ASSERT_EQ(link.endPoint->ConnectToServer(&link.event), S_OK);
        ASSERT_EQ(link.endPoint->RegisterA(Bstr(c.extension), Bstr(c.password)), S_OK);
        Message reply = link.Next();
        ASSERT_TRUE(reply);
        EXPECT_EQ(Number(reply, &IMsgInt::GetMsgType), ZAVSIM_MSG_REGISTER_REPLY);
        std::array<LONG, 4> got{Number(reply, &IMsgInt::GetResult), Number(reply, &IMsgInt::GetVDN),
                                Number(reply, &IMsgInt::GetSerialNum),
                                Number(reply, &IMsgInt::GetDeviceType)};
        if (c.reply[0] != 0) got = {got[0]};
        EXPECT_EQ(got, c.reply);
        EXPECT_FALSE(link.Next()) << "the reply is the only message";
    }
}

// The failures the provider's tests make the switch produce, for one
// extension or for every endpoint (those only connected so far included),
// and gone once cleared.
TEST_F(SimContract, FaultsBreakTheLinkWhereAsked) {
    AddAccount("201", "pw");
    AddAccount("202", "pw");
    const std::string healthy = "connect 0, event, register 0, reply, unregister 0, reply";
    struct Case {
        const char* scope;
        ZavSimFaults faults;
        std::string outcome;
    } cases[] = {
        {nullptr, {kRefused, 0, 0, 0, 0, 0}, "connect 800704C9"},
        {nullptr, {0, 1, 0, 0, 0, 0}, "connect 0, no event"},
        {nullptr, {0, 0, kDenied, 0, 0, 0}, "connect 0, event, register 80070005"},
        {"201", {0, 0, 0, 1, 0, 0}, "connect 0, event, register 0, no reply, unregister 0, reply"},
        {"201", {0, 0, 0, 0, kDenied, 0}, "connect 0, event, register 0, reply, unregister 80070005"},
        {"201", {0, 0, 0, 0, 0, 1}, "connect 0, event, register 0, reply, unregister 0, no reply"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(m_sim.SetFaults(c.scope, &c.faults), 0);
        EXPECT_EQ(Run("201"), c.outcome);
        EXPECT_EQ(Run("202"), c.scope ? healthy : c.outcome) << "another extension";
        ASSERT_EQ(m_sim.SetFaults(c.scope, nullptr), 0);
        EXPECT_EQ(Run("201"), healthy) << "cleared";
    }
}

// Paced, every message has a signal of its own however it was queued; on
// request signals merge as any auto-reset event's do, until a reset. A reset
// leaves the link and its queue alone.
TEST_F(SimContract, SignalsArePacedOrMergedOnRequest) {
    Link link = Registered("201");
    ASSERT_TRUE(link.endPoint);
    struct Case {
        const char* name;
        bool onQueue;
        std::array<bool, 3> signalled;
    } cases[] = {
        {"paced", false, {true, true, true}},
        {"on queue", true, {true, false, false}},
        {"paced again after a reset", false, {true, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_sim.Reset();
        if (c.onQueue) {
            ASSERT_EQ(m_sim.SetSignalMode(ZAVSIM_SIGNAL_ON_QUEUE), 0);
        }
        for (LONG sal : {1, 2, 3}) {
            ZavSimMessage m = CallControl(sal);
            ASSERT_EQ(m_sim.InjectMessage("201", &m), 0);
        }
        for (LONG sal : {1, 2, 3}) {
            EXPECT_EQ(plat::WaitForEvent(link.event, 0) == WAIT_OBJECT_0, c.signalled[sal - 1]) << sal;
            EXPECT_EQ(plat::WaitForEvent(link.event, 0), WAIT_TIMEOUT) << "more than one signal outstanding";
            Message message = link.Retrieve();
            ASSERT_TRUE(message);
            EXPECT_EQ(Number(message, &IMsgInt::GetSAL1), sal) << "oldest first";
        }
        EXPECT_FALSE(link.Next());
    }
    // Queued between a wake and the retrieval of the message before it.
    ZavSimMessage first = CallControl(11), second = CallControl(12);
    ASSERT_EQ(m_sim.InjectMessage("201", &first), 0);
    ASSERT_EQ(plat::WaitForEvent(link.event, 0), WAIT_OBJECT_0);
    ASSERT_EQ(m_sim.InjectMessage("201", &second), 0);
    EXPECT_TRUE(link.Retrieve());
    Message message = link.Next();
    ASSERT_TRUE(message);
    EXPECT_EQ(Number(message, &IMsgInt::GetSAL1), 12);
}

// What the provider passes on to the call hub, in the hub's order, numbers
// in hex: a text the message does not carry is empty, and the extension is
// the one the message went to unless the message is told to carry none. An
// eShutdown wakes the provider's registration waiter with its result; a
// phone query reply brings the owner name.
TEST_F(SimContract, MessagesCarryWhatTheProviderReads) {
    Link link = Registered("201");
    ASSERT_TRUE(link.endPoint);
    // clang-format off
    const ZavSimMessage full{ZAVSIM_CATEGORY_CALL_CONTROL, 0x28003, -7, 5, 6, static_cast<int32_t>(0xE0010005u),
                             0x0E, '#', 0x12345678, "5551234", "201", "Roe, R", "7000", "12", "2099", "2100",
                             0, 0, 0, 0, nullptr};
    // clang-format on
    ZavSimMessage bare = CallControl(4), unaddressed = CallControl(4);
    unaddressed.extension = "";
    struct Case {
        const ZavSimMessage* message;
        const char* read;
    } cases[] = {
        {&full, "28003 FFFFFFF9 5 6 E0010005 E 23 12345678 [5551234][201][Roe, R][7000][12][2099][2100]"},
        {&bare, "28001 0 4 0 0 0 0 0 [][201][][][][][]"},
        {&unaddressed, "28001 0 4 0 0 0 0 0 [][][][][][][]"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(m_sim.InjectMessage("201", c.message), 0);
        Message m = link.Next();
        ASSERT_TRUE(m);
        EXPECT_EQ(Number(m, &IMsgInt::GetCategory), ZAVSIM_CATEGORY_CALL_CONTROL);
        std::string read;
        for (auto getter :
             {&IMsgInt::GetMsgType, &IMsgInt::GetResult, &IMsgInt::GetSAL1, &IMsgInt::GetSAL2,
              &IMsgInt::GetRequestId, &IMsgInt::GetReason, &IMsgInt::GetDigit, &IMsgInt::GetGlobalCallId})
            read += Hex(Number(m, getter)) + " ";
        for (auto getter :
             {&IMsgInt::GetCallerNum, &IMsgInt::GetExtension, &IMsgInt::GetCallerName, &IMsgInt::GetDialedNum,
              &IMsgInt::GetTrunk, &IMsgInt::GetRedirectingNum, &IMsgInt::GetRedirectionNum})
            read += "[" + Text(m, getter) + "]";
        EXPECT_EQ(read, c.read);
    }
    ASSERT_EQ(m_sim.InjectShutdown("201", 9), 0);
    ASSERT_EQ(m_sim.InjectPhoneQueryReply("201", "Smith, Anna"), 0);
    Message shutdown = link.Next(), query = link.Next();
    ASSERT_TRUE(shutdown && query);
    using Fields = std::array<LONG, 3>;
    EXPECT_EQ((Fields{Number(shutdown, &IMsgInt::GetCategory), Number(shutdown, &IMsgInt::GetMsgType),
                      Number(shutdown, &IMsgInt::GetResult)}),
              (Fields{ZAVSIM_CATEGORY_REGISTRATION, ZAVSIM_MSG_SHUTDOWN, 9}));
    EXPECT_EQ((Fields{Number(query, &IMsgInt::GetCategory), Number(query, &IMsgInt::GetMsgType),
                      Number(query, &IMsgInt::HasQueryItem6)}),
              (Fields{ZAVSIM_CATEGORY_PHONE_QUERY, ZAVSIM_MSG_PHONE_QUERY_REPLY, 1}));
    EXPECT_EQ(Text(query, &IMsgInt::GetQueryItem6), "Smith, Anna");
}

// The provider's tests end by checking that every endpoint and message was
// released, and look at links and queues meanwhile.
TEST_F(SimContract, CountsFollowTheLinkAndEveryReference) {
    AddAccount("201", "pw");
    // Endpoints, connected ones of 201, messages queued for 201, live
    // objects, live messages.
    using Counts = std::array<int, 5>;
    auto counts = [&] {
        return Counts{m_sim.EndPointCount(nullptr), m_sim.ConnectedCount("201"), m_sim.PendingMessages("201"),
                      m_sim.LiveObjects(), m_sim.LiveMessages()};
    };
    Message kept;
    {
        Link link{Create()};
        ASSERT_EQ(link.endPoint->ConnectToServer(&link.event), S_OK);
        EXPECT_EQ(counts(), (Counts{1, 0, 0, 1, 0}));
        EXPECT_EQ(m_sim.InjectShutdown("201", 0), -1) << "no endpoint of 201 until it registers";
        ASSERT_EQ(link.endPoint->RegisterA(Bstr("201"), Bstr("pw")), S_OK);
        EXPECT_EQ(counts(), (Counts{1, 1, 1, 2, 1}));
        kept = link.Retrieve();
        for (int i = 0; i < 2; ++i) ASSERT_EQ(m_sim.InjectShutdown("201", 0), 0);
        EXPECT_EQ(counts(), (Counts{1, 1, 2, 4, 3}));
        ASSERT_EQ(link.endPoint->DisconnectFromServer(), S_OK);
        EXPECT_EQ(counts(), (Counts{1, 0, 2, 4, 3}));
    }
    EXPECT_EQ(counts(), (Counts{0, 0, 0, 1, 1})) << "the queue goes with its endpoint";
    kept.reset();
    EXPECT_EQ(counts(), (Counts{0, 0, 0, 0, 0}));
}

// The commands whose lines the provider's tests look for, logged in order
// under the extension alone, and counted by their beginning for the tests
// that wait for the acknowledgements of the provider's message thread.
TEST_F(SimContract, CommandsAreLoggedAsTheProviderTestsReadThem) {
    Link link = Registered("201"), other = Registered("202");
    ASSERT_TRUE(link.endPoint && other.endPoint);
    m_sim.ClearLog("201");
    IEndPoint* e = link.endPoint.get();
    EXPECT_EQ(m_sim.WaitForLog("201", "AcknowledgeMsg", 1, 0), 0);
    EXPECT_EQ(e->AcknowledgeMsg(), S_OK);
    EXPECT_EQ(m_sim.WaitForLog("201", "AcknowledgeMsg", 1, 10000), 1);
    // Made in order, as the initialisers of an array are.
    const struct {
        HRESULT result;
        const char* line;
    } cases[] = {
        {e->OffHook(0x36, 0xE0010005), "OffHook sal=0x00000036 call=0xE0010005"},
        {e->Answer(5, 0xE0010005), "Answer sal=0x00000005 call=0xE0010005"},
        {e->OnHook(-1), "OnHook sal=0xFFFFFFFF"},
        {e->DialDigitsA(5, Bstr("9,123#")), "DialDigitsA sal=0x00000005 digits=9,123#"},
        {e->Hold(0x24), "Hold sal=0x00000024"},
        {e->Unhold(0x24, 0xE0010005), "Unhold sal=0x00000024 call=0xE0010005"},
        {e->Park(5, Bstr("72")), "Park sal=0x00000005 digits=72"},
        {e->UnPark(5, Bstr("72")), "UnPark sal=0x00000005 digits=72"},
        {e->Pickup(5, Bstr("4100"), 1), "Pickup sal=0x00000005 digits=4100 directed=1"},
        {e->SendDigitCollectMsg(5, 0), "SendDigitCollectMsg sal=0x00000005 start=0"},
        {e->Forward(Bstr("8123"), 4), "Forward digits=8123 rings=4"},
        {e->Redirect(Bstr("A1B"), 5, 1), "Redirect digits=A1B sal=0x00000005 call=0x00000001"},
        {e->SetMWI(1), "SetMWI state=1"},
        // The provider hands over thirteen bytes, the terminator included.
        {e->SetLCDDisplay(Bstr(std::string("HELLO WORLD!", 13))), "SetLCDDisplay text=HELLO WORLD!"},
        {e->Unregister(), "Unregister"},
        {e->DisconnectFromServer(), "DisconnectFromServer"},
    };
    std::string expected = "AcknowledgeMsg\n";
    for (const auto& c : cases) {
        EXPECT_EQ(c.result, S_OK) << c.line;
        expected += std::string(c.line) + "\n";
    }
    EXPECT_EQ(other.endPoint->Hold(1), S_OK);
    EXPECT_EQ(m_sim.ReadLog("201"), expected);
    EXPECT_EQ(m_sim.WaitForLog("201", "AcknowledgeMsg", 2, 20), 0) << "a line that never comes";
}

// The configuration store asks the component for the switch's address, also
// before one was ever set, and sets the address alone (port 0).
TEST_F(SimContract, ServerAddressThroughTheComponent) {
    plat::DeleteRegKey(HKEY_LOCAL_MACHINE, ZAVSIM_SERVER_KEY);  // Windows' registry outlives the run
    struct Step {
        const char* address;  // null: never configured
        LONG port;
        std::string reported;
    } steps[] = {
        {nullptr, 0, ":" + std::to_string(ZAVSIM_DEFAULT_PORT)},
        {"10.1.2.3", 5060, "10.1.2.3:5060"},
        {"switch.example", 0, "switch.example:5060"},
    };
    for (const Step& s : steps) {
        if (s.address) {
            ASSERT_EQ(Create()->ConfigServerA(Bstr(s.address), s.port), S_OK);
        }
        BSTR address = nullptr;
        LONG port = 0;
        EXPECT_EQ(Create()->QueryCurrentConfigA(&address, &port), S_OK);
        EXPECT_EQ(plat::BstrToString(address) + ":" + std::to_string(port), s.reported);
        plat::FreeBstr(address);
    }
    plat::DeleteRegKey(HKEY_LOCAL_MACHINE, ZAVSIM_SERVER_KEY);
}

// A call-control message as the scenarios spell it: kind and leg, then what
// else it carries, the parties as [number|name|dialled|trunk], followed by
// |redirecting>redirection when the message names a diverting party.
std::string Spell(const Message& m) {
    static const std::map<LONG, std::string> kinds = {
        {0x20001, "offhook"},    {0x20002, "answer"},         {0x20003, "onhook"},
        {0x20004, "transfer"},   {0x20005, "xferend"},        {0x20007, "conference"},
        {0x20008, "addconf"},    {0x20009, "hold"},           {0x2000A, "unhold"},
        {0x28001, "newcall"},    {0x28002, "ringback"},       {0x28003, "connected"},
        {0x28004, "busy"},       {0x28006, "remote"},         {0x28008, "digit"},
        {0x28009, "stop"},       {0x2800E, "xferrecall"},     {0x28010, "parked"},
        {0x28012, "parkrecall"}, {0x28015, "partiesfull"},    {0x28016, "conffull"},
        {0x28017, "unparked"},   {0x2801A, "redirectrecall"}, {0x2801B, "redirected"}};
    LONG type = Number(m, &IMsgInt::GetMsgType);
    std::string text = kinds.count(type) ? kinds.at(type) : Hex(type);
    text += " " + std::to_string(Number(m, &IMsgInt::GetSAL1));
    if (LONG id = Number(m, &IMsgInt::GetRequestId)) text += " req=" + Hex(id);
    if (LONG result = Number(m, &IMsgInt::GetResult)) text += " result=" + std::to_string(result);
    if (LONG reason = Number(m, &IMsgInt::GetReason)) text += " reason=" + std::to_string(reason);
    if (LONG digit = Number(m, &IMsgInt::GetDigit)) text += std::string(" digit=") + static_cast<char>(digit);
    std::string parties = Text(m, &IMsgInt::GetCallerNum) + "|" + Text(m, &IMsgInt::GetCallerName) + "|" +
                          Text(m, &IMsgInt::GetDialedNum) + "|" + Text(m, &IMsgInt::GetTrunk);
    std::string diverted = Text(m, &IMsgInt::GetRedirectingNum) + ">" + Text(m, &IMsgInt::GetRedirectionNum);
    if (diverted != ">") parties += "|" + diverted;
    return parties == "|||" ? text : text + " [" + parties + "]";
}

// One scenario between 201 (endpoint a, "Doe, John") and 202 (b, "Roe,
// Ann"): the provider's commands and the far end's actions, one step at a
// time, and what each extension hears. The provider proposes SAL 65.
struct Play {
    IEndPoint* a;
    IEndPoint* b;
    const zavtest::SimSwitch& sim;
    LONG call = 0;  // the global call id, once a message has carried it
};
using Step = void (*)(Play&);
constexpr DWORD kCall = 0xE0010005, kAnswer = 0xE0020001;

TEST_F(SimContract, CallModelPlaysEachLegsMessages) {
    Link a = Registered("201"), b = Registered("202");
    ASSERT_TRUE(a.endPoint && b.endPoint);
    ZavSimAccount roe{"202", "pw", 1, 0, 0, "Roe, Ann"};
    ASSERT_EQ(m_sim.AddAccount(&roe), 0);
    const std::string ringing = "newcall 1 [201|Doe, John|202|]";
    struct Case {
        const char* name;
        std::vector<Step> steps;
        std::string at201, at202;
    } cases[] = {
        {"answered, the caller hangs up",
         {[](Play& p) { p.a->OffHook(65, kCall); }, [](Play& p) { p.a->DialDigitsA(65, Bstr("20")); },
          [](Play& p) { p.a->DialDigitsA(65, Bstr("2")); }, [](Play& p) { p.b->Answer(1, kAnswer); },
          [](Play& p) { p.a->OnHook(65); }},
         "offhook 65 req=E0010005; stop 65; ringback 65 [202|Roe, Ann||]; connected 65 [202|Roe, Ann|202|]; "
         "onhook 65 reason=16",
         ringing + "; answer 1 req=E0020001; remote 1; onhook 1 reason=16"},
        {"answered, digits and hold, the callee hangs up",
         {[](Play& p) { p.a->OffHook(65, kCall); }, [](Play& p) { p.a->DialDigitsA(65, Bstr("202")); },
          [](Play& p) { p.b->Answer(1, kAnswer); }, [](Play& p) { p.b->SendDigitCollectMsg(1, 1); },
          [](Play& p) { p.a->DialDigitsA(65, Bstr("5#")); }, [](Play& p) { p.a->Hold(65); },
          [](Play& p) { p.a->Unhold(65, kCall); }, [](Play& p) { p.a->Unhold(65, kCall); },
          [](Play& p) { p.b->OnHook(1); }},
         "offhook 65 req=E0010005; stop 65; ringback 65 [202|Roe, Ann||]; connected 65 [202|Roe, Ann|202|]; "
         "hold 65; unhold 65 req=E0010005; unhold 65 req=E0010005 result=1; remote 65; onhook 65 reason=16",
         ringing + "; answer 1 req=E0020001; digit 1 digit=5; digit 1 digit=#; onhook 1 reason=16"},
        {"unknown extension",
         {[](Play& p) { p.a->OffHook(65, kCall); }, [](Play& p) { p.a->DialDigitsA(65, Bstr("299")); },
          [](Play& p) { p.a->OnHook(65); }},
         "offhook 65 req=E0010005; stop 65; busy 65 reason=10; onhook 65 reason=16",
         ""},
        {"started at the set, not answered",
         {[](Play& p) { EXPECT_EQ(p.sim.LiftHandset("201"), 1); },
          [](Play& p) { EXPECT_EQ(p.sim.DialOnSet("201", 1, "202"), 0); },
          [](Play& p) { EXPECT_EQ(p.sim.FireNoAnswer(p.call), 0); }},
         "offhook 1; stop 1; ringback 1 [202|Roe, Ann||]; remote 1; onhook 1 reason=23",
         ringing + "; remote 1; onhook 1 reason=23"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(m_sim.SetCallModel(1), 0);
        Play play{a.endPoint.get(), b.endPoint.get(), m_sim};
        std::map<std::string, std::string> heard;
        for (Step step : c.steps) {
            step(play);
            for (const auto& [ext, link] : {std::pair{"201", &a}, std::pair{"202", &b}}) {
                while (Message m = link->Next()) {
                    EXPECT_EQ(Text(m, &IMsgInt::GetExtension), ext);
                    LONG call = Number(m, &IMsgInt::GetGlobalCallId);
                    EXPECT_NE(call, 0);
                    EXPECT_TRUE(!play.call || call == play.call) << "one call, one id";
                    play.call = call;
                    heard[ext] += (heard[ext].empty() ? "" : "; ") + Spell(m);
                }
            }
        }
        EXPECT_EQ(heard["201"], c.at201);
        EXPECT_EQ(heard["202"], c.at202);
        EXPECT_EQ(m_sim.LegCount("201") + m_sim.LegCount("202"), 0) << "a leg outlived its call";
        ASSERT_EQ(m_sim.SetCallModel(0), 0);  // forgets the busy mark
    }
}

// Failures and recalls, each heard by the leg concerned: 202 calls 201,
// which rings at SAL 1 or has answered. 203 can take a redirected call.
TEST_F(SimContract, RefusalsAndRecallsReachTheLegConcerned) {
    auto refuse = m_sim.RefuseNext;
    auto recall = m_sim.FireRecall;
    Link a = Registered("201"), b = Registered("202"), c = Registered("203");
    ASSERT_TRUE(refuse && recall && a.endPoint && b.endPoint && c.endPoint);
    const struct {
        bool answered;
        LONG command, result;  // a refusal to arm; a negative command fires that recall at SAL `result`
        void (*act)(IEndPoint*);
        const char* heard;
    } cases[] = {
        {true, ZAVSIM_CMD_HOLD, 0, [](auto e) { e->Hold(1); }, "hold 1 result=1"},
        {true, ZAVSIM_CMD_UNHOLD, 5, [](auto e) { e->Hold(1), e->Unhold(1, kCall); },
         "hold 1; unhold 1 req=E0010005 result=5"},
        {true, ZAVSIM_CMD_OFFHOOK, 0,
         [](auto e) { EXPECT_EQ(e->OffHook(65, kCall), ZAVSIM_E_NO_APPEARANCE); }, ""},
        {true, ZAVSIM_CMD_TRANSFER, 0, [](auto e) { e->Transfer(kCall); },
         "transfer 0 req=E0010005 result=1"},
        {true, 0, 0, [](auto e) { e->Transfer(kCall); }, "transfer 2 req=E0010005"},
        {true, ZAVSIM_CMD_CONFERENCE, ZAVSIM_MSG_TOO_MANY_CONF_IN_SYS, [](auto e) { e->Conference(kCall); },
         "conffull 1; conference 0 req=E0010005 result=1"},
        {true, ZAVSIM_CMD_CONFERENCE, 0, [](auto e) { e->Conference(kCall); },
         "conference 0 req=E0010005 result=1"},
        {true, ZAVSIM_CMD_ADD_TO_CONF, 3, [](auto e) { e->AddToConf(1); }, "addconf 1 result=3"},
        {false, ZAVSIM_CMD_REDIRECT, ZAVSIM_MSG_REDIRECT_NOT_ALLOWED,
         [](auto e) { e->Redirect(Bstr("203"), 1, 0); }, "2801C 1"},
        {false, 0, 0, [](auto e) { e->Redirect(Bstr("203"), 1, 0); }, "redirected 1; onhook 1 reason=16"},
        {true, ZAVSIM_CMD_PARK, ZAVSIM_MSG_PARK_INVALID_EXT, [](auto e) { e->Park(1, Bstr("72")); },
         "28014 1"},
        {true, 0, 0, [](auto e) { e->Park(1, Bstr("72")); }, "parked 1"},
        {false, -ZAVSIM_RECALL_PARK, 7, [](auto) {}, "parkrecall 7 [5551234|Bob||]"},
        {false, -ZAVSIM_RECALL_REDIRECT, 9, [](auto) {}, "redirectrecall 9 [5551234|Bob||]"},
        {false, -ZAVSIM_RECALL_TRANSFER, 0, [](auto e) { e->Answer(65, kAnswer); },
         "xferrecall 0 req=EFFF0FFF [5551234|Bob||]; answer 65 req=E0020001"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.heard);
        ASSERT_EQ(m_sim.SetCallModel(0) + m_sim.SetCallModel(1), 0);  // the last row's calls forgotten
        b.endPoint->OffHook(65, kCall), b.endPoint->DialDigitsA(65, Bstr("201"));
        if (row.answered) a.endPoint->Answer(1, kAnswer);
        for (const Link* link : {&a, &b, &c})
            while (link->Next()) continue;
        EXPECT_EQ(row.command > 0 ? refuse("201", row.command, row.result) : 0, 0);
        EXPECT_GT(row.command < 0 ? recall("201", -row.command, row.result, "5551234", "Bob") : 1, 0);
        row.act(a.endPoint.get());
        std::string heard;
        while (Message m = a.Next()) heard += (heard.empty() ? "" : "; ") + Spell(m);
        EXPECT_EQ(heard, row.heard);
    }
}

// The switch moving calls between legs: 201 (endpoint a, "Doe, John"), 202
// (b, "Roe, Ann") and 203 (c, "Poe, Ed"), and parties outside. A case's set-up
// is played without being heard; then each extension's messages are spelled
// in order, each followed by the call it names as #n, n counting the calls in
// the order their ids first came, so that a message about the wrong call
// shows. A step may check the calls as ZavSimDescribeCalls tells them, with
// the same names for calls and without the conferences' numbers.
struct Board {
    IEndPoint* a;
    IEndPoint* b;
    IEndPoint* c;
    const zavtest::SimSwitch& sim;
    std::vector<LONG> ids;

    LONG Id(std::size_t n) const { return n <= ids.size() ? ids[n - 1] : 0; }
    std::string Name(LONG id) {
        auto it = std::find(ids.begin(), ids.end(), id);
        if (it == ids.end()) it = ids.insert(it, id);
        return "#" + std::to_string(it - ids.begin() + 1);
    }
    std::string Calls() {
        std::string text = sim.DescribeCalls(), named;
        static const std::regex call("call (\\d+):"), conference("conference \\d+");
        std::smatch found;
        for (std::size_t at = 0, end; at < text.size(); at = end + 1) {
            end = std::min(text.find('\n', at), text.size());
            std::string line = text.substr(at, end - at);
            if (std::regex_search(line, found, call))
                line = found.prefix().str() + "call " + Name(std::stol(found[1].str())) + ":" +
                       found.suffix().str();
            line = std::regex_replace(line, conference, "conference");
            named += line + "\n";
        }
        return named;
    }
};
using Act = void (*)(Board&);
constexpr DWORD kTransfer = 0xE0010006, kConference = 0xE0010007;

std::vector<Act> operator+(std::vector<Act> first, const std::vector<Act>& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

struct Scenario {
    const char* name;
    std::vector<Act> setUp, steps;
    std::array<std::string, 3> heard;  // at 201, 202, 203
};

class SimFeatures : public SimContract {
protected:
    void Play(const std::vector<Scenario>& scenarios) {
        Link a = Registered("201"), b = Registered("202"), c = Registered("203");
        ASSERT_TRUE(a.endPoint && b.endPoint && c.endPoint);
        ZavSimAccount roe{"202", "pw", 1, 0, 0, "Roe, Ann"}, poe{"203", "pw", 1, 0, 0, "Poe, Ed"};
        ASSERT_EQ(m_sim.AddAccount(&roe) + m_sim.AddAccount(&poe), 0);
        ASSERT_TRUE(m_sim.FireParkTimeout && m_sim.FireRedirectTimeout && m_sim.SetPickupGroup &&
                    m_sim.SetConferenceLimit);
        const std::array<std::pair<const char*, const Link*>, 3> links{
            {{"201", &a}, {"202", &b}, {"203", &c}}};
        for (const Scenario& scenario : scenarios) {
            SCOPED_TRACE(scenario.name);
            ASSERT_EQ(m_sim.SetCallModel(0) + m_sim.SetCallModel(1), 0);  // the last one forgotten
            Board board{a.endPoint.get(), b.endPoint.get(), c.endPoint.get(), m_sim, {}};
            std::array<std::string, 3> heard;
            auto drain = [&](bool record) {
                for (std::size_t i = 0; i < links.size(); ++i) {
                    while (Message m = links[i].second->Next()) {
                        EXPECT_EQ(Text(m, &IMsgInt::GetExtension), links[i].first);
                        std::string spelled = Spell(m);
                        if (LONG call = Number(m, &IMsgInt::GetGlobalCallId))
                            spelled += " " + board.Name(call);
                        if (record) heard[i] += (heard[i].empty() ? "" : "; ") + spelled;
                    }
                }
            };
            for (Act act : scenario.setUp) act(board), drain(false);
            for (Act act : scenario.steps) act(board), drain(true);
            EXPECT_EQ(heard, scenario.heard);
        }
    }
};

// 202 calls 201, which answers: call #1, 202 at SAL 65, 201 at SAL 1.
const std::vector<Act> kAnswered = {
    [](Board& s) { s.b->OffHook(65, kCall), s.b->DialDigitsA(65, Bstr("201")); },
    [](Board& s) { s.a->Answer(1, kAnswer); }};
// Then 201 conferences 203 in: call #2, 201 at SAL 2, 203 at SAL 1.
const std::vector<Act> kConferenced =
    kAnswered + std::vector<Act>{[](Board& s) { s.a->Conference(kConference); },
                                 [](Board& s) { s.a->DialDigitsA(2, Bstr("203")); },
                                 [](Board& s) { s.c->Answer(1, kAnswer); },
                                 [](Board& s) { s.a->AddToConf(2); }};

// Transfer: the transferring extension's legs end with the end reply and an
// on-hook reply each; the far ends are updated on their own legs and keep
// the consultation's call id; a failed completion changes nothing.
TEST_F(SimFeatures, TransfersJoinTheHeldPartyToTheConsultedOne) {
    Play({
        {"consultation answered",
         {},
         {[](Board& s) { s.b->OffHook(65, kCall), s.b->DialDigitsA(65, Bstr("201")); },
          [](Board& s) { s.a->Answer(1, kAnswer); }, [](Board& s) { s.a->Transfer(kTransfer); },
          [](Board& s) { s.a->DialDigitsA(2, Bstr("203")); }, [](Board& s) { s.c->Answer(1, kAnswer); },
          [](Board& s) { s.a->CompleteTransfer(2); }, [](Board& s) { s.b->OnHook(65); },
          [](Board& s) { EXPECT_EQ(s.Calls(), ""); }},
         {"newcall 1 [202|Roe, Ann|201|] #1; answer 1 req=E0020001 #1; transfer 2 req=E0010006 #2; stop 2 "
          "#2; "
          "ringback 2 [203|Poe, Ed||] #2; connected 2 [203|Poe, Ed|203|] #2; xferend 2 #2; "
          "onhook 1 reason=16 #1; onhook 2 reason=16 #2",
          "offhook 65 req=E0010005 #1; stop 65 #1; ringback 65 [201|Doe, John||] #1; "
          "connected 65 [201|Doe, John|201|] #1; newcall 65 reason=5 [203|Poe, Ed|||201>] #2; "
          "onhook 65 reason=16 #2",
          "newcall 1 [201|Doe, John|203|] #2; answer 1 req=E0020001 #2; newcall 1 reason=5 [202|Roe, "
          "Ann|||201>] #2; "
          "remote 1 #2; onhook 1 reason=16 #2"}},
        {"completed while it rings, as a blind transfer does; the caller outside",
         {[](Board& s) { EXPECT_GT(s.sim.ExternalCall("201", "5551234", "Bob", 12), 0); },
          [](Board& s) { s.a->Answer(1, kAnswer); }},
         {[](Board& s) { s.a->Transfer(kTransfer); }, [](Board& s) { s.a->DialDigitsA(2, Bstr("203")); },
          [](Board& s) { s.a->CompleteTransfer(2); }, [](Board& s) { s.c->Answer(1, kAnswer); },
          [](Board& s) {
              EXPECT_EQ(s.Calls(), "call #2: 5551234 outside connected, 203 sal 1 connected, trunk 12\n");
          }},
         {"transfer 2 req=E0010006 #2; stop 2 #2; ringback 2 [203|Poe, Ed||] #2; xferend 2 #2; "
          "onhook 1 reason=16 #1; onhook 2 reason=16 #2",
          "",
          "newcall 1 [201|Doe, John|203|] #2; newcall 1 reason=5 [5551234|Bob||12|201>] #2; "
          "answer 1 req=E0020001 #2"}},
        {"refused before the consultation reaches anyone; then busy",
         kAnswered,
         {[](Board& s) { s.a->Transfer(kTransfer); }, [](Board& s) { s.a->CompleteTransfer(2); },
          [](Board& s) { s.sim.SetExtensionBusy("203", 1), s.a->DialDigitsA(2, Bstr("203")); },
          [](Board& s) { s.a->OnHook(2); }, [](Board& s) { s.a->Unhold(1, kCall); },
          [](Board& s) { EXPECT_EQ(s.Calls(), "call #1: 202 sal 65 connected, 201 sal 1 connected\n"); }},
         {"transfer 2 req=E0010006 #2; xferend 2 result=1 #2; stop 2 #2; busy 2 reason=17 #2; "
          "onhook 2 reason=16 #2; unhold 1 req=E0010005 #1",
          "", ""}},
    });
}

// Conference: the builder's seat holds and leaves as one; a party leaving
// ends its own call and no other; the parties left behind when the builder
// leaves stay together while two remain. Limits answer before any leg is
// made.
TEST_F(SimFeatures, ConferencesKeepTheirPartiesTogether) {
    Play({
        {"built, held, left by each party",
         kAnswered,
         {[](Board& s) { s.a->Conference(kConference); }, [](Board& s) { s.a->DialDigitsA(2, Bstr("203")); },
          [](Board& s) { s.c->Answer(1, kAnswer); }, [](Board& s) { s.a->AddToConf(2); },
          [](Board& s) { s.a->Hold(1); },
          [](Board& s) {
              EXPECT_EQ(
                  s.Calls(),
                  "call #1: 201 sal 1 held, 202 sal 65 connected, conference\n"
                  "call #2: 201 sal 2 held, 203 sal 1 connected, conference\nconference of 201: 202, 203\n");
          },
          [](Board& s) { s.a->Unhold(1, kCall); }, [](Board& s) { s.c->OnHook(1); },
          [](Board& s) { s.b->OnHook(65); }, [](Board& s) { EXPECT_EQ(s.Calls(), ""); }},
         {"conference 2 req=E0010007 #2; stop 2 #2; ringback 2 [203|Poe, Ed||] #2; "
          "connected 2 [203|Poe, Ed|203|] #2; addconf 2 #2; hold 1 #1; unhold 1 req=E0010005 #1; "
          "remote 2 #2; onhook 2 reason=16 #2; remote 1 #1; onhook 1 reason=16 #1",
          "onhook 65 reason=16 #1",
          "newcall 1 [201|Doe, John|203|] #2; answer 1 req=E0020001 #2; onhook 1 reason=16 #2"}},
        {"the builder drops out, the parties stay until one hangs up",
         kConferenced,
         {[](Board& s) { s.a->ConfDrop(0); },
          [](Board& s) {
              EXPECT_EQ(
                  s.Calls(),
                  "call #1: 202 sal 65 connected, conference\ncall #2: 203 sal 1 connected, conference\n"
                  "conference: 202, 203\n");
          },
          [](Board& s) { s.b->OnHook(65); }, [](Board& s) { EXPECT_EQ(s.Calls(), ""); }},
         {"onhook 1 reason=16 #1; onhook 2 reason=16 #2", "onhook 65 reason=16 #1",
          "remote 1 #2; onhook 1 reason=16 #2"}},
        {"the primary's far end goes, then the builder hangs up",
         kConferenced,
         {[](Board& s) { s.b->OnHook(65); },
          [](Board& s) {
              EXPECT_EQ(s.Calls(),
                        "call #2: 201 sal 2 conferenced, 203 sal 1 connected, conference\nconference of 201: "
                        "203\n");
          },
          [](Board& s) { s.a->OnHook(2); }, [](Board& s) { EXPECT_EQ(s.Calls(), ""); }},
         {"remote 1 #1; onhook 1 reason=16 #1; onhook 2 reason=16 #2", "onhook 65 reason=16 #1",
          "remote 1 #2; onhook 1 reason=16 #2"}},
        {"a fourth party, then no fifth",
         kConferenced,
         {[](Board& s) { s.a->Conference(kConference); },
          [](Board& s) { s.a->DialDigitsA(3, Bstr("5551234")); },
          [](Board& s) { EXPECT_EQ(s.sim.ExternalAnswer(s.Id(3), "Bob"), 0); },
          [](Board& s) { s.a->AddToConf(3); }, [](Board& s) { s.a->Conference(kConference); },
          [](Board& s) {
              EXPECT_EQ(s.Calls().substr(s.Calls().rfind("conf")), "conference of 201: 202, 203, 5551234\n");
          }},
         {"conference 3 req=E0010007 #3; stop 3 #3; ringback 3 [5551234|||1] #3; "
          "connected 3 [5551234|Bob|5551234|1] #3; addconf 3 #3; partiesfull 1 #1",
          "", ""}},
        {"no conference left in the switch",
         kAnswered,
         {[](Board& s) {
              EXPECT_EQ(s.sim.SetConferenceLimit(0), 0);
              s.a->Conference(kConference);
          },
          [](Board& s) { EXPECT_EQ(s.Calls(), "call #1: 202 sal 65 connected, 201 sal 1 connected\n"); }},
         {"conffull 1 #1; conference 0 req=E0010007 result=1", "", ""}},
    });
}

// Park, pickup, redirect and forwarding move a call to another leg: the leg
// that loses it hears the far end go, the leg that takes it the call's own
// id and party, and a diverted call names who diverted it and where.
TEST_F(SimFeatures, CallsMoveToWhereTheyAreTakenOrSent) {
    Play({
        {"parked, unparked from an empty orbit and then the right one",
         kAnswered,
         {[](Board& s) { s.a->Park(1, Bstr("72")); },
          [](Board& s) { EXPECT_EQ(s.Calls(), "call #1: 202 sal 65 connected, orbit 72 of 201\n"); },
          [](Board& s) { s.c->OffHook(65, kCall), s.c->UnPark(65, Bstr("73")); },
          [](Board& s) { s.c->OnHook(65); },
          [](Board& s) { s.c->OffHook(65, kCall), s.c->UnPark(65, Bstr("72")); },
          [](Board& s) { EXPECT_EQ(s.Calls(), "call #1: 202 sal 65 connected, 203 sal 65 connected\n"); }},
         {"parked 1 #1", "connected 65 [203|Poe, Ed||] #1",
          "offhook 65 req=E0010005 #2; stop 65 #2; busy 65 reason=10 #2; onhook 65 reason=16 #2; "
          "offhook 65 req=E0010005 #3; stop 65 #3; unparked 65 [202|Roe, Ann||] #1; connected 65 [202|Roe, "
          "Ann||] #1"}},
        {"parked from outside, recalled and answered",
         {[](Board& s) { EXPECT_GT(s.sim.ExternalCall("201", "5551234", "Bob", 12), 0); },
          [](Board& s) { s.a->Answer(1, kAnswer); }},
         {[](Board& s) { s.a->Park(1, Bstr("72")); },
          [](Board& s) {
              EXPECT_EQ(s.sim.FireParkTimeout("73"), -1);
              EXPECT_EQ(s.sim.FireParkTimeout("72"), s.Id(1));
          },
          [](Board& s) { s.a->Answer(1, kAnswer); },
          [](Board& s) {
              EXPECT_EQ(s.Calls(), "call #1: 5551234 outside connected, 201 sal 1 connected, trunk 12\n");
          }},
         {"parked 1 #1; parkrecall 1 [5551234|Bob||] #1; answer 1 req=E0020001 #1", "", ""}},
        {"picked up by name",
         {[](Board& s) { s.b->OffHook(65, kCall), s.b->DialDigitsA(65, Bstr("201")); }},
         {[](Board& s) { s.c->OffHook(65, kCall), s.c->Pickup(65, Bstr("201"), 1); },
          [](Board& s) { EXPECT_EQ(s.Calls(), "call #1: 202 sal 65 connected, 203 sal 65 connected\n"); }},
         {"remote 1 #1; onhook 1 reason=16 #1", "connected 65 [203|Poe, Ed|201||201>] #1",
          "offhook 65 req=E0010005 #2; stop 65 #2; connected 65 [202|Roe, Ann|201||201>] #1"}},
        {"picked up in the group, the oldest first; nothing in another group",
         {[](Board& s) { EXPECT_EQ(s.sim.SetPickupGroup("201", "7") + s.sim.SetPickupGroup("203", "7"), 0); },
          [](Board& s) { EXPECT_GT(s.sim.ExternalCall("201", "5551234", "Bob", 12), 0); },
          [](Board& s) { s.b->OffHook(65, kCall), s.b->DialDigitsA(65, Bstr("201")); }},
         {[](Board& s) { s.c->OffHook(65, kCall), s.c->Pickup(65, Bstr(""), 0); },
          [](Board& s) { s.c->OffHook(66, kCall), s.c->Pickup(66, Bstr("8"), 0); },
          [](Board& s) {
              EXPECT_EQ(s.Calls(),
                        "call #1: 5551234 outside connected, 203 sal 65 held, trunk 12\n"
                        "call #2: 202 sal 65 ringback, 201 sal 2 ringing\ncall #4: 203 sal 66 busy\n");
          }},
         {"remote 1 #1; onhook 1 reason=16 #1", "",
          "offhook 65 req=E0010005 #3; stop 65 #3; connected 65 [5551234|Bob|201|12|201>] #1; hold 65 #1; "
          "offhook 66 req=E0010005 #4; stop 66 #4; busy 66 reason=10 #4"}},
        {"redirected, back on the time-out, answered",
         {[](Board& s) { EXPECT_GT(s.sim.ExternalCall("201", "5551234", "Bob", 12), 0); }},
         {[](Board& s) { s.a->Redirect(Bstr("202"), 1, kCall); },
          [](Board& s) { EXPECT_EQ(s.sim.FireRedirectTimeout(s.Id(1)), 0); },
          [](Board& s) {
              s.a->Answer(1, kAnswer);
              EXPECT_EQ(s.sim.FireRedirectTimeout(s.Id(1)), -1);
          }},
         {"redirected 1 #1; onhook 1 reason=16 #1; redirectrecall 1 [5551234|Bob|201||201>202] #1; "
          "answer 1 req=E0020001 #1",
          "newcall 1 [5551234|Bob|202|12] #1; remote 1 #1; onhook 1 reason=23 #1", ""}},
        {"forwarded always",
         {[](Board& s) { s.b->Forward(Bstr("203"), 0); }},
         {[](Board& s) { s.a->OffHook(65, kCall), s.a->DialDigitsA(65, Bstr("202")); }},
         {"offhook 65 req=E0010005 #1; stop 65 #1; ringback 65 [203|Poe, Ed||] #1", "",
          "newcall 1 reason=3 [201|Doe, John|202||202>203] #1"}},
        {"forwarded on no answer and on busy",
         {[](Board& s) { s.b->Forward(Bstr("203"), 3); }},
         {[](Board& s) { s.a->OffHook(65, kCall), s.a->DialDigitsA(65, Bstr("202")); },
          [](Board& s) { EXPECT_EQ(s.sim.FireNoAnswer(s.Id(1)), 0); },
          [](Board& s) {
              s.sim.SetExtensionBusy("202", 1);
              EXPECT_GT(s.sim.ExternalCall("202", "5551234", "Bob", 0), 0);
          }},
         {"offhook 65 req=E0010005 #1; stop 65 #1; ringback 65 [202|Roe, Ann||] #1; ringback 65 [203|Poe, "
          "Ed||] #1",
          "newcall 1 [201|Doe, John|202|] #1; remote 1 #1; onhook 1 reason=23 #1",
          "newcall 1 reason=4 [201|Doe, John|202||202>203] #1; newcall 2 reason=1 [5551234|Bob|202||202>203] "
          "#2"}},
        {"forwarded outside, then cancelled",
         {[](Board& s) { s.b->Forward(Bstr("0612345678"), 0); }},
         {[](Board& s) { s.a->OffHook(65, kCall), s.a->DialDigitsA(65, Bstr("202")); },
          [](Board& s) {
              s.b->Forward(Bstr(""), 0), s.a->OffHook(66, kCall), s.a->DialDigitsA(66, Bstr("202"));
          }},
         {"offhook 65 req=E0010005 #1; stop 65 #1; ringback 65 [0612345678|||1] #1; "
          "offhook 66 req=E0010005 #2; stop 66 #2; ringback 66 [202|Roe, Ann||] #2",
          "newcall 1 [201|Doe, John|202|] #2", ""}},
    });
}

// An ordinary telephone has 18 line appearances: the provider's off-hook is
// refused beyond them and a call finds the extension busy. Off, the model
// leaves commands to the log alone.
TEST_F(SimContract, CallModelRunsOutOfLineAppearances) {
    Link a = Registered("201");
    ASSERT_TRUE(a.endPoint);
    EXPECT_EQ(a.endPoint->OffHook(65, kCall), S_OK);
    EXPECT_FALSE(a.Next()) << "answered while the model is off";
    EXPECT_EQ(m_sim.ExternalCall("201", "5551234", "", 0), -1);
    ASSERT_EQ(m_sim.SetCallModel(1), 0);
    for (LONG sal = 65; sal < 65 + 18; ++sal) ASSERT_EQ(a.endPoint->OffHook(sal, kCall), S_OK) << sal;
    EXPECT_EQ(a.endPoint->OffHook(83, kCall), ZAVSIM_E_NO_APPEARANCE);
    EXPECT_EQ(m_sim.ExternalCall("201", "5551234", "", 0), 0);
    EXPECT_EQ(m_sim.LegCount("201"), 18);
    EXPECT_EQ(m_sim.PendingMessages("201"), 18);
}

}  // namespace
