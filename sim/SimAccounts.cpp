#include "SimAccounts.h"

#include "SimRegistryValues.h"
#include "ZavSimControl.h"
#include "platform/Registry.h"

namespace zavsim {

void SimAccounts::Put(const SimAccount& account) {
    m_accounts[account.extension] = account;
}

const SimAccount* SimAccounts::Find(const std::string& extension) {
    auto it = m_accounts.find(extension);
    if (it != m_accounts.end()) return &it->second;
    SimAccount configured;
    if (!ReadConfigured(extension, &configured)) return nullptr;
    return &(m_accounts[extension] = configured);
}

bool SimAccounts::ReadConfigured(const std::string& extension, SimAccount* account) {
    // An empty name would open the list itself, a backslash a key below it.
    if (extension.empty() || extension.find('\\') != std::string::npos) return false;
    std::string path = std::string(ZAVSIM_ACCOUNTS_KEY) + "\\" + extension;
    HKEY key = nullptr;
    if (plat::OpenRegKey(HKEY_LOCAL_MACHINE, path.c_str(), KEY_READ, &key) != ERROR_SUCCESS) return false;
    account->extension = extension;
    ReadRegText(key, "Password", &account->password);
    ReadRegText(key, "OwnerName", &account->ownerName);
    DWORD value = 0;
    if (ReadRegDword(key, "DeviceType", &value)) account->deviceType = static_cast<LONG>(value);
    if (ReadRegDword(key, "VDN", &value)) account->vdn = static_cast<LONG>(value);
    if (ReadRegDword(key, "SerialNumber", &value)) account->serialNumber = static_cast<LONG>(value);
    plat::CloseRegKey(key);
    return true;
}

}  // namespace zavsim
