// The message queue of an endpoint: one signal per message, oldest first,
// injected messages with every field intact, and who receives them.
#include <functional>
#include <string>
#include <vector>

#include "SimFixture.h"
#include "platform/Event.h"
#include "platform/Thread.h"

namespace {

ZavSimMessage CallControl(LONG type, LONG sal1) {
    ZavSimMessage m{};
    m.category = ZAVSIM_CATEGORY_CALL_CONTROL;
    m.msgType = type;
    m.sal1 = sal1;
    return m;
}

class MessageQueue : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        AddAccount("201", "pw", 1, 0, 0, "Doe, John");
        AddAccount("202", "pw");
    }
};

// A receiver that takes one message per wake, as the provider's message
// thread does, must find exactly one message behind every signal, however
// the messages were queued: signals never merge and never outnumber them.
TEST_F(MessageQueue, EveryMessageHasItsOwnSignalAndComesOutInOrder) {
    HANDLE event = nullptr;
    SimComPtr<IEndPoint> endPoint = Registered("201", "pw", &event);
    ASSERT_TRUE(endPoint);
    EXPECT_EQ(plat::WaitForEvent(event, 0), WAIT_TIMEOUT) << "the reply's signal was taken";
    constexpr int kCount = 5;
    for (int i = 1; i <= kCount; ++i) {
        ZavSimMessage m = CallControl(0x28001, i);
        ASSERT_EQ(m_sim.InjectMessage("201", &m), 0);
    }
    EXPECT_EQ(m_sim.PendingMessages("201"), kCount);
    for (int i = 1; i <= kCount; ++i) {
        ASSERT_EQ(plat::WaitForEvent(event, 0), WAIT_OBJECT_0) << "message " << i << " announced";
        SimComPtr<IMsgInt> message;
        ASSERT_EQ(endPoint->RetrieveMsg(message.Out()), S_OK);
        EXPECT_EQ(GetNumber(message.Get(), &IMsgInt::GetSAL1), i);
    }
    EXPECT_EQ(plat::WaitForEvent(event, 0), WAIT_TIMEOUT) << "no signal without a message";
    IMsgInt* none = reinterpret_cast<IMsgInt*>(&event);
    EXPECT_TRUE(FAILED(endPoint->RetrieveMsg(&none)));
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(endPoint->RetrieveMsg(nullptr), E_POINTER);
    EXPECT_EQ(m_sim.PendingMessages("201"), 0);

    // A message queued between the wake and the retrieval of the one before.
    ZavSimMessage first = CallControl(0x28001, 11), second = CallControl(0x28001, 12);
    ASSERT_EQ(m_sim.InjectMessage("201", &first), 0);
    ASSERT_EQ(plat::WaitForEvent(event, 0), WAIT_OBJECT_0);
    ASSERT_EQ(m_sim.InjectMessage("201", &second), 0);
    for (LONG sal : {11, 12}) {
        SimComPtr<IMsgInt> message;
        ASSERT_EQ(endPoint->RetrieveMsg(message.Out()), S_OK);
        EXPECT_EQ(GetNumber(message.Get(), &IMsgInt::GetSAL1), sal);
        EXPECT_EQ(plat::WaitForEvent(event, 0), sal == 11 ? WAIT_OBJECT_0 : WAIT_TIMEOUT) << sal;
    }
}

