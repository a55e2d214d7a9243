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
#include "host/DemoSetup.h"
#include "host/TapiHost.h"
#include "platform/Module.h"
#include "platform/Registry.h"

namespace {

void Say(const char* format, const std::string& text = "") { std::fprintf(stderr, format, text.c_str()); }

// The heading goes out before the step runs, so that the events the step
// causes are printed under it; the result follows them.
template <typename Run>
LONG Step(const std::string& what, Run&& run) {
    std::fprintf(stderr, "\n> %s\n", what.c_str());
    LONG result = run();
    std::fprintf(stderr, "  = %s\n", zavhost::ResultText(result).c_str());
    return result;
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

    std::string report, error;
    if (!zavhost::SetUpDemo(simPath, installPath, &report, &error)) {
        Say("zavdemo: %s\n", error);
        return 1;
    }
    Say("%s", report);
    HMODULE sim = plat::LoadModule(simPath.c_str(), &error);
    auto injectShutdown = reinterpret_cast<ZavSimInjectShutdownFn>(plat::GetModuleSymbol(sim, "ZavSimInjectShutdown"));
    auto readLog = reinterpret_cast<ZavSimReadLogFn>(plat::GetModuleSymbol(sim, "ZavSimReadLog"));
    if (!injectShutdown || !readLog) {
        Say("zavdemo: the switch component has no control functions: %s\n", error);
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
    Step("TSPI_lineNegotiateTSPIVersion", [&] { return host.NegotiateTSPIVersion(); });
    Step("TSPI_providerEnumDevices", [&] { return host.EnumDevices(&lines, &phones); });
    std::fprintf(stderr, "  %u lines, %u phones\n", static_cast<unsigned>(lines), static_cast<unsigned>(phones));
    Step("TSPI_providerInit (line base 0, phone base 0)", [&] { return host.ProviderInit(0, 0); });

    HDRVLINE hdLine[2] = {};
    for (DWORD device = 0; device < 2; ++device)
        Step("TSPI_lineOpen (device " + std::to_string(device) + ")",
             [&] { return host.LineOpen(device, &hdLine[device]); });
    Step("TSPI_lineSetStatusMessages (all line states)",
         [&] { return host.LineSetStatusMessages(hdLine[0], 0x01FFFFFF, 0); });

    // Device-specific block: word 1 the request (1: display), then twelve
    // bytes of text.
    unsigned char block[20] = {};
    DWORD type = 1;
    std::memcpy(block + 4, &type, sizeof type);
    std::memcpy(block + 8, "Hello, 201! ", 12);
    Step("TSPI_lineDevSpecific (display on 201)",
         [&] { return host.LineDevSpecific(hdLine[0], 0, nullptr, block, sizeof block); });
    Step("TSPI_lineSetLineDevStatus (lamp on)",
         [&] { return host.LineSetLineDevStatus(hdLine[0], LINEDEVSTATUSFLAGS_MSGWAIT, 1); });
    Step("TSPI_lineSetLineDevStatus (lamp off)",
         [&] { return host.LineSetLineDevStatus(hdLine[0], LINEDEVSTATUSFLAGS_MSGWAIT, 0); });

    std::size_t before = host.GetJournal().Size();
    std::fprintf(stderr, "\n> the switch announces a shutdown to 201\n");
    injectShutdown("201", 0);
    host.GetJournal().WaitForSize(before + 1, 5000);

    for (DWORD device = 0; device < 2; ++device)
        Step("TSPI_lineClose (device " + std::to_string(device) + ")", [&] { return host.LineClose(hdLine[device]); });
    Step("TSPI_providerShutdown", [&] { return host.ProviderShutdown(); });

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
