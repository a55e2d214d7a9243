#include "config/ConfigFixture.h"

#include <vector>

#include "config/ZavRegistry.h"
#include "platform/Com.h"
#include "platform/Registry.h"
#include "support/LogFixture.h"
#include "support/TraceEnvironment.h"
#include "zav/EndPoint.h"

namespace zavtest {

namespace {

const char* const kFakeEndPointKey = "Software\\ZavTest\\FakeEndPoint";

void DeleteSubKeys(const char* path) {
    HKEY key;
    if (plat::OpenRegKey(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD size = sizeof name;
        if (plat::EnumRegKey(key, i, name, &size) != ERROR_SUCCESS) break;
        names.emplace_back(name, size);
    }
    for (const std::string& name : names) plat::DeleteRegKey(key, name.c_str());
    plat::CloseRegKey(key);
}

HKEY Open(const char* path) {
    HKEY key;
    return plat::OpenRegKey(HKEY_LOCAL_MACHINE, path, KEY_READ, &key) == ERROR_SUCCESS ? key : nullptr;
}

HKEY Create(const char* path) {
    HKEY key = nullptr;
    EXPECT_EQ(plat::CreateRegKey(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS, &key, nullptr), ERROR_SUCCESS)
        << path;
    return key;
}

}  // namespace

void RemoveConfigKeys() {
    DeleteSubKeys(kZavProviderKey);
    plat::DeleteRegKey(HKEY_LOCAL_MACHINE, kZavProviderKey);
    plat::DeleteRegKey(HKEY_LOCAL_MACHINE, kZavServerKey);
    plat::DeleteRegKey(HKEY_LOCAL_MACHINE, kFakeEndPointKey);
    std::string inproc = plat::ClsidKeyPath(CLSID_ZavEndPoint);
    plat::DeleteRegKey(HKEY_LOCAL_MACHINE, inproc.c_str());
    plat::DeleteRegKey(HKEY_LOCAL_MACHINE, inproc.substr(0, inproc.rfind('\\')).c_str());
    // Parents only go when nothing else lives below them.
    for (const char* parent : {"Software\\ZavTest", "Software\\Ostrel\\ZAV", "Software\\Ostrel"})
        plat::DeleteRegKey(HKEY_LOCAL_MACHINE, parent);
}

bool KeyExists(const char* path) {
    HKEY key = Open(path);
    if (key) plat::CloseRegKey(key);
    return key != nullptr;
}

bool ReadText(const char* path, const char* name, std::string* text) {
    HKEY key = Open(path);
    if (!key) return false;
    char buffer[1024];
    DWORD type = 0, size = sizeof buffer;
    LONG rc = plat::QueryRegValue(key, name, &type, reinterpret_cast<BYTE*>(buffer), &size);
    plat::CloseRegKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ) return false;
    *text = std::string(buffer, size);
    return true;
}

bool ReadDword(const char* path, const char* name, DWORD* value) {
    HKEY key = Open(path);
    if (!key) return false;
    DWORD type = 0, size = sizeof *value;
    LONG rc = plat::QueryRegValue(key, name, &type, reinterpret_cast<BYTE*>(value), &size);
    plat::CloseRegKey(key);
    return rc == ERROR_SUCCESS && type == REG_DWORD && size == sizeof *value;
}

void WriteText(const char* path, const char* name, const char* text) {
    HKEY key = Create(path);
    if (!key) return;
    EXPECT_EQ(plat::SetRegString(key, name, text), ERROR_SUCCESS);
    plat::CloseRegKey(key);
}

void WriteBytes(const char* path, const char* name, DWORD type, const std::string& bytes) {
    HKEY key = Create(path);
    if (!key) return;
    EXPECT_EQ(plat::SetRegValue(key, name, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    plat::CloseRegKey(key);
}

void WriteDword(const char* path, const char* name, DWORD value) {
    HKEY key = Create(path);
    if (!key) return;
    EXPECT_EQ(plat::SetRegDword(key, name, value), ERROR_SUCCESS);
    plat::CloseRegKey(key);
}

void RemoveKey(const char* path) {
    EXPECT_EQ(plat::DeleteRegKey(HKEY_LOCAL_MACHINE, path), ERROR_SUCCESS) << path;
}

std::string PhonePath(DWORD index) {
    return std::string(kZavProviderKey) + "\\Phone" + std::to_string(index);
}

void WritePhone(DWORD index, const char* extension, const char* password) {
    std::string path = PhonePath(index);
    HKEY key = Create(path.c_str());
    if (!key) return;
    if (extension) {
        EXPECT_EQ(plat::SetRegString(key, "Extension", extension), ERROR_SUCCESS);
    }
    if (password) {
        EXPECT_EQ(plat::SetRegString(key, "Password", password), ERROR_SUCCESS);
    }
    plat::CloseRegKey(key);
}

LogCapture::LogCapture() {
    m_path = TraceLogPath();
    m_start = LogDirectory::Read(m_path).size();
}

std::string LogCapture::Text() const {
    std::string log = LogDirectory::Read(m_path);
    return log.size() >= m_start ? log.substr(m_start) : log;
}

}  // namespace zavtest
