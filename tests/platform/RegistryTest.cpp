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

// Text beyond ASCII in the ANSI code page: UTF-8 on Linux, the system's code
// page on Windows, where these letters exist in the Western and Central
// European pages alike.
std::string AnsiText() {
#ifdef _WIN32
    if (GetACP() != CP_UTF8) return "Z\xE1kazn\xEDk \xC4\xE9\xF6";
#endif
    return "Z\xC3\xA1kazn\xC3\xADk \xC5\x99\xC3\xA9\xE2\x82\xAC \xF0\x9F\x93\x9E";
}

// The same word in two cases, for case-insensitive names beyond ASCII.
std::pair<std::string, std::string> AnsiNamePair() {
#ifdef _WIN32
    if (GetACP() != CP_UTF8) return {"Caf\xE9", "CAF\xC9"};
#endif
    return {"Caf\xC3\xA9", "CAF\xC3\x89"};
}

// Whether bytes that are not UTF-8 come back from the ANSI calls as they
// went in: so on Linux, and on Windows in the Western code page.
bool KeepsCp1252Bytes() {
#ifdef _WIN32
    return GetACP() == 1252;
#else
    return true;
#endif
}

// Wine lets RegCreateKeyExA create below a handle without KEY_CREATE_SUB_KEY,
// which Windows refuses.
bool WineAllowsCreateWithoutAccess() {
#ifdef _WIN32
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
    return false;
#endif
}

struct ReadBack {
    LONG rc;
    DWORD type = 0;
    std::vector<BYTE> data;
};

// Reads a value as callers do: size first, then the data.
ReadBack Read(HKEY key, const char* name) {
    DWORD type = 0;
    DWORD size = 0;
    LONG rc = plat::QueryRegValue(key, name, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS) return {rc, 0, {}};
    std::vector<BYTE> data(size + 1, 0xCC);  // one spare byte: nothing may be written past the data
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
        {"Dword", REG_DWORD, std::string("\x0a\0\0\0", 4)},
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
        if (c.cp1252 && !KeepsCp1252Bytes()) continue;
        ASSERT_EQ(plat::SetRegValue(key_, c.name, c.type, reinterpret_cast<const BYTE*>(c.data.data()),
                                    static_cast<DWORD>(c.data.size())),
                  ERROR_SUCCESS)
            << c.name;
    }
    // Through a second handle, so that nothing comes from the first one's state.
    HKEY reader = Open("", KEY_READ);
    for (const auto& c : cases) {
        if (c.cp1252 && !KeepsCp1252Bytes()) continue;
        SCOPED_TRACE(c.name);
        ReadBack r = Read(reader, c.name);
        ASSERT_EQ(r.rc, ERROR_SUCCESS);
        EXPECT_EQ(r.type, c.type);
        EXPECT_EQ(r.data, Bytes(c.data));
    }
    EXPECT_EQ(Read(reader, nullptr).rc, ERROR_FILE_NOT_FOUND);  // "@" is a name, not the default
    plat::CloseRegKey(reader);
}

