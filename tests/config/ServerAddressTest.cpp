// The switch's address, through the component and directly in its key.
#include <cstring>
#include <string>
#include <thread>

#include "config/ConfigFixture.h"
#include "config/ZavRegistry.h"
#include "platform/Com.h"
#include "platform/Module.h"
#include "zav/EndPoint.h"

namespace {

using zavtest::LogCapture;

const char* const kFakeKey = "Software\\ZavTest\\FakeEndPoint";

// Address and port buffers of the documented sizes inside larger ones, so
// that a write past them shows.
struct Texts {
    char address[kZavAddressTextSize + 16];
    char port[kZavPortTextSize + 16];

    Texts(const char* a = "keep", const char* p = "Port: ") {
        std::memset(address, '#', sizeof address);
        std::memset(port, '#', sizeof port);
        std::strcpy(address, a);
        std::strcpy(port, p);
    }
    bool Untouched() const {
        return std::string(address + kZavAddressTextSize, 16) == std::string(16, '#') &&
               std::string(port + kZavPortTextSize, 16) == std::string(16, '#');
    }
};

using ServerAddressHack = zavtest::ConfigStoreTest;

TEST_F(ServerAddressHack, ReadsTheAddressAndAppendsThePortUpToTheirBuffers) {
    const std::string address31(31, '1'), address32(32, '2'), longPrefix(kZavPortTextSize - 3, 'P');
    struct Case {
        const char* name;
        const char* address;  // nullptr: no value
        DWORD portType;       // REG_NONE: no value
        std::string port;     // data as stored
        const char* expectedAddress;
        std::string expectedPort;
        bool key = true;
        std::string portPrefix = "Port: ";
    } cases[] = {
        {"no key", nullptr, REG_NONE, "", "keep", "Port: ", false},
        {"text port", "192.0.2.10", REG_SZ, std::string("20485", 6), "192.0.2.10", "Port: 20485"},
        {"numeric port", "192.0.2.10", REG_DWORD, std::string("\x05\x50\x00\x00", 4), "192.0.2.10",
         "Port: 20485"},
        {"no port", "192.0.2.10", REG_NONE, "", "192.0.2.10", "Port: "},
        {"binary port", "192.0.2.10", REG_BINARY, "\x01\x02", "192.0.2.10", "Port: "},
        {"no address", nullptr, REG_SZ, std::string("5060", 5), "keep", "Port: 5060"},
        {"31 characters", address31.c_str(), REG_NONE, "", address31.c_str(), "Port: "},
        {"32 characters", address32.c_str(), REG_NONE, "", "keep", "Port: "},
        {"port cut to its buffer", nullptr, REG_SZ, std::string("20485", 6), "keep", longPrefix + "20", true,
         longPrefix},
    };
    for (const Case& c : cases) {
        zavtest::RemoveConfigKeys();
        if (c.key) zavtest::WriteText(kZavServerKey, "Unrelated", "x");
        if (c.address) zavtest::WriteText(kZavServerKey, "ServerIPAddr", c.address);
        if (c.portType != REG_NONE) zavtest::WriteBytes(kZavServerKey, "ServerPortId", c.portType, c.port);
        Texts texts("keep", c.portPrefix.c_str());
        EXPECT_EQ(GetServerIPAddressHack(texts.address, texts.port), 0) << c.name;
        EXPECT_STREQ(texts.address, c.expectedAddress) << c.name;
        EXPECT_EQ(texts.port, c.expectedPort) << c.name;
        EXPECT_TRUE(texts.Untouched()) << c.name;
    }
}

TEST_F(ServerAddressHack, WrittenAddressReadsBack) {
    EXPECT_EQ(SetServerIPAddressHack("192.0.2.1"), 0);
    EXPECT_FALSE(zavtest::KeyExists(kZavServerKey)) << "the component's key is not created";
    zavtest::WriteText(kZavServerKey, "ServerPortId", "20485");
    EXPECT_EQ(SetServerIPAddressHack("198.51.100.7"), 0);
    EXPECT_EQ(zavtest::ReadText(kZavServerKey, "ServerIPAddr"), std::string("198.51.100.7", 13))
        << "with its terminating zero";
    EXPECT_EQ(SetServerIPAddressHack(nullptr), 0);
}

// Each test runs its COM work on a thread of its own, so that what one
// leaves initialised cannot hide another's imbalance.
template <typename F>
void OnFreshThread(F body) {
    std::thread worker(body);
    worker.join();
}

// Asks whether COM is initialised on the calling thread.
bool ComIsInitialised() {
    IUnknown* p = nullptr;
    HRESULT hr = plat::ComCreateInstance(CLSID_ZavEndPoint, IID_IUnknown, reinterpret_cast<void**>(&p));
    if (p) p->Release();
    return hr != CO_E_NOTINITIALIZED;
}

using ServerAddressUnregistered = zavtest::ConfigStoreTest;

TEST_F(ServerAddressUnregistered, FailsCleanlyWhenTheComponentIsNotRegistered) {
    OnFreshThread([] {
        Texts texts;
        LogCapture log;
        EXPECT_EQ(GetServerIPAddress(texts.address, texts.port), -1);
        EXPECT_STREQ(texts.address, "keep");
        EXPECT_STREQ(texts.port, "Port: ");
        EXPECT_FALSE(ComIsInitialised()) << "COM left initialised after a failed creation";
        EXPECT_TRUE(log.Has("GetServerIPAddress() is invoked P"));
        EXPECT_TRUE(log.Has("**** ERROR: Failed at spIEndPoint.CreateInstance(), hr 0x80040154 P"))
            << log.Text();
    });
    OnFreshThread([] {
        ASSERT_TRUE(SUCCEEDED(plat::ComInitialize(true)));
        LogCapture log;
        EXPECT_EQ(SetServerIPAddress("192.0.2.1"), -1);
        EXPECT_TRUE(log.Has("SetServerIPAddress() is invoked P"));
        EXPECT_TRUE(log.Has("**** ERROR: Failed at spIEndPoint.CreateInstance(), hr 0x80040154 P"))
            << log.Text();
        plat::ComUninitialize();
    });
}

class ServerAddressComponent : public zavtest::ConfigStoreTest {
protected:
    void SetUp() override {
        ConfigStoreTest::SetUp();
        std::string library = zavtest::NativePath(ZAV_FAKE_ENDPOINT_PATH);
        zavtest::WriteText(plat::ClsidKeyPath(CLSID_ZavEndPoint), nullptr, library.c_str());
        zavtest::WriteText(plat::ClsidKeyPath(CLSID_ZavEndPoint), "ThreadingModel", "Both");
        // Our own reference keeps the library loaded to count its objects.
        m_module = plat::LoadModule(library.c_str(), nullptr);
        ASSERT_NE(m_module, nullptr);
        m_objects = reinterpret_cast<LONG (*)()>(plat::GetModuleSymbol(m_module, "FakeEndPointObjects"));
        ASSERT_NE(m_objects, nullptr);
        zavtest::WriteText(kFakeKey, "Address", "192.0.2.10");
        zavtest::WriteDword(kFakeKey, "Port", 20485);
    }
    void TearDown() override {
        if (m_module) plat::UnloadModule(m_module);
        ConfigStoreTest::TearDown();
    }

