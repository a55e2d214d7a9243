// A stand-in for the switch component, enough for the configuration tests:
// one endpoint class that reports and takes the switch's address. It keeps
// its configuration under HKEY_LOCAL_MACHINE\Software\ZavTest\FakeEndPoint
// ("Address" text, "Port" and, when non-zero, "Fail" to make both calls fail),
// so that a test sets it up and reads back what the provider handed over
// without linking to the component. Every other method is E_NOTIMPL.
#include <atomic>
#include <cstring>

#include "platform/Bstr.h"
#include "platform/Registry.h"
#include "platform/WinTypes.h"
#include "zav/EndPoint.h"

namespace {

const char* const kStateKey = "Software\\ZavTest\\FakeEndPoint";

std::atomic<long> g_objects{0};

DWORD ReadStateDword(HKEY key, const char* name) {
    DWORD type = 0, value = 0, size = sizeof value;
    if (plat::QueryRegValue(key, name, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return 0;
    return value;
}

class FakeEndPoint final : public IEndPoint {
public:
    FakeEndPoint() { ++g_objects; }
    virtual ~FakeEndPoint() { --g_objects; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IZavEndPoint) {
            *ppv = static_cast<IEndPoint*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG n = --m_refs;
        if (n == 0) delete this;
        return n;
    }

    HRESULT STDMETHODCALLTYPE QueryCurrentConfigA(BSTR* address, LONG* port) override {
        if (!address || !port) return E_POINTER;
        *address = nullptr;
        HKEY key;
        if (plat::OpenRegKey(HKEY_LOCAL_MACHINE, kStateKey, KEY_READ, &key) != ERROR_SUCCESS) return E_FAIL;
        char text[1024] = {};
        DWORD type = 0, size = sizeof text - 1;
        bool haveAddress =
            plat::QueryRegValue(key, "Address", &type, reinterpret_cast<BYTE*>(text), &size) == ERROR_SUCCESS;
        bool fail = ReadStateDword(key, "Fail") != 0;
        LONG configured = static_cast<LONG>(ReadStateDword(key, "Port"));
        plat::CloseRegKey(key);
        if (fail || !haveAddress) return E_FAIL;
        // The caller owns the text from here.
        *address = plat::AllocBstrText(text);
        if (!*address) return E_OUTOFMEMORY;
        *port = configured;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE ConfigServerA(BSTR address, LONG port) override {
        // A text made without its byte length (or freed early) shows here.
        const char* bytes = reinterpret_cast<const char*>(address);
        if (!address || plat::BstrByteLength(address) != std::strlen(bytes)) return E_INVALIDARG;
        HKEY key;
        if (plat::CreateRegKey(HKEY_LOCAL_MACHINE, kStateKey, KEY_ALL_ACCESS, &key, nullptr) != ERROR_SUCCESS)
            return E_FAIL;
        HRESULT hr = S_OK;
        if (ReadStateDword(key, "Fail") != 0) {
            hr = E_FAIL;
        } else {
            plat::SetRegString(key, "Address", bytes);
            plat::SetRegDword(key, "ConfiguredPort", static_cast<DWORD>(port));
            plat::SetRegDword(key, "ConfigCalls", ReadStateDword(key, "ConfigCalls") + 1);
        }
        plat::CloseRegKey(key);
        return hr;
    }

    // clang-format off
    HRESULT STDMETHODCALLTYPE Reserved3() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved4() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved5() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved6() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved7() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unregister() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OffHook(LONG, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnHook(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved11() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Transfer(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CompleteTransfer(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Answer(LONG, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Conference(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddToConf(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RetrieveMsg(IMsgInt**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved18() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved19() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ConnectToServer(HANDLE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DisconnectFromServer() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DialDigitsA(LONG, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterA(BSTR, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Hold(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unhold(LONG, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Park(LONG, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnPark(LONG, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved29() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved31() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved32() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved33() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved34() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved35() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Pickup(LONG, BSTR, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GenerateTone(LONG, WORD, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SendDigitCollectMsg(LONG, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Forward(BSTR, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ConfDrop(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMWI(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetLCDDisplay(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Redirect(BSTR, LONG, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AcknowledgeMsg() override { return E_NOTIMPL; }
    // clang-format on

private:
    std::atomic<ULONG> m_refs{1};
};

class Factory final : public IClassFactory {
public:
    virtual ~Factory() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** ppv) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        FakeEndPoint* endPoint = new FakeEndPoint;
        HRESULT hr = endPoint->QueryInterface(iid, ppv);
        endPoint->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

}  // namespace

#ifdef _WIN32
#define ZAV_COMPONENT_EXPORT extern "C" __declspec(dllexport)
#else
#define ZAV_COMPONENT_EXPORT extern "C" __attribute__((visibility("default")))
#endif

ZAV_COMPONENT_EXPORT HRESULT STDMETHODCALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (clsid != CLSID_ZavEndPoint) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, ppv);
}

ZAV_COMPONENT_EXPORT HRESULT STDMETHODCALLTYPE DllCanUnloadNow() {
    return g_objects.load() == 0 ? S_OK : S_FALSE;
}

// How many endpoints are alive: the tests' check that every one they
// caused to be created was released.
ZAV_COMPONENT_EXPORT LONG FakeEndPointObjects() {
    return static_cast<LONG>(g_objects.load());
}
