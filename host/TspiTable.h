// The provider's TSPI functions resolved by name, each with the exact type
// the declarations give it, so a call through the table is checked by the
// compiler like a direct call.
#pragma once

#include "host/ProviderModule.h"
#include "host/TspiFunctionList.h"
#include "tapi/Tapi.h"

namespace zavhost {

struct TspiTable {
#define ZAV_TSPI_MEMBER(name) decltype(&::TSPI_##name) name = nullptr;
    ZAV_TSPI_FUNCTIONS(ZAV_TSPI_MEMBER, ZAV_TSPI_MEMBER)
#undef ZAV_TSPI_MEMBER

    // Null members for the functions the module does not export (all of
    // them when nothing is loaded).
    void Resolve(const ProviderModule& module) {
#define ZAV_TSPI_RESOLVE(name) name = module.Get<decltype(name)>("TSPI_" #name);
        ZAV_TSPI_FUNCTIONS(ZAV_TSPI_RESOLVE, ZAV_TSPI_RESOLVE)
#undef ZAV_TSPI_RESOLVE
    }
};

}  // namespace zavhost
