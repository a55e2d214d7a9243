#include "platform/Clock.h"

#include "platform/WinTypes.h"

namespace plat {

LocalTime GetLocalTime() {
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

long long GetWallClockSecond() {
    FILETIME ft;
    ::GetSystemTimeAsFileTime(&ft);
    unsigned long long ticks = (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return static_cast<long long>(ticks / 10000000ull);
}

}  // namespace plat
