// Registry access under HKEY_LOCAL_MACHINE, with the Win32 ANSI calls'
// semantics: results are Win32 error codes (ERROR_SUCCESS, ERROR_FILE_NOT_FOUND,
// ERROR_MORE_DATA, ...), key and value names compare without regard to case,
// strings are 8-bit text in the ANSI code page and are sized with their
// terminating zero.
//
// Windows: the real registry. Elsewhere: a file in the text format that
// regedit exports (see posix/RegFile.h), named by the environment variable
// ZAV_REGISTRY (default $XDG_CONFIG_HOME/zav/registry.reg, else
// $HOME/.config/zav/registry.reg). There a file that does not parse fails
// every call with ERROR_BADDB and is left as it is; key and value names must
// be valid UTF-8 (else ERROR_NO_UNICODE_TRANSLATION, 1113) without line
// breaks (else ERROR_INVALID_PARAMETER). String data is returned exactly as
// it was set: UTF-8 where it is valid UTF-8, anything else taken as
// Windows-1252, which is how the file holds it for `reg import`. With
// ZAV_REGISTRY_SCRATCH set (tests' throw-away registries) writes are not
// synced to disk.
//
// A key deleted while a handle to it is open gives ERROR_KEY_DELETED through
// that handle. Writing through a handle without KEY_SET_VALUE, or creating a
// subkey without KEY_CREATE_SUB_KEY, is ERROR_ACCESS_DENIED.
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace plat {

// Opens an existing key. `access` is KEY_READ, KEY_WRITE or KEY_ALL_ACCESS.
// *result is null after any failure (here and in CreateRegKey).
LONG OpenRegKey(HKEY parent, const char* subKey, DWORD access, HKEY* result);

// Opens a key, creating it and any missing parents. `disposition`, when not
// null, receives REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY.
LONG CreateRegKey(HKEY parent, const char* subKey, DWORD access, HKEY* result, DWORD* disposition);

LONG CloseRegKey(HKEY key);

// Deletes a key that has no subkeys; a key with subkeys is refused with
// ERROR_ACCESS_DENIED, as on Windows.
LONG DeleteRegKey(HKEY parent, const char* subKey);

// As RegQueryValueExA: `data` may be null to ask for the size. A buffer too
// small gives ERROR_MORE_DATA with *size set to the size needed.
// `name` null or "" is the key's default value.
LONG QueryRegValue(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size);

// As RegSetValueExA: REG_SZ and REG_MULTI_SZ data are taken as given,
// terminators included.
LONG SetRegValue(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size);

LONG DeleteRegValue(HKEY key, const char* name);

// As RegEnumKeyExA: subkey names in the registry's order (alphabetical,
// ignoring case); ERROR_NO_MORE_ITEMS (259) after the last one. *nameSize is
// the buffer's size in, the name's length without its terminator out; a
// buffer too small is ERROR_MORE_DATA.
LONG EnumRegKey(HKEY key, DWORD index, char* name, DWORD* nameSize);

// Where the registry is kept, for telling a user: the file on Linux, the
// system's registry elsewhere.
std::string RegistryLocation();

// Convenience wrappers used by tools and tests.
LONG SetRegString(HKEY key, const char* name, const char* text);
LONG SetRegDword(HKEY key, const char* name, DWORD value);

}  // namespace plat
