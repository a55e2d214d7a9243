// The demo: the provider on the simulated switch with two telephones, driven
// as the telephony service drives it.
//
//   zavdemo [provider-path [switch-component-path]]
//
// It configures the telephones and the switch's accounts in the registry
// (on Linux the file ZAV_REGISTRY names; the demo script points it at a
// temporary one), registers the stand-in switch component by class id,
// then enumerates, initialises, opens both lines, enables status messages,
// writes to a telephone's display, switches its message-waiting lamp,
// lets the switch announce a shutdown, closes and shuts down — printing
// each TAPI event as the provider reports it.
//
// The provider prints every trace line to standard output, as it does in
// the telephony service. The demo keeps that out of the way: it sends the
// provider's console to a file beside the log and reports on stderr.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "ZavSimControl.h"
#include "host/Decode.h"
#include "host/TapiHost.h"
#include "platform/Module.h"
#include "platform/Registry.h"

namespace {

const char* const kProviderKey = "Software\\Ostrel\\ZAV\\ZAVTSP";

struct Telephone {
    const char* extension;
    const char* password;
    DWORD deviceType;
    DWORD vdn;
    DWORD serial;
    const char* owner;
};
const Telephone kTelephones[] = {
    {"201", "1234", 1, 4001, 70201, "Reception"},
    {"202", "5678", 3, 4002, 70202, "Sales queue"},
};

void Say(const char* format, const std::string& text = "") { std::fprintf(stderr, format, text.c_str()); }

// Passwords are stored in the transformed form the configuration dialog
// writes: byte i becomes (i - b + 127) mod 256.
std::string Transformed(const char* plain) {
    std::string s(plain);
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<char>((static_cast<int>(i) - static_cast<unsigned char>(s[i]) + 127) & 0xFF);
    return s;
}

bool Configure(const char* installPath) {
    HKEY key;
    if (plat::CreateRegKey(HKEY_LOCAL_MACHINE, kProviderKey, KEY_ALL_ACCESS, &key, nullptr) != ERROR_SUCCESS)
        return false;
    plat::SetRegDword(key, "CurrentVersion", 0x00020001);
    plat::SetRegDword(key, "NumPhones", 2);
    plat::SetRegDword(key, "EmulateModem", 0);
    if (installPath) plat::SetRegString(key, "InstallPath", installPath);
    for (int i = 0; i < 2; ++i) {
        const Telephone& t = kTelephones[i];
        std::string stored = Transformed(t.password);
        HKEY phone;
        std::string sub = "Phone" + std::to_string(i);
        if (plat::CreateRegKey(key, sub.c_str(), KEY_ALL_ACCESS, &phone, nullptr) != ERROR_SUCCESS) return false;
        plat::SetRegString(phone, "Extension", t.extension);
        plat::SetRegString(phone, "Password", stored.c_str());
        plat::CloseRegKey(phone);

        // The switch's side of the same account.
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
        std::fprintf(stderr, "configured Phone%d: extension %s at the switch (device type %u, VDN %u)\n", i,
                     t.extension, static_cast<unsigned>(t.deviceType), static_cast<unsigned>(t.vdn));
    }
    plat::CloseRegKey(key);
    return true;
}

void Step(const char* what, LONG result) {
    std::fprintf(stderr, "\n> %-46s %s\n", what, zavhost::ResultText(result).c_str());
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The log's records are fixed-width and zero-terminated: the lines with
// `needle`, trimmed.
void PrintLogLines(const std::string& log, const char* needle) {
    for (std::size_t pos = 0; pos + 150 <= log.size(); pos += 150) {
        std::string record(log, pos, 149);
        if (record.find(needle) == std::string::npos) continue;
        while (!record.empty() && (record.back() == ' ' || record.back() == '\n' || record.back() == '\0'))
            record.pop_back();
        std::fprintf(stderr, "  %s\n", record.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string providerPath = argc > 1 ? argv[1] : ZAV_PROVIDER_PATH;
    const std::string simPath = argc > 2 ? argv[2] : ZAV_SIM_PATH;
    const char* installPath = std::getenv("ZAV_DEMO_INSTALL_PATH");
    std::string consolePath = std::string(installPath ? installPath : ".") + "/provider-console.txt";
    if (!std::freopen(consolePath.c_str(), "w", stdout)) return 1;

    if (!Configure(installPath)) {
        Say("zavdemo: cannot write the registry\n");
        return 1;
    }

    // The switch component, registered by class id as an installer would.
    std::string error;
    HMODULE sim = plat::LoadModule(simPath.c_str(), &error);
    auto registerServer = reinterpret_cast<HRESULT (*)()>(plat::GetModuleSymbol(sim, "DllRegisterServer"));
    auto injectShutdown = reinterpret_cast<ZavSimInjectShutdownFn>(plat::GetModuleSymbol(sim, "ZavSimInjectShutdown"));
    auto readLog = reinterpret_cast<ZavSimReadLogFn>(plat::GetModuleSymbol(sim, "ZavSimReadLog"));
    if (!registerServer || !injectShutdown || !readLog || FAILED(registerServer())) {
        Say("zavdemo: cannot register the switch component: %s\n", error);
        return 1;
    }

    zavhost::TapiHost host;
    if (!host.Load(providerPath)) {
        Say("zavdemo: cannot load the provider: %s\n", host.LastError());
        return 1;
    }
    Say("loaded %s\n", providerPath);
    host.GetJournal().SetListener(
        [](const zavhost::JournalEntry& e) { std::fprintf(stderr, "    event: %s\n", zavhost::FormatEntry(e).c_str()); });

    DWORD lines = 0, phones = 0;
    Step("TSPI_lineNegotiateTSPIVersion", host.NegotiateTSPIVersion());
    Step("TSPI_providerEnumDevices", host.EnumDevices(&lines, &phones));
    std::fprintf(stderr, "  %u lines, %u phones\n", static_cast<unsigned>(lines), static_cast<unsigned>(phones));
    Step("TSPI_providerInit (line base 0, phone base 0)", host.ProviderInit(0, 0));

    HDRVLINE hdLine[2] = {};
    for (DWORD device = 0; device < 2; ++device) {
        std::string what = "TSPI_lineOpen (device " + std::to_string(device) + ")";
        Step(what.c_str(), host.LineOpen(device, &hdLine[device]));
    }
    Step("TSPI_lineSetStatusMessages (all line states)", host.LineSetStatusMessages(hdLine[0], 0x01FFFFFF, 0));

    // Device-specific block: word 1 the request (1: display), then twelve
    // bytes of text.
    unsigned char block[20] = {};
    DWORD type = 1;
    std::memcpy(block + 4, &type, sizeof type);
    std::memcpy(block + 8, "Hello, 201! ", 12);
    Step("TSPI_lineDevSpecific (display on 201)", host.LineDevSpecific(hdLine[0], 0, nullptr, block, sizeof block));
    Step("TSPI_lineSetLineDevStatus (lamp on)", host.LineSetLineDevStatus(hdLine[0], LINEDEVSTATUSFLAGS_MSGWAIT, 1));
    Step("TSPI_lineSetLineDevStatus (lamp off)", host.LineSetLineDevStatus(hdLine[0], LINEDEVSTATUSFLAGS_MSGWAIT, 0));

    std::size_t before = host.GetJournal().Size();
    std::fprintf(stderr, "\n> the switch announces a shutdown to 201\n");
    injectShutdown("201", 0);
    host.GetJournal().WaitForSize(before + 1, 5000);

    for (DWORD device = 0; device < 2; ++device) {
        std::string what = "TSPI_lineClose (device " + std::to_string(device) + ")";
        Step(what.c_str(), host.LineClose(hdLine[device]));
    }
    Step("TSPI_providerShutdown", host.ProviderShutdown());

    char commands[4096];
    readLog("201", commands, sizeof commands);
    std::fprintf(stderr, "\nwhat the switch received from 201:\n%s", commands);

    if (installPath) {
        std::string logPath = std::string(installPath) + "/Logs/ZAV.log";
        std::string log = ReadFile(logPath);
        std::fprintf(stderr, "\nregistrations, from the trace log %s (%zu bytes):\n", logPath.c_str(), log.size());
        PrintLogLines(log, "PHON ++++");
        std::fprintf(stderr, "the provider's console output is in %s\n", consolePath.c_str());
    }

    std::string faults = host.FaultReport();
    if (!host.Faults().empty()) std::fprintf(stderr, "\nFAULTS seen by the telephony service:\n%s\n", faults.c_str());
    host.GetJournal().SetListener(nullptr);
    return host.Faults().empty() ? 0 : 2;
}
