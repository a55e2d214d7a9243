// Fault injection: the failures the provider must survive, each switched on
// for one extension or for every endpoint, and off again.
#include <ostream>
#include <string>

#include "SimFixture.h"
#include "platform/Event.h"

namespace {

constexpr HRESULT kRefused = static_cast<HRESULT>(0x800704C9L);  // connection refused
constexpr HRESULT kDenied = static_cast<HRESULT>(0x80070005L);

// What happened when an endpoint went through connect, register and
// unregister, as the provider does.
struct Outcome {
    HRESULT connect = E_FAIL;
    bool event = false;
    HRESULT registered = E_FAIL;
    bool registerReply = false;
    HRESULT unregistered = E_FAIL;
    bool unregisterReply = false;
    int connected = -1;  // connected endpoints of the extension afterwards

    bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Outcome& o) {
    return os << std::hex << "{connect 0x" << o.connect << ", event " << o.event << ", register 0x"
              << o.registered << ", reply " << o.registerReply << ", unregister 0x" << o.unregistered
              << ", reply " << o.unregisterReply << ", connected " << std::dec << o.connected << "}";
}

const Outcome kHealthy{S_OK, true, S_OK, true, S_OK, true, 1};

class FaultInjection : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        AddAccount("201", "pw");
        AddAccount("202", "pw");
    }

    // `registerFirst` registers before connecting, so that faults set for
    // the extension reach ConnectToServer too.
    Outcome Run(const char* extension, bool registerFirst = false) {
        Outcome o;
        SimComPtr<IEndPoint> endPoint = Create();
        if (!endPoint) return o;
        HANDLE event = nullptr;
        SimComPtr<IMsgInt> reply;
        if (registerFirst) {
            o.registered = endPoint->RegisterA(TempBstr(extension), TempBstr("pw"));
            o.connect = endPoint->ConnectToServer(&event);
        } else {
            o.connect = endPoint->ConnectToServer(&event);
            o.registered = endPoint->RegisterA(TempBstr(extension), TempBstr("pw"));
        }
        o.event = event != nullptr;
        o.registerReply = SUCCEEDED(endPoint->RetrieveMsg(reply.Out())) &&
                          GetNumber(reply.Get(), &IMsgInt::GetMsgType) == ZAVSIM_MSG_REGISTER_REPLY;
        if (event) {
            EXPECT_EQ(plat::WaitForEvent(event, 0), o.registerReply ? WAIT_OBJECT_0 : WAIT_TIMEOUT);
        }
        o.unregistered = endPoint->Unregister();
        o.unregisterReply = SUCCEEDED(endPoint->RetrieveMsg(reply.Out())) &&
                            GetNumber(reply.Get(), &IMsgInt::GetMsgType) == ZAVSIM_MSG_UNREGISTER_REPLY;
        if (event) {
            EXPECT_EQ(plat::WaitForEvent(event, 0), o.unregisterReply ? WAIT_OBJECT_0 : WAIT_TIMEOUT);
        }
        o.connected = m_sim.ConnectedCount(extension);
        return o;
    }
};

TEST_F(FaultInjection, EachFaultForOneExtension) {
    struct Case {
        const char* name;
        ZavSimFaults faults;
        bool registerFirst;
        Outcome expected;
    } cases[] = {
        {"connect fails", {kRefused, 0, 0, 0, 0, 0}, true, {kRefused, false, S_OK, true, S_OK, true, 0}},
        {"connect gives no event", {0, 1, 0, 0, 0, 0}, true, {S_OK, false, S_OK, true, S_OK, true, 0}},
        {"register fails", {0, 0, kDenied, 0, 0, 0}, false, {S_OK, true, kDenied, false, S_OK, true, 1}},
        {"register never answered", {0, 0, 0, 1, 0, 0}, false, {S_OK, true, S_OK, false, S_OK, true, 1}},
        {"unregister fails", {0, 0, 0, 0, kDenied, 0}, false, {S_OK, true, S_OK, true, kDenied, false, 1}},
        {"unregister never answered", {0, 0, 0, 0, 0, 1}, false, {S_OK, true, S_OK, true, S_OK, false, 1}},
        {"success codes are no fault", {S_FALSE, 0, S_FALSE, 0, S_FALSE, 0}, false, kHealthy},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(m_sim.SetFaults("201", &c.faults), 0);
        EXPECT_EQ(Run("201", c.registerFirst), c.expected);
        EXPECT_EQ(Run("202", c.registerFirst), kHealthy) << "another extension is not affected";
        ASSERT_EQ(m_sim.SetFaults("201", nullptr), 0);
        EXPECT_EQ(Run("201", c.registerFirst), kHealthy) << "cleared";
    }
}

TEST_F(FaultInjection, FaultsForEveryEndPointReachThoseNotYetRegistered) {
    ZavSimFaults refuse{kRefused, 0, 0, 0, 0, 0};
    ZavSimFaults none{};
    const Outcome refused{kRefused, false, S_OK, true, S_OK, true, 0};
    ASSERT_EQ(m_sim.SetFaults(nullptr, &refuse), 0);
    EXPECT_EQ(Run("201"), refused);
    EXPECT_EQ(Run("202"), refused);
    // An extension's own setting wins over the common one.
    ASSERT_EQ(m_sim.SetFaults("202", &none), 0);
    EXPECT_EQ(Run("202", true), kHealthy);
    EXPECT_EQ(Run("201", true), refused);
    ASSERT_EQ(m_sim.SetFaults("", nullptr), 0);
    EXPECT_EQ(Run("201"), kHealthy);
}

TEST_F(FaultInjection, ResetClearsTheFaults) {
    ZavSimFaults silent{0, 0, 0, 1, 0, 1};
    ASSERT_EQ(m_sim.SetFaults("201", &silent), 0);
    ASSERT_EQ(m_sim.SetFaults(nullptr, &silent), 0);
    m_sim.Reset();
    AddAccount("201", "pw");
    EXPECT_EQ(Run("201"), kHealthy);
}

TEST_F(FaultInjection, ConnectFailureLeavesNoEventBehind) {
    ZavSimFaults refuse{kRefused, 0, 0, 0, 0, 0};
    ASSERT_EQ(m_sim.SetFaults(nullptr, &refuse), 0);
    SimComPtr<IEndPoint> endPoint = Create();
    ASSERT_TRUE(endPoint);
    HANDLE event = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));  // as the provider presets it
    EXPECT_EQ(endPoint->ConnectToServer(&event), kRefused);
    EXPECT_EQ(event, nullptr);
    EXPECT_EQ(endPoint->ConnectToServer(nullptr), E_POINTER);
}

}  // namespace
