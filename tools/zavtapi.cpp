// zavtapi: a small TAPI console for the provider. It loads a provider as the
// telephony service does and runs TAPI operations from a script or a
// prompt, printing every event and completion as it arrives.
//
//   zavtapi [script]     commands from the file, or from standard input
//   zavtapi -i           the same from standard input, with a prompt
//
// Exit status: 0, 1 for a command that could not be run, 2 when the host
// recorded a protocol fault of the provider (printed at the end).
//
// On Linux the registry is the file named by ZAV_REGISTRY. The provider
// prints every trace line to standard output, as it does inside the
// telephony service; the console sends that to a file beside the registry
// unless told otherwise ("trace on"), and prints its own output on the
// terminal.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include "host/Decode.h"
#include "host/DecodeStructs.h"
#include "host/DemoSetup.h"
#include "host/SwitchControl.h"
#include "host/TapiHost.h"
#include "platform/Registry.h"

namespace {

using zavhost::Hex;
using zavhost::ResultText;

struct CommandHelp {
    const char* name;
    const char* usage;
    const char* text;
};
// Lines are device ids; calls are the console's call numbers (see "calls").
const CommandHelp kCommands[] = {
    {"setup", "setup", "configure two demo telephones (201, 202) on the stand-in switch and register its component"},
    {"load", "load [-v] [path]", "load a provider, by default the one built beside the console; -v lists the TSPI "
                                 "functions it does not export"},
    {"phones", "phones <ext>[:<password>]...", "configure telephones in the registry (passwords in plain text)"},
    {"enum", "enum", "negotiate the TSPI version and count the devices"},
    {"init", "init [<linebase> <phonebase>]", "initialise the provider (bases 0 by default) and negotiate every device"},
    {"open", "open <line>", "open a line: the telephone registers at the switch"},
    {"close", "close <line>", "close a line"},
    {"devcaps", "devcaps <line>", "show the line's capabilities, field by field (the line need not be open)"},
    {"addrcaps", "addrcaps <line>", "show the capabilities of the line's address 0, field by field"},
    {"status", "status <line> <linestates> <addrstates>", "choose the state messages the line reports"},
    {"display", "display <line> <12 characters>", "write a text on the telephone's display"},
    {"mwi", "mwi <line> on|off", "switch the message-waiting lamp"},
    {"makecall", "makecall <line> [number]", "make a call, dialling the number when one is given"},
    {"answer", "answer <call>", "answer an offered call"},
    {"drop", "drop <call>", "drop a call"},
    {"closecall", "closecall <call>", "close a call, as TAPI does when the last application lets go of it"},
    {"callinfo", "callinfo <call>", "show a call's information, field by field"},
    {"callstatus", "callstatus <call>", "show a call's state, mode and features, field by field"},
    {"calls", "calls", "list the calls the console knows"},
    {"phoneopen", "phoneopen <phone>", "open a phone device"},
    {"phoneclose", "phoneclose <phone>", "close a phone device"},
    {"newcall", "newcall immediate | late <ms> | never", "how the console answers a new call's LINE_NEWCALL"},
    {"wait", "wait <ms> [count]", "wait for count (1) more events, at most ms milliseconds"},
    {"ring", "ring <ext> <number> [name]", "a party outside the switch calls the extension (prints the switch's call id)"},
    {"far", "far answer|busy|hangup <id> [name] | far digits <id> <digits>",
     "the outside party of the switch's call <id> answers, refuses, hangs up or sends DTMF digits"},
    {"handset", "handset <ext>", "the handset of the extension's telephone is lifted (prints the leg's SAL)"},
    {"dialset", "dialset <ext> <sal> <digits>", "a number is dialled on the telephone set, on the leg <sal>"},
    {"hangset", "hangset <ext> <sal>", "the leg <sal> is hung up at the telephone set (0: put the handset down)"},
    {"switch", "switch", "the calls the switch has, their legs and states"},
    {"trace", "trace on|off", "show the provider's trace lines here, or send them to the trace file (the default)"},
    {"faults", "faults", "list what the provider did wrong as the telephony service sees it"},
    {"shutdown", "shutdown", "shut the provider down"},
    {"help", "help [command]", "list the commands, or explain one"},
    {"quit", "quit", "leave (the provider is shut down first)"},
};

// Where the console's own files go: beside the registry on Linux.
std::string ConsoleDirectory() {
#ifdef _WIN32
    return ".";
#else
    std::filesystem::path registry(plat::RegistryLocation());
    return registry.has_parent_path() ? registry.parent_path().string() : std::string(".");
#endif
}

// The process's standard output belongs to the provider's trace; the
// console writes to a copy of the terminal's descriptor.
class ProviderOutput {
public:
    explicit ProviderOutput(const std::string& traceFile) : m_traceFile(traceFile) {
#ifndef _WIN32
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(traceFile).parent_path(), ec);
        std::fflush(stdout);
        m_terminal = ::dup(STDOUT_FILENO);
        m_trace = ::open(traceFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (m_terminal >= 0) m_out = ::fdopen(m_terminal, "w");
        Show(false);
#endif
        if (!m_out) m_out = stdout;
    }
    FILE* Out() const { return m_out; }
    const std::string& TraceFile() const { return m_traceFile; }
    bool Switchable() const { return m_trace >= 0 && m_terminal >= 0; }
    void Show(bool onTerminal) {
#ifndef _WIN32
        if (!Switchable()) return;
        std::fflush(stdout);
        ::dup2(onTerminal ? m_terminal : m_trace, STDOUT_FILENO);
#else
        (void)onTerminal;
#endif
    }

private:
    std::string m_traceFile;
    int m_terminal = -1;
    int m_trace = -1;
    FILE* m_out = nullptr;
};

// One line per event, e.g. "  line 0 call 1: LINE_CALLSTATE OFFERING mode 0x1 media 0x4".
std::string EventText(const zavhost::JournalEntry& e) {
    using zavhost::EntryKind;
    switch (e.kind) {
        case EntryKind::Completion:
            return "  request " + std::to_string(e.requestId) + " completed: " + ResultText(e.result);
        case EntryKind::NewCallAnswered:
            return "  line " + std::to_string(e.deviceId) + ": LINE_NEWCALL answered after " +
                   std::to_string(e.delayMs) + " ms -> call " + std::to_string(e.call);
        case EntryKind::LineCreated:
        case EntryKind::PhoneCreated: return "  " + zavhost::FormatEntry(e);
        case EntryKind::LineEvent:
        case EntryKind::PhoneEvent: break;
    }
    std::string where = e.kind == EntryKind::PhoneEvent ? "phone " : "line ";
    where += e.deviceId == zavhost::kUnknownDevice ? std::string("?") : std::to_string(e.deviceId);
    if (e.call != zavhost::kNoCall && e.msg != LINE_NEWCALL) where += " call " + std::to_string(e.call);
    std::string detail;
    switch (e.msg) {
        case LINE_CALLSTATE:
            detail = std::string(zavhost::CallStateName(static_cast<DWORD>(e.p1))) + " mode " + Hex(e.p2) +
                     " media " + Hex(e.p3);
            break;
        case LINE_LINEDEVSTATE:
            detail = zavhost::LineDevStateNames(static_cast<DWORD>(e.p1));
            if (e.p2 || e.p3) detail += " " + Hex(e.p2) + " " + Hex(e.p3);
            break;
        case LINE_ADDRESSSTATE: detail = "address " + std::to_string(e.p1) + " " + zavhost::AddressStateNames(static_cast<DWORD>(e.p2)); break;
        case LINE_CALLINFO: detail = zavhost::CallInfoStateNames(static_cast<DWORD>(e.p1)); break;
        case LINE_NEWCALL: detail = e.assignedCall ? "-> call " + std::to_string(e.call) : std::string("not answered"); break;
        case LINE_REPLY:
        case PHONE_REPLY: detail = "request " + std::to_string(e.p1) + " " + ResultText(static_cast<LONG>(e.p2)); break;
        case PHONE_STATE: detail = zavhost::PhoneStateNames(static_cast<DWORD>(e.p1)); break;
        default: detail = Hex(e.p1) + " " + Hex(e.p2) + " " + Hex(e.p3); break;
    }
    return "  " + where + ": " + zavhost::MessageName(e.msg) + " " + detail;
}

class Console {
public:
    explicit Console(FILE* out) : m_out(out) {
        m_host.GetJournal().SetListener([this](const zavhost::JournalEntry& e) { Print(EventText(e)); });
    }
    ~Console() { m_host.GetJournal().SetListener({}); }
    void SetProviderOutput(ProviderOutput* provider) { m_provider = provider; }
    // Offered at the prompt when the registry has no telephone yet.
    void OfferSetup() {
        if (zavhost::ConfiguredTelephones() != 0) return;
        Print("No telephone is configured in " + plat::RegistryLocation() +
              ". Type \"setup\" for two demo telephones (201, 202) on the stand-in switch, then \"load\", "
              "\"enum\", \"init\" and \"open 0\".");
    }

