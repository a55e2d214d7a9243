// An exported function that TAPI's interface has and this switch gives no
// behaviour: it traces its entry and answers always the same. The build
// reads the export list from lines that begin with the macro's name.
#pragma once

#include "provider/ZavExport.h"
#include "trace/ZavTrace.h"

#define ZAV_FIXED_RESULT(name, params, result)    \
    ZAV_EXPORT LONG TSPIAPI name params {         \
        ZAV_TRACE("---- " #name "() is invoked"); \
        return result;                            \
    }
