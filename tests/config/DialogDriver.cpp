#include "config/DialogDriver.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "support/TempRegistry.h"

#ifdef _WIN32
#include "resources/resource.h"
#else
#include "platform/Ui.h"
#endif

namespace zavtest {
namespace {

std::vector<std::string>* g_callbacks = nullptr;

LONG CALLBACK RecordCallback(DWORD_PTR objectId, DWORD objectType, LPVOID params, DWORD size) {
    if (g_callbacks)
        g_callbacks->push_back(std::to_string(objectId) + " " + std::to_string(objectType) +
                               (params ? " params " : " none ") + std::to_string(size));
    return 0;
}

const WCHAR kDeviceClass[] = {'t', 'a', 'p', 'i', '/', 'l', 'i', 'n', 'e', 0};

typedef LONG(TSPIAPI* UiEntry)(TUISPIDLLCALLBACK, HWND, DWORD);
typedef LONG(TSPIAPI* LineEntry)(TUISPIDLLCALLBACK, DWORD, HWND, LPCWSTR);
typedef LONG(TSPIAPI* TspiEntry)(HWND, DWORD);

struct Entries {
    UiEntry providerConfig, uiInstall;
    LineEntry lineConfig;
    TspiEntry tspiInstall;
};

LONG Call(const Entries& e, ConfigEntry entry) {
    switch (entry) {
        case ConfigEntry::kProviderConfig:
            return e.providerConfig(RecordCallback, nullptr, 7);
        case ConfigEntry::kLineConfig:
            return e.lineConfig(RecordCallback, 0, nullptr, kDeviceClass);
        case ConfigEntry::kUiInstall:
            return e.uiInstall(RecordCallback, nullptr, 7);
        case ConfigEntry::kTspiInstall:
            return e.tspiInstall(nullptr, 7);
    }
    return -1;
}

#ifndef _WIN32

std::string Line(const char* text) {
    std::string line = text;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}

}  // namespace

DialogRun RunConfigEntry(ConfigEntry entry, const std::vector<std::string>& steps) {
    DialogRun run;
    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    for (const std::string& step : steps)
        if (step.rfind("shot:", 0) != 0) std::fprintf(in, "%s\n", step.c_str());
    std::rewind(in);
    plat::SetConsoleUiStreams(in, out);
    g_callbacks = &run.callbacks;
    run.result =
        Call({TUISPI_providerConfig, TUISPI_providerInstall, TUISPI_lineConfigDialog, TSPI_providerInstall},
             entry);
    g_callbacks = nullptr;
    plat::SetConsoleUiStreams(nullptr, nullptr);
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, in)) run.unused.push_back(Line(buffer));
    std::rewind(out);
    // The console prints "[caption] text" for a message box, "[dialog n]"
    // and indented controls for a dialog.
    while (std::fgets(buffer, sizeof buffer, out))
        if (buffer[0] == '[' && std::strncmp(buffer, "[dialog ", 8) != 0)
            run.messages.push_back(Line(buffer));
    std::fclose(in);
    std::fclose(out);
    return run;
}

bool DialogsAvailable(std::string*) {
    return true;
}

#else

struct Driver {
    std::vector<std::string> steps;
    std::size_t next = 0;
    DialogRun* run = nullptr;
    HWND helper = nullptr;
    // Open dialogs and message boxes, innermost last.
    std::vector<HWND> dialogs;
    int dispatches = 0;
};
Driver* g_driver = nullptr;
HHOOK g_hook = nullptr;

// Far more steps than any script has: a dialog that will not close.
constexpr int kMaxDispatches = 500;

