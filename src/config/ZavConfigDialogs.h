// The configuration dialogs: the main dialog (switch address and telephone
// list) and its two children, one extension and a range of extensions.
// Their procedures reach the controls only through platform/Ui.h, so they
// run as real dialogs on Windows and on the console stand-in elsewhere;
// what any input does is ZavConfigEditor's.
#pragma once

#include "tapi/Tapi.h"

// Runs the main dialog modally on `owner` with the templates of `module`.
// `pfnCallback` is TAPI's, told when telephones were added; may be null.
void ZavRunConfigDialog(HINSTANCE module, HWND owner, TUISPIDLLCALLBACK pfnCallback);

// Whether the telephony service lists this provider ("ZavTsp.tsp", in any
// case) among its providers.
bool ZavIsProviderInstalled();
