#include "config/ZavConfigDialogs.h"

#include <string>

#include "config/ZavConfigEditor.h"
#include "platform/Ui.h"
#include "provider/ZavTspVersion.h"
#include "resources/resource.h"
#include "trace/ZavTrace.h"

namespace {

constexpr int kTextLimit = static_cast<int>(kZavTableTextSize - 1);

constexpr const char* kRebootCaption = "ZAV TAPI Service Provider";
constexpr const char* kRebootText =
    "The Ostrel ZAV TAPI configuration has been changed on your computer.\n"
    "You now need to reboot before you can use TAPI-enabled applications\n"
    "to communicate with your OSTREL ZAV 100 Communications System.";

// The module whose templates the child dialogs come from.
HINSTANCE g_hModule = nullptr;

WORD CommandId(WPARAM wParam) {
    return static_cast<WORD>(wParam & 0xFFFF);
}
WORD CommandCode(WPARAM wParam) {
    return static_cast<WORD>((wParam >> 16) & 0xFFFF);
}

bool Refused(HWND dialog, ZavRefusal refusal) {
    if (refusal == ZavRefusal::kNone) return false;
    plat::ShowMessageBox(dialog, ZavRefusalText(refusal), kZavErrorCaption, MB_OK | MB_ICONERROR);
    return true;
}

// The main dialog's list follows the tables: refilled after every change.
void ShowTelephones(int selection) {
    HWND main = ZavTheDialogState().m_hMainDialog;
    while (plat::ListGetCount(main, IDC_ZAV_PHONES) > 0) plat::ListDeleteString(main, IDC_ZAV_PHONES, 0);
    ZavConfigEditor editor;
    for (DWORD i = 0; i < editor.Count(); ++i) plat::ListAddString(main, IDC_ZAV_PHONES, editor.Extension(i));
    plat::ListSetSelection(main, IDC_ZAV_PHONES, selection);
}

INT_PTR ExtensionDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    ZavDialogState& state = ZavTheDialogState();
    ZavConfigEditor editor(state);
    if (message == plat::kWmInitDialog) {
        plat::LimitDialogItemText(dialog, IDC_ZAV_EXTENSION, kTextLimit);
        plat::LimitDialogItemText(dialog, IDC_ZAV_PASSWORD, kTextLimit);
        if (state.m_bModify) {
            plat::SetDialogItemText(dialog, IDC_ZAV_EXTENSION, editor.Extension(state.m_dwEditIndex));
            plat::SetDialogItemText(dialog, IDC_ZAV_PASSWORD, editor.Password(state.m_dwEditIndex));
        }
        plat::FocusDialogItem(dialog, IDC_ZAV_EXTENSION);
        return FALSE;
    }
    if (message != plat::kWmCommand || CommandCode(wParam) != plat::kBnClicked) return FALSE;
    if (CommandId(wParam) == IDOK) {
        const std::string extension = plat::GetDialogItemText(dialog, IDC_ZAV_EXTENSION);
        const std::string password = plat::GetDialogItemText(dialog, IDC_ZAV_PASSWORD);
        if (Refused(dialog, state.m_bModify
                                ? editor.Modify(state.m_dwEditIndex, extension.c_str(), password.c_str())
                                : editor.Add(extension.c_str(), password.c_str())))
            return TRUE;
        ShowTelephones(static_cast<int>(state.m_dwEditIndex));
        plat::EndModalDialog(dialog, IDOK);
    } else if (CommandId(wParam) == IDCANCEL) {
        plat::EndModalDialog(dialog, IDCANCEL);
    }
    return TRUE;
}

INT_PTR RangeDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    ZavDialogState& state = ZavTheDialogState();
    if (message == plat::kWmInitDialog) {
        plat::LimitDialogItemText(dialog, IDC_ZAV_EXTENSION, kTextLimit);
        plat::FocusDialogItem(dialog, IDC_ZAV_EXTENSION);
        return FALSE;
    }
    if (message != plat::kWmCommand || CommandCode(wParam) != plat::kBnClicked) return FALSE;
    if (CommandId(wParam) == IDOK) {
        const std::string range = plat::GetDialogItemText(dialog, IDC_ZAV_EXTENSION);
        ZavConfigEditor editor(state);
        if (Refused(dialog, state.m_bRangeRemoves ? editor.RemoveRange(range.c_str())
                                                  : editor.AddRange(range.c_str())))
            return TRUE;
        // Added numbers start at the list's old end; after removing, the top.
        ShowTelephones(state.m_bRangeRemoves ? 0 : static_cast<int>(state.m_dwEditIndex));
        plat::EndModalDialog(dialog, IDOK);
    } else if (CommandId(wParam) == IDCANCEL) {
        plat::EndModalDialog(dialog, IDCANCEL);
    }
    return TRUE;
}

