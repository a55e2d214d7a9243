#include "host/DemoSetup.h"

#include "ZavSimControl.h"
#include "platform/Module.h"
#include "platform/Registry.h"

namespace zavhost {
namespace {

const char* const kProviderKey = "Software\\Ostrel\\ZAV\\ZAVTSP";

bool WriteAccount(const DemoTelephone& t, const std::string& stored) {
    HKEY account;
    std::string path = std::string(ZAVSIM_ACCOUNTS_KEY) + "\\" + t.extension;
    if (plat::CreateRegKey(HKEY_LOCAL_MACHINE, path.c_str(), KEY_ALL_ACCESS, &account, nullptr) != ERROR_SUCCESS)
        return false;
    plat::SetRegString(account, "Password", stored.c_str());
    plat::SetRegDword(account, "DeviceType", t.deviceType);
    plat::SetRegDword(account, "VDN", t.vdn);
    plat::SetRegDword(account, "SerialNumber", t.serial);
    plat::SetRegString(account, "OwnerName", t.owner);
    plat::CloseRegKey(account);
    return true;
}

}  // namespace

std::string TransformedPassword(const std::string& plain) {
    std::string s(plain);
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<char>((static_cast<int>(i) - static_cast<unsigned char>(s[i]) + 127) & 0xFF);
    return s;
}

bool SetUpDemo(const std::string& simPath, const char* installPath, std::string* report, std::string* error) {
    HKEY key;
    if (plat::CreateRegKey(HKEY_LOCAL_MACHINE, kProviderKey, KEY_ALL_ACCESS, &key, nullptr) != ERROR_SUCCESS) {
        *error = "cannot write the registry";
        return false;
    }
    const DWORD count = static_cast<DWORD>(std::size(kDemoTelephones));
    plat::SetRegDword(key, "CurrentVersion", 0x00020001);
    plat::SetRegDword(key, "NumPhones", count);
    plat::SetRegDword(key, "EmulateModem", 0);
    if (installPath) plat::SetRegString(key, "InstallPath", installPath);
    bool ok = true;
    for (DWORD i = 0; i < count && ok; ++i) {
        const DemoTelephone& t = kDemoTelephones[i];
        std::string stored = TransformedPassword(t.password);
        HKEY phone;
        std::string sub = "Phone" + std::to_string(i);
        ok = plat::CreateRegKey(key, sub.c_str(), KEY_ALL_ACCESS, &phone, nullptr) == ERROR_SUCCESS;
        if (!ok) break;
        plat::SetRegString(phone, "Extension", t.extension);
        plat::SetRegString(phone, "Password", stored.c_str());
        plat::CloseRegKey(phone);
        ok = WriteAccount(t, stored);
        *report += "configured Phone" + std::to_string(i) + ": extension " + t.extension + " (password " +
                   t.password + ", device type " + std::to_string(t.deviceType) + ", VDN " +
                   std::to_string(t.vdn) + ", owner " + t.owner + ")\n";
    }
    plat::CloseRegKey(key);
    if (!ok) {
        *error = "cannot write the registry";
        return false;
    }

    // The library stays loaded: the provider's activation finds it again.
    HMODULE sim = plat::LoadModule(simPath.c_str(), error);
    auto registerServer = reinterpret_cast<HRESULT (*)()>(plat::GetModuleSymbol(sim, "DllRegisterServer"));
    if (!registerServer || FAILED(registerServer())) {
        *error = "cannot register the switch component " + simPath + (error->empty() ? "" : ": " + *error);
        return false;
    }
    *report += "registered the stand-in switch component " + simPath + "\n";
    return true;
}

DWORD ConfiguredTelephones() {
    HKEY key;
    if (plat::OpenRegKey(HKEY_LOCAL_MACHINE, kProviderKey, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    DWORD value = 0, type = 0, size = sizeof value;
    LONG rc = plat::QueryRegValue(key, "NumPhones", &type, reinterpret_cast<BYTE*>(&value), &size);
    plat::CloseRegKey(key);
    return rc == ERROR_SUCCESS && type == REG_DWORD ? value : 0;
}

}  // namespace zavhost
