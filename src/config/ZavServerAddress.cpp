// The switch's address: through the switch component normally, or directly
// in the component's registry key when the component cannot be used.
#include <cstdio>

#include "config/ZavRegistry.h"
#include "config/ZavRegistryText.h"
#include "platform/Bstr.h"
#include "platform/Com.h"
#include "platform/Registry.h"
#include "trace/ZavTrace.h"
#include "zav/EndPoint.h"

namespace {

// The component's own configuration values; the texts are read into
// buffers of this size.
constexpr DWORD kServerValueSize = 32;

IEndPoint* CreateEndPoint() {
    IEndPoint* pEndPoint = nullptr;
    HRESULT hr =
        plat::ComCreateInstance(CLSID_ZavEndPoint, IID_IZavEndPoint, reinterpret_cast<void**>(&pEndPoint));
    if (FAILED(hr) || !pEndPoint) {
        ZAV_TRACE("**** ERROR: Failed at spIEndPoint.CreateInstance(), hr 0x%08X",
                  static_cast<unsigned>(FAILED(hr) ? hr : E_POINTER));
        return nullptr;
    }
    return pEndPoint;
}

// "ServerPortId" belongs to the switch component, which may keep it as text
// or as a number: text is taken as it stands, a REG_DWORD in decimal, and
// anything else (or nothing) adds nothing to the port text.
bool ReadServerPort(HKEY hKey, char (&szPort)[kServerValueSize]) {
    if (zavconfig::ReadRegText(hKey, "ServerPortId", szPort, sizeof szPort)) return true;
    DWORD dwType = REG_NONE, dwPort = 0, dwSize = sizeof dwPort;
    if (plat::QueryRegValue(hKey, "ServerPortId", &dwType, reinterpret_cast<BYTE*>(&dwPort), &dwSize) !=
            ERROR_SUCCESS ||
        dwType != REG_DWORD || dwSize != sizeof dwPort)
        return false;
    std::snprintf(szPort, sizeof szPort, "%u", static_cast<unsigned>(dwPort));
    return true;
}

}  // namespace

int GetServerIPAddress(char* pszAddress, char* pszPort) {
    ZAV_TRACE("GetServerIPAddress() is invoked");
    if (!pszAddress || !pszPort) return -1;
    HRESULT hr = plat::ComInitialize(true);
    if (FAILED(hr)) {
        ZAV_TRACE("**** ERROR: Failed at CoInitializeEx(), hr 0x%08X", static_cast<unsigned>(hr));
        return -1;
    }
    IEndPoint* pEndPoint = CreateEndPoint();
    if (!pEndPoint) {
        plat::ComUninitialize();
        return -1;
    }
    // COM stays initialised from here on: the dialog later stores the
    // address through the component on this same thread.
    BSTR bstrAddress = nullptr;
    LONG lPort = 0;
    if (FAILED(pEndPoint->QueryCurrentConfigA(&bstrAddress, &lPort))) {
        ZAV_TRACE("**** ERROR: Failed at QueryCurrentConfigA()");
        plat::FreeBstr(bstrAddress);
        pEndPoint->Release();
        return -1;
    }
    zavconfig::CopyText(pszAddress, kZavAddressTextSize, reinterpret_cast<const char*>(bstrAddress),
                        plat::BstrByteLength(bstrAddress));
    char szPort[16];
    std::snprintf(szPort, sizeof szPort, "%d", static_cast<int>(lPort));
    zavconfig::AppendText(pszPort, kZavPortTextSize, szPort);
    ZAV_TRACE("@@@@ Server:Port %s:%d", pszAddress, static_cast<int>(lPort));
    plat::FreeBstr(bstrAddress);
    pEndPoint->Release();
    return 0;
}

int GetServerIPAddressHack(char* pszAddress, char* pszPort) {
    ZAV_TRACE("GetServerIPAddressHack() is invoked");
    HKEY hKey;
    if (plat::OpenRegKey(HKEY_LOCAL_MACHINE, kZavServerKey, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS) return 0;
    char szAddress[kServerValueSize];
    if (pszAddress && zavconfig::ReadRegText(hKey, "ServerIPAddr", szAddress, sizeof szAddress))
        zavconfig::CopyText(pszAddress, kZavAddressTextSize, szAddress, sizeof szAddress);
    char szPort[kServerValueSize];
    if (pszPort && ReadServerPort(hKey, szPort)) zavconfig::AppendText(pszPort, kZavPortTextSize, szPort);
    plat::CloseRegKey(hKey);
    return 0;
}

int SetServerIPAddress(const char* pszAddress) {
    ZAV_TRACE("SetServerIPAddress() is invoked");
    if (!pszAddress) return -1;
    IEndPoint* pEndPoint = CreateEndPoint();
    if (!pEndPoint) return -1;
    // The component reads the text during the call and keeps no reference.
    BSTR bstrAddress = plat::AllocBstrText(pszAddress);
    HRESULT hr = bstrAddress ? pEndPoint->ConfigServerA(bstrAddress, 0) : E_OUTOFMEMORY;
    plat::FreeBstr(bstrAddress);
    pEndPoint->Release();
    if (FAILED(hr)) {
        ZAV_TRACE("**** Failed to config server %s", pszAddress);
        return -1;
    }
    return 0;
}

int SetServerIPAddressHack(const char* pszAddress) {
    ZAV_TRACE("SetServerIPAddressHack() is invoked");
    if (!pszAddress) return 0;
    HKEY hKey;
    if (plat::OpenRegKey(HKEY_LOCAL_MACHINE, kZavServerKey, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS) return 0;
    // Nobody can act on a failed write here: the dialog has already decided
    // this is the way the address is stored.
    zavconfig::WriteRegText(hKey, "ServerIPAddr", pszAddress);
    plat::CloseRegKey(hKey);
    return 0;
}
