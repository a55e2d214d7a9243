// The configuration dialog's working state: what the administrator has
// edited but not yet stored. One dialog runs at a time, on the control
// panel's thread, so the state is process-wide and unlocked.
#pragma once

#include "tapi/Tapi.h"

// Telephones the tables can hold, and the size of one table entry (a text of
// at most 750 characters and its terminating zero).
inline constexpr DWORD kZavMaxPhones = 750;
inline constexpr DWORD kZavTableTextSize = 751;

struct ZavDialogState {
    // Entry i of both tables is telephone i. Passwords are plain text while
    // the dialog edits them; storing them leaves them transformed.
    char m_szExtension[kZavMaxPhones][kZavTableTextSize] = {};
    char m_szPassword[kZavMaxPhones][kZavTableTextSize] = {};

    bool m_bAddressChanged = false;
    // Set when a change reaches a running provider only through a restart.
    bool m_bRebootNeeded = false;
    // The switch component could not be asked for the address, so it is
    // written back through the registry.
    bool m_bStoreUnreachable = false;

    // What TAPI gave the TUISPI function that opened the dialog; null when
    // the dialog was opened without one.
    TUISPIDLLCALLBACK m_pfnUIDLLCallback = nullptr;

    // Back to the state of a dialog that has just opened.
    void Reset();
};

ZavDialogState& ZavTheDialogState();
