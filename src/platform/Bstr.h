// BSTRs that carry 8-bit bytes, as the switch's endpoint component uses them.
//
// A component built by others allocates BSTRs that we free and the reverse,
// so elsewhere than Windows a BSTR keeps the Windows layout: one malloc block
// holding a 32-bit byte length, the bytes and two zero bytes, the pointer
// pointing at the bytes, freed with free() of the block.
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace plat {

// Copies `length` bytes (or leaves them zero when `bytes` is null). Null on
// allocation failure.
BSTR AllocBstrBytes(const char* bytes, UINT length);
BSTR AllocBstrText(const char* text);
UINT BstrByteLength(BSTR bstr);
void FreeBstr(BSTR bstr);

// The bytes of a BSTR as text (empty for null).
std::string BstrToString(BSTR bstr);

}  // namespace plat
