// The registry file itself: what is written, what is read, and that several
// writers, in threads or processes, never lose each other's changes.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
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
    HKEY key = nullptr;
    if (!colon ||
        plat::CreateRegKey(HKEY_LOCAL_MACHINE, kWritersKey, KEY_ALL_ACCESS, &key, nullptr) != ERROR_SUCCESS)
        std::_Exit(2);
    for (int i = 0; i < std::atoi(colon + 1); ++i)
        if (plat::SetRegDword(key, (std::string(request, colon) + std::to_string(i)).c_str(),
                              static_cast<DWORD>(i)) != ERROR_SUCCESS)
            std::_Exit(3);
    plat::CloseRegKey(key);
    std::_Exit(0);
}
[[maybe_unused]] const int g_writer = RunAsWriter();

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// UTF-16LE with a BOM, as regedit saves; the test's own encoder, so that the
// file format is checked against something other than the code under test.
std::string Utf16File(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return bytes;
}

struct Value {
    LONG rc;
    DWORD type = 0;
    std::string data;
};

Value Read(const char* keyPath, const char* name) {
    HKEY key = nullptr;
    Value v{plat::OpenRegKey(HKEY_LOCAL_MACHINE, keyPath, KEY_READ, &key), 0, {}};
    if (v.rc != ERROR_SUCCESS) return v;
    DWORD size = 0;
    v.rc = plat::QueryRegValue(key, name, &v.type, nullptr, &size);
    v.data.resize(size);
    if (v.rc == ERROR_SUCCESS)
        v.rc = plat::QueryRegValue(key, name, &v.type, reinterpret_cast<BYTE*>(v.data.data()), &size);
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
    const struct {
        const char* name;
        DWORD type;
        std::string data;
    } values[] = {
        {"Path", REG_SZ, std::string("C:\\dir\\\"q\"", 11)},
        {"Count", REG_DWORD, std::string("\x0a\0\0\0", 4)},
        {"Lines", REG_MULTI_SZ, std::string("a\0bc\0", 6)},
        {"Blob", REG_BINARY, blob},
        {"Name", REG_SZ, std::string("Z\xC3\xA1kazn\xC3\xADk", 11)},
        {"Text", REG_SZ, std::string("l1\r\nl2", 7)},
        {"Cp1252", REG_SZ, std::string("\xE9\x80\x81\x9D\x9F", 6)},
        {"Utf8", REG_MULTI_SZ, std::string("\xC3\xA9\0", 4)},
        {nullptr, REG_SZ, std::string("d", 2)},              // set last, written first
        {"COUNT", REG_DWORD, std::string("\x0b\0\0\0", 4)},  // keeps the first spelling
    };
    for (const auto& v : values)
        ASSERT_EQ(plat::SetRegValue(key, v.name, v.type, reinterpret_cast<const BYTE*>(v.data.data()),
                                    static_cast<DWORD>(v.data.size())),
                  ERROR_SUCCESS);
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
        u"\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\r\n"
        u"  16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,\\\r\n"
        u"  2f,30,31,32,33,34,35,36,37,38,39,3a,3b\r\n"
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
    const std::string v5 = "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\Software\\Zav]\n";
    const std::string v4 = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Zav]\n";
    // Deletion lines apply as on import.
    const std::string deletions =
        "Windows Registry Editor Version 5.00\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Gone\\Child]\n\"V\"=dword:1\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Zav]\n\"Dropped\"=dword:1\n\"Stays\"=dword:2\n"
        "[-HKEY_LOCAL_MACHINE\\Software\\Gone]\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Zav]\n\"Dropped\"=-\n";
    const struct {
        const char* what;
        std::string file;
        const char* value;
        DWORD type;
        std::optional<std::string> data;  // nullopt: not there
        const char* key = "Software\\Zav";
    } cases[] = {
        {"UTF-8 without BOM, LF line ends",
         "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Zav]\n"
         "\"Name\"=\"Z\xC3\xA1kazn\xC3\xADk\"\n",
         "Name", REG_SZ, std::string("Z\xC3\xA1kazn\xC3\xADk", 11)},
        {"UTF-8 with BOM, upper-case hex",
         "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Zav]\r\n"
         "\"Count\"=dword:0000001F\r\n",
         "Count", REG_DWORD, std::string("\x1f\0\0\0", 4)},
        {"5.00 multi-string is UTF-16, continued over lines",
         v5 + "\"M\"=hex(7):61,00,00,00,\\\n    62,00,00,00,\\\n  00,00\n", "M", REG_MULTI_SZ,
         std::string("a\0b\0\0", 5)},
        {"REGEDIT4 multi-string is 8-bit", v4 + "\"M\"=hex(7):61,62,00,63,00,00\n", "M", REG_MULTI_SZ,
         std::string("ab\0c\0\0", 6)},
        {"5.00 text whose 1252 bytes are not UTF-8 is those bytes",
         v5 + "\"S\"=hex(1):e9,00,74,00,ac,20,00,00\n", "S", REG_SZ, std::string("\xE9t\x80\0", 4)},
        {"5.00 text whose 1252 bytes are UTF-8 stays UTF-8", v5 + "\"S\"=hex(1):c3,00,a9,00,00,00\n", "S",
         REG_SZ, std::string("\xC3\x83\xC2\xA9\0", 5)},
        {"5.00 text that 1252 cannot hold is UTF-8", v5 + "\"S\"=hex(2):58,01,e9,00,00,00\n", "S",
         REG_EXPAND_SZ, std::string("\xC5\x98\xC3\xA9\0", 5)},
        {"the UTF-8 mark holds for the next value only",
         v5 + "; UTF-8 text\n\"X\"=dword:1\n\"M\"=hex(7):e9,00,00,00,00,00\n", "M", REG_MULTI_SZ,
         std::string("\xE9\0\0", 3)},
        {"REGEDIT4 string data is taken as it is", v4 + "\"S\"=hex(1):e9,74,00\n", "S", REG_SZ,
         std::string("\xE9t\0", 3)},
        {"UTF-16 as regedit saves it",
         Utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Zav]\r\n"
                   u"@=\"\u0158\u00E1d\"\r\n\"Q\"=hex(b):01,00,00,00,00,00,00,00\r\n"),
         "", REG_SZ, "\xC5\x98\xC3\xA1" + std::string("d", 2)},
        {"comments, spaces around '=', key named in another case",
         "Windows Registry Editor Version 5.00\n; written by hand\n[hkey_local_machine\\Software\\Zav]\n"
         "  \"Escaped \\\"name\\\"\" = \"a\\\\b\"  \n",
         "Escaped \"name\"", REG_SZ, std::string("a\\b\0", 4), "software\\zav"},
        {"keys implied by a deeper one",
         "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\Software\\A\\B\\C]\n\"V\"=hex:\n", "V",
         REG_BINARY, "", "Software\\a\\b\\c"},
        {"an empty file is an empty registry", "", nullptr, 0, std::nullopt, "Software"},
        {"a deleted key", deletions, nullptr, 0, std::nullopt, "Software\\Gone"},
        {"a deleted value", deletions, "Dropped", 0, std::nullopt},
        {"what the deletions leave", deletions, "Stays", REG_DWORD, std::string("\2\0\0\0", 4)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteAll(File(), c.file);
        const Value v = Read(c.key, c.value);
        if (!c.data) {
            EXPECT_EQ(v.rc, ERROR_FILE_NOT_FOUND);
            continue;
        }
        ASSERT_EQ(v.rc, ERROR_SUCCESS);
        EXPECT_EQ(v.type, c.type);
        EXPECT_EQ(v.data, *c.data);
    }
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
            [&] { return plat::EnumRegKey(HKEY_LOCAL_MACHINE, 0, name, &(size = sizeof name)); },
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
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(ReadAll(File()), before);
    // Binary data is bytes, whatever they are.
    EXPECT_EQ(plat::SetRegValue(key, "b", REG_BINARY, reinterpret_cast<const BYTE*>("\xFF\xC3"), 2),
              ERROR_SUCCESS);
    EXPECT_EQ(Read("Software\\Zav", "b").data, "\xFF\xC3");
    plat::CloseRegKey(key);
}

// Sets or unsets an environment variable for one scope.
class EnvOverride {
public:
    EnvOverride(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        Set(value);
    }
    ~EnvOverride() { Set(old_ ? old_->c_str() : nullptr); }
    void Set(const char* value) { value ? setenv(name_.c_str(), value, 1) : unsetenv(name_.c_str()); }

private:
    std::string name_;
    std::optional<std::string> old_;
};

TEST_F(RegFileTest, DefaultPathIsUnderTheUsersConfigDirectory) {
    const fs::path dir = registry_.Directory();
    const std::string xdg = (dir / "xdg").string();
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
    EnvOverride homeVar("HOME", (dir / "home").c_str());
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
            EXPECT_EQ(v.data, std::string({static_cast<char>(i), 0, 0, 0})) << name;
        }
    }
}

}  // namespace

#endif  // !_WIN32
