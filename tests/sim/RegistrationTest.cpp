// Registering an extension: the verdict travels in eRegisterReply, from
// accounts added through the control functions or configured in the
// registry.
#include <functional>
#include <string>

#include "SimFixture.h"
#include "platform/Event.h"
#include "platform/Registry.h"

namespace {

constexpr LONG kAccepted = 0;

struct Reply {
    LONG category = -1, type = -1, result = -1, vdn = -1, serial = -1, deviceType = -1;
    std::string extension;
};

class Registration : public SimTest {
protected:
    // Registers through a fresh endpoint; the reply must be the one and only
    // message, announced by one signal.
    Reply Register(const char* extension, const char* password) {
        Reply reply;
        SimComPtr<IEndPoint> endPoint = Create();
        if (!endPoint) return reply;
        HANDLE event = nullptr;
        EXPECT_EQ(endPoint->ConnectToServer(&event), S_OK);
        EXPECT_EQ(plat::WaitForEvent(event, 0), WAIT_TIMEOUT) << "nothing queued yet";
        EXPECT_EQ(endPoint->RegisterA(TempBstr(extension), TempBstr(password)), S_OK)
            << "a rejection travels in the reply, not in the call's result";
        EXPECT_EQ(plat::WaitForEvent(event, 0), WAIT_OBJECT_0);
        SimComPtr<IMsgInt> message;
        EXPECT_EQ(endPoint->RetrieveMsg(message.Out()), S_OK);
        if (!message) return reply;
        reply.category = GetNumber(message.Get(), &IMsgInt::GetCategory);
        reply.type = GetNumber(message.Get(), &IMsgInt::GetMsgType);
        reply.result = GetNumber(message.Get(), &IMsgInt::GetResult);
        reply.vdn = GetNumber(message.Get(), &IMsgInt::GetVDN);
        reply.serial = GetNumber(message.Get(), &IMsgInt::GetSerialNum);
        reply.deviceType = GetNumber(message.Get(), &IMsgInt::GetDeviceType);
        reply.extension = GetText(message.Get(), &IMsgInt::GetExtension);
        SimComPtr<IMsgInt> more;
        EXPECT_TRUE(FAILED(endPoint->RetrieveMsg(more.Out())));
        return reply;
    }

