#include "platform/Clock.h"

#include <time.h>

namespace plat {

LocalTime GetLocalTime() {
    time_t now = ::time(nullptr);
    struct tm t;
    ::localtime_r(&now, &t);
    return LocalTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

long long GetWallClockSecond() {
    timespec ts;
    ::clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<long long>(ts.tv_sec);
}

}  // namespace plat
