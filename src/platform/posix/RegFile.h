// The registry file: the text format regedit exports and `reg import` reads.
//
// Written as regedit writes it: UTF-16LE with a BOM, CRLF line ends, the
// "Windows Registry Editor Version 5.00" header, one [HKEY_...\Path] section
// per key with a blank line after it, "Name"="text", "Name"=dword:0000000a,
// other data as hex(N): bytes (hex: for REG_BINARY) wrapped at 80 columns
// with a trailing backslash, and @ for the default value.
//
// Read in that form, and also as UTF-8 text (with or without a BOM, any line
// ends) as people write it by hand, with either that header or REGEDIT4. The
// two headers differ in the string types' hex data: UTF-16LE under 5.00,
// 8-bit text under REGEDIT4. [-Key] and "Name"=- delete, as on import.
#pragma once

#include <string>
#include <string_view>

#include "platform/posix/RegTree.h"

namespace plat::reg {

// The names a file may use for the top of a key path.
bool IsHiveName(std::string_view name);

// Adds the file's keys and values to `root`, whose children are the hives.
// Returns false on anything malformed, with the line and reason in *error.
bool ParseRegFile(std::string_view bytes, RegNode& root, std::string* error);

// The file's bytes for `root`; false if a name or string is not valid UTF-8.
bool FormatRegFile(const RegNode& root, std::string& bytes);

}  // namespace plat::reg