// On request the endpoint sets its event as each message is queued, so that
// signals merge as they do with any auto-reset event and a receiver can be
// tested with several messages behind one signal.
TEST_F(MessageQueue, SignalsOnQueueMergeUntilTheSwitchIsReset) {
    HANDLE event = nullptr;
    SimComPtr<IEndPoint> endPoint = Registered("201", "pw", &event);
    ASSERT_TRUE(endPoint);
    EXPECT_EQ(m_sim.SetSignalMode(7), -1);
    ASSERT_EQ(m_sim.SetSignalMode(ZAVSIM_SIGNAL_ON_QUEUE), 0);
    for (LONG sal : {1, 2, 3}) {
        ZavSimMessage m = CallControl(0x28001, sal);
        ASSERT_EQ(m_sim.InjectMessage("201", &m), 0);
    }
    EXPECT_EQ(plat::WaitForEvent(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(plat::WaitForEvent(event, 0), WAIT_TIMEOUT) << "three signals merged into one";
    SimComPtr<IMsgInt> message;
    ASSERT_EQ(endPoint->RetrieveMsg(message.Out()), S_OK);
    EXPECT_EQ(plat::WaitForEvent(event, 0), WAIT_TIMEOUT) << "retrieving signals nothing";
    ZavSimMessage fourth = CallControl(0x28001, 4);
    ASSERT_EQ(m_sim.InjectMessage("201", &fourth), 0);
    EXPECT_EQ(plat::WaitForEvent(event, 0), WAIT_OBJECT_0) << "a message joining others is signalled at once";
    for (LONG sal : {2, 3, 4}) {
        ASSERT_EQ(endPoint->RetrieveMsg(message.Out()), S_OK);
        EXPECT_EQ(GetNumber(message.Get(), &IMsgInt::GetSAL1), sal);
    }

    m_sim.Reset();
    AddAccount("201", "pw");
    for (LONG sal : {5, 6}) {
        ZavSimMessage m = CallControl(0x28001, sal);
        ASSERT_EQ(m_sim.InjectMessage("201", &m), 0);
    }
    for (LONG sal : {5, 6}) {
        EXPECT_EQ(plat::WaitForEvent(event, 0), WAIT_OBJECT_0) << "paced again after the reset";
        ASSERT_EQ(endPoint->RetrieveMsg(message.Out()), S_OK);
        EXPECT_EQ(GetNumber(message.Get(), &IMsgInt::GetSAL1), sal);
    }
}

TEST_F(MessageQueue, GettersGiveEveryFieldOfAnInjectedMessage) {
    SimComPtr<IEndPoint> endPoint = Registered("201", "pw");
    ASSERT_TRUE(endPoint);
    ZavSimMessage m{};
    m.category = ZAVSIM_CATEGORY_CALL_CONTROL;
    m.msgType = 0x28003;
    m.result = -7;
    m.sal1 = 5;
    m.sal2 = 6;
    m.requestId = static_cast<int32_t>(0xE0010005u);
    m.reason = 0x0E;
    m.digit = '#';
    m.globalCallId = 0x12345678;
    m.callerNum = "5551234";
    m.extension = "201";
    m.callerName = "Roe, Richard";
    m.dialedNum = "7000";
    m.trunk = "12";
    m.redirectingNum = "2099";
    m.redirectionNum = "2100";
    m.vdn = 4711;
    m.serialNumber = 31337;
    m.deviceType = 3;
    m.hasQueryItem6 = 1;
    m.queryItem6 = "Item six";
    ASSERT_EQ(m_sim.InjectMessage("201", &m), 0);
    SimComPtr<IMsgInt> message;
    ASSERT_EQ(endPoint->RetrieveMsg(message.Out()), S_OK);

    struct NumberCase {
        const char* name;
        HRESULT (IMsgInt::*getter)(LONG*);
        LONG expected;
    } numbers[] = {
        {"category", &IMsgInt::GetCategory, ZAVSIM_CATEGORY_CALL_CONTROL},
        {"type", &IMsgInt::GetMsgType, 0x28003},
        {"result", &IMsgInt::GetResult, -7},
        {"SAL1", &IMsgInt::GetSAL1, 5},
        {"SAL2", &IMsgInt::GetSAL2, 6},
        {"request id", &IMsgInt::GetRequestId, static_cast<LONG>(0xE0010005u)},
        {"reason", &IMsgInt::GetReason, 0x0E},
        {"digit", &IMsgInt::GetDigit, '#'},
        {"global call id", &IMsgInt::GetGlobalCallId, 0x12345678},
        {"VDN", &IMsgInt::GetVDN, 4711},
        {"serial number", &IMsgInt::GetSerialNum, 31337},
        {"device type", &IMsgInt::GetDeviceType, 3},
        {"query item 6 present", &IMsgInt::HasQueryItem6, 1},
    };
    for (const NumberCase& c : numbers) {
        EXPECT_EQ(GetNumber(message.Get(), c.getter), c.expected) << c.name;
        EXPECT_EQ((message.Get()->*c.getter)(nullptr), E_POINTER) << c.name;
    }
    struct TextCase {
        const char* name;
        HRESULT (IMsgInt::*getter)(BSTR*);
        const char* expected;
    } texts[] = {
        {"caller number", &IMsgInt::GetCallerNum, "5551234"},
        {"extension", &IMsgInt::GetExtension, "201"},
        {"caller name", &IMsgInt::GetCallerName, "Roe, Richard"},
        {"dialed number", &IMsgInt::GetDialedNum, "7000"},
        {"trunk", &IMsgInt::GetTrunk, "12"},
        {"redirecting number", &IMsgInt::GetRedirectingNum, "2099"},
        {"redirection number", &IMsgInt::GetRedirectionNum, "2100"},
        {"query item 6", &IMsgInt::GetQueryItem6, "Item six"},
    };
    for (const TextCase& c : texts) {
        EXPECT_EQ(GetText(message.Get(), c.getter), c.expected) << c.name;
        EXPECT_EQ(GetText(message.Get(), c.getter), c.expected) << c.name << ", asked twice";
        EXPECT_EQ((message.Get()->*c.getter)(nullptr), E_POINTER) << c.name;
    }
}

TEST_F(MessageQueue, AbsentTextsAreEmptyAndTheExtensionIsFilledIn) {
    SimComPtr<IEndPoint> endPoint = Registered("201", "pw");
    ASSERT_TRUE(endPoint);
    ZavSimMessage unnamed = CallControl(0x28004, 3);
    ZavSimMessage noExtension = CallControl(0x28004, 4);
    noExtension.extension = "";
    ASSERT_EQ(m_sim.InjectMessage("201", &unnamed), 0);
    ASSERT_EQ(m_sim.InjectMessage("201", &noExtension), 0);
    SimComPtr<IMsgInt> first, second;
    ASSERT_EQ(endPoint->RetrieveMsg(first.Out()), S_OK);
    ASSERT_EQ(endPoint->RetrieveMsg(second.Out()), S_OK);
    EXPECT_EQ(GetText(first.Get(), &IMsgInt::GetExtension), "201")
        << "the switch names the extension it serves";
    EXPECT_EQ(GetText(second.Get(), &IMsgInt::GetExtension), "") << "unless told to send none";
    for (auto getter :
         {&IMsgInt::GetCallerNum, &IMsgInt::GetCallerName, &IMsgInt::GetDialedNum, &IMsgInt::GetTrunk,
          &IMsgInt::GetRedirectingNum, &IMsgInt::GetRedirectionNum, &IMsgInt::GetQueryItem6})
        EXPECT_EQ(GetText(first.Get(), getter), "");
    EXPECT_EQ(GetNumber(first.Get(), &IMsgInt::HasQueryItem6), 0);
}

TEST_F(MessageQueue, MessagesAnswerOnlyTheMessageInterface) {
    SimComPtr<IEndPoint> endPoint = Registered("201", "pw");
    ASSERT_TRUE(endPoint);
    ASSERT_EQ(m_sim.InjectShutdown("201", 0), 0);
    SimComPtr<IMsgInt> message;
    ASSERT_EQ(endPoint->RetrieveMsg(message.Out()), S_OK);
    SimComPtr<IUnknown> unknown;
    EXPECT_EQ(message->QueryInterface(IID_IUnknown, unknown.OutVoid()), S_OK);
    EXPECT_EQ(message->QueryInterface(IID_IZavMsgInt, unknown.OutVoid()), S_OK);
    EXPECT_EQ(message->QueryInterface(IID_IZavEndPoint, unknown.OutVoid()), E_NOINTERFACE);
    EXPECT_FALSE(unknown);
}

TEST_F(MessageQueue, InjectedMessagesGoToTheNewestConnectedEndPoint) {
    HANDLE firstEvent = nullptr, secondEvent = nullptr;
    SimComPtr<IEndPoint> first = Registered("201", "pw", &firstEvent);
    SimComPtr<IEndPoint> second = Registered("201", "pw", &secondEvent);
    SimComPtr<IEndPoint> other = Registered("202", "pw");
    ASSERT_TRUE(first && second && other);
    struct Step {
        const char* name;
        IEndPoint* disconnect;
        int injected;
        HANDLE signalled;
    } steps[] = {
        {"both connected: the newer", nullptr, 0, secondEvent},
        {"newer disconnected: the older", second.Get(), 0, firstEvent},
        {"none connected: refused", first.Get(), -1, nullptr},
    };
    for (const Step& s : steps) {
        if (s.disconnect) {
            EXPECT_EQ(s.disconnect->DisconnectFromServer(), S_OK);
        }
        ZavSimMessage m = CallControl(0x28001, 9);
        EXPECT_EQ(m_sim.InjectMessage("201", &m), s.injected) << s.name;
        EXPECT_EQ(plat::WaitForEvent(firstEvent, 0), s.signalled == firstEvent ? WAIT_OBJECT_0 : WAIT_TIMEOUT)
            << s.name;
        EXPECT_EQ(plat::WaitForEvent(secondEvent, 0),
                  s.signalled == secondEvent ? WAIT_OBJECT_0 : WAIT_TIMEOUT)
            << s.name;
    }
    EXPECT_EQ(m_sim.PendingMessages("201"), 2);
    EXPECT_EQ(m_sim.PendingMessages("202"), 0) << "another extension's endpoint gets nothing";
    // Registering again makes an endpoint the newest once more.
    HANDLE event = nullptr;
    EXPECT_EQ(first->ConnectToServer(&event), S_OK);
    EXPECT_EQ(second->ConnectToServer(&event), S_OK);
    EXPECT_EQ(first->RegisterA(TempBstr("201"), TempBstr("pw")), S_OK);
    ZavSimMessage m = CallControl(0x28001, 10);
    ASSERT_EQ(m_sim.InjectMessage("201", &m), 0);
    SimComPtr<IMsgInt> message;
    ASSERT_EQ(first->RetrieveMsg(message.Out()), S_OK);
    EXPECT_EQ(GetNumber(message.Get(), &IMsgInt::GetSAL1), 9);
    ASSERT_EQ(first->RetrieveMsg(message.Out()), S_OK);
    EXPECT_EQ(GetNumber(message.Get(), &IMsgInt::GetMsgType), ZAVSIM_MSG_REGISTER_REPLY);
    ASSERT_EQ(first->RetrieveMsg(message.Out()), S_OK);
    EXPECT_EQ(GetNumber(message.Get(), &IMsgInt::GetSAL1), 10);

    ZavSimMessage any = CallControl(0x28001, 1);
    EXPECT_EQ(m_sim.InjectMessage("299", &any), -1) << "no endpoint of that extension";
    EXPECT_EQ(m_sim.InjectMessage(nullptr, &any), -1);
    EXPECT_EQ(m_sim.InjectMessage("201", nullptr), -1);
    EXPECT_EQ(m_sim.InjectShutdown("299", 0), -1);
    EXPECT_EQ(m_sim.InjectPhoneQueryReply("299", "x"), -1);
}

TEST_F(MessageQueue, ShutdownAndPhoneQueryReplies) {
    SimComPtr<IEndPoint> john = Registered("201", "pw");
    SimComPtr<IEndPoint> anonymous = Registered("202", "pw");
    ASSERT_TRUE(john && anonymous);
    struct Case {
        const char* name;
        IEndPoint* endPoint;
        std::function<int()> inject;
        LONG category, type, result, hasItem6;
        const char* item6;
    } cases[] = {
        {"shutdown", john.Get(), [&] { return m_sim.InjectShutdown("201", 3); }, ZAVSIM_CATEGORY_REGISTRATION,
         ZAVSIM_MSG_SHUTDOWN, 3, 0, ""},
        {"query reply with a name", john.Get(),
         [&] { return m_sim.InjectPhoneQueryReply("201", "Poe, Edgar"); }, ZAVSIM_CATEGORY_PHONE_QUERY,
         ZAVSIM_MSG_PHONE_QUERY_REPLY, 0, 1, "Poe, Edgar"},
        {"query reply with the account's name", john.Get(),
         [&] { return m_sim.InjectPhoneQueryReply("201", nullptr); }, ZAVSIM_CATEGORY_PHONE_QUERY,
         ZAVSIM_MSG_PHONE_QUERY_REPLY, 0, 1, "Doe, John"},
        {"query reply with an empty name", john.Get(), [&] { return m_sim.InjectPhoneQueryReply("201", ""); },
         ZAVSIM_CATEGORY_PHONE_QUERY, ZAVSIM_MSG_PHONE_QUERY_REPLY, 0, 1, ""},
        {"query reply for an account without owner", anonymous.Get(),
         [&] { return m_sim.InjectPhoneQueryReply("202", nullptr); }, ZAVSIM_CATEGORY_PHONE_QUERY,
         ZAVSIM_MSG_PHONE_QUERY_REPLY, 0, 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(c.inject(), 0);
        SimComPtr<IMsgInt> message;
        ASSERT_EQ(c.endPoint->RetrieveMsg(message.Out()), S_OK);
        EXPECT_EQ(GetNumber(message.Get(), &IMsgInt::GetCategory), c.category);
        EXPECT_EQ(GetNumber(message.Get(), &IMsgInt::GetMsgType), c.type);
        EXPECT_EQ(GetNumber(message.Get(), &IMsgInt::GetResult), c.result);
        EXPECT_EQ(GetNumber(message.Get(), &IMsgInt::HasQueryItem6), c.hasItem6);
        EXPECT_EQ(GetText(message.Get(), &IMsgInt::GetQueryItem6), c.item6);
    }
}

TEST_F(MessageQueue, QueryReplyWithoutAccountCarriesNoName) {
    SimComPtr<IEndPoint> endPoint = Registered("201", "pw");
    ASSERT_TRUE(endPoint);
    m_sim.Reset();  // the switch forgets the account, the endpoint stays
    ASSERT_EQ(m_sim.InjectPhoneQueryReply("201", nullptr), 0);
    SimComPtr<IMsgInt> message;
    ASSERT_EQ(endPoint->RetrieveMsg(message.Out()), S_OK);
    EXPECT_EQ(GetNumber(message.Get(), &IMsgInt::HasQueryItem6), 0);
}

TEST_F(MessageQueue, ReleasingAnEndPointReleasesWhatItsQueueHolds) {
    {
        SimComPtr<IEndPoint> endPoint = Registered("201", "pw");
        ASSERT_TRUE(endPoint);
        for (int i = 0; i < 3; ++i) ASSERT_EQ(m_sim.InjectShutdown("201", i), 0);
        EXPECT_EQ(m_sim.LiveMessages(), 3);
    }
    EXPECT_EQ(m_sim.LiveObjects(), 0);
}

// Producers inject on their own threads while the test takes one message per
// signal: nothing lost, nothing reordered per producer, no empty wake.
struct Producer {
    ZavSimInjectMessageFn inject;
    int id;
    int count;
    int failures = 0;
};

DWORD Produce(void* arg) {
    auto* p = static_cast<Producer*>(arg);
    for (int seq = 0; seq < p->count; ++seq) {
        ZavSimMessage m = CallControl(0x28007, p->id);
        m.requestId = seq;
        if (p->inject("201", &m) != 0) ++p->failures;
    }
    return 0;
}

TEST_F(MessageQueue, ConcurrentInjectionLosesAndReordersNothing) {
    HANDLE event = nullptr;
    SimComPtr<IEndPoint> endPoint = Registered("201", "pw", &event);
    ASSERT_TRUE(endPoint);
    constexpr int kProducers = 4, kEach = 200;
    std::vector<Producer> producers;
    for (int i = 0; i < kProducers; ++i) producers.push_back(Producer{m_sim.InjectMessage, i + 1, kEach});
    std::vector<HANDLE> threads;
    for (Producer& p : producers) threads.push_back(plat::StartThread(Produce, &p, 0, nullptr));
    std::vector<int> next(kProducers + 1, 0);
    int received = 0;
    while (received < kProducers * kEach) {
        // One message per wake, as the provider's message thread takes them.
        if (plat::WaitForEvent(event, 10000) != WAIT_OBJECT_0) break;
        SimComPtr<IMsgInt> message;
        if (FAILED(endPoint->RetrieveMsg(message.Out()))) {
            ADD_FAILURE() << "a signal without a message after " << received;
            continue;
        }
        LONG id = GetNumber(message.Get(), &IMsgInt::GetSAL1);
        LONG seq = GetNumber(message.Get(), &IMsgInt::GetRequestId);
        if (id < 1 || id > kProducers) {
            ADD_FAILURE() << "unknown producer " << id;
            continue;
        }
        EXPECT_EQ(seq, next[static_cast<size_t>(id)]) << "producer " << id;
        next[static_cast<size_t>(id)] = seq + 1;
        ++received;
    }
    for (HANDLE t : threads) {
        EXPECT_EQ(plat::WaitForThread(t, 10000), WAIT_OBJECT_0);
        plat::CloseThread(t);
    }
    EXPECT_EQ(received, kProducers * kEach);
    for (const Producer& p : producers) EXPECT_EQ(p.failures, 0);
    EXPECT_EQ(plat::WaitForEvent(event, 0), WAIT_TIMEOUT) << "no signal left over";
}

}  // namespace