    // False for "quit".
    bool Run(const std::string& line);
    bool Failed() const { return m_failed; }
    // A script that ends with the provider initialised shuts it down here,
    // so what is still pending shows among the faults.
    void Finish() {
        if (m_host.IsInitialised()) Run("shutdown");
    }
    bool ReportFaults() {
        auto faults = m_host.Faults();
        for (const auto& fault : faults) Print("FAULT " + zavhost::Describe(fault));
        return !faults.empty();
    }

private:
    void Print(const std::string& text) {
        std::lock_guard<std::mutex> lock(m_printMutex);
        std::fprintf(m_out, "%s\n", text.c_str());
        std::fflush(m_out);
    }
    void Fail(const std::string& text) {
        m_failed = true;
        Print("error: " + text);
    }

    static bool Number(const std::string& text, DWORD* value) {
        if (text.empty()) return false;
        char* end = nullptr;
        unsigned long v = std::strtoul(text.c_str(), &end, 0);
        if (*end) return false;
        *value = static_cast<DWORD>(v);
        return true;
    }
    bool Line(const std::string& text, HDRVLINE* hdLine) {
        DWORD device;
        auto line = Number(text, &device) ? m_host.OpenLine(device) : std::nullopt;
        if (!line) {
            Fail("no open line " + text);
            return false;
        }
        *hdLine = line->hdLine;
        return true;
    }
    bool Call(const std::string& text, HDRVCALL* hdCall) {
        DWORD index;
        auto call = Number(text, &index) ? m_host.CallAt(index) : std::nullopt;
        if (!call || !call->hdCall) {
            Fail("no call " + text);
            return false;
        }
        *hdCall = call->hdCall;
        return true;
    }

