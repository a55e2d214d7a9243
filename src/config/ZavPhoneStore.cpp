// Writing the telephone list: the configuration dialog's and the
// installation's side of the store.
#include "config/ZavDialogState.h"
#include "config/ZavRegistry.h"
#include "config/ZavRegistryText.h"
#include "platform/Registry.h"
#include "trace/ZavTrace.h"

using zavconfig::kPhoneKeyPathSize;
using zavconfig::kPhoneSubKeySize;

namespace {

// Writes table entry i as telephone i's key, transforming its password in
// the table on the way.
int StorePhone(HKEY hProviderKey, DWORD dwIndex, ZavDialogState& state) {
    char szSubKey[kPhoneSubKeySize], szPath[kPhoneKeyPathSize];
    zavconfig::PhoneSubKey(dwIndex, szSubKey);
    zavconfig::PhoneKeyPath(dwIndex, szPath);
    ZAV_TRACE("@@@@ Configure %s", szPath);
    HKEY hKey;
    if (plat::CreateRegKey(hProviderKey, szSubKey, KEY_ALL_ACCESS, &hKey, nullptr) != ERROR_SUCCESS) {
        ZAV_TRACE("**** ERROR: Failed at RegCreateKeyExA(), key %s", szPath);
        return -1;
    }
    // The dialog fills the tables; a full entry must still end in a zero.
    char* pszExtension = state.m_szExtension[dwIndex];
    char* pszPassword = state.m_szPassword[dwIndex];
    pszExtension[kZavTableTextSize - 1] = '\0';
    pszPassword[kZavTableTextSize - 1] = '\0';
    int rc = 0;
    if (zavconfig::WriteRegText(hKey, "Extension", pszExtension) != ERROR_SUCCESS) {
        ZAV_TRACE("**** ERROR: Failed at RegSetValueExA(), key %s", "Extension");
        rc = -1;
    } else {
        TransformPassword(pszPassword);
        if (zavconfig::WriteRegText(hKey, "Password", pszPassword) != ERROR_SUCCESS) {
            ZAV_TRACE("**** ERROR: Failed at RegSetValueExA(), key %s", "Password");
            rc = -1;
        }
    }
    plat::CloseRegKey(hKey);
    return rc;
}

void DeletePhone(HKEY hProviderKey, DWORD dwIndex) {
    char szSubKey[kPhoneSubKeySize], szPath[kPhoneKeyPathSize];
    zavconfig::PhoneSubKey(dwIndex, szSubKey);
    zavconfig::PhoneKeyPath(dwIndex, szPath);
    ZAV_TRACE("@@@@ Delete key %s", szPath);
    if (plat::DeleteRegKey(hProviderKey, szSubKey) != ERROR_SUCCESS)
        ZAV_TRACE("**** ERROR: Failed at RegDeleteKeyA(), key %s", szPath);
}

}  // namespace

