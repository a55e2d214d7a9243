// The demo: the provider on the simulated switch with two telephones, driven
// as the telephony service drives it.
//
//   zavdemo [provider-path [switch-component-path]]
//
// It configures the telephones and the switch's accounts in the registry
// (on Linux the file ZAV_REGISTRY names; the demo script points it at a
// temporary one), registers the stand-in switch component by class id,
// then enumerates, initialises, opens both lines, shows 201's line and
// address capabilities, enables status messages, writes to a telephone's
// display, switches its message-waiting lamp, plays an outside caller
// ringing 201 (showing the call's information and status while it rings,
// then answered, the caller typing digits an application gathers) and 202
// calling 201 from its set,
// has an application make, answer, hold, swap and drop calls between the
// two extensions and an outside party,
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
#include <vector>

#include "ZavSimControl.h"
#include "host/Decode.h"
#include "host/DecodeStructs.h"
#include "host/DemoSetup.h"
#include "host/SwitchControl.h"
#include "host/TapiHost.h"
#include "platform/Text.h"
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

void PrintFields(const std::vector<std::string>& fields) {
    for (const std::string& field : fields) std::fprintf(stderr, "%s\n", field.c_str());
}

// A query into a buffer with room for the TAPI 2.x fixed part and more; its
// fields print under the step's heading when it succeeds.
template <typename Ask, typename Fields>
LONG Query(DWORD fixedSize, Ask&& ask, Fields&& decode) {
    zavhost::TapiBuffer buffer(fixedSize + 1024);
    LONG result = ask(buffer);
    if (result == 0) PrintFields(decode(buffer));
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
    zavhost::SwitchControl sw(simPath);
    if (!sw.Ok()) {
        Say("zavdemo: the switch component cannot be played: %s\n", sw.Error());
        return 1;
    }
    sw.SetCallModel(1);

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
    // Device 0 is 201.
    Step("TSPI_lineGetDevCaps (201)", [&] {
        return Query(
            tapi::kLineDevCapsSize20, [&](zavhost::TapiBuffer& b) { return host.LineGetDevCaps(0, b); },
            zavhost::DecodeLineDevCaps);
    });
    Step("TSPI_lineGetAddressCaps (201, address 0)", [&] {
        return Query(
            tapi::kLineAddressCapsSize20,
            [&](zavhost::TapiBuffer& b) { return host.LineGetAddressCaps(0, 0, b); },
            zavhost::DecodeLineAddressCaps);
    });
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

    // The switch's side: each step waits for the events it causes, so that
    // they print under its heading.
    auto play = [&](const std::string& what, std::size_t events, auto&& action) {
        std::fprintf(stderr, "\n> %s\n", what.c_str());
        std::size_t before = host.GetJournal().Size();
        action();
        if (!host.GetJournal().WaitForSize(before + events, 5000)) std::fprintf(stderr, "  (fewer events than expected)\n");
    };
    int32_t outside = 0;
    play("an outside caller, 0612345678 Jane Roe, rings 201", 7,
         [&] { outside = sw.ExternalCall("201", "0612345678", "Jane Roe", 12); });
    HDRVCALL ringing = nullptr;
    for (const zavhost::CallView& call : host.Calls())
        if (!call.closed && call.deviceId == 0) ringing = call.hdCall;
    if (ringing) {
        Step("TSPI_lineGetCallInfo (the call ringing 201)", [&] {
            return Query(
                tapi::kLineCallInfoSize20,
                [&](zavhost::TapiBuffer& b) { return host.LineGetCallInfo(ringing, b); },
                zavhost::DecodeLineCallInfo);
        });
        Step("TSPI_lineGetCallStatus (the call ringing 201)", [&] {
            return Query(
                tapi::kLineCallStatusSize20,
                [&](zavhost::TapiBuffer& b) { return host.LineGetCallStatus(ringing, b); },
                zavhost::DecodeLineCallStatus);
        });
    } else {
        std::fprintf(stderr, "  (no call on 201 to show)\n");
    }
    if (ringing) {
        // An application collects an account number the caller types.
        WCHAR digits[8] = {};
        const WCHAR hash[] = {'#', 0};
        const std::size_t before = host.GetJournal().Size();
        Step("TSPI_lineAnswer (201 answers the outside caller)", [&] { return host.LineAnswer(ringing); });
        host.GetJournal().WaitFor(
            [](const zavhost::JournalEntry& e) { return e.msg == LINE_CALLSTATE && e.p1 == LINECALLSTATE_CONNECTED; },
            5000, before);
        Step("TSPI_lineGatherDigits (up to 6 digits, ended by #)", [&] {
            WCHAR* buffer = digits;
            const WCHAR* term = hash;
            return host.Tspi().lineGatherDigits(ringing, DWORD(1), DWORD(LINEDIGITMODE_DTMF), buffer, DWORD(6), term,
                                                DWORD(5000), DWORD(3000));
        });
        play("the outside caller types 4711#", 1, [&] { sw.ExternalDigits(outside, "4711#"); });
        std::string typed;
        for (WCHAR c : digits)
            if (c) typed += static_cast<char>(c);
        std::fprintf(stderr, "  the application's buffer: \"%s\"\n", typed.c_str());
    }
    play("the outside caller hangs up", 1, [&] { sw.ExternalHangUp(outside); });
    int32_t leg = 0;
    play("202 lifts its handset", 2, [&] { leg = sw.LiftHandset("202"); });
    play("202 dials 201 on its set", 12, [&] { sw.DialOnSet("202", leg, "201"); });
    std::fprintf(stderr, "  the switch: %s", sw.Calls().c_str());
    play("202 hangs up", 2, [&] { sw.HangUpSet("202", leg); });

    // An application drives the calls through TAPI: each step's events
    // come from the switch's answers.
    HDRVCALL toSales = nullptr, toOutside = nullptr, atSales = nullptr;
    auto tapi = [&](const std::string& what, std::size_t events, auto&& action) {
        std::fprintf(stderr, "\n> %s\n", what.c_str());
        std::size_t before = host.GetJournal().Size();
        LONG result = action();
        if (!host.GetJournal().WaitForSize(before + events, 5000)) std::fprintf(stderr, "  (fewer events than expected)\n");
        std::fprintf(stderr, "  = %s\n", zavhost::ResultText(result).c_str());
    };
    tapi("TSPI_lineMakeCall (201 calls 202)", 16, [&] { return host.LineMakeCall(hdLine[0], "202", &toSales); });
    for (const zavhost::CallView& call : host.Calls())
        if (!call.closed && call.deviceId == 1) atSales = call.hdCall;
    tapi("TSPI_lineAnswer (at 202)", 2, [&] { return host.LineAnswer(atSales); });
    tapi("TSPI_lineHold (201's call)", 2, [&] { return host.Tspi().lineHold(toSales); });
    tapi("TSPI_lineMakeCall (201 calls 0612345678)", 9,
         [&] { return host.LineMakeCall(hdLine[0], "0612345678", &toOutside); });
    std::string calls = sw.Calls();
    const std::size_t at = calls.rfind("call ");
    const int32_t outsideCall = at == std::string::npos ? 0 : std::atoi(calls.c_str() + at + 5);
    play("the outside party answers", 1, [&] { sw.ExternalAnswer(outsideCall, "Bob"); });
    tapi("TSPI_lineSwapHold (back to 202, the outside party waits)", 3,
         [&] { return host.Tspi().lineSwapHold(toOutside, toSales); });
    tapi("TSPI_lineDrop (202's end)", 2, [&] { return host.LineDrop(atSales); });
    tapi("TSPI_lineUnhold (the outside call)", 2, [&] { return host.Tspi().lineUnhold(toOutside); });
    tapi("TSPI_lineDrop (the outside call)", 1, [&] { return host.LineDrop(toOutside); });
    // Transfer, park, conference and pickup, each as an application drives
    // it, with the switch's view and the call's decoded status after it.
    auto until = [&](HDRVCALL hd, DWORD state) {
        auto view = host.CallByDriver(hd);
        if (!view || !host.GetJournal().WaitFor(
                         [&](const zavhost::JournalEntry& e) {
                             return e.msg == LINE_CALLSTATE && e.p1 == state && e.htCall == view->htCall;
                         },
                         5000, 0))
            std::fprintf(stderr, "  (the call did not reach %s)\n", zavhost::CallStateName(state));
        // An application lets go of a call that has ended, and TAPI closes it.
        else if (state == LINECALLSTATE_IDLE)
            Step("TSPI_lineCloseCall (the ended call)", [&] { return host.LineCloseCall(hd); });
    };
    // The call TAPI was offered on the device since the journal had `since` entries.
    auto offered = [&](DWORD device, std::size_t since) {
        auto e = host.GetJournal().WaitFor(
            [&](const zavhost::JournalEntry& j) { return j.msg == LINE_NEWCALL && j.deviceId == device; }, 5000, since);
        return e ? reinterpret_cast<HDRVCALL>(e->p1) : nullptr;
    };
    auto show = [&](const std::string& what, HDRVCALL hd) {
        std::fprintf(stderr, "  the switch: %s", sw.Calls().c_str());
        Step("TSPI_lineGetCallStatus (" + what + ")", [&] {
            return Query(
                tapi::kLineCallStatusSize20, [&](zavhost::TapiBuffer& b) { return host.LineGetCallStatus(hd, b); },
                zavhost::DecodeLineCallStatus);
        });
    };
    const std::u16string sales = plat::AnsiToWide("202"), orbit = plat::AnsiToWide("700");
    int32_t jane = 0;  // hangs up when she is left alone
    std::size_t since = host.GetJournal().Size();
    play("an outside caller, 0612345678 Jane Roe, rings 201", 8,
         [&] { jane = sw.ExternalCall("201", "0612345678", "Jane Roe", 12); });
    HDRVCALL janeAt201 = offered(0, since), consult = nullptr;
    Step("TSPI_lineAnswer (201 answers Jane)", [&] { return host.LineAnswer(janeAt201); });
    until(janeAt201, LINECALLSTATE_CONNECTED);
    Step("TSPI_lineSetupTransfer (201 consults before transferring Jane)", [&] {
        return host.Tspi().lineSetupTransfer(janeAt201, host.NewTapiCall(hdLine[0]), &consult, nullptr);
    });
    until(consult, LINECALLSTATE_DIALTONE);
    since = host.GetJournal().Size();
    Step("TSPI_lineDial (the consultation call dials 202)",
         [&] { return host.Tspi().lineDial(consult, plat::WidePtr(sales), DWORD(0)); });
    HDRVCALL janeAt202 = offered(1, since);
    Step("TSPI_lineAnswer (202 answers the consultation)", [&] { return host.LineAnswer(janeAt202); });
    until(consult, LINECALLSTATE_CONNECTED);
    Step("TSPI_lineCompleteTransfer (Jane goes to 202)", [&] {
        return host.Tspi().lineCompleteTransfer(janeAt201, consult, nullptr, nullptr,
                                                DWORD(LINETRANSFERMODE_TRANSFER));
    });
    until(janeAt201, LINECALLSTATE_IDLE);
    until(consult, LINECALLSTATE_IDLE);
    show("202's call with Jane after the transfer", janeAt202);
    Step("TSPI_linePark (202 parks Jane at 700)", [&] {
        return host.Tspi().linePark(janeAt202, DWORD(LINEPARKMODE_DIRECTED), plat::WidePtr(orbit), nullptr);
    });
    until(janeAt202, LINECALLSTATE_IDLE);
    HDRVCALL unparked = nullptr;
    Step("TSPI_lineUnpark (201 takes Jane from 700)", [&] {
        return host.Tspi().lineUnpark(hdLine[0], DWORD(0), host.NewTapiCall(hdLine[0]), &unparked,
                                      plat::WidePtr(orbit));
    });
    until(unparked, LINECALLSTATE_CONNECTED);
    show("201's unparked call", unparked);
    HDRVCALL conf = nullptr, third = nullptr;
    Step("TSPI_lineSetupConference (201 brings 202 in)", [&] {
        return host.Tspi().lineSetupConference(unparked, nullptr, host.NewTapiCall(hdLine[0]), &conf,
                                               host.NewTapiCall(hdLine[0]), &third, DWORD(3), nullptr);
    });
    until(third, LINECALLSTATE_DIALTONE);
    since = host.GetJournal().Size();
    Step("TSPI_lineDial (the consultation call dials 202)",
         [&] { return host.Tspi().lineDial(third, plat::WidePtr(sales), DWORD(0)); });
    HDRVCALL confAt202 = offered(1, since);
    Step("TSPI_lineAnswer (202 answers)", [&] { return host.LineAnswer(confAt202); });
    until(third, LINECALLSTATE_CONNECTED);
    Step("TSPI_lineAddToConference", [&] { return host.Tspi().lineAddToConference(conf, third); });
    until(conf, LINECALLSTATE_CONNECTED);
    show("the conference call", conf);
    Step("TSPI_lineDrop (201 leaves the conference; Jane and 202 talk on)", [&] { return host.LineDrop(conf); });
    for (HDRVCALL hd : {conf, unparked, third}) until(hd, LINECALLSTATE_IDLE);
    std::fprintf(stderr, "  the switch: %s", sw.Calls().c_str());
    Step("TSPI_lineDrop (202 ends its call with Jane)", [&] { return host.LineDrop(confAt202); });
    until(confAt202, LINECALLSTATE_IDLE);
    int32_t bob = 0;
    play("an outside caller, 0699887766 Bob, rings 202", 7,
         [&] { bob = sw.ExternalCall("202", "0699887766", "Bob", 0); });
    HDRVCALL picked = nullptr;
    Step("TSPI_linePickup (201 picks up the call ringing at 202)", [&] {
        return host.Tspi().linePickup(hdLine[0], DWORD(0), host.NewTapiCall(hdLine[0]), &picked,
                                      plat::WidePtr(sales), nullptr);
    });
    until(picked, LINECALLSTATE_CONNECTED);
    show("201's picked-up call", picked);
    play("Bob hangs up", 1, [&] { sw.ExternalHangUp(bob); });
    until(picked, LINECALLSTATE_IDLE);
    std::fprintf(stderr, "  the switch: %s", sw.Calls().c_str());

    for (const zavhost::CallView& call : host.Calls())
        if (!call.closed) Step("TSPI_lineCloseCall (call " + std::to_string(call.index) + ")",
                               [&] { return host.LineCloseCall(call.hdCall); });

    play("the switch announces a shutdown to 201", 1, [&] { sw.InjectShutdown("201", 0); });

    for (DWORD device = 0; device < 2; ++device)
        Step("TSPI_lineClose (device " + std::to_string(device) + ")", [&] { return host.LineClose(hdLine[device]); });
    Step("TSPI_providerShutdown", [&] { return host.ProviderShutdown(); });

    std::fprintf(stderr, "\nwhat the switch received from 201:\n%s", sw.CommandLog("201").c_str());

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
