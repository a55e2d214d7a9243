// Console stand-in for message boxes and modal dialogs (see platform/Ui.h).
#include "platform/Ui.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace plat {
namespace {

struct Control {
    std::string text;
    std::vector<std::string> lines;
    int selection = -1;
    int limit = 0;  // 0: none
    bool disabled = false;
};

struct ConsoleDialog {
    int templateId = 0;
    DialogProc proc = nullptr;
    std::map<int, Control> controls;
    bool ended = false;
    INT_PTR result = 0;
};

std::mutex g_streamMutex;
std::FILE* g_in = nullptr;
std::FILE* g_out = nullptr;
// Dialogs run on the thread that opened them, one command at a time.
thread_local bool t_shiftHeld = false;

std::FILE* In() { return g_in ? g_in : stdin; }
std::FILE* Out() { return g_out ? g_out : stdout; }

ConsoleDialog* Dialog(HWND h) { return reinterpret_cast<ConsoleDialog*>(h); }
HWND Handle(ConsoleDialog* d) { return reinterpret_cast<HWND>(d); }

Control* Find(HWND dialog, int id) {
    ConsoleDialog* d = Dialog(dialog);
    return d ? &d->controls[id] : nullptr;
}

bool ReadLine(std::string* line) {
    char buf[1024];
    if (!std::fgets(buf, sizeof buf, In())) return false;
    *line = buf;
    while (!line->empty() && (line->back() == '\n' || line->back() == '\r')) line->pop_back();
    return true;
}

void Command(ConsoleDialog* d, int id, WORD code, bool shift = false) {
    // A nested dialog's commands come with their own state of the key.
    const bool outer = t_shiftHeld;
    t_shiftHeld = shift;
    d->proc(Handle(d), kWmCommand, static_cast<WPARAM>((static_cast<DWORD>(code) << 16) | static_cast<WORD>(id)), 0);
    t_shiftHeld = outer;
}

void PrintControls(ConsoleDialog* d) {
    std::fprintf(Out(), "[dialog %d]\n", d->templateId);
    for (auto& [id, c] : d->controls) {
        std::fprintf(Out(), "  %d: \"%s\"%s", id, c.text.c_str(), c.disabled ? " (disabled)" : "");
        for (std::size_t i = 0; i < c.lines.size(); ++i)
            std::fprintf(Out(), "%s%s%s", i ? ", " : " [", c.lines[i].c_str(),
                         static_cast<int>(i) == c.selection ? "*" : "");
        std::fprintf(Out(), "%s\n", c.lines.empty() ? "" : "]");
    }
    std::fflush(Out());
}

}  // namespace

void SetConsoleUiStreams(std::FILE* in, std::FILE* out) {
    std::lock_guard<std::mutex> lock(g_streamMutex);
    g_in = in;
    g_out = out;
}

int ShowMessageBox(HWND, const char* text, const char* caption, UINT flags) {
    std::fprintf(Out(), "[%s] %s\n", caption ? caption : "", text ? text : "");
    std::fflush(Out());
    UINT buttons = flags & 0xF;
    if (buttons != MB_OKCANCEL && buttons != MB_YESNO) return IDOK;
    std::fprintf(Out(), buttons == MB_YESNO ? "(y/n) " : "(ok/cancel) ");
    std::fflush(Out());
    std::string answer;
    bool yes = ReadLine(&answer) && !answer.empty() && (std::tolower(static_cast<unsigned char>(answer[0])) == 'y' ||
                                                        std::tolower(static_cast<unsigned char>(answer[0])) == 'o');
    if (buttons == MB_YESNO) return yes ? IDYES : IDNO;
    return yes ? IDOK : IDCANCEL;
}

