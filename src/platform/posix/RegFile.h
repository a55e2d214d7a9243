// The registry file: the text format regedit exports and `reg import` reads.
//
// Written as regedit writes it: UTF-16LE with a BOM, CRLF line ends, the
// "Windows Registry Editor Version 5.00" header, one [HKEY_...\Path] section
// per key with a blank line after it, "Name"="text", "Name"=dword:0000000a,
// other data as hex(N): bytes (hex: for REG_BINARY) wrapped at 80 columns
// with a trailing backslash, and @ for the default value.
//
// String data that is not valid UTF-8 is Windows-1252 text, as Windows'
// ANSI calls would have stored it, and always goes out as hex(N) of its
// UTF-16LE form, never quoted: a quoted string is always UTF-8. Such hex
// data reads back as 1252 bytes when 1252 holds every character and those
// bytes are not UTF-8 (StringDataFromUtf16Le); valid UTF-8 in hex form that
// this would misread comes after a line kUtf8Mark, a comment to `reg import`.
//
// Read in that form, and also as UTF-8 text (with or without a BOM, any line
// ends) as people write it by hand, with either that header or REGEDIT4. The
// two headers differ in the string types' hex data: UTF-16LE under 5.00,
// 8-bit text taken as it is under REGEDIT4. [-Key] and "Name"=- delete, as
// on import.
#pragma once

#include <string>
#include <string_view>

#include "platform/posix/RegTree.h"

namespace plat::reg {

// Put before a value whose hex string data is UTF-8 text, whatever
// StringDataFromUtf16Le would make of it.
inline constexpr std::string_view kUtf8Mark = "; UTF-8 text";

// The names a file may use for the top of a key path.
bool IsHiveName(std::string_view name);

// Adds the file's keys and values to `root`, whose children are the hives.
// Returns false on anything malformed, with the line and reason in *error.
bool ParseRegFile(std::string_view bytes, RegNode& root, std::string* error);

// The file's bytes for `root`; false if a name is not valid UTF-8.
bool FormatRegFile(const RegNode& root, std::string& bytes);

}  // namespace plat::reg
