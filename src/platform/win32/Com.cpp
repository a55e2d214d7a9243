#include "platform/Com.h"

namespace plat {

HRESULT ComInitialize(bool apartment) {
    return ::CoInitializeEx(nullptr, apartment ? COINIT_APARTMENTTHREADED : COINIT_MULTITHREADED);
}

void ComUninitialize() { ::CoUninitialize(); }

void ComFreeUnusedLibraries() { ::CoFreeUnusedLibraries(); }

HRESULT ComCreateInstance(REFCLSID clsid, REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    return ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, ppv);
}

}  // namespace plat
