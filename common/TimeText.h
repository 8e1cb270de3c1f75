#pragma once

#include "common/NumberText.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct DataSample;

// Calendar and time-text helpers shared by the recorder, the data files and
// the graphs. Calendar times are whole seconds in local time, daylight saving
// decided by the system (mktime with tm_isdst = -1).

struct LocalDate {
    int year = 0;
    int month = 0; // 1..12
    int day = 0;   // 1..31
};

struct LocalDateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Local calendar time of the given broken-down fields; fields out of range are
// normalised through the calendar (day 32 is the first of the next month).
std::int64_t MakeLocalTime(int year, int month, int day, int hour, int minute, int second);

// The same, or nothing when the C library cannot form that calendar time
// (a result it cannot represent). A time of -1 is a real second, not a failure.
std::optional<std::int64_t> TryMakeLocalTime(int year, int month, int day, int hour, int minute, int second);

LocalDateTime BreakDownLocalTime(std::int64_t t);

// The local date of t advanced by dayOffset days, with calendar normalisation.
LocalDate LocalDateOf(std::int64_t t, int dayOffset = 0);

// "%d-%d-%d" of day, month, year: 7-3-2007.
std::string DateText(const LocalDate& date);

// strftime of t in local time, e.g. "%Y-%m-%d %H:%M:%S".
std::string FormatLocalTime(std::int64_t t, const char* format);

// A clock text made zero-filled HH:MM:SS: hour, minute and second are read as
// decimal prefixes and written with two digits when at most 9 (9:05:31 becomes
// 09:05:31, 9:5:7 becomes 09:05:07).
std::string PadTimeText(std::string_view clockText);

// The fields of a sample's texts: day before the first '-', month between
// the two '-', year in the last four characters; hour, minute, second split
// at ':'. Each is read as a decimal prefix; a missing one is 0.
LocalDateTime SplitSampleDateTime(std::string_view date, std::string_view time);

// Calendar time of a sample from its texts, split as SplitSampleDateTime does.
std::int64_t SampleCalendarTime(const DataSample& sample);
std::int64_t SampleCalendarTime(std::string_view date, std::string_view time);
// The same, or nothing when the texts form no calendar time.
std::optional<std::int64_t> TrySampleCalendarTime(std::string_view date, std::string_view time);
