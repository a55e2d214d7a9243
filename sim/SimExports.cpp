// The entry points COM and regsvr32 look for in an in-process server.
#include <string>

#include "SimFactory.h"
#include "SimGuard.h"
#include "SimLiveObjects.h"
#include "platform/Com.h"
#include "platform/Module.h"
#include "platform/Registry.h"
#include "zav/EndPoint.h"

#ifdef _WIN32
#define ZAVSIM_ENTRY extern "C" __declspec(dllexport)
#else
#define ZAVSIM_ENTRY extern "C" __attribute__((visibility("default")))
#endif

namespace {

constexpr const char* kClassName = "ZAV switch endpoint (simulated switch)";

std::string ClassKeyPath() {
    std::string inproc = plat::ClsidKeyPath(CLSID_ZavEndPoint);
    return inproc.substr(0, inproc.rfind('\\'));
}

LONG WriteClassKey(const char* path, const char* name, const std::string& value) {
    HKEY key = nullptr;
    LONG rc = plat::CreateRegKey(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS, &key, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    rc = plat::SetRegString(key, name, value.c_str());
    plat::CloseRegKey(key);
    return rc;
}

}  // namespace

ZAVSIM_ENTRY HRESULT STDMETHODCALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (clsid != CLSID_ZavEndPoint) return CLASS_E_CLASSNOTAVAILABLE;
    return zavsim::SimFactory::Instance().QueryInterface(iid, ppv);
}

ZAVSIM_ENTRY HRESULT STDMETHODCALLTYPE DllCanUnloadNow() {
    bool idle = zavsim::g_liveEndPoints.load() == 0 && zavsim::g_liveMessages.load() == 0 &&
                zavsim::g_serverLocks.load() == 0;
    return idle ? S_OK : S_FALSE;
}

// Registers this very library, wherever it lies, as the endpoint class.
ZAVSIM_ENTRY HRESULT STDMETHODCALLTYPE DllRegisterServer() {
    return zavsim::Guarded([] {
        std::string path = plat::ModulePathOf(reinterpret_cast<const void*>(&DllRegisterServer));
        if (path.empty()) return E_UNEXPECTED;
        std::string inproc = plat::ClsidKeyPath(CLSID_ZavEndPoint);
        LONG rc = WriteClassKey(ClassKeyPath().c_str(), nullptr, kClassName);
        if (rc == ERROR_SUCCESS) rc = WriteClassKey(inproc.c_str(), nullptr, path);
        if (rc == ERROR_SUCCESS) rc = WriteClassKey(inproc.c_str(), "ThreadingModel", "Both");
        return rc == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(rc);
    });
}

// Removes the class's keys; a class that is not registered is no error.
ZAVSIM_ENTRY HRESULT STDMETHODCALLTYPE DllUnregisterServer() {
    return zavsim::Guarded([] {
        for (const std::string& path : {plat::ClsidKeyPath(CLSID_ZavEndPoint), ClassKeyPath()}) {
            LONG rc = plat::DeleteRegKey(HKEY_LOCAL_MACHINE, path.c_str());
            if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return HRESULT_FROM_WIN32(rc);
        }
        return S_OK;
    });
}
