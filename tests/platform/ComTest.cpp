#include <gtest/gtest.h>

#include <string>

#include "platform/Com.h"
#include "platform/Registry.h"
#include "support/TempRegistry.h"
#include "support/TestComponentIds.h"

namespace {

// Ids only these tests register.
constexpr CLSID kUnregistered = {
    0x5A1F03E4, 0x77C4, 0x4B0E, {0x9D, 0x21, 0x3C, 0x6B, 0xE0, 0x11, 0x42, 0x7A}};

class Activation : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(plat::ComInitialize(true))); }
    void TearDown() override {
        Unregister(CLSID_TestWidget);
        plat::ComFreeUnusedLibraries();
        plat::ComUninitialize();
    }

    void Register(REFCLSID clsid, const std::string& library) {
        HKEY key;
        ASSERT_EQ(plat::CreateRegKey(HKEY_LOCAL_MACHINE, plat::ClsidKeyPath(clsid).c_str(), KEY_ALL_ACCESS,
                                     &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(plat::SetRegString(key, nullptr, zavtest::NativePath(library).c_str()), ERROR_SUCCESS);
        EXPECT_EQ(plat::SetRegString(key, "ThreadingModel", "Both"), ERROR_SUCCESS);
        plat::CloseRegKey(key);
    }

    void Unregister(REFCLSID clsid) {
        std::string inproc = plat::ClsidKeyPath(clsid);
        std::string clsidKey = inproc.substr(0, inproc.rfind('\\'));
        plat::DeleteRegKey(HKEY_LOCAL_MACHINE, inproc.c_str());
        plat::DeleteRegKey(HKEY_LOCAL_MACHINE, clsidKey.c_str());
    }

    zavtest::TempRegistry m_registry;
};

TEST_F(Activation, CreatesARegisteredComponentAndReportsEachFailure) {
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(plat::ComCreateInstance(kUnregistered, IID_IUnknown, &p), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(p, nullptr) << "the out pointer is cleared on failure";

    Register(CLSID_TestWidget, m_registry.Directory() + "/no-such-library.dll");
    HRESULT missingLibrary = plat::ComCreateInstance(CLSID_TestWidget, IID_IUnknown, &p);
    EXPECT_TRUE(FAILED(missingLibrary));
#ifndef _WIN32
    EXPECT_EQ(missingLibrary, HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
    // A library that is not a component: no DllGetClassObject.
    Register(CLSID_TestWidget, ZAV_NOT_A_COMPONENT_PATH);
    EXPECT_EQ(plat::ComCreateInstance(CLSID_TestWidget, IID_IUnknown, &p), CO_E_ERRORINDLL);
#endif

    Register(CLSID_TestWidget, ZAV_TEST_COMPONENT_PATH);
    EXPECT_EQ(plat::ComCreateInstance(CLSID_TestWidget, kUnregistered, &p), E_NOINTERFACE);
    EXPECT_EQ(plat::ComCreateInstance(CLSID_TestWidget, IID_IUnknown, nullptr), E_POINTER);
    ITestWidget* widget = nullptr;
    ASSERT_EQ(plat::ComCreateInstance(CLSID_TestWidget, IID_ITestWidget, reinterpret_cast<void**>(&widget)),
              S_OK);
    ASSERT_NE(widget, nullptr);
    LONG answer = 0;
    EXPECT_EQ(widget->Answer(&answer), S_OK);
    EXPECT_EQ(answer, kTestWidgetAnswer);
    EXPECT_EQ(widget->Release(), 0u);
}

TEST(ActivationWithoutCom, RefusedOnAThreadThatDidNotInitialiseCom) {
    void* p = nullptr;
    EXPECT_EQ(plat::ComCreateInstance(CLSID_TestWidget, IID_IUnknown, &p), CO_E_NOTINITIALIZED);
}

// Where Windows looks a class id up, which our Linux activation and the
// installers' registrations must agree on.
TEST(Guid, ClassKeyPath) {
    EXPECT_EQ(plat::ClsidKeyPath(CLSID_TestWidget),
              "Software\\Classes\\CLSID\\{5A1F03E2-77C4-4B0E-9D21-3C6BE011427A}\\InprocServer32");
}

}  // namespace
