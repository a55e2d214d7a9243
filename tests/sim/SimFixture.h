// Loads the stand-in endpoint component, registers it in the test's own
// registry and resolves its control functions from the same library, so
// that endpoints made through activation and the control functions meet at
// the same simulated switch.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "SimComPtr.h"
#include "ZavSimControl.h"
#include "support/TempRegistry.h"
#include "zav/EndPoint.h"

struct SimControl {
    ZavSimAddAccountFn AddAccount = nullptr;
    ZavSimResetFn Reset = nullptr;
    ZavSimInjectMessageFn InjectMessage = nullptr;
    ZavSimInjectShutdownFn InjectShutdown = nullptr;
    ZavSimInjectPhoneQueryReplyFn InjectPhoneQueryReply = nullptr;
    ZavSimSetFaultsFn SetFaults = nullptr;
    ZavSimSetSignalModeFn SetSignalMode = nullptr;
    ZavSimReadLogFn ReadLog = nullptr;
    ZavSimClearLogFn ClearLog = nullptr;
    ZavSimWaitForLogFn WaitForLog = nullptr;
    ZavSimCountFn EndPointCount = nullptr;
    ZavSimCountFn ConnectedCount = nullptr;
    ZavSimCountFn PendingMessages = nullptr;
    ZavSimLiveFn LiveObjects = nullptr;
    ZavSimLiveFn LiveMessages = nullptr;
};

class SimTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new endpoint through the class id, as the provider makes one.
    SimComPtr<IEndPoint> Create();
    // Connected and registered with its reply taken; the event is returned.
    SimComPtr<IEndPoint> Registered(const char* extension, const char* password, HANDLE* event = nullptr);
    void AddAccount(const char* extension, const char* password, LONG deviceType = 1, LONG vdn = 0,
                    LONG serial = 0, const char* ownerName = "");
    std::string Log(const char* extension) const;

    // The library's entry points by name.
    void* Symbol(const char* name) const;

    zavtest::TempRegistry m_registry;
    HMODULE m_module = nullptr;
    SimControl m_sim;
};

// HRESULT-returning calls with BSTR arguments made from 8-bit texts, freed
// after the call.
class TempBstr {
public:
    explicit TempBstr(const char* text);
    TempBstr(const char* bytes, unsigned length);
    ~TempBstr();
    TempBstr(const TempBstr&) = delete;
    TempBstr& operator=(const TempBstr&) = delete;
    operator BSTR() const { return m_bstr; }

private:
    BSTR m_bstr;
};

// Calls a text getter and gives back its text, freeing the BSTR; records a
// failure when the getter fails or hands back a null text.
std::string GetText(IMsgInt* message, HRESULT (IMsgInt::*getter)(BSTR*));
LONG GetNumber(IMsgInt* message, HRESULT (IMsgInt::*getter)(LONG*));

// Deletes a key and everything below it.
void DeleteRegTree(const std::string& path);
