// The switch address: stored by ConfigServerA in the component's registry
// key, reported by QueryCurrentConfigA, also to endpoints made later.
#include <string>

#include "SimFixture.h"
#include "platform/Bstr.h"
#include "platform/Registry.h"

namespace {

class ServerConfig : public SimTest {
protected:
    struct Current {
        HRESULT hr = E_FAIL;
        std::string address;
        LONG port = -1;
    };

    // Asked through an endpoint of its own, as a later connection would.
    Current Query() {
        Current current;
        SimComPtr<IEndPoint> endPoint = Create();
        if (!endPoint) return current;
        BSTR address = nullptr;
        current.hr = endPoint->QueryCurrentConfigA(&address, &current.port);
        EXPECT_NE(address, nullptr);
        current.address = plat::BstrToString(address);
        plat::FreeBstr(address);
        return current;
    }

    HRESULT Config(const char* address, LONG port) {
        SimComPtr<IEndPoint> endPoint = Create();
        return endPoint ? endPoint->ConfigServerA(TempBstr(address), port) : E_FAIL;
    }

    // The value as stored, with its type.
    static std::string Stored(const char* name, DWORD* type) {
        HKEY key = nullptr;
        *type = REG_NONE;
        if (plat::OpenRegKey(HKEY_LOCAL_MACHINE, ZAVSIM_SERVER_KEY, KEY_READ, &key) != ERROR_SUCCESS)
            return "<no key>";
        char buffer[256] = {};
        DWORD size = sizeof buffer - 1;
        LONG rc = plat::QueryRegValue(key, name, type, reinterpret_cast<BYTE*>(buffer), &size);
        plat::CloseRegKey(key);
        return rc == ERROR_SUCCESS ? std::string(buffer) : "<no value>";
    }

    static void Store(const char* name, const char* text) {
        HKEY key = nullptr;
        ASSERT_EQ(plat::CreateRegKey(HKEY_LOCAL_MACHINE, ZAVSIM_SERVER_KEY, KEY_ALL_ACCESS, &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(plat::SetRegString(key, name, text), ERROR_SUCCESS);
        plat::CloseRegKey(key);
    }
};

TEST_F(ServerConfig, NeverConfiguredGivesNoAddressAndTheDefaultPort) {
    Current current = Query();
    EXPECT_EQ(current.hr, S_OK);
    EXPECT_EQ(current.address, "");
    EXPECT_EQ(current.port, ZAVSIM_DEFAULT_PORT);
}

TEST_F(ServerConfig, RoundTripThroughTheRegistry) {
    struct Step {
        const char* address;
        LONG port;
        const char* storedPort;  // as text in the registry
        LONG reportedPort;
    } steps[] = {
        {"10.1.2.3", 5060, "5060", 5060},
        {"switch.example", 0, "5060", 5060},  // the provider changes only
                                              // the address
        {"192.0.2.7", -1, "5060", 5060},
        {"192.0.2.8", 65535, "65535", 65535},
        {"", 1, "1", 1},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.address);
        ASSERT_EQ(Config(s.address, s.port), S_OK);
        DWORD type = REG_NONE;
        EXPECT_EQ(Stored("ServerIPAddr", &type), s.address);
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(Stored("ServerPortId", &type), s.storedPort);
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        Current current = Query();
        EXPECT_EQ(current.hr, S_OK);
        EXPECT_EQ(current.address, s.address);
        EXPECT_EQ(current.port, s.reportedPort);
    }
}

TEST_F(ServerConfig, PortTextThatIsNoPortGivesTheDefault) {
    struct Case {
        const char* text;
        LONG port;
    } cases[] = {
        {"20000", 20000},
        {"abc", ZAVSIM_DEFAULT_PORT},
        {"0", ZAVSIM_DEFAULT_PORT},
        {"65536", ZAVSIM_DEFAULT_PORT},
        {"12x", ZAVSIM_DEFAULT_PORT},
        {"-5", ZAVSIM_DEFAULT_PORT},
        {"", ZAVSIM_DEFAULT_PORT},
    };
    for (const Case& c : cases) {
        Store("ServerPortId", c.text);
        EXPECT_EQ(Query().port, c.port) << '"' << c.text << '"';
    }
}

TEST_F(ServerConfig, NumericPortWrittenByAnotherToolIsRead) {
    HKEY key = nullptr;
    ASSERT_EQ(plat::CreateRegKey(HKEY_LOCAL_MACHINE, ZAVSIM_SERVER_KEY, KEY_ALL_ACCESS, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(plat::SetRegDword(key, "ServerPortId", 4000), ERROR_SUCCESS);
    EXPECT_EQ(plat::SetRegString(key, "ServerIPAddr", "10.9.8.7"), ERROR_SUCCESS);
    plat::CloseRegKey(key);
    Current current = Query();
    EXPECT_EQ(current.address, "10.9.8.7");
    EXPECT_EQ(current.port, 4000);
}

TEST_F(ServerConfig, NullArguments) {
    SimComPtr<IEndPoint> endPoint = Create();
    ASSERT_TRUE(endPoint);
    BSTR address = nullptr;
    LONG port = 0;
    EXPECT_EQ(endPoint->QueryCurrentConfigA(nullptr, &port), E_POINTER);
    EXPECT_EQ(endPoint->QueryCurrentConfigA(&address, nullptr), E_POINTER);
    // A null BSTR is the empty text, as everywhere in COM.
    EXPECT_EQ(endPoint->ConfigServerA(nullptr, 0), S_OK);
    DWORD type = REG_NONE;
    EXPECT_EQ(Stored("ServerIPAddr", &type), "");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
}

}  // namespace
