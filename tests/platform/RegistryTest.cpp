// The registry API's Win32 semantics, run against the real registry on
// Windows and against the registry file elsewhere.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Registry.h"
#include "platform/Thread.h"
#include "support/TempRegistry.h"

namespace {

constexpr const char* kTestRoot = "Software\\ZavTspTest";

std::string UniqueName() {
    static std::atomic<int> counter{0};
    return std::to_string(plat::GetCurrentProcessId()) + "-" + std::to_string(plat::GetTickCount()) + "-" +
           std::to_string(counter++);
}

std::vector<BYTE> Bytes(const std::string& s) {
    return std::vector<BYTE>(s.begin(), s.end());
}

#ifdef _WIN32
const bool kAnsiIsUtf8 = GetACP() == CP_UTF8;
// Bytes that are not UTF-8 come back from the ANSI calls as they went in only
// in the Western code page.
const bool kKeepsCp1252Bytes = GetACP() == 1252;
// Wine lets RegCreateKeyExA create below a handle without KEY_CREATE_SUB_KEY,
// which Windows refuses.
const bool kOnWine = [] {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}();
#else
const bool kAnsiIsUtf8 = true, kKeepsCp1252Bytes = true, kOnWine = false;
#endif

// Text beyond ASCII in the ANSI code page; on Windows these letters exist in
// the Western and Central European pages alike.
std::string AnsiText() {
    return kAnsiIsUtf8 ? "Z\xC3\xA1kazn\xC3\xADk \xC5\x99\xC3\xA9\xE2\x82\xAC \xF0\x9F\x93\x9E"
                       : "Z\xE1kazn\xEDk \xC4\xE9\xF6";
}

struct ReadBack {
    LONG rc;
    DWORD type = 0;
    std::vector<BYTE> data;
};

// Reads a value as callers do, size first. On the way, a buffer too short
// by all of it or by one byte must get ERROR_MORE_DATA with the size needed,
// and nothing may be written past the data.
ReadBack Read(HKEY key, const char* name) {
    DWORD type = 0;
    DWORD size = 1000;  // a size query ignores what the size says
    LONG rc = plat::QueryRegValue(key, name, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS) return {rc, 0, {}};
    std::vector<BYTE> data(size + 1);
    for (DWORD offered : {DWORD{0}, size - 1}) {
        if (offered >= size) continue;
        DWORD got = offered, shortType = 0;
        EXPECT_EQ(plat::QueryRegValue(key, name, &shortType, data.data(), &got), ERROR_MORE_DATA) << offered;
        EXPECT_EQ(got, size);
        EXPECT_EQ(shortType, type);
    }
    data.assign(size + 1, 0xCC);
    DWORD got = size + 1;
    rc = plat::QueryRegValue(key, name, &type, data.data(), &got);
    EXPECT_EQ(got, size);
    EXPECT_EQ(data.back(), 0xCC);
    data.resize(size);
    return {rc, type, data};
}

DWORD ReadDword(HKEY key, const char* name) {
    ReadBack r = Read(key, name);
    EXPECT_EQ(r.rc, ERROR_SUCCESS) << name;
    EXPECT_EQ(r.type, static_cast<DWORD>(REG_DWORD)) << name;
    if (r.data.size() != 4) return 0xFFFFFFFFu;
    DWORD v = 0;
    std::memcpy(&v, r.data.data(), 4);
    return v;
}

LONG EnumAt(HKEY key, DWORD index) {
    char name[64];
    DWORD size = sizeof name;
    return plat::EnumRegKey(key, index, name, &size);
}

std::vector<std::string> Subkeys(HKEY key) {
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD size = sizeof name;
        const LONG rc = plat::EnumRegKey(key, i, name, &size);
        if (rc != ERROR_SUCCESS) {
            EXPECT_EQ(rc, ERROR_NO_MORE_ITEMS);
            return names;
        }
        EXPECT_EQ(size, std::strlen(name));
        names.push_back(name);
    }
}

