#include "trace/ZavTrace.h"

#include <cstdarg>

#include "platform/Thread.h"
#include "trace/ZavTraceLog.h"

int g_ZavTraceModule = 0;

unsigned ZavTracePid() { return plat::GetCurrentProcessId() & 0xFFFFu; }

unsigned ZavTraceTid() { return plat::GetCurrentThreadId() & 0xFFFFu; }

int ZavTraceLine(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int rc = ZavTheTraceLog().TraceV(ZavTraceLog::kLevelError, g_ZavTraceModule, format, args);
    va_end(args);
    return rc;
}