LRESULT CALLBACK WatchDialogs(int code, WPARAM wParam, LPARAM lParam) {
    HWND window = reinterpret_cast<HWND>(wParam);
    char name[16] = "";
    if (g_driver && code == HCBT_CREATEWND && GetClassNameA(window, name, sizeof name) &&
        std::strcmp(name, "#32770") == 0)
        g_driver->dialogs.push_back(window);
    if (g_driver && code == HCBT_DESTROYWND) std::erase(g_driver->dialogs, window);
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

std::string Text(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

void HoldShift(bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

// The dialog's own rendering, as the display driver drew it, to a BMP file
// that the test script turns into a PNG.
void Picture(HWND dialog, const std::string& name) {
    const char* directory = std::getenv("ZAV_SCREENSHOT_DIR");
    if (!directory) return;
    RedrawWindow(dialog, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW);
    RECT r;
    GetWindowRect(dialog, &r);
    BITMAPINFOHEADER header = {
        sizeof header, r.right - r.left, r.bottom - r.top, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC window = GetWindowDC(dialog), memory = CreateCompatibleDC(window);
    HBITMAP bitmap =
        CreateDIBSection(window, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, header.biWidth, header.biHeight, window, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD size =
        static_cast<DWORD>((header.biWidth * 3 + 3) & ~3) * static_cast<DWORD>(header.biHeight);
    BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(sizeof file + sizeof header + size), 0, 0,
                             static_cast<DWORD>(sizeof file + sizeof header)};
    if (std::FILE* f = std::fopen((NativePath(directory) + "/" + name + ".bmp").c_str(), "wb")) {
        std::fwrite(&file, sizeof file, 1, f);
        std::fwrite(&header, sizeof header, 1, f);
        std::fwrite(bits, size, 1, f);
        std::fclose(f);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(dialog, window);
}

// One step on the innermost dialog. The next dispatch is posted first: a
// step that opens a dialog gets it from that dialog's modal loop, one that
// closes a dialog from the loop around it.
void Step(Driver& d) {
    HoldShift(false);
    if (d.dialogs.empty()) return;
    HWND top = d.dialogs.back();
    PostMessageA(d.helper, WM_APP, 0, 0);
    if (++d.dispatches > kMaxDispatches) {
        EndDialog(top, IDCANCEL);
        return;
    }
    if (!GetDlgItem(top, IDC_ZAV_PHONES) && !GetDlgItem(top, IDC_ZAV_EXTENSION)) {  // a message box
        const std::string text = Text(GetDlgItem(top, 0xFFFF));
        d.run->messages.push_back("[" + Text(top) + "] " + text.substr(0, text.find('\n')));
        SendDlgItemMessageA(top, IDOK, BM_CLICK, 0, 0);
        return;
    }
    if (d.next == d.steps.size()) {
        SendDlgItemMessageA(top, IDCANCEL, BM_CLICK, 0, 0);
        return;
    }
    const std::string& step = d.steps[d.next++];
    if (step.rfind("shot:", 0) == 0) return Picture(top, step.substr(5));
    const bool shift = step[0] == '+';
    char* end = nullptr;
    const int id = static_cast<int>(std::strtol(step.c_str() + (shift ? 1 : 0), &end, 10));
    if (*end == '=') {
        SendDlgItemMessageA(top, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(end + 1));
    } else if (*end == '#') {
        SendDlgItemMessageA(top, id, LB_SETCURSEL, static_cast<WPARAM>(std::atoi(end + 1)), 0);
        SendMessageA(top, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(top, id)));
    } else {
        HoldShift(shift);
        SendDlgItemMessageA(top, id, BM_CLICK, 0, 0);
    }
}

LRESULT CALLBACK HelperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP && g_driver) {
        Step(*g_driver);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HMODULE Provider() {
    static HMODULE provider = LoadLibraryA(NativePath(ZAV_PROVIDER_PATH).c_str());
    return provider;
}

template <typename F>
F Export(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Provider(), name)));
}

}  // namespace

DialogRun RunConfigEntry(ConfigEntry entry, const std::vector<std::string>& steps) {
    DialogRun run;
    static const ATOM helperClass = [] {
        WNDCLASSA c = {};
        c.lpfnWndProc = HelperProc;
        c.lpszClassName = "ZavDialogDriver";
        return RegisterClassA(&c);
    }();
    Driver driver;
    driver.steps = steps;
    driver.run = &run;
    driver.helper =
        CreateWindowA(MAKEINTATOM(helperClass), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    g_driver = &driver;
    g_callbacks = &run.callbacks;
    g_hook = SetWindowsHookExA(WH_CBT, WatchDialogs, nullptr, GetCurrentThreadId());
    PostMessageA(driver.helper, WM_APP, 0, 0);
    run.result =
        Call({Export<UiEntry>("TUISPI_providerConfig"), Export<UiEntry>("TUISPI_providerInstall"),
              Export<LineEntry>("TUISPI_lineConfigDialog"), Export<TspiEntry>("TSPI_providerInstall")},
             entry);
    UnhookWindowsHookEx(g_hook);
    g_callbacks = nullptr;
    g_driver = nullptr;
    DestroyWindow(driver.helper);  // and with it the dispatch still posted
    HoldShift(false);
    run.unused.assign(steps.begin() + static_cast<std::ptrdiff_t>(driver.next), steps.end());
    return run;
}

bool DialogsAvailable(std::string* why) {
    if (!Provider()) {
        *why = "cannot load " ZAV_PROVIDER_PATH;
        return false;
    }
    if (std::getenv("ZAV_DIALOG_TESTS")) return true;
    *why =
        "Wine opens windows only with a display or its null driver: tests/config/dialog-tests.sh runs these";
    return false;
}

#endif

}  // namespace zavtest
