// The registry file itself: what is written, what is read, and that several
// writers, in threads or processes, never lose each other's changes.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/Registry.h"
#include "support/TempRegistry.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kWriterVariable = "ZAV_REGFILE_TEST_WRITER";
constexpr const char* kWritersKey = "Software\\Writers";

// Started by ConcurrentProcessesLoseNothing with kWriterVariable set to
// "<prefix>:<count>", this binary writes <count> values and exits before any
// test runs.
int RunAsWriter() {
    const char* request = std::getenv(kWriterVariable);
    if (!request) return 0;
    const char* colon = std::strchr(request, ':');
    if (!colon) std::_Exit(2);
    const std::string prefix(request, colon);
    const int count = std::atoi(colon + 1);
    HKEY key = nullptr;
    if (plat::CreateRegKey(HKEY_LOCAL_MACHINE, kWritersKey, KEY_ALL_ACCESS, &key, nullptr) != ERROR_SUCCESS)
        std::_Exit(3);
    for (int i = 0; i < count; ++i)
        if (plat::SetRegDword(key, (prefix + std::to_string(i)).c_str(), static_cast<DWORD>(i)) !=
            ERROR_SUCCESS)
            std::_Exit(4);
    plat::CloseRegKey(key);
    std::_Exit(0);
}
[[maybe_unused]] const int g_writer = RunAsWriter();

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// UTF-16LE with a BOM, as regedit saves; the test's own encoder, so that the
// file format is checked against something other than the code under test.
std::string Utf16File(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

// "00,01,...": the bytes from..to as regedit lists them.
std::u16string HexRun(int from, int to) {
    static const char16_t kDigits[] = u"0123456789abcdef";
    std::u16string s;
    for (int b = from; b <= to; ++b) {
        s += kDigits[b >> 4];
        s += kDigits[b & 15];
        if (b != to) s += u',';
    }
    return s;
}

std::vector<BYTE> Bytes(const std::string& s) {
    return std::vector<BYTE>(s.begin(), s.end());
}

struct Value {
    LONG rc;
    DWORD type = 0;
    std::vector<BYTE> data;
};

Value Read(const char* keyPath, const char* name) {
    HKEY key = nullptr;
    LONG rc = plat::OpenRegKey(HKEY_LOCAL_MACHINE, keyPath, KEY_READ, &key);
    if (rc != ERROR_SUCCESS) return {rc, 0, {}};
    Value v{ERROR_SUCCESS, 0, {}};
    DWORD size = 0;
    v.rc = plat::QueryRegValue(key, name, &v.type, nullptr, &size);
    if (v.rc == ERROR_SUCCESS) {
        v.data.resize(size);
        v.rc = plat::QueryRegValue(key, name, &v.type, v.data.data(), &size);
    }
    plat::CloseRegKey(key);
    return v;
}

class RegFileTest : public ::testing::Test {
protected:
    const std::string& File() const { return registry_.File(); }

    // Everything in the registry's directory: the file, its lock, and
    // nothing else (no temporary file left behind).
    std::set<std::string> DirectoryEntries() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(registry_.Directory())) names.insert(e.path().filename());
        return names;
    }

    zavtest::TempRegistry registry_;
};

