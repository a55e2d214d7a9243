#include <cstdio>
#include <string>

#include "platform/posix/RegFile.h"
#include "platform/posix/RegText.h"

namespace plat::reg {
namespace {

// regedit keeps hex lines within 80 columns: at most 77 before the backslash.
constexpr size_t kHexLineLimit = 77;

std::string Quote(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

// A REG_SZ that "text" can carry: one terminator at the end and no line
// breaks, which the quoted form cannot hold. Anything else goes out as
// hex(1) so that it comes back byte for byte.
bool IsPlainString(const std::vector<BYTE>& data) {
    if (data.empty() || data.back() != 0) return false;
    for (size_t i = 0; i + 1 < data.size(); ++i)
        if (data[i] == 0 || data[i] == '\r' || data[i] == '\n') return false;
    return true;
}

void AppendHex(std::string& line, std::string& text, const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    size_t column = line.size();
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (column + 3 > kHexLineLimit) {
            line += "\\\r\n  ";
            column = 2;
        }
        const auto b = static_cast<unsigned char>(bytes[i]);
        line += kDigits[b >> 4];
        line += kDigits[b & 0xF];
        if (i + 1 < bytes.size()) line += ',';
        column += 3;
    }
    text += line;
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

void AppendValue(std::string& text, const RegValue& v) {
    std::string line = v.name.empty() ? std::string("@") : Quote(v.name);
    line += '=';
    const std::string_view data(reinterpret_cast<const char*>(v.data.data()), v.data.size());
    // Only UTF-8 may be quoted: the file is text, and 1252 data must reach
    // `reg import` as the characters its bytes stand for.
    if (v.type == REG_SZ && IsPlainString(v.data) && IsValidUtf8(data)) {
        line += Quote(data.substr(0, data.size() - 1));
        text += line;
    } else if (v.type == REG_DWORD && v.data.size() == 4) {
        const unsigned long value =
            v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) | (static_cast<unsigned long>(v.data[3]) << 24);
        char buf[24];
        std::snprintf(buf, sizeof buf, "dword:%08lx", value);
        text += line + buf;
    } else {
        std::string bytes(data);
        if (IsStringType(v.type)) {
            std::string utf16;
            StringDataToUtf16Le(data, utf16);
            // UTF-8 that the reader would take for 1252 bytes is marked,
            // so that it comes back as it went in.
            std::string readBack;
            StringDataFromUtf16Le(utf16, readBack);
            if (readBack != data) text += std::string(kUtf8Mark) + "\r\n";
            bytes = std::move(utf16);
        }
        if (v.type == REG_BINARY) {
            line += "hex:";
        } else {
            char buf[24];
            std::snprintf(buf, sizeof buf, "hex(%lx):", static_cast<unsigned long>(v.type));
            line += buf;
        }
        AppendHex(line, text, bytes);
    }
    text += "\r\n";
}

void AppendKey(std::string& text, const RegNode& node, const std::string& path, bool isHive) {
    // A hive is implied by its keys; it gets a section only for values of its own.
    if (!isHive || !node.values.empty()) {
        text += "[" + path + "]\r\n";
        // regedit puts the default value first.
        for (const RegValue& v : node.values)
            if (v.name.empty()) AppendValue(text, v);
        for (const RegValue& v : node.values)
            if (!v.name.empty()) AppendValue(text, v);
        text += "\r\n";
    }
    for (const RegNode& child : node.children) AppendKey(text, child, path + "\\" + child.name, false);
}

}  // namespace

bool FormatRegFile(const RegNode& root, std::string& bytes) {
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
    for (const RegNode& hive : root.children) AppendKey(text, hive, hive.name, true);
    bytes = "\xFF\xFE";
    return Utf8ToUtf16Le(text, bytes);
}

}  // namespace plat::reg
