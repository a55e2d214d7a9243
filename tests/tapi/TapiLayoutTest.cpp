// Our TAPI declarations against the system's, on Windows where both exist:
// every structure byte for byte, every constant by value and width, every
// handle, callback and exported function by its complete type.
// clang-format off
#include "platform/WinTypes.h"
#include <tapi.h>
#include <tspi.h>
// clang-format on

#include <cxxabi.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <string>
#include <typeinfo>
#include <vector>

#include "ApiTables.h"
#include "ConstantList.h"
#include "StructFieldList.h"
#include "TypeList.h"

// Our structures beside the system's: own::LINEDEVCAPS next to ::LINEDEVCAPS.
// The base types (DWORD, GUID, ...) resolve to the system's in both.
namespace own {
// clang-format off
#include "tapi/own/SystemTime.h"
#include "tapi/own/TapiHandles.h"
#include "tapi/own/LineDeviceStructs.h"
#include "tapi/own/LineCallStructs.h"
#include "tapi/own/PhoneStructs.h"
#include "tapi/own/TspiTypes.h"
// clang-format on
}  // namespace own

namespace {

using tapitest::NamedType;
using tapitest::NamedValue;

struct TypeLayout {
    const char* name;
    std::size_t systemSize, ownSize;
    std::size_t systemAlign, ownAlign;
};

struct FieldLayout {
    const char* name;
    std::size_t systemOffset, ownOffset;
    std::size_t systemSize, ownSize;
};

const TypeLayout kStructs[] = {
#define ZAV_STRUCT(S) {#S, sizeof(::S), sizeof(own::S), alignof(::S), alignof(own::S)},
    ZAV_TAPI_STRUCTS(ZAV_STRUCT)
#undef ZAV_STRUCT
};

const FieldLayout kFields[] = {
#define ZAV_FIELD(S, f) {#S "." #f, offsetof(::S, f), offsetof(own::S, f), sizeof(::S::f), sizeof(own::S::f)},
    ZAV_TAPI_FIELDS(ZAV_FIELD)
#undef ZAV_FIELD
};

std::vector<NamedValue> SystemConstants() {
#define ZAV_SYSTEM_VALUE(N) NamedValue{#N, static_cast<long long>(N), sizeof(N)},
    return {ZAV_TAPI_RESULT_CODES(ZAV_SYSTEM_VALUE) ZAV_TAPI_OTHER_CONSTANTS(ZAV_SYSTEM_VALUE)};
#undef ZAV_SYSTEM_VALUE
}

std::vector<NamedType> SystemTypes() {
#define ZAV_SYSTEM_TYPE(N) NamedType{#N, typeid(::N).name()},
    return {ZAV_TAPI_TYPES(ZAV_SYSTEM_TYPE)};
#undef ZAV_SYSTEM_TYPE
}

std::vector<NamedType> SystemFunctions() {
#define ZAV_SYSTEM_FUNCTION(N) NamedType{#N, typeid(decltype(::N)).name()},
    return {ZAV_TSPI_FUNCTIONS(ZAV_SYSTEM_FUNCTION)};
#undef ZAV_SYSTEM_FUNCTION
}

std::string Readable(const char* typeName) {
    int status = 0;
    char* text = abi::__cxa_demangle(typeName, nullptr, nullptr, &status);
    std::string result = status == 0 && text ? text : typeName;
    std::free(text);
    return result;
}

void ExpectSameTypes(const std::vector<NamedType>& system, const std::vector<NamedType>& ours) {
    ASSERT_EQ(system.size(), ours.size());
    for (std::size_t i = 0; i < system.size(); ++i) {
        SCOPED_TRACE(system[i].name);
        ASSERT_STREQ(system[i].name, ours[i].name);
        EXPECT_EQ(Readable(system[i].typeName), Readable(ours[i].typeName));
    }
}

TEST(TapiLayout, StructuresHaveTheSystemSizeAndAlignment) {
    for (const TypeLayout& s : kStructs) {
        SCOPED_TRACE(s.name);
        EXPECT_EQ(s.systemSize, s.ownSize);
        EXPECT_EQ(s.systemAlign, s.ownAlign);
    }
}

TEST(TapiLayout, FieldsHaveTheSystemOffsetAndSize) {
    for (const FieldLayout& f : kFields) {
        SCOPED_TRACE(f.name);
        EXPECT_EQ(f.systemOffset, f.ownOffset);
        EXPECT_EQ(f.systemSize, f.ownSize);
    }
}

TEST(TapiLayout, ConstantsHaveTheSystemValueAndWidth) {
    const std::vector<NamedValue> system = SystemConstants();
    const std::vector<NamedValue> ours = tapitest::OwnConstants();
    ASSERT_EQ(system.size(), ours.size());
    for (std::size_t i = 0; i < system.size(); ++i) {
        SCOPED_TRACE(system[i].name);
        ASSERT_STREQ(system[i].name, ours[i].name);
        EXPECT_EQ(system[i].value, ours[i].value);
        EXPECT_EQ(system[i].size, ours[i].size);
    }
}

TEST(TapiLayout, HandleCallbackAndPointerTypesAreTheSystems) {
    ExpectSameTypes(SystemTypes(), tapitest::OwnTypes());
}

TEST(TapiLayout, ExportedFunctionsHaveTheSystemSignatures) {
    ExpectSameTypes(SystemFunctions(), tapitest::OwnFunctions());
}

}  // namespace
