// The demo: configures two telephones in the registry and loads the provider
// as the telephony service would, reporting what it finds.
//
//   zavdemo [provider-path]
//
// On Linux the registry is the file named by ZAV_REGISTRY; the demo script
// points it at a temporary file so that a user's own configuration is never
// touched.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <fstream>
#include <iterator>

#include "host/ProviderModule.h"
#include "platform/Registry.h"
#include "tapi/Tapi.h"

namespace {

const char* const kProviderKey = "Software\\Ostrel\\ZAV\\ZAVTSP";

struct Telephone {
    const char* extension;
    const char* password;
};

// Passwords are stored in the transformed form the configuration dialog
// writes: byte i becomes (i - b + 127) mod 256.
std::string Transformed(const char* plain) {
    std::string s(plain);
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<char>((static_cast<int>(i) - static_cast<unsigned char>(s[i]) + 127) & 0xFF);
    return s;
}

bool Configure(const Telephone* phones, int count) {
    HKEY key;
    if (plat::CreateRegKey(HKEY_LOCAL_MACHINE, kProviderKey, KEY_ALL_ACCESS, &key, nullptr) != ERROR_SUCCESS)
        return false;
    plat::SetRegDword(key, "CurrentVersion", 0x00020001);
    plat::SetRegDword(key, "NumPhones", static_cast<DWORD>(count));
    plat::SetRegDword(key, "EmulateModem", 0);
    if (const char* logDir = std::getenv("ZAV_DEMO_INSTALL_PATH")) plat::SetRegString(key, "InstallPath", logDir);
    bool ok = true;
    for (int i = 0; i < count; ++i) {
        HKEY phone;
        std::string sub = "Phone" + std::to_string(i);
        if (plat::CreateRegKey(key, sub.c_str(), KEY_ALL_ACCESS, &phone, nullptr) != ERROR_SUCCESS) {
            ok = false;
            break;
        }
        plat::SetRegString(phone, "Extension", phones[i].extension);
        plat::SetRegString(phone, "Password", Transformed(phones[i].password).c_str());
        plat::CloseRegKey(phone);
        std::printf("configured Phone%d: extension %s\n", i, phones[i].extension);
    }
    plat::CloseRegKey(key);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string path = argc > 1 ? argv[1] : ZAV_PROVIDER_PATH;
    const char* logDir = std::getenv("ZAV_DEMO_INSTALL_PATH");
    const Telephone telephones[] = {{"201", "1234"}, {"202", "5678"}};
    if (!Configure(telephones, 2)) {
        std::fprintf(stderr, "zavdemo: cannot write the registry\n");
        return 1;
    }

    zavhost::ProviderModule provider;
    if (!provider.Load(path)) {
        std::fprintf(stderr, "zavdemo: cannot load %s: %s\n", path.c_str(), provider.LastError().c_str());
        return 1;
    }
    std::printf("loaded %s\n", path.c_str());
    auto present = provider.PresentExports();
    auto missing = provider.MissingExports();
    std::printf("exports %zu of %zu TSPI/TUISPI functions:\n", present.size(), present.size() + missing.size());
    for (const auto& name : present) std::printf("  + %s\n", name.c_str());
    std::printf("not yet exported: %zu\n", missing.size());

    auto enumDevices = provider.Get<decltype(&TSPI_providerEnumDevices)>("TSPI_providerEnumDevices");
    auto init = provider.Get<decltype(&TSPI_providerInit)>("TSPI_providerInit");
    auto shutdown = provider.Get<decltype(&TSPI_providerShutdown)>("TSPI_providerShutdown");
    if (!enumDevices || !init || !shutdown) return 1;
    DWORD lines = 0, phones = 0, options = 0;
    LONG rc = enumDevices(1, &lines, &phones, nullptr, nullptr, nullptr);
    std::printf("TSPI_providerEnumDevices -> 0x%08X: %u lines, %u phones\n", static_cast<unsigned>(rc),
                static_cast<unsigned>(lines), static_cast<unsigned>(phones));
    rc = init(tapi::kTspiVersion, 1, 0, 0, lines, phones, nullptr, &options);
    std::printf("TSPI_providerInit -> 0x%08X (options 0x%X)\n", static_cast<unsigned>(rc), static_cast<unsigned>(options));
    rc = shutdown(tapi::kTspiVersion, 1);
    std::printf("TSPI_providerShutdown -> 0x%08X\n", static_cast<unsigned>(rc));

    if (logDir) {
        std::string log = std::string(logDir) + "/Logs/ZAV.log";
        std::ifstream in(log, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::printf("\ntrace log %s (%zu bytes):\n", log.c_str(), text.size());
        // Records are fixed-width and zero-terminated; print them as lines.
        for (std::size_t pos = 0; pos + 150 <= text.size(); pos += 150) {
            std::string record(text, pos, 149);
            while (!record.empty() && (record.back() == ' ' || record.back() == '\n' || record.back() == '\0'))
                record.pop_back();
            std::printf("  %s\n", record.c_str());
        }
    }
    return 0;
}