TEST_F(RegFileTest, WritesTheFileAsRegeditExportsIt) {
    HKEY key = nullptr;
    ASSERT_EQ(plat::CreateRegKey(HKEY_LOCAL_MACHINE, "Software\\Ostrel\\Sub", KEY_ALL_ACCESS, &key, nullptr),
              ERROR_SUCCESS);
    plat::CloseRegKey(key);
    ASSERT_EQ(plat::OpenRegKey(HKEY_LOCAL_MACHINE, "Software\\Ostrel", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    std::string blob;
    for (int i = 0; i < 60; ++i) blob += static_cast<char>(i);
    const std::string lines("l1\r\nl2", 7);
    ASSERT_EQ(plat::SetRegString(key, "Path", "C:\\dir\\\"q\""), ERROR_SUCCESS);
    ASSERT_EQ(plat::SetRegDword(key, "Count", 10), ERROR_SUCCESS);
    ASSERT_EQ(plat::SetRegValue(key, "Lines", REG_MULTI_SZ, reinterpret_cast<const BYTE*>("a\0bc\0"), 6),
              ERROR_SUCCESS);
    ASSERT_EQ(plat::SetRegValue(key, "Blob", REG_BINARY, reinterpret_cast<const BYTE*>(blob.data()), 60),
              ERROR_SUCCESS);
    ASSERT_EQ(plat::SetRegString(key, "Name", "Z\xC3\xA1kazn\xC3\xADk"), ERROR_SUCCESS);
    ASSERT_EQ(plat::SetRegValue(key, "Text", REG_SZ, reinterpret_cast<const BYTE*>(lines.data()), 7),
              ERROR_SUCCESS);
    ASSERT_EQ(plat::SetRegString(key, "Cp1252", "\xE9\x80\x81\x9D\x9F"), ERROR_SUCCESS);
    ASSERT_EQ(plat::SetRegValue(key, "Utf8", REG_MULTI_SZ, reinterpret_cast<const BYTE*>("\xC3\xA9\0"), 4),
              ERROR_SUCCESS);
    ASSERT_EQ(plat::SetRegString(key, nullptr, "d"), ERROR_SUCCESS);  // set last, written first
    ASSERT_EQ(plat::SetRegDword(key, "COUNT", 11), ERROR_SUCCESS);    // keeps the first spelling
    plat::CloseRegKey(key);

    // clang-format off
    const std::u16string expected =
        u"Windows Registry Editor Version 5.00\r\n"
        u"\r\n"
        u"[HKEY_LOCAL_MACHINE\\Software]\r\n"
        u"\r\n"
        u"[HKEY_LOCAL_MACHINE\\Software\\Ostrel]\r\n"
        u"@=\"d\"\r\n"
        u"\"Path\"=\"C:\\\\dir\\\\\\\"q\\\"\"\r\n"
        u"\"Count\"=dword:0000000b\r\n"
        u"\"Lines\"=hex(7):61,00,00,00,62,00,63,00,00,00,00,00\r\n"
        u"\"Blob\"=hex:" + HexRun(0x00, 0x15) + u",\\\r\n"
        u"  " + HexRun(0x16, 0x2e) + u",\\\r\n"
        u"  " + HexRun(0x2f, 0x3b) + u"\r\n"
        u"\"Name\"=\"Z\u00E1kazn\u00EDk\"\r\n"
        u"\"Text\"=hex(1):6c,00,31,00,0d,00,0a,00,6c,00,32,00,00,00\r\n"
        u"\"Cp1252\"=hex(1):e9,00,ac,20,81,00,9d,00,78,01,00,00\r\n"
        u"; UTF-8 text\r\n"
        u"\"Utf8\"=hex(7):e9,00,00,00,00,00\r\n"
        u"\r\n"
        u"[HKEY_LOCAL_MACHINE\\Software\\Ostrel\\Sub]\r\n"
        u"\r\n";
    // clang-format on
    EXPECT_EQ(ReadAll(File()), Utf16File(expected));
    EXPECT_EQ(DirectoryEntries(), (std::set<std::string>{"registry.reg", "registry.reg.lock"}));
}

TEST_F(RegFileTest, ReadsFilesWrittenByHand) {
    const struct {
        const char* what;
        std::string file;
        const char* key;
        const char* value;
        DWORD type;
        std::string data;
    } cases[] = {
        {"UTF-8 without BOM, LF line ends",
         "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Zav]\n"
         "\"Name\"=\"Z\xC3\xA1kazn\xC3\xADk\"\n",
         "Software\\Zav", "Name", REG_SZ, "Z\xC3\xA1kazn\xC3\xADk" + std::string(1, '\0')},
        {"UTF-8 with BOM, upper-case hex",
         "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Zav]\r\n"
         "\"Count\"=dword:0000001F\r\n",
         "Software\\Zav", "Count", REG_DWORD, std::string("\x1f\0\0\0", 4)},
        {"5.00 multi-string is UTF-16, continued over lines",
         "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\Software\\Zav]\n"
         "\"M\"=hex(7):61,00,00,00,\\\n    62,00,00,00,\\\n  00,00\n",
         "Software\\Zav", "M", REG_MULTI_SZ, std::string("a\0b\0\0", 5)},
        {"REGEDIT4 multi-string is 8-bit",
         "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Zav]\n\"M\"=hex(7):61,62,00,63,00,00\n", "Software\\Zav",
         "M", REG_MULTI_SZ, std::string("ab\0c\0\0", 6)},
        {"5.00 text whose 1252 bytes are not UTF-8 is those bytes",
         "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\Software\\Zav]\n"
         "\"S\"=hex(1):e9,00,74,00,ac,20,00,00\n",
         "Software\\Zav", "S", REG_SZ, std::string("\xE9t\x80\0", 4)},
        {"5.00 text whose 1252 bytes are UTF-8 stays UTF-8",
         "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\Software\\Zav]\n"
         "\"S\"=hex(1):c3,00,a9,00,00,00\n",
         "Software\\Zav", "S", REG_SZ, std::string("\xC3\x83\xC2\xA9\0", 5)},
        {"5.00 text that 1252 cannot hold is UTF-8",
         "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\Software\\Zav]\n"
         "\"S\"=hex(2):58,01,e9,00,00,00\n",
         "Software\\Zav", "S", REG_EXPAND_SZ, std::string("\xC5\x98\xC3\xA9\0", 5)},
        {"the UTF-8 mark holds for the next value only",
         "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\Software\\Zav]\n; UTF-8 text\n"
         "\"X\"=dword:1\n\"M\"=hex(7):e9,00,00,00,00,00\n",
         "Software\\Zav", "M", REG_MULTI_SZ, std::string("\xE9\0\0", 3)},
        {"REGEDIT4 string data is taken as it is",
         "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Zav]\n\"S\"=hex(1):e9,74,00\n", "Software\\Zav", "S",
         REG_SZ, std::string("\xE9t\0", 3)},
        {"REGEDIT4 expandable string",
         "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Zav]\n\"E\"=hex(2):25,54,25,00\n", "Software\\Zav", "E",
         REG_EXPAND_SZ, std::string("%T%\0", 4)},
        {"UTF-16 as regedit saves it",
         Utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Zav]\r\n"
                   u"@=\"\u0158\u00E1d\"\r\n\"Q\"=hex(b):01,00,00,00,00,00,00,00\r\n"),
         "Software\\Zav", "", REG_SZ,
         "\xC5\x98\xC3\xA1"
         "d" +
             std::string(1, '\0')},
        {"comments, spaces around '=', key named in another case",
         "Windows Registry Editor Version 5.00\n; written by hand\n[hkey_local_machine\\Software\\Zav]\n"
         "  \"Escaped \\\"name\\\"\" = \"a\\\\b\"  \n",
         "software\\zav", "Escaped \"name\"", REG_SZ, std::string("a\\b\0", 4)},
        {"keys implied by a deeper one",
         "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\Software\\A\\B\\C]\n\"V\"=hex:\n",
         "Software\\a\\b\\c", "V", REG_BINARY, ""},
        {"an empty file is an empty registry", "", "Software", nullptr, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteAll(File(), c.file);
        const Value v = Read(c.key, c.value);
        if (!c.value) {
            EXPECT_EQ(v.rc, ERROR_FILE_NOT_FOUND);
            continue;
        }
        ASSERT_EQ(v.rc, ERROR_SUCCESS);
        EXPECT_EQ(v.type, c.type);
        EXPECT_EQ(v.data, Bytes(c.data));
    }
}

TEST_F(RegFileTest, DeletionLinesApplyAsOnImport) {
    WriteAll(File(),
             "Windows Registry Editor Version 5.00\n"
             "[HKEY_LOCAL_MACHINE\\Software\\Gone\\Child]\n\"V\"=dword:1\n"
             "[HKEY_LOCAL_MACHINE\\Software\\Kept]\n\"Dropped\"=dword:1\n\"Stays\"=dword:2\n"
             "[-HKEY_LOCAL_MACHINE\\Software\\Gone]\n"
             "[HKEY_LOCAL_MACHINE\\Software\\Kept]\n\"Dropped\"=-\n");
    EXPECT_EQ(Read("Software\\Gone", nullptr).rc, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Read("Software\\Kept", "Dropped").rc, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Read("Software\\Kept", "Stays").rc, ERROR_SUCCESS);
}

TEST_F(RegFileTest, MalformedFileFailsEveryOperationAndIsNeverRewritten) {
    const std::string header = "Windows Registry Editor Version 5.00\n";
    const std::string key = "[HKEY_LOCAL_MACHINE\\Software\\Zav]\n";
    const struct {
        const char* what;
        std::string file;
    } cases[] = {
        {"no header", key},
        {"unknown version", "Windows Registry Editor Version 6.00\n" + key},
        {"value before any key", header + "\"a\"=dword:1\n" + key},
        {"unterminated string", header + key + "\"a\"=\"abc\n"},
        {"unknown escape", header + key + "\"a\"=\"C:\\dir\"\n"},
        {"text after a string", header + key + "\"a\"=\"x\" y\n"},
        {"dword of nine digits", header + key + "\"a\"=dword:123456789\n"},
        {"dword not hex", header + key + "\"a\"=dword:xyz\n"},
        {"bad hex byte", header + key + "\"a\"=hex:0g\n"},
        {"hex byte of three digits", header + key + "\"a\"=hex:100\n"},
        {"empty hex item", header + key + "\"a\"=hex:01,,02\n"},
        {"continuation at the end", header + key + "\"a\"=hex:01,\\\n"},
        {"unknown data", header + key + "\"a\"=foo\n"},
        {"missing '='", header + key + "\"a\" dword:1\n"},
        {"stray line", header + key + "hello\n"},
        {"unknown root key", header + "[HKEY_NOWHERE\\Zav]\n"},
        {"key without closing bracket", header + "[HKEY_LOCAL_MACHINE\\Zav\n"},
        {"empty key name", header + "[HKEY_LOCAL_MACHINE\\\\Zav]\n"},
        {"odd UTF-16 string data", header + key + "\"a\"=hex(7):61,00,62\n"},
        {"lone surrogate in UTF-16 data", header + key + "\"a\"=hex(1):00,d8,00,00\n"},
        {"invalid UTF-8", header + key + "\"a\"=\"\xC3\x28\"\n"},
        {"odd-sized UTF-16 file", Utf16File(u"Windows Registry Editor Version 5.00\r\n") + "x"},
        {"big-endian UTF-16", std::string("\xFE\xFF\0W", 4)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // A handle opened while the file was still good.
        WriteAll(File(), header + key + "\"a\"=dword:1\n");
        HKEY early = nullptr;
        ASSERT_EQ(plat::OpenRegKey(HKEY_LOCAL_MACHINE, "Software\\Zav", KEY_ALL_ACCESS, &early),
                  ERROR_SUCCESS);
        WriteAll(File(), c.file);
        HKEY out = nullptr;
        DWORD size = 0;
        char name[64];
        const std::function<LONG()> ops[] = {
            [&] { return plat::OpenRegKey(HKEY_LOCAL_MACHINE, "Software\\Zav", KEY_READ, &out); },
            [&] {
                return plat::CreateRegKey(HKEY_LOCAL_MACHINE, "Software\\New", KEY_ALL_ACCESS, &out, nullptr);
            },
            [&] { return plat::DeleteRegKey(HKEY_LOCAL_MACHINE, "Software\\Zav"); },
            [&] { return plat::QueryRegValue(early, "a", nullptr, nullptr, &size); },
            [&] { return plat::SetRegDword(early, "b", 2); },
            [&] { return plat::SetRegString(HKEY_LOCAL_MACHINE, "c", "x"); },
            [&] { return plat::DeleteRegValue(early, "a"); },
            [&] {
                size = sizeof name;
                return plat::EnumRegKey(HKEY_LOCAL_MACHINE, 0, name, &size);
            },
        };
        for (size_t i = 0; i < std::size(ops); ++i) EXPECT_EQ(ops[i](), ERROR_BADDB) << "operation " << i;
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(ReadAll(File()), c.file);
        EXPECT_EQ(DirectoryEntries(), (std::set<std::string>{"registry.reg", "registry.reg.lock"}));
        EXPECT_EQ(plat::CloseRegKey(early), ERROR_SUCCESS);
    }
}

TEST_F(RegFileTest, WhatTheFileCannotHoldIsRefused) {
    HKEY key = nullptr;
    ASSERT_EQ(plat::CreateRegKey(HKEY_LOCAL_MACHINE, "Software\\Zav", KEY_ALL_ACCESS, &key, nullptr),
              ERROR_SUCCESS);
    const std::string before = ReadAll(File());
    constexpr LONG kNoUnicodeTranslation = 1113;
    HKEY out = nullptr;
    const struct {
        const char* what;
        std::function<LONG()> op;
        LONG expected;
    } cases[] = {
        {"name not UTF-8", [&] { return plat::SetRegDword(key, "\xFF", 1); }, kNoUnicodeTranslation},
        {"line break in a value name", [&] { return plat::SetRegDword(key, "a\nb", 1); },
         ERROR_INVALID_PARAMETER},
        {"line break in a key name",
         [&] { return plat::CreateRegKey(key, "a\r\nb", KEY_ALL_ACCESS, &out, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"key name not UTF-8", [&] { return plat::CreateRegKey(key, "\xC3", KEY_ALL_ACCESS, &out, nullptr); },
         kNoUnicodeTranslation},
        {"data without a size", [&] { return plat::SetRegValue(key, "n", REG_BINARY, nullptr, 4); },
         ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) EXPECT_EQ(c.op(), c.expected) << c.what;
    EXPECT_EQ(ReadAll(File()), before);
    // Binary data is bytes, whatever they are.
    EXPECT_EQ(plat::SetRegValue(key, "b", REG_BINARY, reinterpret_cast<const BYTE*>("\xFF\xC3"), 2),
              ERROR_SUCCESS);
    EXPECT_EQ(Read("Software\\Zav", "b").data, Bytes("\xFF\xC3"));
    plat::CloseRegKey(key);
}

TEST_F(RegFileTest, OpenHandlesSeeChangesMadeByOthers) {
    const std::string header = "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\Software\\Zav]\n";
    WriteAll(File(), header);
    HKEY key = nullptr;
    ASSERT_EQ(plat::OpenRegKey(HKEY_LOCAL_MACHINE, "Software\\Zav", KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(plat::QueryRegValue(key, "Added", nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    WriteAll(File(), header + "\"Added\"=dword:5\n");
    DWORD value = 0;
    DWORD size = sizeof value;
    EXPECT_EQ(plat::QueryRegValue(key, "Added", nullptr, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 5u);
    WriteAll(File(), "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\Software]\n");
    EXPECT_EQ(plat::QueryRegValue(key, "Added", nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    plat::CloseRegKey(key);
}

// Sets or unsets environment variables for one scope.
class EnvOverride {
public:
    EnvOverride(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old, had_ = true;
        Set(value);
    }
    ~EnvOverride() { Set(had_ ? old_.c_str() : nullptr); }
    void Set(const char* value) {
        if (value)
            setenv(name_.c_str(), value, 1);
        else
            unsetenv(name_.c_str());
    }

private:
    std::string name_;
    std::string old_;
    bool had_ = false;
};

TEST_F(RegFileTest, DefaultPathIsUnderTheUsersConfigDirectory) {
    const fs::path dir = registry_.Directory();
    const std::string xdg = (dir / "xdg").string();
    const std::string home = (dir / "home").string();
    const struct {
        const char* what;
        const char* xdg;
        fs::path expected;
    } cases[] = {
        {"XDG_CONFIG_HOME set", xdg.c_str(), dir / "xdg/zav/registry.reg"},
        {"XDG_CONFIG_HOME unset", nullptr, dir / "home/.config/zav/registry.reg"},
        {"XDG_CONFIG_HOME relative, so ignored", "relative", dir / "home/.config/zav/registry.reg"},
    };
    EnvOverride noOverride("ZAV_REGISTRY", nullptr);
    EnvOverride homeVar("HOME", home.c_str());
    EnvOverride xdgVar("XDG_CONFIG_HOME", nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        xdgVar.Set(c.xdg);
        fs::remove_all(dir / "xdg");
        fs::remove_all(dir / "home");
        HKEY key = nullptr;
        // Reading a registry that is not there yet creates nothing.
        EXPECT_EQ(plat::OpenRegKey(HKEY_LOCAL_MACHINE, "Software", KEY_READ, &key), ERROR_FILE_NOT_FOUND);
        EXPECT_FALSE(fs::exists(c.expected.parent_path()));
        // The first write creates the file and its directories.
        ASSERT_EQ(plat::CreateRegKey(HKEY_LOCAL_MACHINE, "Software\\Zav", KEY_ALL_ACCESS, &key, nullptr),
                  ERROR_SUCCESS);
        plat::CloseRegKey(key);
        EXPECT_TRUE(fs::is_regular_file(c.expected));
    }
}

TEST_F(RegFileTest, ConcurrentProcessesLoseNothing) {
    constexpr int kWriters = 2;
    constexpr int kValues = 60;
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    int results[kWriters] = {};
    std::vector<std::thread> launchers;
    for (int w = 0; w < kWriters; ++w) {
        const std::string command = "ZAV_REGISTRY='" + File() + "' " + kWriterVariable + "=w" +
                                    std::to_string(w) + "_:" + std::to_string(kValues) + " '" + self + "'";
        launchers.emplace_back([&results, w, command] { results[w] = std::system(command.c_str()); });
    }
    for (std::thread& t : launchers) t.join();
    for (int w = 0; w < kWriters; ++w) ASSERT_EQ(results[w], 0) << "writer " << w;
    for (int w = 0; w < kWriters; ++w) {
        for (int i = 0; i < kValues; ++i) {
            const std::string name = "w" + std::to_string(w) + "_" + std::to_string(i);
            const Value v = Read(kWritersKey, name.c_str());
            ASSERT_EQ(v.rc, ERROR_SUCCESS) << name;
            EXPECT_EQ(v.data, Bytes(std::string({static_cast<char>(i), 0, 0, 0}))) << name;
        }
    }
}

}  // namespace

#endif  // !_WIN32
