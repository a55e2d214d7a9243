// Tables built in separate translation units, so that values and types
// declared by the system headers and by tapi/own/ can be compared although
// the two sets of declarations cannot meet in one translation unit.
#pragma once

#include <cstddef>
#include <vector>

namespace tapitest {

struct NamedValue {
    const char* name;
    long long value;
    std::size_t size;
};

struct NamedType {
    const char* name;
    const char* typeName;  // std::type_info::name() of the complete type
};

// OwnConstants.cpp: every constant of tests/tapi/ConstantList.h, from tapi/own/ alone.
std::vector<NamedValue> OwnConstants();

// OwnTypes.cpp: every entry of tests/tapi/TypeList.h, from tapi/own/ on top of
// the target's base types.
std::vector<NamedType> OwnTypes();
std::vector<NamedType> OwnFunctions();

}  // namespace tapitest
