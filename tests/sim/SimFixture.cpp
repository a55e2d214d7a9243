#include "SimFixture.h"

#include <vector>

#include "platform/Bstr.h"
#include "platform/Com.h"
#include "platform/Event.h"
#include "platform/Module.h"
#include "platform/Registry.h"

namespace {

typedef HRESULT(STDMETHODCALLTYPE* EntryFn)();

}  // namespace

void SimTest::SetUp() {
    std::string error;
    m_module = plat::LoadModule(zavtest::NativePath(ZAV_SIM_PATH).c_str(), &error);
    ASSERT_NE(m_module, nullptr) << error;
    m_sim.AddAccount = reinterpret_cast<ZavSimAddAccountFn>(Symbol("ZavSimAddAccount"));
    m_sim.Reset = reinterpret_cast<ZavSimResetFn>(Symbol("ZavSimReset"));
    m_sim.InjectMessage = reinterpret_cast<ZavSimInjectMessageFn>(Symbol("ZavSimInjectMessage"));
    m_sim.InjectShutdown = reinterpret_cast<ZavSimInjectShutdownFn>(Symbol("ZavSimInjectShutdown"));
    m_sim.InjectPhoneQueryReply =
        reinterpret_cast<ZavSimInjectPhoneQueryReplyFn>(Symbol("ZavSimInjectPhoneQueryReply"));
    m_sim.SetFaults = reinterpret_cast<ZavSimSetFaultsFn>(Symbol("ZavSimSetFaults"));
    m_sim.SetSignalMode = reinterpret_cast<ZavSimSetSignalModeFn>(Symbol("ZavSimSetSignalMode"));
    m_sim.ReadLog = reinterpret_cast<ZavSimReadLogFn>(Symbol("ZavSimReadLog"));
    m_sim.ClearLog = reinterpret_cast<ZavSimClearLogFn>(Symbol("ZavSimClearLog"));
    m_sim.WaitForLog = reinterpret_cast<ZavSimWaitForLogFn>(Symbol("ZavSimWaitForLog"));
    m_sim.EndPointCount = reinterpret_cast<ZavSimCountFn>(Symbol("ZavSimEndPointCount"));
    m_sim.ConnectedCount = reinterpret_cast<ZavSimCountFn>(Symbol("ZavSimConnectedCount"));
    m_sim.PendingMessages = reinterpret_cast<ZavSimCountFn>(Symbol("ZavSimPendingMessages"));
    m_sim.LiveObjects = reinterpret_cast<ZavSimLiveFn>(Symbol("ZavSimLiveObjects"));
    m_sim.LiveMessages = reinterpret_cast<ZavSimLiveFn>(Symbol("ZavSimLiveMessages"));
    ASSERT_FALSE(HasFailure()) << "the library lacks a control function";
    m_sim.Reset();
    auto registerServer = reinterpret_cast<EntryFn>(Symbol("DllRegisterServer"));
    ASSERT_NE(registerServer, nullptr);
    ASSERT_EQ(registerServer(), S_OK);
    ASSERT_TRUE(SUCCEEDED(plat::ComInitialize(true)));
}

void SimTest::TearDown() {
    if (!m_module) return;
    if (!m_sim.LiveObjects || !m_sim.EndPointCount || !m_sim.Reset) {
        plat::UnloadModule(m_module);
        return;
    }
    // Every test releases what it made; anything left is a leak in the
    // library or the test.
    EXPECT_EQ(m_sim.LiveObjects(), 0);
    EXPECT_EQ(m_sim.EndPointCount(nullptr), 0);
    m_sim.Reset();
    if (auto unregisterServer = reinterpret_cast<EntryFn>(Symbol("DllUnregisterServer"))) unregisterServer();
    DeleteRegTree("Software\\Ostrel\\ZAV\\Simulator");
    DeleteRegTree(ZAVSIM_SERVER_KEY);
    plat::ComFreeUnusedLibraries();
    plat::ComUninitialize();
    plat::UnloadModule(m_module);
}

