// The configuration dialog's working state: what the administrator has
// edited but not yet stored. One dialog runs at a time, on the control
// panel's thread, so the state is process-wide and unlocked.
#pragma once

#include "config/ZavRegistry.h"
#include "tapi/Tapi.h"

// Telephones the tables can hold, and the size of one table entry (a text of
// at most 750 characters and its terminating zero).
inline constexpr DWORD kZavMaxPhones = 750;
inline constexpr DWORD kZavTableTextSize = 751;

struct ZavDialogState {
    // Entry i of both tables is telephone i and line i of the dialog's list.
    // Passwords are plain text while the dialog edits them; storing them
    // leaves them transformed.
    char m_szExtension[kZavMaxPhones][kZavTableTextSize] = {};
    char m_szPassword[kZavMaxPhones][kZavTableTextSize] = {};
    // Entries in use, and how many telephones the registry held at opening
    // (the keys past the new count are deleted on storing).
    DWORD m_dwEntries = 0;
    DWORD m_dwStoredPhones = 0;

    // The switch's address as edited, and the port as shown ("Port: n").
    char m_szAddress[kZavAddressTextSize] = {};
    char m_szPort[kZavPortTextSize] = {};

    bool m_bAddressChanged = false;
    // Set when a change reaches a running provider only through a restart.
    bool m_bRebootNeeded = false;
    // The switch component could not be asked for the address, so it is
    // written back through the registry.
    bool m_bStoreUnreachable = false;
    // Only query access to the provider's key: the configuration is shown
    // but cannot be stored.
    bool m_bReadOnly = false;
    // The provider's key, held open while the dialog is.
    HKEY m_hProviderKey = nullptr;

    // The extension dialog edits entry m_dwEditIndex, replacing it when
    // m_bModify is set and appending it otherwise (the index is then the
    // number of entries when it opened). The range dialog adds, or removes
    // when m_bRangeRemoves is set.
    bool m_bModify = false;
    DWORD m_dwEditIndex = 0;
    bool m_bRangeRemoves = false;
    // The main dialog, whose list the child dialogs refresh.
    HWND m_hMainDialog = nullptr;

    // What TAPI gave the TUISPI function that opened the dialog; null when
    // the dialog was opened without one.
    TUISPIDLLCALLBACK m_pfnUIDLLCallback = nullptr;

    // Back to the state of a dialog that has just opened. The key is not
    // closed here: that is the editor's business.
    void Reset();
};

ZavDialogState& ZavTheDialogState();
