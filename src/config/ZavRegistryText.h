// Helpers the configuration store shares: key paths of the telephones, and
// texts moved between the registry and fixed-size buffers without ever
// writing past them.
#pragma once

#include <cstddef>

#include "platform/WinTypes.h"

namespace zavconfig {

// "Phone4294967295" and its zero fit.
inline constexpr std::size_t kPhoneSubKeySize = 16;
// The provider's key, a backslash and the subkey.
inline constexpr std::size_t kPhoneKeyPathSize = 48;

// "Phone" followed by the index in decimal.
void PhoneSubKey(DWORD dwIndex, char (&szSubKey)[kPhoneSubKeySize]);
// The same below the provider's key, as the traces name it.
void PhoneKeyPath(DWORD dwIndex, char (&szPath)[kPhoneKeyPathSize]);

// Reads a REG_SZ value into `pszBuffer` of `dwSize` bytes and terminates it.
// False when the value is missing, not text, or does not fit with its zero.
bool ReadRegText(HKEY hKey, const char* pszName, char* pszBuffer, DWORD dwSize);
// Writes a REG_SZ value with its terminating zero; a registry error code.
LONG WriteRegText(HKEY hKey, const char* pszName, const char* pszText);

// Copies at most `length` bytes of `src`, stopping at a zero byte, into
// `dst` of `dstSize` bytes, cut to fit, always terminated.
void CopyText(char* dst, std::size_t dstSize, const char* src, std::size_t length);
// Appends `src` to the text in `dst` of `dstSize` bytes, cut to fit. A `dst`
// with no zero within its size is left alone.
void AppendText(char* dst, std::size_t dstSize, const char* src);

}  // namespace zavconfig
