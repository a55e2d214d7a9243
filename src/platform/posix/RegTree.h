// The registry's content in memory, as read from and written to the file.
// A tree is rebuilt for every operation, so nothing outside one operation
// ever holds a pointer into it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

namespace plat::reg {

struct RegValue {
    std::string name;  // "" is the key's default value
    DWORD type = REG_NONE;
    // The bytes the ANSI API sees: strings with their terminators, in UTF-8
    // or, where they are not valid UTF-8, in Windows-1252.
    std::vector<BYTE> data;
};

struct RegNode {
    std::string name;  // as first created; lookups ignore case
    std::vector<RegValue> values;
    // Kept in the registry's own order (case-insensitive), which is also the
    // order in which Windows enumerates subkeys and regedit exports them.
    std::vector<RegNode> children;

    RegNode* FindChild(std::string_view childName);
    // Returns the existing child of that name, or a new one in order.
    RegNode& AddChild(std::string_view childName, bool* created = nullptr);
    bool RemoveChild(std::string_view childName);

    RegValue* FindValue(std::string_view valueName);
    // Replaces the data of a value of that name (keeping the name's case) or
    // adds one; returns false when the value already held exactly this.
    bool SetValue(std::string_view valueName, DWORD type, std::vector<BYTE> data);
    bool RemoveValue(std::string_view valueName);
};

// Splits "A\B\C" into its names. Empty names (a leading or doubled
// backslash) are refused; one trailing backslash is tolerated when
// `allowTrailing` is set, as RegOpenKeyExA tolerates it.
bool SplitKeyPath(std::string_view path, bool allowTrailing, std::vector<std::string>& parts);

// Walks `parts` down from `from`; null when a name is missing.
RegNode* FindPath(RegNode& from, const std::vector<std::string>& parts);

}  // namespace plat::reg
