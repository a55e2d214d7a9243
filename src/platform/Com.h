// COM-style activation of in-process components by class id.
//
// On Windows this is COM itself. Elsewhere the same contract is kept through
// the emulated registry: the default value of the key
// HKEY_LOCAL_MACHINE\Software\Classes\CLSID\{clsid}\InprocServer32 names a shared library, which is loaded and
// asked through its exported DllGetClassObject for a class factory that
// creates the instance. Interfaces are plain vtables with IUnknown first, so a
// component built by anyone from the same declarations works.
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace plat {

// Signature of a component library's DllGetClassObject export.
typedef HRESULT (*DllGetClassObjectFn)(REFCLSID clsid, REFIID iid, void** ppv);

// Initialise COM on the calling thread (single-threaded apartment when
// `apartment` is true). Every successful call needs one ComUninitialize.
HRESULT ComInitialize(bool apartment);
void ComUninitialize();

// Unloads component libraries whose DllCanUnloadNow says they are unused.
void ComFreeUnusedLibraries();

// Creates an in-process instance of `clsid` and asks it for `iid`.
// Failures: REGDB_E_CLASSNOTREG (no registration), the library's load
// failure, CO_E_ERRORINDLL (no DllGetClassObject), or the factory's result.
HRESULT ComCreateInstance(REFCLSID clsid, REFIID iid, void** ppv);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hex as regedit shows.
std::string GuidToString(REFGUID guid);
bool GuidFromString(const char* text, GUID* guid);

// The registry key, below HKEY_LOCAL_MACHINE, that registers `clsid`.
std::string ClsidKeyPath(REFCLSID clsid);

}  // namespace plat
