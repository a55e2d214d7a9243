#include "SimServerConfig.h"

#include <cstdlib>

#include "SimRegistryValues.h"
#include "ZavSimControl.h"
#include "platform/Registry.h"

namespace zavsim {
namespace {

constexpr LONG kHighestPort = 65535;

bool ParsePort(const std::string& text, LONG* port) {
    if (text.empty() || text.size() > 5) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    long value = std::strtol(text.c_str(), nullptr, 10);
    if (value <= 0 || value > kHighestPort) return false;
    *port = static_cast<LONG>(value);
    return true;
}

}  // namespace

HRESULT StoreServerConfig(const std::string& address, LONG port) {
    HKEY key = nullptr;
    LONG rc = plat::CreateRegKey(HKEY_LOCAL_MACHINE, ZAVSIM_SERVER_KEY, KEY_ALL_ACCESS, &key, nullptr);
    if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
    rc = WriteRegText(key, "ServerIPAddr", address);
    if (rc == ERROR_SUCCESS && port > 0) rc = WriteRegText(key, "ServerPortId", std::to_string(port));
    plat::CloseRegKey(key);
    return rc == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(rc);
}

HRESULT LoadServerConfig(std::string* address, LONG* port) {
    address->clear();
    *port = ZAVSIM_DEFAULT_PORT;
    HKEY key = nullptr;
    LONG rc = plat::OpenRegKey(HKEY_LOCAL_MACHINE, ZAVSIM_SERVER_KEY, KEY_READ, &key);
    if (rc == ERROR_FILE_NOT_FOUND) return S_OK;  // never configured
    if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
    ReadRegText(key, "ServerIPAddr", address);
    std::string portText;
    DWORD portNumber = 0;
    if (ReadRegText(key, "ServerPortId", &portText)) {
        ParsePort(portText, port);
    } else if (ReadRegDword(key, "ServerPortId", &portNumber) && portNumber > 0 &&
               portNumber <= static_cast<DWORD>(kHighestPort)) {
        *port = static_cast<LONG>(portNumber);  // written by some other tool
    }
    plat::CloseRegKey(key);
    return S_OK;
}

}  // namespace zavsim
