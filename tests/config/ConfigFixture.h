// What the configuration store's tests share: a registry of their own, the
// keys they write removed before and after each test (on Windows the
// registry is the Wine prefix's real one), helpers to lay out and read back
// keys below HKEY_LOCAL_MACHINE, and the part of the process-wide log a test
// wrote.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/WinTypes.h"
#include "support/TempRegistry.h"

namespace zavtest {

// Removes the provider's key with its telephones, the switch component's
// key, the fake component's key and its class registration, deepest first.
void RemoveConfigKeys();

bool KeyExists(const std::string& path);
// The data as stored; nullopt for a missing key or value or another type.
std::optional<std::string> ReadText(const std::string& path, const char* name);
std::optional<DWORD> ReadDword(const std::string& path, const char* name);
// These create the key as needed.
void WriteBytes(const std::string& path, const char* name, DWORD type, const std::string& bytes);
void WriteText(const std::string& path, const char* name, const char* text);
void WriteDword(const std::string& path, const char* name, DWORD value);

std::string PhonePath(DWORD index);
// A telephone key holding the given values; nullptr leaves a value out.
void WritePhone(DWORD index, const char* extension, const char* password);

// The log lines written since construction. The process-wide log rotates
// once at its first line; a shrunken file is read whole.
class LogCapture {
public:
    LogCapture();
    std::string Text() const;
    bool Has(const std::string& text) const { return Text().find(text) != std::string::npos; }

private:
    std::string m_path;
    std::size_t m_start = 0;
};

class ConfigStoreTest : public ::testing::Test {
protected:
    void SetUp() override { RemoveConfigKeys(); }
    void TearDown() override { RemoveConfigKeys(); }

    TempRegistry m_registry;
};

}  // namespace zavtest