    void Help(const std::string& command);
    // Plays the switch's side: outside parties and the telephone sets.
    void Switch(const std::vector<std::string>& args, const std::string& input);
    zavhost::SwitchControl* SwitchSide();
    void Setup();
    void Trace(const std::string& how);
    void Load(const std::vector<std::string>& args);
    void Phones(const std::vector<std::string>& args);
    void Display(const std::string& line, HDRVLINE hdLine);
    void PrintDecoded(const std::string& first, LONG result, const std::vector<std::string>& fields);
    void Caps(const std::string& cmd, DWORD deviceId);
    void CallInfo(HDRVCALL hdCall);
    void CallStatus(HDRVCALL hdCall);
    void Calls();
    void Wait(const std::vector<std::string>& args);

    zavhost::TapiHost m_host;
    std::unique_ptr<zavhost::SwitchControl> m_switch;
    FILE* m_out;
    ProviderOutput* m_provider = nullptr;
    std::mutex m_printMutex;
    bool m_failed = false;
};

bool Console::Run(const std::string& input) {
    std::istringstream in(input);
    std::vector<std::string> args;
    for (std::string word; in >> word;) args.push_back(word);
    if (args.empty() || args[0][0] == '#') return true;
    const std::string& cmd = args[0];
    auto arg = [&](std::size_t i) { return i < args.size() ? args[i] : std::string(); };
    DWORD a = 0, b = 0;
    HDRVLINE hdLine = nullptr;
    HDRVCALL hdCall = nullptr;

    // Each command checks its own arguments; Line, Call and Usage report
    // what is wrong.
    auto usage = [&](bool ok, const char* form) {
        if (!ok) Fail(std::string("usage: ") + form);
        return ok;
    };
    if (cmd == "quit" || cmd == "exit") return false;
    if (cmd == "help") {
        Help(arg(1));
    } else if (cmd == "setup") {
        Setup();
    } else if (cmd == "trace") {
        if (usage(arg(1) == "on" || arg(1) == "off", "trace on|off")) Trace(arg(1));
    } else if (cmd == "ring" || cmd == "far" || cmd == "handset" || cmd == "dialset" || cmd == "hangset" ||
               cmd == "switch") {
        Switch(args, input);
    } else if (cmd == "load") {
        Load(args);
    } else if (cmd == "phones") {
        Phones(args);
    } else if (cmd == "enum") {
        LONG result = m_host.NegotiateTSPIVersion();
        DWORD lines = 0, phones = 0;
        if (result == 0) result = m_host.EnumDevices(&lines, &phones);
        Print("enum = " + ResultText(result) + " version=" + zavhost::Hex8(m_host.TspiVersion()) +
              " lines=" + std::to_string(lines) + " phones=" + std::to_string(phones));
    } else if (cmd == "init") {
        if (!usage(args.size() == 1 || (Number(arg(1), &a) && Number(arg(2), &b)), "init [<linebase> <phonebase>]"))
            return true;
        DWORD options = 0;
        LONG result = m_host.ProviderInit(a, b, &options);
        Print("init = " + ResultText(result) + " options=" + Hex(options));
        if (result != 0) return true;
        Print("negotiate lines = " + ResultText(m_host.NegotiateLines()));
        if (m_host.Exports("TSPI_phoneNegotiateTSPIVersion"))
            Print("negotiate phones = " + ResultText(m_host.NegotiatePhones()));
        else
            Print("phones: this provider has no phone functions yet");
    } else if (cmd == "open") {
        if (!usage(Number(arg(1), &a), "open <line>")) return true;
        LONG result = m_host.LineOpen(a, &hdLine);
        Print("open " + arg(1) + " = " + ResultText(result) + " hdLine=" + Hex(reinterpret_cast<DWORD_PTR>(hdLine)));
    } else if (cmd == "close") {
        if (Line(arg(1), &hdLine)) Print("close " + arg(1) + " = " + ResultText(m_host.LineClose(hdLine)));
    } else if (cmd == "devcaps" || cmd == "addrcaps") {
        if (usage(Number(arg(1), &a), cmd == "devcaps" ? "devcaps <line>" : "addrcaps <line>")) Caps(cmd, a);
    } else if (cmd == "status") {
        if (!Line(arg(1), &hdLine) ||
            !usage(Number(arg(2), &a) && Number(arg(3), &b), "status <line> <linestates> <addrstates>"))
            return true;
        Print("status " + arg(1) + " = " + ResultText(m_host.LineSetStatusMessages(hdLine, a, b)));
    } else if (cmd == "display") {
        if (Line(arg(1), &hdLine)) Display(input, hdLine);
    } else if (cmd == "mwi") {
        if (!Line(arg(1), &hdLine) || !usage(arg(2) == "on" || arg(2) == "off", "mwi <line> on|off")) return true;
        LONG result = m_host.LineSetLineDevStatus(hdLine, LINEDEVSTATUSFLAGS_MSGWAIT, arg(2) == "on" ? 1 : 0);
        Print("mwi " + arg(1) + " " + arg(2) + " = " + ResultText(result));
    } else if (cmd == "makecall") {
        if (!Line(arg(1), &hdLine)) return true;
        LONG result = m_host.LineMakeCall(hdLine, args.size() > 2 ? args[2].c_str() : nullptr, &hdCall);
        auto call = m_host.Calls().back();
        Print("makecall " + arg(1) + " " + arg(2) + " = " + ResultText(result) + " call=" +
              std::to_string(call.index) + " hdCall=" + Hex(reinterpret_cast<DWORD_PTR>(hdCall)));
    } else if (cmd == "answer") {
        if (Call(arg(1), &hdCall)) Print("answer " + arg(1) + " = " + ResultText(m_host.LineAnswer(hdCall)));
    } else if (cmd == "drop") {
        if (Call(arg(1), &hdCall)) Print("drop " + arg(1) + " = " + ResultText(m_host.LineDrop(hdCall)));
    } else if (cmd == "closecall") {
        if (Call(arg(1), &hdCall)) Print("closecall " + arg(1) + " = " + ResultText(m_host.LineCloseCall(hdCall)));
    } else if (cmd == "callinfo") {
        if (Call(arg(1), &hdCall)) CallInfo(hdCall);
    } else if (cmd == "callstatus") {
        if (Call(arg(1), &hdCall)) CallStatus(hdCall);
    } else if (cmd == "calls") {
        Calls();
    } else if (cmd == "phoneopen") {
        if (!usage(Number(arg(1), &a), "phoneopen <phone>")) return true;
        HDRVPHONE hdPhone = nullptr;
        LONG result = m_host.PhoneOpen(a, &hdPhone);
        Print("phoneopen " + arg(1) + " = " + ResultText(result) +
              " hdPhone=" + Hex(reinterpret_cast<DWORD_PTR>(hdPhone)));
    } else if (cmd == "phoneclose") {
        auto phone = Number(arg(1), &a) ? m_host.OpenPhone(a) : std::nullopt;
        if (phone)
            Print("phoneclose " + arg(1) + " = " + ResultText(m_host.PhoneClose(phone->hdPhone)));
        else
            Fail("no open phone " + arg(1));
    } else if (cmd == "newcall") {
        bool late = arg(1) == "late" && Number(arg(2), &a);
        if (!usage(arg(1) == "immediate" || arg(1) == "never" || late, "newcall immediate | late <ms> | never"))
            return true;
        zavhost::NewCallAnswer mode = late                  ? zavhost::NewCallAnswer::Late
                                      : arg(1) == "never" ? zavhost::NewCallAnswer::Never
                                                          : zavhost::NewCallAnswer::Immediately;
        if (!m_host.SetNewCallAnswer(mode, a))
            Fail("a late answer comes within " + std::to_string(zavhost::kMaxLateAnswerMs) + " ms");
    } else if (cmd == "wait") {
        Wait(args);
    } else if (cmd == "faults") {
        if (!ReportFaults()) Print("faults: none");
    } else if (cmd == "shutdown") {
        Print("shutdown = " + ResultText(m_host.ProviderShutdown()));
    } else {
        Fail("unknown command: " + cmd + " (try help)");
    }
    return true;
}

void Console::Help(const std::string& command) {
    if (command.empty()) {
        std::string text = "commands (lines are device ids, calls the console's call numbers):";
        for (const CommandHelp& c : kCommands) text += std::string("\n  ") + c.usage;
        Print(text + "\n\"help <command>\" explains one.");
        return;
    }
    for (const CommandHelp& c : kCommands)
        if (command == c.name) return Print(std::string(c.usage) + "\n  " + c.text);
    Fail("no command " + command + " (try help)");
}

zavhost::SwitchControl* Console::SwitchSide() {
    if (!m_switch) {
        m_switch = std::make_unique<zavhost::SwitchControl>(ZAV_SIM_PATH);
        if (m_switch->Ok()) m_switch->SetCallModel(1);
    }
    if (m_switch->Ok()) return m_switch.get();
    Fail("the stand-in switch cannot be played: " + m_switch->Error());
    return nullptr;
}

void Console::Switch(const std::vector<std::string>& args, const std::string& input) {
    zavhost::SwitchControl* sw = SwitchSide();
    if (!sw) return;
    auto arg = [&](std::size_t i) { return i < args.size() ? args[i] : std::string(); };
    // Everything after the first `skip` words, for names with blanks.
    auto rest = [&](std::size_t skip) {
        std::istringstream in(input);
        std::string word;
        for (std::size_t i = 0; i < skip && in >> word;) ++i;
        std::string text;
        std::getline(in, text);
        std::size_t start = text.find_first_not_of(' ');
        return start == std::string::npos ? std::string() : text.substr(start);
    };
    DWORD a = 0;
    const std::string& cmd = args[0];
    if (cmd == "switch") {
        std::string calls = sw->Calls();
        Print(calls.empty() ? "switch: no calls" : calls.substr(0, calls.find_last_not_of('\n') + 1));
    } else if (cmd == "ring") {
        if (arg(2).empty()) return Fail("usage: ring <ext> <number> [name]");
        std::string name = rest(3);
        int32_t id = sw->ExternalCall(arg(1).c_str(), arg(2).c_str(), name.c_str(), 0);
        Print(id > 0 ? "ring " + arg(1) + ": switch call " + std::to_string(id)
                     : "ring " + arg(1) + ": " + (id == 0 ? "busy or unreachable" : "failed"));
    } else if (cmd == "far") {
        const std::string& what = arg(1);
        if (!Number(arg(2), &a)) return Fail("usage: far answer|busy|hangup <id> [name] | far digits <id> <digits>");
        const int32_t id = static_cast<int32_t>(a);
        std::string name = rest(3);
        int rc = what == "answer"   ? sw->ExternalAnswer(id, name.empty() ? nullptr : name.c_str())
                 : what == "busy"   ? sw->ExternalBusy(id)
                 : what == "hangup" ? sw->ExternalHangUp(id)
                 : what == "digits" ? sw->ExternalDigits(id, arg(3).c_str())
                                    : -2;
        if (rc == -2) return Fail("far: answer, busy, hangup or digits");
        Print("far " + what + " " + arg(2) + (rc == 0 ? " = ok" : " = no such call"));
    } else if (cmd == "handset") {
        int32_t sal = sw->LiftHandset(arg(1).c_str());
        Print(sal > 0 ? "handset " + arg(1) + ": leg " + std::to_string(sal) : "handset " + arg(1) + ": failed");
    } else if (cmd == "dialset") {
        if (!Number(arg(2), &a) || arg(3).empty()) return Fail("usage: dialset <ext> <sal> <digits>");
        int rc = sw->DialOnSet(arg(1).c_str(), static_cast<int32_t>(a), arg(3).c_str());
        Print("dialset " + arg(1) + (rc == 0 ? " = ok" : " = failed"));
    } else if (cmd == "hangset") {
        if (!Number(arg(2), &a)) return Fail("usage: hangset <ext> <sal>");
        int rc = sw->HangUpSet(arg(1).c_str(), static_cast<int32_t>(a));
        Print("hangset " + arg(1) + (rc == 0 ? " = ok" : " = failed"));
    }
}

void Console::Setup() {
    std::filesystem::path dir(ConsoleDirectory());
    std::error_code ec;
    std::filesystem::create_directories(dir / "Logs", ec);
    std::string installPath = std::filesystem::absolute(dir, ec).string();
    std::string report, error;
    if (!zavhost::SetUpDemo(ZAV_SIM_PATH, installPath.c_str(), &report, &error)) return Fail(error);
    Print(report + "the provider's log goes to " + (dir / "Logs" / "ZAV.log").string());
}

void Console::Trace(const std::string& how) {
    if (!m_provider || !m_provider->Switchable()) return Fail("the provider's output cannot be redirected here");
    m_provider->Show(how == "on");
    Print(how == "on" ? "trace: the provider's trace lines appear here"
                      : "trace: the provider's trace lines go to " + m_provider->TraceFile());
}

void Console::Load(const std::vector<std::string>& args) {
    bool verbose = args.size() > 1 && args[1] == "-v";
    std::size_t pathArg = verbose ? 2 : 1;
    const std::string path = args.size() > pathArg ? args[pathArg] : std::string(ZAV_PROVIDER_PATH);
    if (!m_host.Load(path)) return Fail("cannot load " + path + ": " + m_host.LastError());
    std::string missing;
    std::size_t count = 0;
    for (const std::string& name : m_host.MissingExports()) {
        if (name.rfind("TSPI_", 0) != 0) continue;
        missing += "\n  " + name;
        ++count;
    }
    std::string text = "loaded " + path;
    if (count != 0) text += "; " + std::to_string(count) + " TSPI functions not exported" + (verbose ? ":" + missing : " (load -v lists them)");
    Print(text);
}

void Console::Phones(const std::vector<std::string>& args) {
    HKEY key;
    if (plat::CreateRegKey(HKEY_LOCAL_MACHINE, "Software\\Ostrel\\ZAV\\ZAVTSP", KEY_ALL_ACCESS, &key, nullptr) !=
        ERROR_SUCCESS)
        return Fail("cannot write the registry");
    const DWORD count = static_cast<DWORD>(args.size() - 1);
    plat::SetRegDword(key, "NumPhones", count);
    for (DWORD i = 0; i < count; ++i) {
        const std::string& entry = args[i + 1];
        std::size_t colon = entry.find(':');
        std::string extension = entry.substr(0, colon);
        std::string password = colon == std::string::npos ? std::string() : entry.substr(colon + 1);
        HKEY phone;
        std::string sub = "Phone" + std::to_string(i);
        if (plat::CreateRegKey(key, sub.c_str(), KEY_ALL_ACCESS, &phone, nullptr) != ERROR_SUCCESS) continue;
        plat::SetRegString(phone, "Extension", extension.c_str());
        plat::SetRegString(phone, "Password", zavhost::TransformedPassword(password).c_str());
        plat::CloseRegKey(phone);
    }
    plat::CloseRegKey(key);
    Print("phones: " + std::to_string(count) + " configured");
}

void Console::Display(const std::string& line, HDRVLINE hdLine) {
    // The text is everything after the line number, exactly twelve bytes
    // at offset 8 of the block, padded with blanks.
    std::istringstream in(line);
    std::string word;
    in >> word >> word;
    std::string text;
    std::getline(in, text);
    if (!text.empty() && text[0] == ' ') text.erase(0, 1);
    text.resize(12, ' ');
    BYTE block[20] = {};
    const DWORD type = 1;
    std::copy(reinterpret_cast<const BYTE*>(&type), reinterpret_cast<const BYTE*>(&type) + 4, block + 4);
    std::copy(text.begin(), text.end(), block + 8);
    LONG result = m_host.LineDevSpecific(hdLine, 0, nullptr, block, sizeof block);
    Print("display " + word + " \"" + text + "\" = " + ResultText(result));
}

// The result line, then the structure's fields when the call succeeded: on
// failure the buffer holds nothing the provider vouches for.
void Console::PrintDecoded(const std::string& first, LONG result, const std::vector<std::string>& fields) {
    std::string text = first + " = " + ResultText(result);
    if (result == 0)
        for (const std::string& field : fields) text += "\n" + field;
    Print(text);
}

void Console::Caps(const std::string& cmd, DWORD deviceId) {
    const std::string first = cmd + " " + std::to_string(deviceId);
    if (cmd == "devcaps") {
        zavhost::TapiBuffer buffer(tapi::kLineDevCapsSize20 + 1024);
        LONG result = m_host.LineGetDevCaps(deviceId, buffer);
        PrintDecoded(first, result, zavhost::DecodeLineDevCaps(buffer));
    } else {
        zavhost::TapiBuffer buffer(tapi::kLineAddressCapsSize20 + 1024);
        LONG result = m_host.LineGetAddressCaps(deviceId, 0, buffer);
        PrintDecoded(first, result, zavhost::DecodeLineAddressCaps(buffer));
    }
}

void Console::CallInfo(HDRVCALL hdCall) {
    zavhost::TapiBuffer buffer(tapi::kLineCallInfoSize20 + 1024);
    LONG result = m_host.LineGetCallInfo(hdCall, buffer);
    PrintDecoded("callinfo", result, zavhost::DecodeLineCallInfo(buffer));
}

void Console::CallStatus(HDRVCALL hdCall) {
    zavhost::TapiBuffer buffer(tapi::kLineCallStatusSize20 + 1024);
    LONG result = m_host.LineGetCallStatus(hdCall, buffer);
    PrintDecoded("callstatus", result, zavhost::DecodeLineCallStatus(buffer));
}

void Console::Calls() {
    for (const zavhost::CallView& call : m_host.Calls()) {
        Print("call " + std::to_string(call.index) + " line=" + std::to_string(call.deviceId) +
              " hdCall=" + Hex(reinterpret_cast<DWORD_PTR>(call.hdCall)) +
              (call.origin == zavhost::CallOrigin::NewCall ? " incoming" : " outgoing") +
              (call.closed ? " closed" : ""));
    }
}

void Console::Wait(const std::vector<std::string>& args) {
    DWORD ms = 0, count = 1;
    if (args.size() < 2 || !Number(args[1], &ms) || (args.size() > 2 && !Number(args[2], &count))) {
        Fail("wait <ms> [count]");
        return;
    }
    const std::size_t target = m_host.GetJournal().Size() + count;
    if (!m_host.GetJournal().WaitForSize(target, ms)) Print("wait: " + std::to_string(ms) + " ms passed");
}

}  // namespace

int main(int argc, char** argv) {
    bool prompt = false;
    std::ifstream file;
    std::istream* in = &std::cin;
    if (argc > 1 && (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help")) {
        std::printf("usage: zavtapi [-i | script]\n"
                    "Runs TAPI operations on a provider, from the script, standard input or a prompt (-i).\n"
                    "Type \"help\" at the prompt for the commands.\n");
        return 0;
    }
    if (argc > 1 && std::string(argv[1]) == "-i") {
        prompt = true;
    } else if (argc > 1) {
        file.open(argv[1]);
        if (!file) {
            std::fprintf(stderr, "zavtapi: cannot read %s\n", argv[1]);
            return 1;
        }
        in = &file;
    }

    ProviderOutput provider(ConsoleDirectory() + "/provider-console.txt");
    FILE* out = provider.Out();
    Console console(out);
    console.SetProviderOutput(&provider);
    if (prompt) console.OfferSetup();
    std::string line;
    for (;;) {
        if (prompt) {
            std::fputs("zavtapi> ", out);
            std::fflush(out);
        }
        if (!std::getline(*in, line) || !console.Run(line)) break;
    }
    console.Finish();
    bool faults = console.ReportFaults();
    return faults ? 2 : console.Failed() ? 1 : 0;
}
