#include "platform/Ui.h"

namespace plat {

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT flags) {
    return ::MessageBoxA(owner, text, caption, flags);
}

INT_PTR RunModalDialog(HINSTANCE module, int templateId, HWND owner, DialogProc proc, LPARAM param) {
    return ::DialogBoxParamA(module, MAKEINTRESOURCEA(templateId), owner, reinterpret_cast<DLGPROC>(proc), param);
}

void EndModalDialog(HWND dialog, INT_PTR result) { ::EndDialog(dialog, result); }

bool SetDialogItemText(HWND dialog, int id, const char* text) { return ::SetDlgItemTextA(dialog, id, text) != 0; }

std::string GetDialogItemText(HWND dialog, int id) {
    HWND item = ::GetDlgItem(dialog, id);
    if (!item) return std::string();
    int n = ::GetWindowTextLengthA(item);
    std::string text(static_cast<std::size_t>(n) + 1, '\0');
    int got = ::GetWindowTextA(item, text.data(), n + 1);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

void LimitDialogItemText(HWND dialog, int id, int characters) {
    ::SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, static_cast<WPARAM>(characters), 0);
}

void EnableDialogItem(HWND dialog, int id, bool enable) { ::EnableWindow(::GetDlgItem(dialog, id), enable); }

void FocusDialogItem(HWND dialog, int id) { ::SetFocus(::GetDlgItem(dialog, id)); }

int ListAddString(HWND dialog, int id, const char* text) {
    LRESULT r = ::SendDlgItemMessageA(dialog, id, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    return r < 0 ? -1 : static_cast<int>(r);
}

bool ListDeleteString(HWND dialog, int id, int index) {
    return ::SendDlgItemMessageA(dialog, id, LB_DELETESTRING, static_cast<WPARAM>(index), 0) != LB_ERR;
}

int ListGetCount(HWND dialog, int id) {
    return static_cast<int>(::SendDlgItemMessageA(dialog, id, LB_GETCOUNT, 0, 0));
}

int ListGetSelection(HWND dialog, int id) {
    return static_cast<int>(::SendDlgItemMessageA(dialog, id, LB_GETCURSEL, 0, 0));
}

bool ListSetSelection(HWND dialog, int id, int index) {
    return ::SendDlgItemMessageA(dialog, id, LB_SETCURSEL, static_cast<WPARAM>(index), 0) != LB_ERR || index < 0;
}

std::string ListGetString(HWND dialog, int id, int index) {
    LRESULT n = ::SendDlgItemMessageA(dialog, id, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n == LB_ERR) return std::string();
    std::string text(static_cast<std::size_t>(n) + 1, '\0');
    ::SendDlgItemMessageA(dialog, id, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(n));
    return text;
}

int ListFindExact(HWND dialog, int id, const char* text) {
    LRESULT r = ::SendDlgItemMessageA(dialog, id, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(text));
    return r == LB_ERR ? -1 : static_cast<int>(r);
}

HICON LoadStockIcon(int id) { return ::LoadIconA(nullptr, MAKEINTRESOURCEA(id)); }

bool IsShiftDown() { return (::GetKeyState(VK_SHIFT) & 0x8000) != 0; }

void SetConsoleUiStreams(std::FILE*, std::FILE*) {}

}  // namespace plat