    void Configure(const char* extension, const char* password, const char* owner, const DWORD* deviceType,
                   const DWORD* vdn, const DWORD* serial) {
        HKEY key = nullptr;
        std::string path = std::string(ZAVSIM_ACCOUNTS_KEY) + "\\" + extension;
        ASSERT_EQ(plat::CreateRegKey(HKEY_LOCAL_MACHINE, path.c_str(), KEY_ALL_ACCESS, &key, nullptr),
                  ERROR_SUCCESS);
        if (password) {
            EXPECT_EQ(plat::SetRegString(key, "Password", password), ERROR_SUCCESS);
        }
        if (owner) {
            EXPECT_EQ(plat::SetRegString(key, "OwnerName", owner), ERROR_SUCCESS);
        }
        if (deviceType) {
            EXPECT_EQ(plat::SetRegDword(key, "DeviceType", *deviceType), ERROR_SUCCESS);
        }
        if (vdn) {
            EXPECT_EQ(plat::SetRegDword(key, "VDN", *vdn), ERROR_SUCCESS);
        }
        if (serial) {
            EXPECT_EQ(plat::SetRegDword(key, "SerialNumber", *serial), ERROR_SUCCESS);
        }
        plat::CloseRegKey(key);
    }
};

TEST_F(Registration, VerdictAndFieldsOfTheReply) {
    const DWORD three = 3, vdn = 4711, serial = 0x00C0FFEE;
    struct Case {
        const char* name;
        std::function<void()> arrange;
        const char* extension;
        const char* password;
        LONG result, vdn, serial, deviceType;
    } cases[] = {
        {"added account", [&] { AddAccount("201", "s3cret", 3, 5001, 123456); }, "201", "s3cret", kAccepted,
         5001, 123456, 3},
        {"unknown extension", [&] { AddAccount("201", "s3cret", 3, 5001, 123456); }, "202", "s3cret",
         ZAVSIM_REJECT_UNKNOWN_EXTENSION, 0, 0, 0},
        {"wrong password", [&] { AddAccount("201", "s3cret", 3, 5001, 123456); }, "201", "s3cre",
         ZAVSIM_REJECT_BAD_PASSWORD, 0, 0, 0},
        {"password compared byte for byte", [&] { AddAccount("201", "Secret", 1); }, "201", "secret",
         ZAVSIM_REJECT_BAD_PASSWORD, 0, 0, 0},
        {"stored password passed through unchanged", [&] { AddAccount("201", "~x%41=", 1); }, "201",
         "~x%41=", kAccepted, 0, 0, 1},
        {"empty password", [&] { AddAccount("201", nullptr, 2, 7); }, "201", "", kAccepted, 7, 0, 2},
        {"null password is empty", [&] { AddAccount("201", "", 2, 7); }, "201", nullptr, kAccepted, 7, 0, 2},
        {"replaced account",
         [&] {
             AddAccount("201", "old", 1, 1, 1);
             AddAccount("201", "new", 3, 2, 2);
         },
         "201", "new", kAccepted, 2, 2, 3},
        {"old password of a replaced account",
         [&] {
             AddAccount("201", "old", 1, 1, 1);
             AddAccount("201", "new", 3, 2, 2);
         },
         "201", "old", ZAVSIM_REJECT_BAD_PASSWORD, 0, 0, 0},
        {"empty extension", [] {}, "", "", ZAVSIM_REJECT_UNKNOWN_EXTENSION, 0, 0, 0},
        {"configured account", [&] { Configure("301", "pw", "Doe, Jane", &three, &vdn, &serial); }, "301",
         "pw", kAccepted, 4711, 0x00C0FFEE, 3},
        {"configured account, wrong password",
         [&] { Configure("301", "pw", "Doe, Jane", &three, &vdn, &serial); }, "301", "PW",
         ZAVSIM_REJECT_BAD_PASSWORD, 0, 0, 0},
        {"configured account without values",
         [&] { Configure("302", nullptr, nullptr, nullptr, nullptr, nullptr); }, "302", "", kAccepted, 0, 0,
         1},
        {"no key for the account list itself",
         [&] { Configure("303", "", nullptr, nullptr, nullptr, nullptr); }, "", "",
         ZAVSIM_REJECT_UNKNOWN_EXTENSION, 0, 0, 0},
        {"no key below an account", [&] { Configure("304\\sub", "", nullptr, nullptr, nullptr, nullptr); },
         "304\\sub", "", ZAVSIM_REJECT_UNKNOWN_EXTENSION, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_sim.Reset();
        DeleteRegTree("Software\\Ostrel\\ZAV\\Simulator");
        c.arrange();
        Reply reply = Register(c.extension, c.password);
        EXPECT_EQ(reply.category, ZAVSIM_CATEGORY_REGISTRATION);
        EXPECT_EQ(reply.type, ZAVSIM_MSG_REGISTER_REPLY);
        EXPECT_EQ(reply.result, c.result);
        EXPECT_EQ(reply.vdn, c.vdn);
        EXPECT_EQ(reply.serial, c.serial);
        EXPECT_EQ(reply.deviceType, c.deviceType);
        EXPECT_EQ(reply.extension, c.extension ? c.extension : "");
    }
}

TEST_F(Registration, ConfiguredAccountIsReadOnceUntilReset) {
    const DWORD one = 1;
    Configure("301", "first", nullptr, &one, nullptr, nullptr);
    EXPECT_EQ(Register("301", "first").result, kAccepted);
    Configure("301", "second", nullptr, &one, nullptr, nullptr);
    EXPECT_EQ(Register("301", "second").result, ZAVSIM_REJECT_BAD_PASSWORD) << "the switch knows 301 already";
    m_sim.Reset();
    EXPECT_EQ(Register("301", "second").result, kAccepted) << "a reset switch reads the configuration again";
}

TEST_F(Registration, AccountsAddedThroughTheControlFunctionsWinOverTheRegistry) {
    const DWORD one = 1;
    Configure("301", "configured", nullptr, &one, nullptr, nullptr);
    AddAccount("301", "added");
    EXPECT_EQ(Register("301", "added").result, kAccepted);
    EXPECT_EQ(Register("301", "configured").result, ZAVSIM_REJECT_BAD_PASSWORD);
}

TEST_F(Registration, AddAccountRefusesAnAccountWithoutExtension) {
    ZavSimAccount noExtension{nullptr, "pw", 1, 0, 0, nullptr};
    ZavSimAccount emptyExtension{"", "pw", 1, 0, 0, nullptr};
    EXPECT_EQ(m_sim.AddAccount(nullptr), -1);
    EXPECT_EQ(m_sim.AddAccount(&noExtension), -1);
    EXPECT_EQ(m_sim.AddAccount(&emptyExtension), -1);
}

TEST_F(Registration, UnregisterIsAnsweredWithSuccess) {
    AddAccount("201", "pw");
    HANDLE event = nullptr;
    SimComPtr<IEndPoint> endPoint = Registered("201", "pw", &event);
    ASSERT_TRUE(endPoint);
    EXPECT_EQ(endPoint->Unregister(), S_OK);
    EXPECT_EQ(plat::WaitForEvent(event, 0), WAIT_OBJECT_0);
    SimComPtr<IMsgInt> reply;
    ASSERT_EQ(endPoint->RetrieveMsg(reply.Out()), S_OK);
    EXPECT_EQ(GetNumber(reply.Get(), &IMsgInt::GetCategory), ZAVSIM_CATEGORY_REGISTRATION);
    EXPECT_EQ(GetNumber(reply.Get(), &IMsgInt::GetMsgType), ZAVSIM_MSG_UNREGISTER_REPLY);
    EXPECT_EQ(GetNumber(reply.Get(), &IMsgInt::GetResult), 0);
    EXPECT_EQ(GetText(reply.Get(), &IMsgInt::GetExtension), "201");
}

TEST_F(Registration, EndPointsBelongToTheExtensionTheyRegisteredFor) {
    AddAccount("201", "pw");
    AddAccount("202", "pw");
    SimComPtr<IEndPoint> unregistered = Create();
    EXPECT_EQ(m_sim.EndPointCount(nullptr), 1);
    EXPECT_EQ(m_sim.EndPointCount("201"), 0);
    {
        SimComPtr<IEndPoint> a = Registered("201", "pw");
        SimComPtr<IEndPoint> b = Registered("201", "pw");
        SimComPtr<IEndPoint> c = Registered("202", "pw");
        EXPECT_EQ(m_sim.EndPointCount(nullptr), 4);
        EXPECT_EQ(m_sim.EndPointCount("201"), 2);
        EXPECT_EQ(m_sim.ConnectedCount("201"), 2);
        EXPECT_EQ(m_sim.EndPointCount("202"), 1);
        EXPECT_EQ(b->DisconnectFromServer(), S_OK);
        EXPECT_EQ(m_sim.ConnectedCount("201"), 1);
        EXPECT_EQ(m_sim.EndPointCount("201"), 2) << "a disconnected endpoint still exists";
        EXPECT_EQ(m_sim.ConnectedCount(nullptr), 2);
        // A rejected registration names the extension all the same.
        SimComPtr<IEndPoint> d = Create();
        EXPECT_EQ(d->RegisterA(TempBstr("203"), TempBstr("pw")), S_OK);
        EXPECT_EQ(m_sim.EndPointCount("203"), 1);
        EXPECT_EQ(m_sim.PendingMessages("203"), 1);
    }
    EXPECT_EQ(m_sim.EndPointCount("201"), 0);
    EXPECT_EQ(m_sim.EndPointCount(nullptr), 1);
}

}  // namespace
