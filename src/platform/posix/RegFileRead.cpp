#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/posix/RegFile.h"
#include "platform/posix/RegText.h"

namespace plat::reg {
namespace {

constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Parses 1..maxDigits hex digits making up all of `s`.
bool ParseHexNumber(std::string_view s, size_t maxDigits, uint32_t& value) {
    if (s.empty() || s.size() > maxDigits) return false;
    value = 0;
    for (char c : s) {
        const int d = HexDigit(c);
        if (d < 0) return false;
        value = (value << 4) | static_cast<uint32_t>(d);
    }
    return true;
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

class Parser {
public:
    Parser(std::string_view text, RegNode& root) : text_(text), root_(root) {}

    bool Run(std::string* error) {
        const bool ok = RunLines();
        if (!ok && error) *error = "line " + std::to_string(line_) + ": " + why_;
        return ok;
    }

private:
    bool Fail(const char* why) {
        why_ = why;
        return false;
    }

    bool NextLine(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) end = text_.size();
        line = text_.substr(pos_, end - pos_);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos_ = end + 1;
        ++line_;
        return true;
    }

    bool RunLines() {
        if (Trim(text_).empty()) return true;  // an empty file is an empty registry
        std::string_view line;
        NextLine(line);
        line = Trim(line);
        if (line == kHeader5) {
            utf16Strings_ = true;
        } else if (line != kHeader4) {
            return Fail("not a registry file (header missing)");
        }
        while (NextLine(line)) {
            line = Trim(line);
            if (line == kUtf8Mark) {
                utf8Marked_ = true;
                continue;
            }
            if (line.empty() || line.front() == ';') continue;
            // A mark speaks for the line right after it only.
            valueIsUtf8_ = std::exchange(utf8Marked_, false);
            if (line.front() == '[') {
                if (!KeyLine(line)) return false;
            } else if (line.front() == '"' || line.front() == '@') {
                if (!ValueLine(line)) return false;
            } else {
                return Fail("expected a [key] or a value");
            }
        }
        return true;
    }

    bool KeyLine(std::string_view line) {
        if (line.back() != ']' || line.size() < 3) return Fail("key line without closing bracket");
        std::string_view path = line.substr(1, line.size() - 2);
        const bool remove = path.front() == '-';
        if (remove) path.remove_prefix(1);
        std::vector<std::string> parts;
        if (!SplitKeyPath(path, false, parts) || parts.empty()) return Fail("empty key name");
        if (!IsHiveName(parts[0])) return Fail("unknown root key");
        for (char& c : parts[0])
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        current_ = nullptr;
        if (remove) {
            const std::string last = parts.back();
            parts.pop_back();
            if (RegNode* parent = FindPath(root_, parts)) parent->RemoveChild(last);
            return true;
        }
        RegNode* node = &root_;
        for (const std::string& part : parts) node = &node->AddChild(part);
        current_ = node;
        return true;
    }

    // Reads a quoted string at the start of `s` and moves `s` past it.
    bool Quoted(std::string_view& s, std::string& out) {
        for (size_t i = 1; i < s.size(); ++i) {
            char c = s[i];
            if (c == '"') {
                s.remove_prefix(i + 1);
                return true;
            }
            if (c == '\\') {
                if (++i == s.size() || (s[i] != '\\' && s[i] != '"')) return Fail("unknown escape in string");
                c = s[i];
            }
            out += c;
        }
        return Fail("unterminated string");
    }

    bool ValueLine(std::string_view line) {
        if (!current_) return Fail("value outside a key");
        std::string name;
        if (line.front() == '@') {
            line.remove_prefix(1);
        } else if (!Quoted(line, name)) {
            return false;
        }
        line = Trim(line);
        if (line.empty() || line.front() != '=') return Fail("expected '=' after the value name");
        line = Trim(line.substr(1));
        if (line == "-") {
            current_->RemoveValue(name);
            return true;
        }
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
        if (!line.empty() && line.front() == '"') {
            std::string text;
            if (!Quoted(line, text)) return false;
            if (!Trim(line).empty()) return Fail("text after the closing quote");
            type = REG_SZ;
            data.assign(text.begin(), text.end());
            data.push_back(0);
        } else if (StartsWithNoCase(line, "dword:")) {
            uint32_t v = 0;
            if (!ParseHexNumber(line.substr(6), 8, v)) return Fail("bad dword");
            type = REG_DWORD;
            data = {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v >> 16),
                    static_cast<BYTE>(v >> 24)};
        } else if (!HexValue(line, type, data)) {
            return false;
        }
        current_->SetValue(name, type, std::move(data));
        return true;
    }

    bool HexValue(std::string_view line, DWORD& type, std::vector<BYTE>& data) {
        if (StartsWithNoCase(line, "hex:")) {
            type = REG_BINARY;
            line.remove_prefix(4);
        } else if (StartsWithNoCase(line, "hex(")) {
            const size_t close = line.find("):");
            uint32_t t = 0;
            if (close == std::string_view::npos || !ParseHexNumber(line.substr(4, close - 4), 8, t))
                return Fail("bad hex(type)");
            type = t;
            line.remove_prefix(close + 2);
        } else {
            return Fail("unknown value data");
        }
        // Gather continuation lines, each ending in a backslash.
        std::string list(Trim(line));
        while (!list.empty() && list.back() == '\\') {
            list.pop_back();
            std::string_view next;
            if (!NextLine(next)) return Fail("continuation at end of file");
            list += Trim(next);
        }
        std::string bytes;
        std::string_view rest = list;
        while (!rest.empty()) {
            const size_t comma = rest.find(',');
            const std::string_view item = Trim(rest.substr(0, comma));
            uint32_t b = 0;
            if (!ParseHexNumber(item, 2, b)) return Fail("bad hex byte");
            bytes += static_cast<char>(b);
            if (comma == std::string_view::npos) break;
            rest.remove_prefix(comma + 1);
        }
        if (IsStringType(type) && utf16Strings_) {
            std::string text;
            if (valueIsUtf8_ ? !Utf16LeToUtf8(bytes, text) : !StringDataFromUtf16Le(bytes, text))
                return Fail("string data is not valid UTF-16");
            bytes = std::move(text);
        }
        data.assign(bytes.begin(), bytes.end());
        return true;
    }

    std::string_view text_;
    RegNode& root_;
    RegNode* current_ = nullptr;
    bool utf16Strings_ = false;
    bool utf8Marked_ = false;
    bool valueIsUtf8_ = false;
    size_t pos_ = 0;
    size_t line_ = 0;
    const char* why_ = "";
};

}  // namespace

bool IsHiveName(std::string_view name) {
    for (std::string_view hive : {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_CLASSES_ROOT",
                                  "HKEY_USERS", "HKEY_CURRENT_CONFIG"})
        if (SameName(name, hive)) return true;
    return false;
}

bool ParseRegFile(std::string_view bytes, RegNode& root, std::string* error) {
    std::string text;
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        if (!Utf16LeToUtf8(bytes.substr(2), text)) {
            if (error) *error = "not valid UTF-16LE";
            return false;
        }
    } else {
        if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
        if (!IsValidUtf8(bytes)) {
            if (error) *error = "neither UTF-16LE with a BOM nor valid UTF-8";
            return false;
        }
        text = bytes;
    }
    if (text.find('\0') != std::string::npos) {
        if (error) *error = "NUL character in the text";
        return false;
    }
    return Parser(text, root).Run(error);
}

}  // namespace plat::reg
