// The configuration as a .reg file, in the format regedit exports and
// `reg import` reads, so that one file moves a configuration between the
// emulated registry and a Windows machine. It holds the provider's telephone
// list (passwords in their stored form) and the switch's address.
#pragma once

#include <string>

#include "config/ZavConfigEditor.h"

namespace zavtools {

// Writes the editor's telephones and address to `path`; "" or the problem.
std::string ExportConfigFile(const std::string& path, const ZavConfigEditor& editor);
// Replaces the editor's telephones with the file's, and its address when the
// file has one; "" or the problem, with the editor then partly changed.
std::string ImportConfigFile(const std::string& path, ZavConfigEditor& editor);

}  // namespace zavtools
