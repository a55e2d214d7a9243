#include "config/ConfigFixture.h"

#include <cstring>
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

HKEY Open(const std::string& path) {
    HKEY key;
    return plat::OpenRegKey(HKEY_LOCAL_MACHINE, path.c_str(), KEY_READ, &key) == ERROR_SUCCESS ? key
                                                                                               : nullptr;
}

std::optional<std::string> ReadValue(const std::string& path, const char* name, DWORD type) {
    HKEY key = Open(path);
    if (!key) return std::nullopt;
    char buffer[1024];
    DWORD stored = 0, size = sizeof buffer;
    LONG rc = plat::QueryRegValue(key, name, &stored, reinterpret_cast<BYTE*>(buffer), &size);
    plat::CloseRegKey(key);
    if (rc != ERROR_SUCCESS || stored != type) return std::nullopt;
    return std::string(buffer, size);
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

bool KeyExists(const std::string& path) {
    HKEY key = Open(path);
    if (key) plat::CloseRegKey(key);
    return key != nullptr;
}

std::optional<std::string> ReadText(const std::string& path, const char* name) {
    return ReadValue(path, name, REG_SZ);
}

std::optional<DWORD> ReadDword(const std::string& path, const char* name) {
    const std::optional<std::string> bytes = ReadValue(path, name, REG_DWORD);
    DWORD value = 0;
    if (!bytes || bytes->size() != sizeof value) return std::nullopt;
    std::memcpy(&value, bytes->data(), sizeof value);
    return value;
}

void WriteBytes(const std::string& path, const char* name, DWORD type, const std::string& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(plat::CreateRegKey(HKEY_LOCAL_MACHINE, path.c_str(), KEY_ALL_ACCESS, &key, nullptr),
              ERROR_SUCCESS)
        << path;
    EXPECT_EQ(plat::SetRegValue(key, name, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    plat::CloseRegKey(key);
}

void WriteText(const std::string& path, const char* name, const char* text) {
    WriteBytes(path, name, REG_SZ, std::string(text, std::strlen(text) + 1));
}

void WriteDword(const std::string& path, const char* name, DWORD value) {
    WriteBytes(path, name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), sizeof value));
}

std::string PhonePath(DWORD index) {
    return std::string(kZavProviderKey) + "\\Phone" + std::to_string(index);
}

void WritePhone(DWORD index, const char* extension, const char* password) {
    if (extension) WriteText(PhonePath(index), "Extension", extension);
    if (password) WriteText(PhonePath(index), "Password", password);
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
