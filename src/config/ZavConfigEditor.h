// The configuration dialog's rules, apart from any window: what opening the
// dialog, Add, Modify, Remove, the range dialog, OK and Cancel do to the
// working state (ZavDialogState) and, on OK only, to the registry. The
// dialog procedures and the Linux configuration tool show the state and
// relay the administrator's input; neither decides anything itself.
#pragma once

#include "config/ZavDialogState.h"

// Why an edit was refused. The dialog shows the text in a message box with
// the caption kZavErrorCaption and stays open for correction.
enum class ZavRefusal {
    kNone,
    kTooManyDevices,
    kNoDeviceSelected,
    kNoExtension,
    kExtensionExists,
    kNoRange,
    kRangeFormat,
    kInvalidRange,
};
inline constexpr const char* kZavErrorCaption = "ERROR";
// The message for a refusal; null for kNone.
const char* ZavRefusalText(ZavRefusal refusal);

class ZavConfigEditor {
public:
    explicit ZavConfigEditor(ZavDialogState& state = ZavTheDialogState()) : m_s(state) {}

    // Starts an edit: opens the provider's key (creating it), reads the
    // switch's address and the telephones. False when the key can be opened
    // neither to change nor to read it; nothing is then held open.
    bool Open(TUISPIDLLCALLBACK pfnCallback);
    bool ReadOnly() const { return m_s.m_bReadOnly; }

    DWORD Count() const { return m_s.m_dwEntries; }
    const char* Extension(DWORD i) const { return m_s.m_szExtension[i]; }
    const char* Password(DWORD i) const { return m_s.m_szPassword[i]; }
    const char* Address() const { return m_s.m_szAddress; }
    const char* PortText() const { return m_s.m_szPort; }
    // The first entry with this extension, ignoring case as the list's
    // exact-match search does; -1 when there is none.
    int Find(const char* pszExtension) const;

    // The address edit's text; true when it differs from the address.
    bool SetAddress(const char* pszAddress);
    // Add pressed: is there room for one more telephone?
    ZavRefusal CheckRoom() const;
    // The extension dialog's OK: appends a telephone whose extension is not
    // listed yet, or replaces entry `index` (which may then equal another).
    ZavRefusal Add(const char* pszExtension, const char* pszPassword);
    ZavRefusal Modify(DWORD index, const char* pszExtension, const char* pszPassword);
    // Removes entry `index` (a list selection, -1 for none).
    ZavRefusal Remove(int index);
    // The range dialog's OK on a text "low-high". Adding appends every number
    // of the range not yet listed, with an empty password, or nothing at all
    // when they would not all fit. Removing removes each listed one.
    ZavRefusal AddRange(const char* pszRange);
    ZavRefusal RemoveRange(const char* pszRange);

    // OK: stores the telephones (telling the running provider through the
    // callback when some were added) and a changed address, and ends the
    // edit. 0, or -1 when a write failed (traced) or the key is read-only.
    int Store();
    // After Store: whether the administrator must be told to reboot.
    bool RebootNeeded() const { return m_s.m_bRebootNeeded; }
    // Cancel: ends the edit and stores nothing.
    void Cancel();

private:
    void Close();

    ZavDialogState& m_s;
};
