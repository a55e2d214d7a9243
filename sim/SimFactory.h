// The class factory of the endpoint class. One static instance serves every
// request; it counts LockServer calls, which keep the library loaded.
#pragma once

#include "platform/WinTypes.h"

namespace zavsim {

class SimFactory final : public IClassFactory {
public:
    virtual ~SimFactory() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

    static SimFactory& Instance();
};

}  // namespace zavsim
