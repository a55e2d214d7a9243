#include "platform/Com.h"

#include <map>
#include <mutex>
#include <string>

#include "platform/Module.h"
#include "platform/Registry.h"

namespace plat {
namespace {

typedef HRESULT (*DllCanUnloadNowFn)();

struct LoadedLibrary {
    HMODULE module;
    DllGetClassObjectFn getClassObject;
};

std::mutex g_libMutex;
std::map<std::string, LoadedLibrary>& Libraries() {
    static auto* libs = new std::map<std::string, LoadedLibrary>;  // outlives static destruction
    return *libs;
}

// COM is initialised per thread; creating an instance on a thread that has
// not initialised it fails, as on Windows, so that such a bug shows here too.
thread_local int t_comInitCount = 0;

HRESULT ReadServerPath(REFCLSID clsid, std::string* path) {
    HKEY key;
    if (OpenRegKey(HKEY_LOCAL_MACHINE, ClsidKeyPath(clsid).c_str(), KEY_READ, &key) != ERROR_SUCCESS)
        return REGDB_E_CLASSNOTREG;
    char buf[4096];
    DWORD type = 0, size = sizeof buf;
    LONG rc = QueryRegValue(key, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    CloseRegKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0) return REGDB_E_CLASSNOTREG;
    buf[sizeof buf - 1] = 0;
    *path = buf;
    return path->empty() ? REGDB_E_CLASSNOTREG : S_OK;
}

HRESULT LoadServer(const std::string& path, DllGetClassObjectFn* fn) {
    std::lock_guard<std::mutex> lock(g_libMutex);
    auto it = Libraries().find(path);
    if (it != Libraries().end()) {
        *fn = it->second.getClassObject;
        return S_OK;
    }
    HMODULE module = LoadModule(path.c_str(), nullptr);
    if (!module) return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    auto get = reinterpret_cast<DllGetClassObjectFn>(GetModuleSymbol(module, "DllGetClassObject"));
    if (!get) {
        UnloadModule(module);
        return CO_E_ERRORINDLL;
    }
    Libraries()[path] = LoadedLibrary{module, get};
    *fn = get;
    return S_OK;
}

}  // namespace

HRESULT ComInitialize(bool /*apartment*/) {
    ++t_comInitCount;
    return t_comInitCount == 1 ? S_OK : S_FALSE;
}

void ComUninitialize() {
    if (t_comInitCount > 0) --t_comInitCount;
}

void ComFreeUnusedLibraries() {
    std::lock_guard<std::mutex> lock(g_libMutex);
    for (auto it = Libraries().begin(); it != Libraries().end();) {
        auto canUnload = reinterpret_cast<DllCanUnloadNowFn>(GetModuleSymbol(it->second.module, "DllCanUnloadNow"));
        if (canUnload && canUnload() == S_OK) {
            UnloadModule(it->second.module);
            it = Libraries().erase(it);
        } else {
            ++it;
        }
    }
}

HRESULT ComCreateInstance(REFCLSID clsid, REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (t_comInitCount == 0) return CO_E_NOTINITIALIZED;
    std::string path;
    HRESULT hr = ReadServerPath(clsid, &path);
    if (FAILED(hr)) return hr;
    DllGetClassObjectFn get = nullptr;
    hr = LoadServer(path, &get);
    if (FAILED(hr)) return hr;
    IClassFactory* factory = nullptr;
    hr = get(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) return hr;
    if (!factory) return E_UNEXPECTED;
    hr = factory->CreateInstance(nullptr, iid, ppv);
    factory->Release();
    return hr;
}

}  // namespace plat