// RegDeleteKeyA takes leaves only, so a tree goes from the bottom up.
void DeleteTree(HKEY parent, const std::string& path) {
    HKEY key = nullptr;
    if (plat::OpenRegKey(parent, path.c_str(), KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    for (const std::string& child : Subkeys(key)) DeleteTree(key, child);
    plat::CloseRegKey(key);
    plat::DeleteRegKey(parent, path.c_str());
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = std::string(kTestRoot) + "\\" + UniqueName();
        DWORD disposition = 0;
        ASSERT_EQ(plat::CreateRegKey(HKEY_LOCAL_MACHINE, path_.c_str(), KEY_ALL_ACCESS, &key_, &disposition),
                  ERROR_SUCCESS);
        EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    }
    void TearDown() override {
        if (key_) {
            EXPECT_EQ(plat::CloseRegKey(key_), ERROR_SUCCESS);
        }
        DeleteTree(HKEY_LOCAL_MACHINE, path_);
        plat::DeleteRegKey(HKEY_LOCAL_MACHINE, kTestRoot);  // refused while another run still has keys there
    }

    HKEY Open(const std::string& sub, DWORD access) {
        HKEY key = nullptr;
        EXPECT_EQ(plat::OpenRegKey(key_, sub.c_str(), access, &key), ERROR_SUCCESS) << sub;
        return key;
    }
    HKEY Create(const std::string& sub) {
        HKEY key = nullptr;
        EXPECT_EQ(plat::CreateRegKey(key_, sub.c_str(), KEY_ALL_ACCESS, &key, nullptr), ERROR_SUCCESS) << sub;
        return key;
    }

    zavtest::TempRegistry registry_;
    std::string path_;
    HKEY key_ = nullptr;
};

TEST_F(RegistryTest, ValuesRoundTripWithTheirTypeAndSize) {
    std::string blob;
    for (int i = 0; i < 100; ++i) blob += static_cast<char>(i * 7);
    const struct {
        const char* name;
        DWORD type;
        std::string data;
        bool cp1252 = false;  // not UTF-8
    } cases[] = {
        {"DwordMax", REG_DWORD, "\xff\xff\xff\xff"},
        {"Empty", REG_SZ, std::string("\0", 1)},
        {"Path", REG_SZ, std::string("C:\\Program Files\\\"ZAV\"\0", 23)},
        {"Ansi", REG_SZ, AnsiText() + '\0'},
        {"Lines", REG_SZ, std::string("one\r\ntwo\0", 9)},
        {"Multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9)},
        {"MultiAnsi", REG_MULTI_SZ, AnsiText() + '\0' + "x" + '\0' + '\0'},
        {"Expand", REG_EXPAND_SZ, std::string("%TEMP%\\zav\0", 11)},
        {"Utf8", REG_SZ, std::string("\xC3\xA9\0", 3)},
        {"MultiUtf8", REG_MULTI_SZ, std::string("Caf\xC3\xA9\0\0", 7)},  // as hex, easily taken for 1252
        {"Cp1252", REG_SZ, std::string("\xE9t\xE9\0", 4), true},
        {"Cp1252Undefined", REG_SZ, std::string("\x81x\x9D\x80\0", 5), true},  // 0x81, 0x9D: none in 1252
        {"MultiCp1252", REG_MULTI_SZ, std::string("ok\0caf\xE9\0\0", 9), true},
        {"ExpandCp1252", REG_EXPAND_SZ, std::string("%T%\\\xE4\0", 6), true},
        {"Blob", REG_BINARY, blob},
        {"NoData", REG_BINARY, ""},
        {"Qword", REG_QWORD, std::string("\1\2\3\4\5\6\7\x80", 8)},
        // Names that the file has to quote or escape.
        {"a\"quoted\" name", REG_SZ, std::string("q\0", 2)},
        {"back\\slash", REG_SZ, std::string("b\0", 2)},
        {"@", REG_SZ, std::string("not the default\0", 16)},
        {" = ", REG_DWORD, std::string("\1\0\0\0", 4)},
    };
    for (const auto& c : cases) {
        if (c.cp1252 && !kKeepsCp1252Bytes) continue;
        ASSERT_EQ(plat::SetRegValue(key_, c.name, c.type, reinterpret_cast<const BYTE*>(c.data.data()),
                                    static_cast<DWORD>(c.data.size())),
                  ERROR_SUCCESS)
            << c.name;
    }
    // Through a second handle, so that nothing comes from the first one's state.
    HKEY reader = Open("", KEY_READ);
    for (const auto& c : cases) {
        if (c.cp1252 && !kKeepsCp1252Bytes) continue;
        SCOPED_TRACE(c.name);
        ReadBack r = Read(reader, c.name);
        ASSERT_EQ(r.rc, ERROR_SUCCESS);
        EXPECT_EQ(r.type, c.type);
        EXPECT_EQ(r.data, Bytes(c.data));
    }
    // The default value is the empty name, and "@" is not it; SetRegString
    // stores the ANSI text's bytes with their terminator, not its UTF-16 form.
    ASSERT_EQ(plat::SetRegString(key_, nullptr, AnsiText().c_str()), ERROR_SUCCESS);
    for (const char* name : {static_cast<const char*>(nullptr), ""}) {
        ReadBack r = Read(reader, name);
        ASSERT_EQ(r.rc, ERROR_SUCCESS);
        EXPECT_EQ(r.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(r.data, Bytes(AnsiText() + '\0'));
    }
    EXPECT_EQ(plat::DeleteRegValue(key_, ""), ERROR_SUCCESS);
    EXPECT_EQ(Read(reader, nullptr).rc, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Read(reader, "@").rc, ERROR_SUCCESS);
    plat::CloseRegKey(reader);
}

TEST_F(RegistryTest, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
    DWORD disposition = 0;
    HKEY first = nullptr, second = nullptr;
    ASSERT_EQ(plat::CreateRegKey(key_, "Ostrel\\ZAV\\ZAVTSP", KEY_ALL_ACCESS, &first, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    ASSERT_EQ(plat::CreateRegKey(key_, "OSTREL\\zav\\ZavTsp", KEY_ALL_ACCESS, &second, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    HKEY third = Open("ostrel\\Zav\\zavtsp", KEY_READ);

    // The same word in two cases beyond ASCII.
    const std::string lower = kAnsiIsUtf8 ? "Caf\xC3\xA9" : "Caf\xE9",
                      upper = kAnsiIsUtf8 ? "CAF\xC3\x89" : "CAF\xC9";
    ASSERT_EQ(plat::SetRegDword(first, "LineCount", 4), ERROR_SUCCESS);
    ASSERT_EQ(plat::SetRegDword(second, "LINECOUNT", 8), ERROR_SUCCESS);
    ASSERT_EQ(plat::SetRegDword(first, lower.c_str(), 1), ERROR_SUCCESS);
    ASSERT_EQ(plat::SetRegDword(second, upper.c_str(), 2), ERROR_SUCCESS);
    EXPECT_EQ(ReadDword(third, "linecount"), 8u);
    EXPECT_EQ(ReadDword(third, lower.c_str()), 2u);
    EXPECT_EQ(ReadDword(third, upper.c_str()), 2u);

    EXPECT_EQ(Subkeys(key_), std::vector<std::string>{"Ostrel"});
    HKEY ostrel = Open("OSTREL", KEY_READ);
    EXPECT_EQ(Subkeys(ostrel), std::vector<std::string>{"ZAV"});
    for (HKEY k : {first, second, third, ostrel}) plat::CloseRegKey(k);
}

// Missing keys and values, handles without the access asked for and keys
// deleted under an open handle: each call fails with Windows' code, hands
// out no handle and changes nothing.
TEST_F(RegistryTest, FailuresGiveWindowsCodesAndChangeNothing) {
    ASSERT_EQ(plat::SetRegDword(key_, "Kept", 1), ERROR_SUCCESS);
    HKEY leaf = Create("Leaf");
    HKEY doomed = Create("Doomed");
    ASSERT_EQ(plat::SetRegDword(doomed, "Value", 1), ERROR_SUCCESS);
    ASSERT_EQ(plat::DeleteRegKey(key_, "Doomed"), ERROR_SUCCESS);
    HKEY ro = Open("", KEY_READ), wo = Open("", KEY_WRITE), out = nullptr;
    DWORD size = 0;
    char name[8];
    BYTE data[4];
    const struct {
        const char* what;
        std::function<LONG()> op;
        LONG expected;
    } cases[] = {
        {"open a missing key", [&] { return plat::OpenRegKey(key_, "Nothing", KEY_READ, &out); },
         ERROR_FILE_NOT_FOUND},
        {"open below a missing key", [&] { return plat::OpenRegKey(key_, "Nothing\\Leaf", KEY_READ, &out); },
         ERROR_FILE_NOT_FOUND},
        {"query a missing value",
         [&] { return plat::QueryRegValue(key_, "Absent", nullptr, nullptr, nullptr); },
         ERROR_FILE_NOT_FOUND},
        {"delete a missing value", [&] { return plat::DeleteRegValue(key_, "Absent"); },
         ERROR_FILE_NOT_FOUND},
        {"delete a missing key", [&] { return plat::DeleteRegKey(key_, "Nothing"); }, ERROR_FILE_NOT_FOUND},
        {"enumerate past the end", [&] { return EnumAt(key_, 1); }, ERROR_NO_MORE_ITEMS},
        {"enumerate a leaf", [&] { return EnumAt(leaf, 0); }, ERROR_NO_MORE_ITEMS},
        {"enumerate into a short name buffer",  // "Leaf" needs 5 with its terminator
         [&] { return plat::EnumRegKey(key_, 0, name, &(size = 4)); }, ERROR_MORE_DATA},
        {"set a string without text", [&] { return plat::SetRegString(key_, "Kept", nullptr); },
         ERROR_INVALID_PARAMETER},
        {"query data without a size",
         [&] { return plat::QueryRegValue(key_, "Kept", nullptr, data, nullptr); }, ERROR_INVALID_PARAMETER},
        {"overwrite through read-only", [&] { return plat::SetRegDword(ro, "Kept", 2); },
         ERROR_ACCESS_DENIED},
        {"add through read-only", [&] { return plat::SetRegDword(ro, "New", 2); }, ERROR_ACCESS_DENIED},
        {"delete value through read-only", [&] { return plat::DeleteRegValue(ro, "Kept"); },
         ERROR_ACCESS_DENIED},
        {"create key through read-only",
         [&] {
             return kOnWine ? ERROR_ACCESS_DENIED : plat::CreateRegKey(ro, "New", KEY_READ, &out, nullptr);
         },
         ERROR_ACCESS_DENIED},
        {"query through read-only", [&] { return plat::QueryRegValue(ro, "Kept", nullptr, nullptr, &size); },
         ERROR_SUCCESS},
        {"query through write-only", [&] { return plat::QueryRegValue(wo, "Kept", nullptr, nullptr, &size); },
         ERROR_ACCESS_DENIED},
        {"enumerate through write-only", [&] { return EnumAt(wo, 0); }, ERROR_ACCESS_DENIED},
        {"write through write-only", [&] { return plat::SetRegDword(wo, "Other", 3); }, ERROR_SUCCESS},
        {"query a deleted key",
         [&] { return plat::QueryRegValue(doomed, "Value", nullptr, nullptr, nullptr); }, ERROR_KEY_DELETED},
        {"set in a deleted key", [&] { return plat::SetRegDword(doomed, "Value", 2); }, ERROR_KEY_DELETED},
        {"delete a value of a deleted key", [&] { return plat::DeleteRegValue(doomed, "Value"); },
         ERROR_KEY_DELETED},
        {"open below a deleted key", [&] { return plat::OpenRegKey(doomed, "Sub", KEY_READ, &out); },
         ERROR_KEY_DELETED},
        {"create below a deleted key",
         [&] { return plat::CreateRegKey(doomed, "Sub", KEY_ALL_ACCESS, &out, nullptr); }, ERROR_KEY_DELETED},
        {"enumerate a deleted key", [&] { return EnumAt(doomed, 0); }, ERROR_KEY_DELETED},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.op(), c.expected) << c.what;
        EXPECT_EQ(out, nullptr) << c.what;
    }
    EXPECT_EQ(ReadDword(key_, "Kept"), 1u);
    EXPECT_EQ(Read(key_, "New").rc, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Subkeys(key_), std::vector<std::string>{"Leaf"});  // nothing created, nothing came back to life
    for (HKEY k : {leaf, doomed, ro, wo}) EXPECT_EQ(plat::CloseRegKey(k), ERROR_SUCCESS);
}

TEST_F(RegistryTest, KeyWithSubkeysIsDeletedOnlyOnceItIsALeaf) {
    plat::CloseRegKey(Create("Parent\\Child"));
    EXPECT_EQ(plat::DeleteRegKey(key_, "Parent"), ERROR_ACCESS_DENIED);
    plat::CloseRegKey(Open("Parent\\Child", KEY_READ));  // still there
    EXPECT_EQ(plat::DeleteRegKey(key_, "PARENT\\child"), ERROR_SUCCESS);
    EXPECT_EQ(plat::DeleteRegKey(key_, "Parent"), ERROR_SUCCESS);
    EXPECT_TRUE(Subkeys(key_).empty());
}

TEST_F(RegistryTest, ConcurrentWritersInOneProcessLoseNothing) {
    constexpr int kThreads = 6;
    constexpr int kValues = 20;
    const auto name = [](int t, int v) { return "t" + std::to_string(t) + "v" + std::to_string(v); };
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            // Each thread has its own handles and creates keys alongside the others.
            HKEY shared = nullptr, own = nullptr;
            const std::string ownName = "Shared\\T" + std::to_string(t);
            if (plat::CreateRegKey(key_, "Shared", KEY_ALL_ACCESS, &shared, nullptr) != ERROR_SUCCESS ||
                plat::CreateRegKey(key_, ownName.c_str(), KEY_ALL_ACCESS, &own, nullptr) != ERROR_SUCCESS) {
                ++failures;
                return;
            }
            for (int v = 0; v < kValues; ++v) {
                if (plat::SetRegDword(shared, name(t, v).c_str(), static_cast<DWORD>(t * 1000 + v)) !=
                        ERROR_SUCCESS ||
                    plat::SetRegDword(own, name(t, v).c_str(), static_cast<DWORD>(v)) != ERROR_SUCCESS)
                    ++failures;
            }
            plat::CloseRegKey(shared);
            plat::CloseRegKey(own);
        });
    }
    for (std::thread& t : threads) t.join();
    ASSERT_EQ(failures.load(), 0);
    HKEY shared = Open("Shared", KEY_READ);
    EXPECT_EQ(Subkeys(shared).size(), static_cast<size_t>(kThreads));
    for (int t = 0; t < kThreads; ++t) {
        HKEY own = Open("Shared\\T" + std::to_string(t), KEY_READ);
        for (int v = 0; v < kValues; ++v) {
            EXPECT_EQ(ReadDword(shared, name(t, v).c_str()), static_cast<DWORD>(t * 1000 + v));
            EXPECT_EQ(ReadDword(own, name(t, v).c_str()), static_cast<DWORD>(v));
        }
        plat::CloseRegKey(own);
    }
    plat::CloseRegKey(shared);
}

}  // namespace
