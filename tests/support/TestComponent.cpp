// A minimal in-process component for the activation tests: one class whose
// instances answer IUnknown and a test interface that returns a number.
#include <atomic>

#include "platform/WinTypes.h"
#include "support/TestComponentIds.h"

namespace {

std::atomic<long> g_objects{0};

class Widget final : public ITestWidget {
public:
    Widget() { ++g_objects; }
    virtual ~Widget() { --g_objects; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_ITestWidget) {
            *ppv = static_cast<ITestWidget*>(this);
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
    HRESULT STDMETHODCALLTYPE Answer(LONG* value) override {
        if (!value) return E_POINTER;
        *value = kTestWidgetAnswer;
        return S_OK;
    }

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
        Widget* w = new Widget;
        HRESULT hr = w->QueryInterface(iid, ppv);
        w->Release();
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
    if (clsid != CLSID_TestWidget) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, ppv);
}

ZAV_COMPONENT_EXPORT HRESULT STDMETHODCALLTYPE DllCanUnloadNow() { return g_objects.load() == 0 ? S_OK : S_FALSE; }
