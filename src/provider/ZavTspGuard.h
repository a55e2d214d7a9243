// The catch-all around the body of every exported function: no exception
// may reach TAPI, which would take the telephony service down with it.
#pragma once

#include "trace/ZavTrace.h"

// `room` names the family of functions in the trace, e.g.
// ZAV_TSPI_END("ZavTspLineFunctions", LINEERR_OPERATIONFAILED).
#define ZAV_TSPI_BEGIN try {
#define ZAV_TSPI_END(room, failure)                                                      \
    }                                                                                    \
    catch (...) {                                                                        \
        ZAV_TRACE("**** ERROR: " room ": exception is catched at line %d", __LINE__); \
        return static_cast<LONG>(failure);                                               \
    }
