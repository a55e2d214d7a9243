#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/Ui.h"

// The console stand-in only: on Windows these would open real windows.
#ifndef _WIN32
namespace {

struct ScriptedConsole {
    std::FILE* in;
    std::FILE* out;
    explicit ScriptedConsole(const char* script) {
        in = std::tmpfile();
        out = std::tmpfile();
        std::fputs(script, in);
        std::rewind(in);
        plat::SetConsoleUiStreams(in, out);
    }
    ~ScriptedConsole() {
        plat::SetConsoleUiStreams(nullptr, nullptr);
        std::fclose(in);
        std::fclose(out);
    }
};

TEST(ConsoleUi, MessageBoxAnswers) {
    struct Case {
        const char* script;
        UINT flags;
        int expected;
    } cases[] = {
        {"", MB_OK, IDOK},    {"y\n", MB_YESNO, IDYES},    {"n\n", MB_YESNO, IDNO},
        {"", MB_YESNO, IDNO}, {"ok\n", MB_OKCANCEL, IDOK}, {"", MB_OKCANCEL, IDCANCEL},
    };
    for (const Case& c : cases) {
        ScriptedConsole console(c.script);
        EXPECT_EQ(plat::ShowMessageBox(nullptr, "text", "ERROR", c.flags), c.expected) << c.script;
    }
}

std::string g_seen;

INT_PTR EditDialog(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    if (msg == plat::kWmInitDialog) {
        plat::SetDialogItemText(dlg, 1031, "100");
        plat::ListAddString(dlg, 1024, "100");
        plat::ListAddString(dlg, 1024, "101");
        return TRUE;
    }
    if (msg == plat::kWmCommand && (wp >> 16) == plat::kBnClicked) {
        int id = static_cast<int>(wp & 0xFFFF);
        if (id == IDOK) {
            g_seen = plat::GetDialogItemText(dlg, 1031) + "|" +
                     std::to_string(plat::ListGetSelection(dlg, 1024)) + "|" +
                     std::to_string(plat::ListFindExact(dlg, 1024, "101"));
            plat::EndModalDialog(dlg, 42);
        } else if (id == IDCANCEL) {
            plat::EndModalDialog(dlg, IDCANCEL);
        }
    }
    return FALSE;
}

TEST(ConsoleUi, ModalDialogRunsItsProcedureOnScriptedInput) {
    const struct {
        const char* script;
        INT_PTR result;
        const char* seen;
    } cases[] = {
        {"1031=205\n1024#1\n1\n", 42, "205|1|1"}, {"1031=205\n", IDCANCEL, ""},  // input ends: Cancel
    };
    for (const auto& c : cases) {
        ScriptedConsole console(c.script);
        g_seen.clear();
        EXPECT_EQ(plat::RunModalDialog(nullptr, 104, nullptr, EditDialog, 0), c.result) << c.script;
        EXPECT_EQ(g_seen, c.seen);
    }
}

}  // namespace
#endif
