#include "common/TimeText.h"

#include "common/DataSample.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <ctime>

std::int64_t MakeLocalTime(int year, int month, int day, int hour, int minute, int second)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&tm));
}

std::optional<std::int64_t> TryMakeLocalTime(int year, int month, int day, int hour, int minute, int second)
{
    std::tm tm{};
    // Fields the library fills in on success; -1 in tm_yday tells a failure
    // from the second before the epoch, whose calendar time is also -1.
    tm.tm_yday = -1;
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1) && tm.tm_yday == -1)
        return std::nullopt;
    return static_cast<std::int64_t>(t);
}

LocalDateTime BreakDownLocalTime(std::int64_t t)
{
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
    localtime_r(&tt, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

LocalDate LocalDateOf(std::int64_t t, int dayOffset)
{
    const LocalDateTime now = BreakDownLocalTime(t);
    if (dayOffset == 0)
        return {now.year, now.month, now.day};
    // Noon keeps a daylight-saving change from moving the date.
    const LocalDateTime d = BreakDownLocalTime(MakeLocalTime(now.year, now.month, now.day + dayOffset, 12, 0, 0));
    return {d.year, d.month, d.day};
}

std::string DateText(const LocalDate& date)
{
    char buf[48];
    std::snprintf(buf, sizeof buf, "%d-%d-%d", date.day, date.month, date.year);
    return buf;
}

std::string FormatLocalTime(std::int64_t t, const char* format)
{
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
    localtime_r(&tt, &tm);
    char buf[128];
    const std::size_t n = std::strftime(buf, sizeof buf, format, &tm);
    return std::string(buf, n);
}

namespace {

struct TimeParts {
    int hour = 0;
    int minute = 0;
    int second = 0;
};

TimeParts SplitTimeText(std::string_view text)
{
    TimeParts parts;
    const std::size_t first = text.find(':');
    parts.hour = TextToInt(text.substr(0, first));
    if (first == std::string_view::npos)
        return parts;
    const std::string_view rest = text.substr(first + 1);
    const std::size_t second = rest.find(':');
    parts.minute = TextToInt(rest.substr(0, second));
    if (second != std::string_view::npos)
        parts.second = TextToInt(rest.substr(second + 1));
    return parts;
}

} // namespace

std::string PadTimeText(std::string_view clockText)
{
    const TimeParts p = SplitTimeText(clockText);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s%d:%s%d:%s%d", p.hour > 9 ? "" : "0", p.hour, p.minute > 9 ? "" : "0",
                  p.minute, p.second > 9 ? "" : "0", p.second);
    return buf;
}

namespace {

struct DateParts {
    int year = 0;
    int month = 0;
    int day = 0;
};

DateParts SplitDateText(std::string_view date)
{
    DateParts parts;
    const std::size_t dash1 = date.find('-');
    parts.day = TextToInt(date.substr(0, dash1));
    if (dash1 != std::string_view::npos) {
        const std::string_view rest = date.substr(dash1 + 1);
        parts.month = TextToInt(rest.substr(0, rest.find('-')));
    }
    parts.year = TextToInt(date.size() >= 4 ? date.substr(date.size() - 4) : date);
    return parts;
}

} // namespace

LocalDateTime SplitSampleDateTime(std::string_view date, std::string_view time)
{
    const DateParts d = SplitDateText(date);
    const TimeParts t = SplitTimeText(time);
    return {d.year, d.month, d.day, t.hour, t.minute, t.second};
}

std::optional<std::int64_t> TrySampleCalendarTime(std::string_view date, std::string_view time)
{
    const DateParts d = SplitDateText(date);
    const TimeParts t = SplitTimeText(time);
    return TryMakeLocalTime(d.year, d.month, d.day, t.hour, t.minute, t.second);
}

std::int64_t SampleCalendarTime(std::string_view date, std::string_view time)
{
    const DateParts d = SplitDateText(date);
    const TimeParts t = SplitTimeText(time);
    return MakeLocalTime(d.year, d.month, d.day, t.hour, t.minute, t.second);
}

std::int64_t SampleCalendarTime(const DataSample& sample)
{
    return SampleCalendarTime(sample.date, sample.time);
}

