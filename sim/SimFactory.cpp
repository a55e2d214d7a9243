#include "SimFactory.h"

#include "SimEndPoint.h"
#include "SimGuard.h"
#include "SimLiveObjects.h"

namespace zavsim {

SimFactory& SimFactory::Instance() {
    static SimFactory s_factory;
    return s_factory;
}

HRESULT SimFactory::QueryInterface(REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
        *ppv = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT SimFactory::CreateInstance(IUnknown* outer, REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return Guarded([&] {
        SimEndPoint* endPoint = new SimEndPoint;
        HRESULT hr = endPoint->QueryInterface(iid, ppv);
        endPoint->Release();
        return hr;
    });
}

HRESULT SimFactory::LockServer(BOOL lock) {
    if (lock)
        ++g_serverLocks;
    else
        --g_serverLocks;
    return S_OK;
}

}  // namespace zavsim