INT_PTR RunModalDialog(HINSTANCE, int templateId, HWND, DialogProc proc, LPARAM param) {
    if (!proc) return -1;
    ConsoleDialog d;
    d.templateId = templateId;
    d.proc = proc;
    proc(Handle(&d), kWmInitDialog, 0, param);
    std::string line;
    while (!d.ended) {
        PrintControls(&d);
        if (!ReadLine(&line)) {
            Command(&d, IDCANCEL, kBnClicked);
            if (!d.ended) break;  // a dialog that refuses Cancel cannot be left open on a closed console
            continue;
        }
        if (line == "?" || line.empty()) continue;
        const bool shift = line[0] == '+';
        const char* start = line.c_str() + (shift ? 1 : 0);
        char* end = nullptr;
        const int id = static_cast<int>(std::strtol(start, &end, 10));
        if (end == start) continue;
        Control& c = d.controls[id];
        if (c.disabled) continue;
        if (*end == '=') {
            c.text = end + 1;
            const std::size_t limit = static_cast<std::size_t>(c.limit);
            if (c.limit > 0 && c.text.size() > limit) c.text.resize(limit);
            Command(&d, id, kEnChange);
        } else if (*end == '#') {
            ListSetSelection(Handle(&d), id, std::atoi(end + 1));
            Command(&d, id, kLbnSelChange);
        } else if (*end == '\0') {
            Command(&d, id, kBnClicked, shift);
        }
    }
    return d.ended ? d.result : IDCANCEL;
}

void EndModalDialog(HWND dialog, INT_PTR result) {
    if (ConsoleDialog* d = Dialog(dialog)) {
        d->ended = true;
        d->result = result;
    }
}

bool SetDialogItemText(HWND dialog, int id, const char* text) {
    Control* c = Find(dialog, id);
    if (!c) return false;
    c->text = text ? text : "";
    return true;
}

std::string GetDialogItemText(HWND dialog, int id) {
    Control* c = Find(dialog, id);
    return c ? c->text : std::string();
}

void LimitDialogItemText(HWND dialog, int id, int characters) {
    if (Control* c = Find(dialog, id)) c->limit = characters;
}

void EnableDialogItem(HWND dialog, int id, bool enable) {
    if (Control* c = Find(dialog, id)) c->disabled = !enable;
}

void FocusDialogItem(HWND, int) {}

int ListAddString(HWND dialog, int id, const char* text) {
    Control* c = Find(dialog, id);
    if (!c) return -1;
    c->lines.push_back(text ? text : "");
    return static_cast<int>(c->lines.size()) - 1;
}

bool ListDeleteString(HWND dialog, int id, int index) {
    Control* c = Find(dialog, id);
    if (!c || index < 0 || index >= static_cast<int>(c->lines.size())) return false;
    c->lines.erase(c->lines.begin() + index);
    if (c->selection >= static_cast<int>(c->lines.size())) c->selection = -1;
    return true;
}

int ListGetCount(HWND dialog, int id) {
    Control* c = Find(dialog, id);
    return c ? static_cast<int>(c->lines.size()) : -1;
}

int ListGetSelection(HWND dialog, int id) {
    Control* c = Find(dialog, id);
    return c ? c->selection : -1;
}

bool ListSetSelection(HWND dialog, int id, int index) {
    Control* c = Find(dialog, id);
    if (!c) return false;
    c->selection = (index >= 0 && index < static_cast<int>(c->lines.size())) ? index : -1;
    return c->selection == index;
}

std::string ListGetString(HWND dialog, int id, int index) {
    Control* c = Find(dialog, id);
    if (!c || index < 0 || index >= static_cast<int>(c->lines.size())) return std::string();
    return c->lines[static_cast<std::size_t>(index)];
}

int ListFindExact(HWND dialog, int id, const char* text) {
    Control* c = Find(dialog, id);
    if (!c || !text) return -1;
    for (std::size_t i = 0; i < c->lines.size(); ++i)
        if (::strcasecmp(c->lines[i].c_str(), text) == 0) return static_cast<int>(i);
    return -1;
}

// No icon exists here; what TAPI gets is only ever handed back to the
// system, so a stable token that is not null is enough.
HICON LoadStockIcon(int id) { return id > 0 ? reinterpret_cast<HICON>(static_cast<uintptr_t>(id)) : nullptr; }

bool IsShiftDown() { return t_shiftHeld; }

}  // namespace plat
