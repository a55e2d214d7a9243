// Our TAPI and TSPI types and prototypes on top of the target's real base
// types (<windows.h> on Windows, without <tapi.h> and <tspi.h>): the same
// arrangement Linux builds use, checked where the system's declarations can
// be compared with it.
#include <typeinfo>

#include "ApiTables.h"
#include "TypeList.h"
#include "platform/WinTypes.h"

#ifndef _WIN32
#include "tapi/own/SystemTime.h"
#endif
// clang-format off
#include "tapi/own/TapiHandles.h"
#include "tapi/own/LineDeviceStructs.h"
#include "tapi/own/LineCallStructs.h"
#include "tapi/own/PhoneStructs.h"
#include "tapi/own/TspiTypes.h"
#include "tapi/own/TspiFunctions.h"
// clang-format on

namespace tapitest {

std::vector<NamedType> OwnTypes() {
#define ZAV_OWN_TYPE(N) NamedType{#N, typeid(N).name()},
    return {ZAV_TAPI_TYPES(ZAV_OWN_TYPE)};
#undef ZAV_OWN_TYPE
}

// decltype keeps the functions unevaluated: nothing here needs them defined.
std::vector<NamedType> OwnFunctions() {
#define ZAV_OWN_FUNCTION(N) NamedType{#N, typeid(decltype(N)).name()},
    return {ZAV_TSPI_FUNCTIONS(ZAV_OWN_FUNCTION)};
#undef ZAV_OWN_FUNCTION
}

}  // namespace tapitest
