#pragma once

#include <cstdint>
#include <string>

// The local clock through the C library (TZ decides the zone and its
// daylight saving).

struct LocalHour {
    std::int64_t start = 0; // calendar time the local clock hour of t began
    int hourOfDay = 0;      // 0..23 on the local clock
};

LocalHour LocalHourOf(std::int64_t t);

// strftime of t in local time ("%Y-%m-%dT%H:%M:%S").
std::string FormatLocal(std::int64_t t, const char* format);
