// The library as an in-process server: its registration entry points, its
// class factory and when it may be unloaded.
#include <string>

#include "SimFixture.h"
#include "platform/Com.h"
#include "platform/Module.h"
#include "platform/Registry.h"

namespace {

typedef HRESULT(STDMETHODCALLTYPE* EntryFn)();
typedef HRESULT(STDMETHODCALLTYPE* GetClassObjectFn)(REFCLSID, REFIID, void**);

constexpr IID kOtherId = {0x7B3E2A1F, 0x5C44, 0x4D2B, {0x9E, 0x61, 0x0A, 0x4C, 0x2F, 0x8D, 0x1E, 0x01}};

std::string ClassKeyPath() {
    std::string inproc = plat::ClsidKeyPath(CLSID_ZavEndPoint);
    return inproc.substr(0, inproc.rfind('\\'));
}

std::string ReadText(const std::string& path, const char* name, LONG* rc) {
    HKEY key = nullptr;
    *rc = plat::OpenRegKey(HKEY_LOCAL_MACHINE, path.c_str(), KEY_READ, &key);
    if (*rc != ERROR_SUCCESS) return std::string();
    char buffer[1024] = {};
    DWORD type = 0, size = sizeof buffer - 1;
    *rc = plat::QueryRegValue(key, name, &type, reinterpret_cast<BYTE*>(buffer), &size);
    plat::CloseRegKey(key);
    if (*rc == ERROR_SUCCESS && type != REG_SZ) *rc = ERROR_INVALID_DATA;
    return buffer;
}

class ServerRegistration : public SimTest {};

TEST_F(ServerRegistration, RegistersItsOwnLibraryForBothThreadingModels) {
    LONG rc = 0;
    std::string path = ReadText(plat::ClsidKeyPath(CLSID_ZavEndPoint), nullptr, &rc);
    ASSERT_EQ(rc, ERROR_SUCCESS);
    // The registered path must name this very library: loading it gives
    // back the module already loaded.
    HMODULE again = plat::LoadModule(path.c_str(), nullptr);
    EXPECT_EQ(again, m_module) << path;
    plat::UnloadModule(again);
    EXPECT_EQ(ReadText(plat::ClsidKeyPath(CLSID_ZavEndPoint), "ThreadingModel", &rc), "Both");
    EXPECT_EQ(rc, ERROR_SUCCESS);
    // Registering again changes nothing and still succeeds.
    EXPECT_EQ(reinterpret_cast<EntryFn>(Symbol("DllRegisterServer"))(), S_OK);
    EXPECT_EQ(ReadText(plat::ClsidKeyPath(CLSID_ZavEndPoint), nullptr, &rc), path);
}

TEST_F(ServerRegistration, UnregisteringRemovesTheClassAndActivationThenFails) {
    auto unregisterServer = reinterpret_cast<EntryFn>(Symbol("DllUnregisterServer"));
    ASSERT_EQ(unregisterServer(), S_OK);
    HKEY key = nullptr;
    EXPECT_EQ(
        plat::OpenRegKey(HKEY_LOCAL_MACHINE, plat::ClsidKeyPath(CLSID_ZavEndPoint).c_str(), KEY_READ, &key),
        ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(plat::OpenRegKey(HKEY_LOCAL_MACHINE, ClassKeyPath().c_str(), KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    SimComPtr<IEndPoint> endPoint;
    EXPECT_EQ(plat::ComCreateInstance(CLSID_ZavEndPoint, IID_IZavEndPoint, endPoint.OutVoid()),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(unregisterServer(), S_OK) << "unregistering what is not registered is no error";
}

TEST_F(ServerRegistration, EndPointAnswersOnlyItsOwnInterfaces) {
    SimComPtr<IEndPoint> endPoint = Create();
    ASSERT_TRUE(endPoint);
    struct Case {
        const char* name;
        const IID* iid;
        HRESULT expected;
    } cases[] = {
        {"IUnknown", &IID_IUnknown, S_OK},           {"IEndPoint", &IID_IZavEndPoint, S_OK},
        {"IMsgInt", &IID_IZavMsgInt, E_NOINTERFACE}, {"IClassFactory", &IID_IClassFactory, E_NOINTERFACE},
        {"other", &kOtherId, E_NOINTERFACE},
    };
    for (const Case& c : cases) {
        SimComPtr<IUnknown> unknown;
        EXPECT_EQ(endPoint->QueryInterface(*c.iid, unknown.OutVoid()), c.expected) << c.name;
        EXPECT_EQ(static_cast<bool>(unknown), c.expected == S_OK) << c.name;
    }
    EXPECT_EQ(endPoint->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

TEST_F(ServerRegistration, ClassObjectOnlyForTheEndPointClass) {
    auto getClassObject = reinterpret_cast<GetClassObjectFn>(Symbol("DllGetClassObject"));
    SimComPtr<IClassFactory> factory;
    EXPECT_EQ(getClassObject(kOtherId, IID_IClassFactory, factory.OutVoid()), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_FALSE(factory);
    ASSERT_EQ(getClassObject(CLSID_ZavEndPoint, IID_IClassFactory, factory.OutVoid()), S_OK);
    SimComPtr<IUnknown> outer, instance;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, outer.OutVoid()), S_OK);
    EXPECT_EQ(factory->CreateInstance(outer.Get(), IID_IUnknown, instance.OutVoid()), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IZavMsgInt, instance.OutVoid()), E_NOINTERFACE);
    EXPECT_FALSE(instance);
    EXPECT_EQ(m_sim.EndPointCount(nullptr), 1) << "a refused interface must not leave an endpoint behind";
}

TEST_F(ServerRegistration, MayBeUnloadedOnlyWhenNothingItMadeIsAlive) {
    auto canUnload = reinterpret_cast<EntryFn>(Symbol("DllCanUnloadNow"));
    auto getClassObject = reinterpret_cast<GetClassObjectFn>(Symbol("DllGetClassObject"));
    AddAccount("201", "pw");
    EXPECT_EQ(canUnload(), S_OK);
    {
        SimComPtr<IMsgInt> message;
        {
            HANDLE event = nullptr;
            SimComPtr<IEndPoint> endPoint = Registered("201", "pw", &event);
            EXPECT_EQ(canUnload(), S_FALSE) << "an endpoint is alive";
            ASSERT_EQ(m_sim.InjectShutdown("201", 0), 0);
            ASSERT_EQ(endPoint->RetrieveMsg(message.Out()), S_OK);
        }
        EXPECT_EQ(m_sim.LiveObjects(), 1);
        EXPECT_EQ(canUnload(), S_FALSE) << "a message outlives its endpoint";
    }
    EXPECT_EQ(canUnload(), S_OK);
    SimComPtr<IClassFactory> factory;
    ASSERT_EQ(getClassObject(CLSID_ZavEndPoint, IID_IClassFactory, factory.OutVoid()), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(canUnload(), S_FALSE) << "locked by its factory";
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(canUnload(), S_OK);
}

}  // namespace
