#include "acoustics/LocalClock.h"

#include <ctime>

namespace {

std::tm LocalTm(std::int64_t t)
{
    const auto tt = static_cast<std::time_t>(t);
    std::tm tm{};
#if defined(_WIN32)
    localtime_s(&tm, &tt);
#else
    localtime_r(&tt, &tm);
#endif
    return tm;
}

} // namespace

LocalHour LocalHourOf(std::int64_t t)
{
    const std::tm tm = LocalTm(t);
    // A clock hour is the hour of real time from the local :00:00; where the
    // clocks go back the same clock hour comes twice, as two hours.
    return {t - tm.tm_min * 60 - tm.tm_sec, tm.tm_hour};
}

std::string FormatLocal(std::int64_t t, const char* format)
{
    const std::tm tm = LocalTm(t);
    char text[64];
    const std::size_t n = std::strftime(text, sizeof text, format, &tm);
    return std::string(text, n);
}