    HMODULE m_module = nullptr;
    LONG (*m_objects)() = nullptr;
};

TEST_F(ServerAddressComponent, ReadsThroughATemporaryEndpointAndHandsTheAddressOverWithPortZero) {
    OnFreshThread([this] {
        Texts texts;
        LogCapture log;
        EXPECT_EQ(GetServerIPAddress(texts.address, texts.port), 0);
        EXPECT_STREQ(texts.address, "192.0.2.10");
        EXPECT_STREQ(texts.port, "Port: 20485");
        EXPECT_TRUE(log.Has("@@@@ Server:Port 192.0.2.10:20485 P")) << log.Text();
        EXPECT_EQ(m_objects(), 0) << "the temporary endpoint was not released";
        EXPECT_TRUE(ComIsInitialised()) << "COM stays initialised for storing the address later";
        EXPECT_EQ(SetServerIPAddress("198.51.100.7"), 0);
        EXPECT_EQ(m_objects(), 0);
        plat::ComUninitialize();
    });
    EXPECT_EQ(zavtest::ReadText(kFakeKey, "Address"), std::string("198.51.100.7", 13));
    EXPECT_EQ(zavtest::ReadDword(kFakeKey, "ConfiguredPort"), 0u);
    EXPECT_EQ(zavtest::ReadDword(kFakeKey, "ConfigCalls"), 1u);
}

TEST_F(ServerAddressComponent, FailuresOfTheComponentAreTracedAndLeaveTheTextsAlone) {
    zavtest::WriteDword(kFakeKey, "Fail", 1);
    OnFreshThread([this] {
        Texts texts;
        LogCapture log;
        EXPECT_EQ(GetServerIPAddress(texts.address, texts.port), -1);
        EXPECT_STREQ(texts.address, "keep");
        EXPECT_STREQ(texts.port, "Port: ");
        EXPECT_EQ(SetServerIPAddress("198.51.100.7"), -1);
        EXPECT_TRUE(log.Has("**** ERROR: Failed at QueryCurrentConfigA() P")) << log.Text();
        EXPECT_TRUE(log.Has("**** Failed to config server 198.51.100.7 P")) << log.Text();
        EXPECT_EQ(m_objects(), 0);
        plat::ComUninitialize();
    });
}

TEST_F(ServerAddressComponent, ALongAddressIsCutToTheBuffer) {
    std::string longAddress(kZavAddressTextSize + 40, 'a');
    zavtest::WriteText(kFakeKey, "Address", longAddress.c_str());
    OnFreshThread([this] {
        Texts texts;
        EXPECT_EQ(GetServerIPAddress(texts.address, texts.port), 0);
        EXPECT_EQ(std::string(texts.address), std::string(kZavAddressTextSize - 1, 'a'));
        EXPECT_TRUE(texts.Untouched());
        plat::ComUninitialize();
    });
}

}  // namespace
