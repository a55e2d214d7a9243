// Local wall-clock time, for time stamps in the log.
#pragma once

namespace plat {

struct LocalTime {
    int year, month, day, hour, minute, second;
};

LocalTime GetLocalTime();

// Seconds of the wall clock since an arbitrary start: cheap to read, and
// changes exactly when the second of GetLocalTime does.
long long GetWallClockSecond();

}  // namespace plat