void* SimTest::Symbol(const char* name) const {
    void* symbol = plat::GetModuleSymbol(m_module, name);
    EXPECT_NE(symbol, nullptr) << name;
    return symbol;
}

SimComPtr<IEndPoint> SimTest::Create() {
    SimComPtr<IEndPoint> endPoint;
    HRESULT hr = plat::ComCreateInstance(CLSID_ZavEndPoint, IID_IZavEndPoint, endPoint.OutVoid());
    EXPECT_EQ(hr, S_OK);
    EXPECT_TRUE(endPoint);
    return endPoint;
}

SimComPtr<IEndPoint> SimTest::Registered(const char* extension, const char* password, HANDLE* event) {
    SimComPtr<IEndPoint> endPoint = Create();
    if (!endPoint) return endPoint;
    HANDLE messageEvent = nullptr;
    EXPECT_EQ(endPoint->ConnectToServer(&messageEvent), S_OK);
    EXPECT_NE(messageEvent, nullptr);
    EXPECT_EQ(endPoint->RegisterA(TempBstr(extension), TempBstr(password)), S_OK);
    EXPECT_EQ(plat::WaitForEvent(messageEvent, 0), WAIT_OBJECT_0);
    SimComPtr<IMsgInt> reply;
    EXPECT_EQ(endPoint->RetrieveMsg(reply.Out()), S_OK);
    if (reply) {
        EXPECT_EQ(GetNumber(reply.Get(), &IMsgInt::GetMsgType), ZAVSIM_MSG_REGISTER_REPLY);
        EXPECT_EQ(GetNumber(reply.Get(), &IMsgInt::GetResult), 0);
    }
    if (event) *event = messageEvent;
    return endPoint;
}

void SimTest::AddAccount(const char* extension, const char* password, LONG deviceType, LONG vdn, LONG serial,
                         const char* ownerName) {
    ZavSimAccount account{extension, password, deviceType, vdn, serial, ownerName};
    ASSERT_EQ(m_sim.AddAccount(&account), 0);
}

std::string SimTest::Log(const char* extension) const {
    size_t length = m_sim.ReadLog(extension, nullptr, 0);
    std::vector<char> buffer(length + 1);
    EXPECT_EQ(m_sim.ReadLog(extension, buffer.data(), buffer.size()), length);
    return std::string(buffer.data(), length);
}

TempBstr::TempBstr(const char* text) : m_bstr(text ? plat::AllocBstrText(text) : nullptr) {}

TempBstr::TempBstr(const char* bytes, unsigned length) : m_bstr(plat::AllocBstrBytes(bytes, length)) {}

TempBstr::~TempBstr() {
    plat::FreeBstr(m_bstr);
}

std::string GetText(IMsgInt* message, HRESULT (IMsgInt::*getter)(BSTR*)) {
    BSTR text = nullptr;
    HRESULT hr = (message->*getter)(&text);
    EXPECT_EQ(hr, S_OK);
    EXPECT_NE(text, nullptr) << "a text getter hands out a text, empty when absent";
    std::string value = plat::BstrToString(text);
    plat::FreeBstr(text);
    return value;
}

LONG GetNumber(IMsgInt* message, HRESULT (IMsgInt::*getter)(LONG*)) {
    LONG value = 0x5A5A5A5A;
    EXPECT_EQ((message->*getter)(&value), S_OK);
    return value;
}

void DeleteRegTree(const std::string& path) {
    HKEY key = nullptr;
    if (plat::OpenRegKey(HKEY_LOCAL_MACHINE, path.c_str(), KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    std::vector<std::string> children;
    char name[256];
    DWORD size = sizeof name;
    for (DWORD i = 0; plat::EnumRegKey(key, i, name, &size) == ERROR_SUCCESS; ++i, size = sizeof name)
        children.emplace_back(name);
    plat::CloseRegKey(key);
    for (const std::string& child : children) DeleteRegTree(path + "\\" + child);
    plat::DeleteRegKey(HKEY_LOCAL_MACHINE, path.c_str());
}