void RunChild(HWND main, int templateId, plat::DialogProc proc) {
    plat::RunModalDialog(g_hModule, templateId, main, proc, 0);
}

void OpenMainDialog(HWND dialog, TUISPIDLLCALLBACK pfnCallback) {
    ZavConfigEditor editor;
    if (!editor.Open(pfnCallback)) {
        ZAV_TRACE("**** ConfigDlgProc() the provider's key cannot be opened");
        plat::EndModalDialog(dialog, IDCANCEL);
        return;
    }
    ZavTheDialogState().m_hMainDialog = dialog;
    if (editor.ReadOnly()) {
        plat::EnableDialogItem(dialog, IDC_ZAV_ADDRESS, false);
        plat::EnableDialogItem(dialog, IDOK, false);
    }
    plat::LimitDialogItemText(dialog, IDC_ZAV_ADDRESS, kTextLimit);
    plat::SetDialogItemText(dialog, IDC_ZAV_VERSION, kZavVersionText);
    // The edit reports this as a change, which SetAddress finds is none.
    plat::SetDialogItemText(dialog, IDC_ZAV_ADDRESS, editor.Address());
    plat::SetDialogItemText(dialog, IDC_ZAV_PORT, editor.PortText());
    ShowTelephones(0);
    plat::FocusDialogItem(dialog, IDC_ZAV_PHONES);
}

void MainCommand(HWND dialog, WORD id, WORD code) {
    ZavDialogState& state = ZavTheDialogState();
    ZavConfigEditor editor(state);
    if (id == IDC_ZAV_ADDRESS) {
        if (code == plat::kEnChange && state.m_hMainDialog)
            editor.SetAddress(plat::GetDialogItemText(dialog, IDC_ZAV_ADDRESS).c_str());
        return;
    }
    if (code != plat::kBnClicked) return;
    const int selection = plat::ListGetSelection(dialog, IDC_ZAV_PHONES);
    switch (id) {
        case IDC_ZAV_ADD:
            if (Refused(dialog, editor.CheckRoom())) return;
            state.m_bModify = false;
            state.m_dwEditIndex = editor.Count();
            state.m_bRangeRemoves = false;
            if (plat::IsShiftDown())
                RunChild(dialog, IDD_ZAV_RANGE, RangeDialog);
            else
                RunChild(dialog, IDD_ZAV_EXTENSION, ExtensionDialog);
            return;
        case IDC_ZAV_MODIFY:
            if (selection < 0 || static_cast<DWORD>(selection) >= editor.Count()) {
                Refused(dialog, ZavRefusal::kNoDeviceSelected);
                return;
            }
            state.m_bModify = true;
            state.m_dwEditIndex = static_cast<DWORD>(selection);
            RunChild(dialog, IDD_ZAV_EXTENSION, ExtensionDialog);
            return;
        case IDC_ZAV_REMOVE:
            if (plat::IsShiftDown()) {
                state.m_bRangeRemoves = true;
                RunChild(dialog, IDD_ZAV_RANGE, RangeDialog);
            } else if (!Refused(dialog, editor.Remove(selection))) {
                ShowTelephones(0);
            }
            return;
        case IDOK:
            editor.Store();
            plat::EndModalDialog(dialog, IDOK);
            if (editor.RebootNeeded())
                plat::ShowMessageBox(dialog, kRebootText, kRebootCaption, MB_OK | MB_ICONEXCLAMATION);
            return;
        case IDCANCEL:
            editor.Cancel();
            plat::EndModalDialog(dialog, IDCANCEL);
            return;
        default:
            return;
    }
}

INT_PTR MainDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == plat::kWmInitDialog) {
        OpenMainDialog(dialog, reinterpret_cast<TUISPIDLLCALLBACK>(lParam));
        return FALSE;
    }
    if (message != plat::kWmCommand) return FALSE;
    MainCommand(dialog, CommandId(wParam), CommandCode(wParam));
    return TRUE;
}

}  // namespace

void ZavRunConfigDialog(HINSTANCE module, HWND owner, TUISPIDLLCALLBACK pfnCallback) {
    g_hModule = module;
    plat::RunModalDialog(module, IDD_ZAV_CONFIG, owner, MainDialog, reinterpret_cast<LPARAM>(pfnCallback));
    ZavTheDialogState().m_hMainDialog = nullptr;
}
