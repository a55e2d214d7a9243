// zavtapi: a small TAPI browser for the provider. It loads a provider as the
// telephony service does and runs TAPI operations from a script or a
// prompt, printing every event and completion as it arrives.
//
//   zavtapi [script]     commands from the file, or from standard input
//   zavtapi -i           the same from standard input, with a prompt
//
// Exit status: 0, 1 for a command that could not be run, 2 when the host
// recorded a protocol fault of the provider (printed at the end).
//
// On Linux the registry is the file named by ZAV_REGISTRY.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "host/Decode.h"
#include "host/TapiHost.h"
#include "platform/Registry.h"

namespace {

using zavhost::Hex;
using zavhost::ResultText;

const char* const kHelp =
    "commands (lines are device ids, calls are the host's call numbers):\n"
    "  load <path>                      load a provider\n"
    "  phones <ext>[:<password>]...     configure telephones in the registry\n"
    "  enum                             negotiate and enumerate\n"
    "  init <linebase> <phonebase>      initialise and negotiate every device\n"
    "  open <line> | close <line>\n"
    "  status <line> <linestates> <addrstates>\n"
    "  display <line> <12 characters>\n"
    "  mwi <line> on|off\n"
    "  makecall <line> [number]\n"
    "  answer <call> | drop <call> | closecall <call>\n"
    "  callinfo <call> | callstatus <call> | calls\n"
    "  phoneopen <phone> | phoneclose <phone>\n"
    "  newcall immediate | late <ms> | never\n"
    "  wait <ms> [count]                wait for count (1) more events\n"
    "  faults | shutdown | quit\n";

const char* const kProviderKey = "Software\\Ostrel\\ZAV\\ZAVTSP";

// Stored the way the configuration dialog stores it: byte i becomes
// (i - b + 127) mod 256.
std::string Transformed(const std::string& plain) {
    std::string s(plain);
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<char>((static_cast<int>(i) - static_cast<unsigned char>(s[i]) + 127) & 0xFF);
    return s;
}

class Console {
public:
    Console() {
        m_host.GetJournal().SetListener([this](const zavhost::JournalEntry& e) { Print(zavhost::FormatEntry(e)); });
    }
    ~Console() { m_host.GetJournal().SetListener({}); }

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
        std::cout << text << std::endl;
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

    void Load(const std::vector<std::string>& args);
    void Phones(const std::vector<std::string>& args);
    void Display(const std::string& line, HDRVLINE hdLine);
    void CallInfo(HDRVCALL hdCall);
    void CallStatus(HDRVCALL hdCall);
    void Calls();
    void Wait(const std::vector<std::string>& args);

    zavhost::TapiHost m_host;
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
        Print(kHelp);
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
        if (!usage(Number(arg(1), &a) && Number(arg(2), &b), "init <linebase> <phonebase>")) return true;
        DWORD options = 0;
        LONG result = m_host.ProviderInit(a, b, &options);
        Print("init = " + ResultText(result) + " options=" + Hex(options));
        if (result == 0) Print("negotiate devices = " + ResultText(m_host.NegotiateDevices()));
    } else if (cmd == "open") {
        if (!usage(Number(arg(1), &a), "open <line>")) return true;
        LONG result = m_host.LineOpen(a, &hdLine);
        Print("open " + arg(1) + " = " + ResultText(result) + " hdLine=" + Hex(reinterpret_cast<DWORD_PTR>(hdLine)));
    } else if (cmd == "close") {
        if (Line(arg(1), &hdLine)) Print("close " + arg(1) + " = " + ResultText(m_host.LineClose(hdLine)));
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

void Console::Load(const std::vector<std::string>& args) {
    if (args.size() < 2) {
        Fail("load needs a path");
        return;
    }
    if (!m_host.Load(args[1])) {
        Fail("cannot load " + args[1] + ": " + m_host.LastError());
        return;
    }
    std::string missing;
    std::size_t count = 0;
    for (const std::string& name : m_host.MissingExports()) {
        if (name.rfind("TSPI_", 0) != 0) continue;
        missing += " " + name;
        ++count;
    }
    Print("loaded " + args[1] + "; TSPI functions not exported: " + std::to_string(count) + missing);
}

void Console::Phones(const std::vector<std::string>& args) {
    HKEY key;
    if (plat::CreateRegKey(HKEY_LOCAL_MACHINE, kProviderKey, KEY_ALL_ACCESS, &key, nullptr) != ERROR_SUCCESS) {
        Fail("cannot write the registry");
        return;
    }
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
        plat::SetRegString(phone, "Password", Transformed(password).c_str());
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

void Console::CallInfo(HDRVCALL hdCall) {
    zavhost::TapiBuffer buffer(sizeof(LINECALLINFO) + 1024);
    LONG result = m_host.LineGetCallInfo(hdCall, buffer);
    const LINECALLINFO* info = buffer.As<LINECALLINFO>();
    std::string text = "callinfo = " + ResultText(result);
    if (result == 0) {
        text += " needed=" + std::to_string(info->dwNeededSize) + " origin=" + Hex(info->dwOrigin) +
                " reason=" + Hex(info->dwReason) + " callerid=\"" +
                buffer.AnsiAt(info->dwCallerIDOffset, info->dwCallerIDSize) + "\" callername=\"" +
                buffer.AnsiAt(info->dwCallerIDNameOffset, info->dwCallerIDNameSize) + "\" calledid=\"" +
                buffer.AnsiAt(info->dwCalledIDOffset, info->dwCalledIDSize) + "\"";
    }
    Print(text);
}

void Console::CallStatus(HDRVCALL hdCall) {
    zavhost::TapiBuffer buffer(sizeof(LINECALLSTATUS) + 256);
    LONG result = m_host.LineGetCallStatus(hdCall, buffer);
    const LINECALLSTATUS* status = buffer.As<LINECALLSTATUS>();
    std::string text = "callstatus = " + ResultText(result);
    if (result == 0) {
        text += " state=" + zavhost::Hex8(status->dwCallState) + "(" + zavhost::CallStateName(status->dwCallState) +
                ") mode=" + Hex(status->dwCallStateMode) + " features=" + Hex(status->dwCallFeatures);
    }
    Print(text);
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

    Console console;
    std::string line;
    for (;;) {
        if (prompt) std::cout << "zavtapi> " << std::flush;
        if (!std::getline(*in, line) || !console.Run(line)) break;
    }
    console.Finish();
    bool faults = console.ReportFaults();
    return faults ? 2 : console.Failed() ? 1 : 0;
}
