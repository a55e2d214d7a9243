// How the provider traces.
//
// Every provider trace ends with " P%X T%X L%u": the low 16 bits of the
// process id and of the thread id, and the source line. ZAV_TRACE appends
// that suffix and its three values itself, so a call site writes only its
// own message:
//
//     ZAV_TRACE("---- TSPI_lineAnswer() is invoked");
//     ZAV_TRACE("dwPermanentProviderID 0x%08X", dwPermanentProviderID);
//
// The log shows them as "... is invoked P1A2B T3C4D L123".
#pragma once

#include "platform/WinTypes.h"

// Index of the provider's module in the trace facility, set at library load.
extern int g_ZavTraceModule;

unsigned ZavTracePid();
unsigned ZavTraceTid();

// Traces at the error level, which every provider trace uses.
int ZavTraceLine(const char* format, ...)
#ifndef _WIN32
    __attribute__((format(printf, 1, 2)))
#endif
    ;

#define ZAV_TRACE(format, ...)                                                                       \
    ZavTraceLine(format " P%X T%X L%u" __VA_OPT__(, ) __VA_ARGS__, ZavTracePid(), ZavTraceTid(), \
                 static_cast<unsigned>(__LINE__))

// Names of TAPI values for trace texts: a line message number and one of
// its parameters give a constant text.
const char* ZavTapiValueName(DWORD lineMessage, DWORD param);
