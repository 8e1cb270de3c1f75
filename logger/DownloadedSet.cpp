#include "logger/DownloadedSet.h"

#include "common/PackedBcd.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::uint8_t kMarkerA = 0xAA;
constexpr std::uint8_t kRateOneSecond = 0x0F;
constexpr int kFirstReading = 9;
constexpr int kSecondsPerDay = 24 * 60 * 60;

std::uint8_t ByteAt(std::span<const std::uint8_t> bytes, long long at)
{
    return at >= 0 && static_cast<std::size_t>(at) < bytes.size() ? bytes[static_cast<std::size_t>(at)] : 0;
}

// The date days later; the date itself is a real one.
void AddDays(int& year, int& month, int& day, long long days)
{
    long long d = day + days;
    while (d > DaysInMonth(year, month)) {
        d -= DaysInMonth(year, month);
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
    day = static_cast<int>(d);
}

// A month outside 1..12 or a day outside its month carried through the calendar.
void NormaliseDate(int& year, int& month, int& day)
{
    const int m = month - 1;
    const int years = m >= 0 ? m / 12 : -((-m + 11) / 12);
    year += years;
    month = m - years * 12 + 1;
    while (day < 1) {
        if (--month < 1) {
            month = 12;
            --year;
        }
        day += DaysInMonth(year, month);
    }
    const int excess = day - 1;
    day = 1;
    AddDays(year, month, day, excess);
}

std::string Format(const char* format, int a, int b, int c)
{
    char text[64];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

// "0%d" when at most 9, "%d" otherwise.
std::string TwoDigits(int value)
{
    char text[16];
    std::snprintf(text, sizeof text, value > 9 ? "%d" : "0%d", value);
    return text;
}

} // namespace

int BcdValue(std::uint8_t byte)
{
    return 10 * (byte >> 4) + (byte & 0x0F);
}

int HourFromLoggerByte(std::uint8_t byte)
{
    int hour = ((byte & 0x10) ? 10 : 0) + ((byte & 0x20) ? 12 : 0) + (byte & 0x0F);
    if (hour == 12)
        hour = 24;
    else if (hour == 24)
        hour = 12;
    return hour % 24;
}

int DownloadedSampleCount(const LoggerRecordSet& set)
{
    const long long count = (static_cast<long long>(set.end) - set.begin - 8) / 2;
    return static_cast<int>(std::max<long long>(count, 0));
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 31;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

void DecodeSetHeader(std::span<const std::uint8_t> bytes, LoggerRecordSet& set)
{
    const long long at = set.begin;
    set.unit = ByteAt(bytes, at) == kMarkerA ? "dBA" : "dBC";
    set.year = 2000 + BcdValue(ByteAt(bytes, at + 1));
    set.month = BcdValue(ByteAt(bytes, at + 2));
    set.day = BcdValue(ByteAt(bytes, at + 3));
    set.hour = HourFromLoggerByte(ByteAt(bytes, at + 4));
    set.minute = BcdValue(ByteAt(bytes, at + 5));
    set.second = BcdValue(ByteAt(bytes, at + 6));
    const std::uint8_t rate = ByteAt(bytes, at + 7);
    set.rate = rate == kRateOneSecond ? 1 : static_cast<std::uint8_t>(BcdValue(rate));

    if (set.minute > 59 || set.second > 59) {
        const int seconds = (set.hour * 60 + set.minute) * 60 + set.second;
        set.hour = seconds / 3600 % 24;
        set.minute = seconds / 60 % 60;
        set.second = seconds % 60;
        set.day += seconds / kSecondsPerDay;
    }
    if (set.month < 1 || set.month > 12 || set.day < 1 || set.day > DaysInMonth(set.year, set.month))
        NormaliseDate(set.year, set.month, set.day);
}

namespace {

// Readings that lie within the downloaded bytes: an end beyond them reads no
// readings that are not there.
int ReadingsInside(std::span<const std::uint8_t> bytes, const LoggerRecordSet& set)
{
    LoggerRecordSet inside = set;
    inside.end = static_cast<int>(std::min<long long>(set.end, static_cast<long long>(bytes.size()) - 1));
    return DownloadedSampleCount(inside);
}

bool ReadingValid(std::span<const std::uint8_t> bytes, long long p)
{
    return AllDecimal(UnpackBcd(ByteAt(bytes, p), ByteAt(bytes, p + 1)));
}

} // namespace

int DownloadedValidCount(std::span<const std::uint8_t> bytes, const LoggerRecordSet& set)
{
    const int count = ReadingsInside(bytes, set);
    int valid = 0;
    for (int k = 0; k < count; ++k)
        valid += ReadingValid(bytes, static_cast<long long>(set.begin) + kFirstReading + 2LL * k) ? 1 : 0;
    return valid;
}

RebuiltSet RebuildSamples(std::span<const std::uint8_t> bytes, const LoggerRecordSet& set)
{
    RebuiltSet rebuilt;
    const int count = ReadingsInside(bytes, set);
    rebuilt.samples.reserve(static_cast<std::size_t>(count));
    long long p = static_cast<long long>(set.begin) + kFirstReading - 2;
    long long s = static_cast<long long>(set.second) - set.rate;
    for (int k = 0; k < count; ++k) {
        p += 2;
        s += set.rate;
        if (!ReadingValid(bytes, p)) {
            ++rebuilt.damaged;
            continue;
        }
        DataSample& sample = rebuilt.samples.emplace_back();
        sample.valid = 1;
        sample.unit = set.unit;

        const int second = static_cast<int>(s % 60);
        long long carry = s / 60;
        const int minute = static_cast<int>((set.minute + carry) % 60);
        carry = (set.minute + carry) / 60;
        const int hour = static_cast<int>((set.hour + carry) % 24);
        carry = (set.hour + carry) / 24;
        int year = set.year;
        int month = set.month;
        int day = set.day;
        AddDays(year, month, day, carry);
        sample.time = Format("%d:%d:%d", hour, minute, second);
        sample.date = Format("%d-%d-%d", day, month, year);

        const std::uint8_t high = ByteAt(bytes, p);
        const std::uint8_t low = ByteAt(bytes, p + 1);
        sample.value = LevelOfBcd(high, low);
        rebuilt.sum += sample.value;
        if (sample.value > rebuilt.maximum) {
            rebuilt.maximum = sample.value;
            rebuilt.maximumTime = sample.time;
        }
        if (sample.value < rebuilt.minimum) {
            rebuilt.minimum = sample.value;
            rebuilt.minimumTime = sample.time;
        }
    }
    return rebuilt;
}

std::string ListDateText(int year, int month, int day)
{
    return std::to_string(year) + "-" + TwoDigits(month) + "-" + TwoDigits(day);
}

std::string ListTimeText(int hour, int minute, int second)
{
    return TwoDigits(hour) + ":" + TwoDigits(minute) + ":" + TwoDigits(second);
}
