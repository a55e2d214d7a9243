// Local wall-clock time, for time stamps in the log.
#pragma once

namespace plat {

struct LocalTime {
    int year, month, day, hour, minute, second;
};

LocalTime GetLocalTime();

}  // namespace plat
