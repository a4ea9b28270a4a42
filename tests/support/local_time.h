// Seconds since the epoch of a local date and time, for tests that set file times.
#pragma once

#include <ctime>

namespace zek::test {

inline time_t localSeconds(int year, int month, int day, int hour, int minute, int second) {
    struct tm t {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return mktime(&t);
}

} // namespace zek::test