TEST_F(RegistryTest, ConvenienceSettersWriteStringsWithTheirTerminator) {
    ASSERT_EQ(plat::SetRegString(key_, "Name", AnsiText().c_str()), ERROR_SUCCESS);
    ASSERT_EQ(plat::SetRegDword(key_, "Count", 0x12345678u), ERROR_SUCCESS);
    ReadBack r = Read(key_, "Name");
    EXPECT_EQ(r.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(r.data.size(), AnsiText().size() + 1);  // bytes of the ANSI text, not of its UTF-16 form
    EXPECT_EQ(r.data, Bytes(AnsiText() + '\0'));
    EXPECT_EQ(ReadDword(key_, "Count"), 0x12345678u);
    EXPECT_EQ(plat::SetRegString(key_, "Name", nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
    DWORD disposition = 0;
    HKEY first = nullptr;
    ASSERT_EQ(plat::CreateRegKey(key_, "Ostrel\\ZAV\\ZAVTSP", KEY_ALL_ACCESS, &first, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    HKEY second = nullptr;
    ASSERT_EQ(plat::CreateRegKey(key_, "OSTREL\\zav\\ZavTsp", KEY_ALL_ACCESS, &second, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    HKEY third = Open("ostrel\\Zav\\zavtsp", KEY_READ);

    const auto [lower, upper] = AnsiNamePair();
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

TEST_F(RegistryTest, DefaultValueIsTheEmptyName) {
    EXPECT_EQ(Read(key_, nullptr).rc, ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(plat::SetRegString(key_, nullptr, "first"), ERROR_SUCCESS);
    ASSERT_EQ(plat::SetRegString(key_, "", "second"), ERROR_SUCCESS);
    for (const char* name : {static_cast<const char*>(nullptr), ""}) {
        ReadBack r = Read(key_, name);
        ASSERT_EQ(r.rc, ERROR_SUCCESS);
        EXPECT_EQ(r.data, Bytes(std::string("second", 7)));
    }
    EXPECT_EQ(plat::DeleteRegValue(key_, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(Read(key_, "").rc, ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, MissingKeysAndValuesAreReported) {
    HKEY child = Create("Child");
    ASSERT_EQ(plat::SetRegDword(child, "Present", 1), ERROR_SUCCESS);
    HKEY out = nullptr;
    const struct {
        const char* what;
        std::function<LONG()> op;
        LONG expected;
    } cases[] = {
        {"open a missing key", [&] { return plat::OpenRegKey(key_, "Nothing", KEY_READ, &out); },
         ERROR_FILE_NOT_FOUND},
        {"open below a missing key", [&] { return plat::OpenRegKey(key_, "Nothing\\Child", KEY_READ, &out); },
         ERROR_FILE_NOT_FOUND},
        {"query a missing value",
         [&] { return plat::QueryRegValue(child, "Absent", nullptr, nullptr, nullptr); },
         ERROR_FILE_NOT_FOUND},
        {"delete a missing value", [&] { return plat::DeleteRegValue(child, "Absent"); },
         ERROR_FILE_NOT_FOUND},
        {"delete a missing key", [&] { return plat::DeleteRegKey(key_, "Nothing"); }, ERROR_FILE_NOT_FOUND},
        {"enumerate past the end",
         [&] {
             char name[64];
             DWORD size = sizeof name;
             return plat::EnumRegKey(key_, 1, name, &size);
         },
         ERROR_NO_MORE_ITEMS},
        {"enumerate a leaf",
         [&] {
             char name[64];
             DWORD size = sizeof name;
             return plat::EnumRegKey(child, 0, name, &size);
         },
         ERROR_NO_MORE_ITEMS},
    };
    for (const auto& c : cases) {
        out = nullptr;
        EXPECT_EQ(c.op(), c.expected) << c.what;
        EXPECT_EQ(out, nullptr) << c.what;
    }
    EXPECT_EQ(ReadDword(child, "Present"), 1u);  // the failures touched nothing
    plat::CloseRegKey(child);
}

TEST_F(RegistryTest, ShortBuffersGetMoreDataAndTheSizeNeeded) {
    const struct {
        const char* name;
        DWORD type;
        std::string data;
    } values[] = {
        {"Text", REG_SZ, std::string("hello\0", 6)},
        {"Ansi", REG_SZ, AnsiText() + '\0'},
        {"Number", REG_DWORD, std::string("\7\0\0\0", 4)},
        {"Multi", REG_MULTI_SZ, std::string("a\0bc\0\0", 6)},
        {"Blob", REG_BINARY, std::string(300, 'x')},
    };
    for (const auto& v : values) {
        SCOPED_TRACE(v.name);
        const auto needed = static_cast<DWORD>(v.data.size());
        ASSERT_EQ(
            plat::SetRegValue(key_, v.name, v.type, reinterpret_cast<const BYTE*>(v.data.data()), needed),
            ERROR_SUCCESS);
        const struct {
            bool withData;
            DWORD offered;
            LONG rc;
        } calls[] = {
            {false, 0, ERROR_SUCCESS},     // size query
            {false, 1000, ERROR_SUCCESS},  // size query, whatever the size says
            {true, 0, ERROR_MORE_DATA},    //
            {true, needed - 1, ERROR_MORE_DATA}, {true, needed, ERROR_SUCCESS},
            {true, needed + 10, ERROR_SUCCESS},
        };
        for (const auto& call : calls) {
            SCOPED_TRACE(call.offered);
            std::vector<BYTE> buf(needed + 16, 0xCC);
            DWORD type = 0;
            DWORD size = call.offered;
            EXPECT_EQ(plat::QueryRegValue(key_, v.name, &type, call.withData ? buf.data() : nullptr, &size),
                      call.rc);
            EXPECT_EQ(size, needed);
            EXPECT_EQ(type, v.type);
            if (call.rc == ERROR_SUCCESS && call.withData) {
                EXPECT_EQ(std::vector<BYTE>(buf.begin(), buf.begin() + needed), Bytes(v.data));
            }
        }
    }
    BYTE buf[4];
    EXPECT_EQ(plat::QueryRegValue(key_, "Number", nullptr, buf, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, KeyWithSubkeysIsDeletedOnlyOnceItIsALeaf) {
    plat::CloseRegKey(Create("Parent\\Child"));
    EXPECT_EQ(plat::DeleteRegKey(key_, "Parent"), ERROR_ACCESS_DENIED);
    plat::CloseRegKey(Open("Parent\\Child", KEY_READ));  // still there
    EXPECT_EQ(plat::DeleteRegKey(key_, "PARENT\\child"), ERROR_SUCCESS);
    EXPECT_EQ(plat::DeleteRegKey(key_, "Parent"), ERROR_SUCCESS);
    HKEY gone = nullptr;
    EXPECT_EQ(plat::OpenRegKey(key_, "Parent", KEY_READ, &gone), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(Subkeys(key_).empty());
}

TEST_F(RegistryTest, HandlesAllowOnlyTheirAccess) {
    ASSERT_EQ(plat::SetRegDword(key_, "Kept", 1), ERROR_SUCCESS);
    plat::CloseRegKey(Create("Sub"));
    HKEY ro = nullptr;
    ASSERT_EQ(plat::OpenRegKey(HKEY_LOCAL_MACHINE, path_.c_str(), KEY_READ, &ro), ERROR_SUCCESS);
    HKEY wo = nullptr;
    ASSERT_EQ(plat::OpenRegKey(HKEY_LOCAL_MACHINE, path_.c_str(), KEY_WRITE, &wo), ERROR_SUCCESS);
    HKEY out = nullptr;
    DWORD size = 0;
    char name[64];
    const struct {
        const char* what;
        std::function<LONG()> op;
        LONG expected;
    } cases[] = {
        {"overwrite through read-only", [&] { return plat::SetRegDword(ro, "Kept", 2); },
         ERROR_ACCESS_DENIED},
        {"add through read-only", [&] { return plat::SetRegDword(ro, "New", 2); }, ERROR_ACCESS_DENIED},
        {"delete value through read-only", [&] { return plat::DeleteRegValue(ro, "Kept"); },
         ERROR_ACCESS_DENIED},
        {"create key through read-only",
         [&] {
             return WineAllowsCreateWithoutAccess()
                        ? ERROR_ACCESS_DENIED
                        : plat::CreateRegKey(ro, "NewKey", KEY_READ, &out, nullptr);
         },
         ERROR_ACCESS_DENIED},
        {"query through read-only", [&] { return plat::QueryRegValue(ro, "Kept", nullptr, nullptr, &size); },
         ERROR_SUCCESS},
        {"query through write-only", [&] { return plat::QueryRegValue(wo, "Kept", nullptr, nullptr, &size); },
         ERROR_ACCESS_DENIED},
        {"enumerate through write-only",
         [&] {
             size = sizeof name;
             return plat::EnumRegKey(wo, 0, name, &size);
         },
         ERROR_ACCESS_DENIED},
        {"write through write-only", [&] { return plat::SetRegDword(wo, "Other", 3); }, ERROR_SUCCESS},
    };
    for (const auto& c : cases) EXPECT_EQ(c.op(), c.expected) << c.what;
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(ReadDword(key_, "Kept"), 1u);
    EXPECT_EQ(Read(key_, "New").rc, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Subkeys(key_), std::vector<std::string>{"Sub"});
    EXPECT_EQ(plat::CloseRegKey(ro), ERROR_SUCCESS);
    EXPECT_EQ(plat::CloseRegKey(wo), ERROR_SUCCESS);
}

TEST_F(RegistryTest, KeyDeletedUnderAnOpenHandle) {
    HKEY doomed = Create("Doomed");
    ASSERT_EQ(plat::SetRegDword(doomed, "Value", 1), ERROR_SUCCESS);
    ASSERT_EQ(plat::DeleteRegKey(key_, "Doomed"), ERROR_SUCCESS);
    HKEY out = nullptr;
    const struct {
        const char* what;
        std::function<LONG()> op;
    } cases[] = {
        {"query", [&] { return plat::QueryRegValue(doomed, "Value", nullptr, nullptr, nullptr); }},
        {"set", [&] { return plat::SetRegDword(doomed, "Value", 2); }},
        {"delete value", [&] { return plat::DeleteRegValue(doomed, "Value"); }},
        {"open subkey", [&] { return plat::OpenRegKey(doomed, "Sub", KEY_READ, &out); }},
        {"create subkey", [&] { return plat::CreateRegKey(doomed, "Sub", KEY_ALL_ACCESS, &out, nullptr); }},
        {"enumerate",
         [&] {
             char name[64];
             DWORD size = sizeof name;
             return plat::EnumRegKey(doomed, 0, name, &size);
         }},
    };
    for (const auto& c : cases) EXPECT_EQ(c.op(), ERROR_KEY_DELETED) << c.what;
    EXPECT_EQ(out, nullptr);
    EXPECT_TRUE(Subkeys(key_).empty());  // nothing came back to life
    EXPECT_EQ(plat::CloseRegKey(doomed), ERROR_SUCCESS);
}

TEST_F(RegistryTest, SubkeysEnumerateInOrderAndShortNameBuffersAreRefused) {
    for (const char* name : {"gamma", "Alpha", "beta"}) plat::CloseRegKey(Create(name));
    EXPECT_EQ(Subkeys(key_), (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    char name[8];
    DWORD size = 5;  // "Alpha" needs 6 with its terminator
    EXPECT_EQ(plat::EnumRegKey(key_, 0, name, &size), ERROR_MORE_DATA);
    size = 6;
    EXPECT_EQ(plat::EnumRegKey(key_, 0, name, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 5u);
    EXPECT_STREQ(name, "Alpha");
}

TEST_F(RegistryTest, ConcurrentWritersInOneProcessLoseNothing) {
    constexpr int kThreads = 6;
    constexpr int kValues = 20;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            // Each thread has its own handles and creates keys alongside the others.
            HKEY shared = nullptr;
            HKEY own = nullptr;
            const std::string ownName = "Shared\\T" + std::to_string(t);
            if (plat::CreateRegKey(key_, "Shared", KEY_ALL_ACCESS, &shared, nullptr) != ERROR_SUCCESS ||
                plat::CreateRegKey(key_, ownName.c_str(), KEY_ALL_ACCESS, &own, nullptr) != ERROR_SUCCESS) {
                ++failures;
                return;
            }
            for (int v = 0; v < kValues; ++v) {
                const std::string name = "t" + std::to_string(t) + "v" + std::to_string(v);
                if (plat::SetRegDword(shared, name.c_str(), static_cast<DWORD>(t * 1000 + v)) !=
                        ERROR_SUCCESS ||
                    plat::SetRegDword(own, name.c_str(), static_cast<DWORD>(v)) != ERROR_SUCCESS)
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
            const std::string name = "t" + std::to_string(t) + "v" + std::to_string(v);
            EXPECT_EQ(ReadDword(shared, name.c_str()), static_cast<DWORD>(t * 1000 + v));
            EXPECT_EQ(ReadDword(own, name.c_str()), static_cast<DWORD>(v));
        }
        plat::CloseRegKey(own);
    }
    plat::CloseRegKey(shared);
}

}  // namespace
