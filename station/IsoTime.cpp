#include "station/IsoTime.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

bool Digits(std::string_view text, std::size_t at, std::size_t n, int& value)
{
    if (at + n > text.size())
        return false;
    value = 0;
    for (std::size_t i = at; i < at + n; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

} // namespace

std::string FormatUtc(std::int64_t milliseconds)
{
    const std::int64_t days = FloorDiv(milliseconds, 86400000);
    const std::int64_t rest = milliseconds - days * 86400000;
    std::int64_t y = 0;
    unsigned m = 0;
    unsigned d = 0;
    CivilFromDays(days, y, m, d);
    if (y < 0 || y > 9999) {
        char text[48];
        std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02d:%02d:%02d.%03dZ", static_cast<long long>(y), m, d,
                      static_cast<int>(rest / 3600000), static_cast<int>(rest / 60000 % 60),
                      static_cast<int>(rest / 1000 % 60), static_cast<int>(rest % 1000));
        return text;
    }
    // Written digit by digit: the station writes one for every reading.
    std::string text = "0000-00-00T00:00:00.000Z";
    const auto put = [&text](std::size_t at, std::size_t width, std::int64_t value) {
        for (std::size_t i = 0; i < width; ++i, value /= 10)
            text[at + width - 1 - i] = static_cast<char>('0' + value % 10);
    };
    put(0, 4, y);
    put(5, 2, m);
    put(8, 2, d);
    put(11, 2, rest / 3600000);
    put(14, 2, rest / 60000 % 60);
    put(17, 2, rest / 1000 % 60);
    put(20, 3, rest % 1000);
    return text;
}

std::optional<std::int64_t> ParseUtc(std::string_view text)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, ms = 0;
    if (!Digits(text, 0, 4, year) || text.size() < 10 || text[4] != '-' || !Digits(text, 5, 2, month) ||
        text[7] != '-' || !Digits(text, 8, 2, day))
        return std::nullopt;
    std::size_t at = 10;
    if (at < text.size() && (text[at] == 'T' || text[at] == ' ')) {
        if (!Digits(text, at + 1, 2, hour) || at + 3 >= text.size() || text[at + 3] != ':' ||
            !Digits(text, at + 4, 2, minute))
            return std::nullopt;
        at += 6;
        if (at < text.size() && text[at] == ':') {
            if (!Digits(text, at + 1, 2, second))
                return std::nullopt;
            at += 3;
            if (at < text.size() && text[at] == '.') {
                std::size_t n = 0;
                int scale = 100;
                for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++n) {
                    ms += (text[at] - '0') * scale;
                    scale /= 10;
                }
                if (n == 0)
                    return std::nullopt;
            }
        }
    }
    if (at < text.size() && text[at] == 'Z')
        ++at;
    if (at != text.size())
        return std::nullopt;
    static constexpr int kMonthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month < 1 || month > 12 || day < 1 || day > kMonthDays[month - 1] || (month == 2 && day == 29 && !leap) ||
        hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    const std::int64_t days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    return ((days * 24 + hour) * 60 + minute) * 60000 + second * 1000 + ms;
}

std::string FormatLocal(std::int64_t milliseconds)
{
    const std::time_t seconds = static_cast<std::time_t>(FloorDiv(milliseconds, 1000));
    std::tm local {};
    localtime_r(&seconds, &local);
    char text[48];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    std::snprintf(text + n, sizeof text - n, ".%03d", static_cast<int>(milliseconds - FloorDiv(milliseconds, 1000) * 1000));
    return text;
}

std::int64_t UtcNowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}
