// Runs a configuration entry point of the provider with its dialogs driven
// by a script, the same script on both platforms:
//   <id>=<text>   type into an edit     <id>    press a button
//   +<id>         press it with Shift   <id>#<n> select line n of a list
//   shot:<name>   picture of the dialog (Windows, when pictures are asked for)
// Each step goes to the innermost open dialog; message boxes are answered
// with OK and recorded; when the script ends, open dialogs are cancelled.
//
// Linux: the console stand-in on the provider code linked into the test.
// Windows: the real dialogs of the built ZAVTSP.TSP, loaded by path, driven
// by their own messages (WM_SETTEXT, BM_CLICK with the keyboard state's
// Shift) from a window of the test's thread that the dialogs' modal loops
// dispatch to, one step per dispatch.
#pragma once

#include <string>
#include <vector>

#include "tapi/Tapi.h"

namespace zavtest {

enum class ConfigEntry { kProviderConfig, kLineConfig, kUiInstall, kTspiInstall };

struct DialogRun {
    LONG result = -1;
    // "[caption] first line" of each message box, in order.
    std::vector<std::string> messages;
    // Calls of TAPI's callback, as "objectId objectType params size".
    std::vector<std::string> callbacks;
    // Script steps left over when the last dialog closed.
    std::vector<std::string> unused;
};

DialogRun RunConfigEntry(ConfigEntry entry, const std::vector<std::string>& steps);

// Whether windows can be opened here; when not, the reason. Wine needs a
// display or its null driver, which the dialog test script sets up.
bool DialogsAvailable(std::string* why);

}  // namespace zavtest
