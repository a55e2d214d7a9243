// Our constants, with nothing else in scope: this translation unit sees no
// system TAPI header, so every name below resolves to tapi/own/.
#include "ApiTables.h"
#include "ConstantList.h"
#include "tapi/own/TapiConstants.h"

namespace tapitest {

std::vector<NamedValue> OwnConstants() {
#define ZAV_OWN_VALUE(N) NamedValue{#N, static_cast<long long>(N), sizeof(N)},
    return {ZAV_TAPI_RESULT_CODES(ZAV_OWN_VALUE) ZAV_TAPI_OTHER_CONSTANTS(ZAV_OWN_VALUE)};
#undef ZAV_OWN_VALUE
}

}  // namespace tapitest
