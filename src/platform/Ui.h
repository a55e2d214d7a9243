// The user-interface seam: message boxes and modal dialogs, shaped like the
// Win32 dialog calls so the configuration code is written once.
//
// On Windows these are the real Win32 calls on dialog templates from the
// module's resources. Elsewhere a console stands in: a message box prints its
// caption and text and, for a question, reads the answer; a modal dialog
// keeps its controls' texts and list items in memory, calls the dialog
// procedure with WM_INITDIALOG, then reads commands line by line:
//   <id>=<text>   set a control's text (the procedure sees EN_CHANGE)
//   <id>          press a button (the procedure sees BN_CLICKED)
//   +<id>         press it with the Shift key held
//   <id>#<n>      select line n of a list (LBN_SELCHANGE)
//   ?             print every control
// Commands to a disabled control are ignored, as the real ones would be;
// text set on an edit is cut to its limit, as typing would be. End of input
// presses Cancel.
#pragma once

#include <cstdio>
#include <string>

#include "platform/WinTypes.h"

namespace plat {

inline constexpr UINT kWmInitDialog = 0x0110;
inline constexpr UINT kWmCommand = 0x0111;
inline constexpr WORD kBnClicked = 0;
inline constexpr WORD kEnChange = 0x0300;
inline constexpr WORD kLbnSelChange = 1;

typedef INT_PTR (*DialogProc)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// IDOK, IDCANCEL, IDYES or IDNO.
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT flags);

// Runs a dialog modally until EndModalDialog; returns its result, -1 on failure.
INT_PTR RunModalDialog(HINSTANCE module, int templateId, HWND owner, DialogProc proc, LPARAM param);
void EndModalDialog(HWND dialog, INT_PTR result);

bool SetDialogItemText(HWND dialog, int id, const char* text);
std::string GetDialogItemText(HWND dialog, int id);
// How many characters the user may type into an edit control.
void LimitDialogItemText(HWND dialog, int id, int characters);
void EnableDialogItem(HWND dialog, int id, bool enable);
void FocusDialogItem(HWND dialog, int id);

// List boxes: index of the added line, or -1.
int ListAddString(HWND dialog, int id, const char* text);
bool ListDeleteString(HWND dialog, int id, int index);
int ListGetCount(HWND dialog, int id);
int ListGetSelection(HWND dialog, int id);
bool ListSetSelection(HWND dialog, int id, int index);
std::string ListGetString(HWND dialog, int id, int index);
// Exact, case-insensitive match as LB_FINDSTRINGEXACT: index or -1.
int ListFindExact(HWND dialog, int id, const char* text);

// One of the system's stock icons (IDI_*), shared and never destroyed; null
// on failure. Elsewhere a fixed non-null token per id stands for it.
HICON LoadStockIcon(int id);

// True while the Shift key is held (on the console: while a +<id> command
// is handled).
bool IsShiftDown();

// Console stand-in only: where it reads commands and writes output
// (stdin/stdout by default). No effect on Windows.
void SetConsoleUiStreams(std::FILE* in, std::FILE* out);

}  // namespace plat
