// The provider's configuration in the registry under HKEY_LOCAL_MACHINE:
//
//   Software\Ostrel\ZAV\ZAVTSP        CurrentVersion, NumPhones, EmulateModem (REG_DWORD)
//   Software\Ostrel\ZAV\ZAVTSP\PhoneN Extension, Password (REG_SZ), N = 0 .. NumPhones-1
//   Software\Ostrel\ZAV\Carrack       ServerIPAddr, ServerPortId (the switch component's own key)
//
// Nothing is cached: every call opens and closes its keys. Readers run on
// TAPI's threads, writers on the configuration dialog's; there is no lock,
// the count is written before the telephones' keys.
//
// Results are 0 for success and -1 for failure, traced, unless said
// otherwise. Text buffers must be at least the size given at each function;
// nothing is written past it.
#pragma once

#include "platform/WinTypes.h"

inline constexpr const char* kZavProviderKey = "Software\\Ostrel\\ZAV\\ZAVTSP";
inline constexpr const char* kZavServerKey = "Software\\Ostrel\\ZAV\\Carrack";
inline constexpr DWORD kZavStoreVersion = 0x00020001;

// Extension texts: at most 7 characters.
inline constexpr DWORD kZavExtensionSize = 8;
// Stored passwords: at most 15 characters.
inline constexpr DWORD kZavPasswordSize = 16;
// The dialog's address and port texts.
inline constexpr DWORD kZavAddressTextSize = 751;
inline constexpr DWORD kZavPortTextSize = 64;

// "NumPhones"; 0 when the key or the value is missing.
DWORD ReadNumPhones();
// "EmulateModem"; 0 when missing.
DWORD ReadEmulateModem();

// The extension of telephone `dwIndex` into `pszExtension`
// (kZavExtensionSize bytes), which is left alone on failure.
int GetPhoneExtension(DWORD dwIndex, char* pszExtension);
// The stored (transformed) password of telephone `dwIndex` into
// `pszPassword` (kZavPasswordSize bytes), left alone on failure.
int GetUserPassword(DWORD dwIndex, char* pszPassword);
// Every telephone 0 .. dwNumPhones-1 has a key with an extension that fits.
int CheckPhoneKeys(DWORD dwNumPhones);

// Stores the dialog's tables (ZavDialogState) as dwNewNumPhones telephones,
// deleting the keys of telephones dwNewNumPhones .. dwOldNumPhones-1. The
// table's passwords are transformed in place on the way. When telephones
// were added, tells the running provider through the dialog's UI callback
// and, for more than one, marks the dialog as needing a reboot.
int SetPhoneExtension(DWORD dwNewNumPhones, DWORD dwOldNumPhones);

// At installation: the provider's key with its defaults and a first
// telephone, leaving whatever already exists alone.
int CreateZAVRegistryKeys();

// The switch's address through a temporary endpoint of the switch
// component: `pszAddress` (kZavAddressTextSize bytes) receives the address,
// the port is appended in decimal to `pszPort` (kZavPortTextSize bytes, a
// zero-terminated text such as "Port: "). Both are left alone on failure.
// Leaves COM initialised on the calling thread unless creating the endpoint
// failed.
int GetServerIPAddress(char* pszAddress, char* pszPort);
// The same read directly from the component's key; always 0, both texts
// unchanged when the key is missing.
int GetServerIPAddressHack(char* pszAddress, char* pszPort);

// Hands the address to the switch component. COM must be initialised on
// the calling thread.
int SetServerIPAddress(const char* pszAddress);
// Writes the address directly into the component's key; always 0.
int SetServerIPAddressHack(const char* pszAddress);

// The stored form of a password and back: byte i becomes (i - b + 127)
// modulo 256, in place, up to the first zero byte. Its own inverse as long
// as no byte becomes zero, which no printable character does within the
// first 15 positions. -1 for a null text.
int TransformPassword(char* pszPassword);