int SetPhoneExtension(DWORD dwNewNumPhones, DWORD dwOldNumPhones) {
    ZAV_TRACE("SetPhoneExtension() is invoked");
    ZavDialogState& state = ZavTheDialogState();
    // The tables end here; the dialog refuses to grow past them.
    if (dwNewNumPhones > kZavMaxPhones) {
        ZAV_TRACE("**** ERROR: SetPhoneExtension() %u telephones do not fit the table",
                  static_cast<unsigned>(dwNewNumPhones));
        return -1;
    }
    HKEY hKey;
    if (plat::OpenRegKey(HKEY_LOCAL_MACHINE, kZavProviderKey, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS) {
        ZAV_TRACE("**** ERROR: Failed at RegOpenKeyExA(), key %s", kZavProviderKey);
        return -1;
    }
    // The count goes first: a provider reading meanwhile then finds at worst
    // a telephone whose key is not there yet, which it reports.
    if (plat::SetRegValue(hKey, "NumPhones", REG_DWORD, reinterpret_cast<const BYTE*>(&dwNewNumPhones),
                          sizeof dwNewNumPhones) != ERROR_SUCCESS) {
        ZAV_TRACE("**** ERROR: Failed at RegSetValueExA(), key %s", "NumPhones");
        plat::CloseRegKey(hKey);
        return -1;
    }
    for (DWORD i = 0; i < dwNewNumPhones; ++i) {
        if (StorePhone(hKey, i, state) != 0) {
            plat::CloseRegKey(hKey);
            return -1;
        }
    }
    for (DWORD i = dwNewNumPhones; i < dwOldNumPhones; ++i) DeletePhone(hKey, i);
    plat::CloseRegKey(hKey);

    if (dwNewNumPhones <= dwOldNumPhones) return 0;
    // A running provider adds one line per signal; more than one new
    // telephone only takes effect after a restart.
    if (dwNewNumPhones - dwOldNumPhones > 1) state.m_bRebootNeeded = true;
    if (state.m_pfnUIDLLCallback) {
        ZAV_TRACE("@@@@ %d UI DLL callback", static_cast<int>(dwNewNumPhones));
        state.m_pfnUIDLLCallback(0, TUISPIDLL_OBJECT_LINEID, nullptr, 0);
    }
    return 0;
}

int CreateZAVRegistryKeys() {
    ZAV_TRACE("CreateZAVRegistryKeys() is invoked");
    HKEY hKey;
    if (plat::CreateRegKey(HKEY_LOCAL_MACHINE, kZavProviderKey, KEY_ALL_ACCESS, &hKey, nullptr) !=
        ERROR_SUCCESS) {
        ZAV_TRACE("**** ERROR: Failed at RegCreateKeyExA(), key %s", kZavProviderKey);
        return -1;
    }
    const struct {
        const char* pszName;
        DWORD dwDefault;
    } defaults[] = {{"CurrentVersion", kZavStoreVersion}, {"NumPhones", 1}, {"EmulateModem", 0}};
    for (const auto& value : defaults) {
        DWORD dwSize = 0;
        if (plat::QueryRegValue(hKey, value.pszName, nullptr, nullptr, &dwSize) == ERROR_SUCCESS) continue;
        ZAV_TRACE("**** ERROR: Failed at RegQueryValueExA(), creating value %s", value.pszName);
        // An installation that cannot write its defaults still gets its
        // first telephone below; the readers treat a missing value as 0.
        plat::SetRegValue(hKey, value.pszName, REG_DWORD, reinterpret_cast<const BYTE*>(&value.dwDefault),
                          sizeof value.dwDefault);
    }

    char szSubKey[kPhoneSubKeySize], szPath[kPhoneKeyPathSize];
    zavconfig::PhoneSubKey(0, szSubKey);
    zavconfig::PhoneKeyPath(0, szPath);
    HKEY hPhoneKey;
    DWORD dwDisposition = 0;
    if (plat::CreateRegKey(hKey, szSubKey, KEY_ALL_ACCESS, &hPhoneKey, &dwDisposition) != ERROR_SUCCESS) {
        ZAV_TRACE("**** ERROR: Failed at RegCreateKeyExA(), key %s", szPath);
        plat::CloseRegKey(hKey);
        return -1;
    }
    // Both keys are closed on every way out; nothing else needs them open.
    int rc = 0;
    if (dwDisposition == REG_OPENED_EXISTING_KEY) {
        ZAV_TRACE("**** RegCreateKeyExA(), key %s already exists", szPath);
    } else {
        // The first telephone's password goes in as it stands, not in its
        // transformed form.
        const struct {
            const char* pszName;
            const char* pszText;
        } first[] = {{"Extension", "100"}, {"Password", "61836183"}};
        for (const auto& value : first) {
            if (zavconfig::WriteRegText(hPhoneKey, value.pszName, value.pszText) != ERROR_SUCCESS) {
                ZAV_TRACE("**** ERROR: Failed at RegSetValueExA(), value %s", value.pszName);
                rc = -1;
                break;
            }
        }
    }
    plat::CloseRegKey(hPhoneKey);
    plat::CloseRegKey(hKey);
    return rc;
}
