#include "tools/sim/SimWire.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <sstream>

namespace SimWire {

std::uint8_t ToBcd(int value)
{
    if (value < 0)
        value = 0;
    if (value > 99)
        value = 99;
    return static_cast<std::uint8_t>(((value / 10) << 4) | (value % 10));
}

int FromBcd(std::uint8_t byte)
{
    return (byte >> 4) * 10 + (byte & 0x0F);
}

std::array<std::uint8_t, 2> LevelBytes(double level)
{
    long tenths = std::lround(level * 10.0);
    if (tenths < 0)
        tenths = 0;
    if (tenths > 9999)
        tenths = 9999;
    const int t = static_cast<int>(tenths);
    return {ToBcd(t / 100), ToBcd(t % 100)};
}

double LevelFromBytes(std::uint8_t high, std::uint8_t low)
{
    const int digits[4] = {high >> 4, high & 0x0F, low >> 4, low & 0x0F};
    for (int digit : digits) {
        if (digit > 9)
            return -1.0;
    }
    return digits[0] * 100 + digits[1] * 10 + digits[2] + digits[3] * 0.1;
}

std::uint8_t HourByte(int hour24)
{
    hour24 = ((hour24 % 24) + 24) % 24;
    const bool pm = hour24 >= 12;
    int hour12 = hour24 % 12;
    if (hour12 == 0)
        hour12 = 12;
    return static_cast<std::uint8_t>((pm ? 0x20 : 0) | (hour12 >= 10 ? 0x10 : 0) | (hour12 % 10));
}

int HourFromByte(std::uint8_t byte)
{
    int hour = (byte & 0x0F) + ((byte & 0x10) ? 10 : 0) + ((byte & 0x20) ? 12 : 0);
    if (hour > 24)
        return -1;
    // 12 AM reads as 12 and means 0; 12 PM reads as 24 and means 12.
    if (hour == 12)
        hour = 24;
    else if (hour == 24)
        hour = 12;
    return hour % 24;
}

std::array<std::uint8_t, 3> ClockBytes(int hour24, int minute, int second)
{
    return {HourByte(hour24), ToBcd(minute), ToBcd(second)};
}

bool CBlockBuilder::AddTag(std::uint8_t code, const std::vector<std::uint8_t>& data)
{
    if (2 + data.size() > Room())
        return false;
    m_bytes[m_used++] = kTagStart;
    m_bytes[m_used++] = code;
    for (std::uint8_t byte : data)
        m_bytes[m_used++] = byte;
    return true;
}

std::array<std::uint8_t, kBlockSize> CBlockBuilder::Finish() const
{
    std::array<std::uint8_t, kBlockSize> block = m_bytes;
    for (std::size_t i = m_used; i < kBlockSize; ++i)
        block[i] = kFiller;
    return block;
}

std::size_t EncodedSize(const LoggerSet& set)
{
    return 9 + 2 * set.readings.size();
}

std::vector<std::uint8_t> EncodeSet(const LoggerSet& set)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(EncodedSize(set));
    bytes.push_back(set.cWeighted ? kMarkerC : kMarkerA);
    bytes.push_back(ToBcd(set.year - 2000));
    bytes.push_back(ToBcd(set.month));
    bytes.push_back(ToBcd(set.day));
    bytes.push_back(HourByte(set.hour));
    bytes.push_back(ToBcd(set.minute));
    bytes.push_back(ToBcd(set.second));
    bytes.push_back(set.rateByte >= 0 ? static_cast<std::uint8_t>(set.rateByte) : ToBcd(set.rate));
    bytes.push_back(0x00); // unused by the meter
    for (double reading : set.readings) {
        const auto value = LevelBytes(reading);
        bytes.push_back(value[0]);
        bytes.push_back(value[1]);
    }
    return bytes;
}

std::array<std::uint8_t, 3> DumpHeader(std::size_t dataBytes)
{
    if (dataBytes > kMaxDumpData)
        dataBytes = kMaxDumpData;
    const std::size_t length = dataBytes + kLengthBias;
    return {kDumpStart, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length & 0xFF)};
}

std::vector<std::uint8_t> DumpData(const std::vector<LoggerSet>& sets)
{
    std::vector<std::uint8_t> bytes;
    for (const auto& set : sets) {
        const auto encoded = EncodeSet(set);
        bytes.insert(bytes.end(), encoded.begin(), encoded.end());
    }
    return bytes;
}

namespace {

bool ParseCount(const std::string& text, int low, int high, int& value)
{
    if (text.empty() || text.size() > 6)
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    value = std::atoi(text.c_str());
    return value >= low && value <= high;
}

LoggerSet PreloadedSet(int index, int readings, int rate)
{
    // Set i starts at 2024-03-07 09:05:00 plus i hours; timegm does the carrying.
    std::tm start{};
    start.tm_year = 2024 - 1900;
    start.tm_mon = 2;
    start.tm_mday = 7;
    start.tm_hour = 9;
    start.tm_min = 5;
    const std::time_t at = timegm(&start) + static_cast<std::time_t>(index) * 3600;
    std::tm t{};
    gmtime_r(&at, &t);

    LoggerSet set;
    set.cWeighted = index % 2 == 1;
    set.year = t.tm_year + 1900;
    set.month = t.tm_mon + 1;
    set.day = t.tm_mday;
    set.hour = t.tm_hour;
    set.minute = t.tm_min;
    set.second = t.tm_sec;
    set.rate = rate;
    for (int j = 0; j < readings; ++j)
        set.readings.push_back(50.0 + 5.0 * (index % 8) + 0.5 * (j % 20));
    return set;
}

LoggerSet CaseSet(bool cWeighted, int year, int month, int day, int hour, int minute, int second, int rate,
                  std::vector<double> readings)
{
    LoggerSet set;
    set.cWeighted = cWeighted;
    set.year = year;
    set.month = month;
    set.day = day;
    set.hour = hour;
    set.minute = minute;
    set.second = second;
    set.rate = rate;
    set.readings = std::move(readings);
    return set;
}

} // namespace

std::vector<LoggerSet> CaseSets()
{
    std::vector<LoggerSet> sets;
    sets.push_back(CaseSet(false, 2007, 12, 31, 23, 59, 50, 5, {45.5, 101.3, 29.9, 88.8}));
    sets.push_back(CaseSet(true, 2008, 2, 28, 23, 59, 58, 1, {60.1, 60.2, 60.3, 60.4}));
    sets.back().rateByte = 0x0F;
    sets.push_back(CaseSet(false, 2024, 2, 29, 23, 59, 57, 2, {70.0, 71.5, 72.0}));
    sets.push_back(CaseSet(true, 2024, 3, 7, 0, 30, 0, 1, {35.0, 35.5, 36.0}));
    sets.push_back(CaseSet(false, 2024, 3, 7, 12, 15, 0, 10, {120.4, 119.9, 130.0}));
    sets.push_back(CaseSet(true, 2024, 3, 7, 13, 45, 30, 60, {55.5, 54.4}));
    sets.push_back(CaseSet(false, 2024, 3, 8, 9, 0, 0, 1, {66.6}));
    sets.push_back(CaseSet(true, 2024, 3, 8, 9, 5, 0, 1, {}));
    return sets;
}

bool ParseLoggerSpec(const std::string& spec, std::vector<LoggerSet>& sets, std::string& error)
{
    std::vector<LoggerSet> parsed;
    if (spec != "none") {
        if (spec.empty() || spec.back() == ',') {
            error = "bad logger spec '" + spec + "' (want none, cases, NxK or NxK@R)";
            return false;
        }
        std::stringstream items(spec);
        std::string item;
        std::size_t bytes = 0;
        while (std::getline(items, item, ',')) {
            if (item == "cases") {
                for (LoggerSet& set : CaseSets()) {
                    bytes += EncodedSize(set);
                    parsed.push_back(std::move(set));
                }
                if (bytes > kMaxDumpData) {
                    error = "logger too large: a dump holds at most " + std::to_string(kMaxDumpData) + " data bytes";
                    return false;
                }
                continue;
            }
            const auto x = item.find('x');
            const auto at = item.find('@');
            int count = 0;
            int readings = 0;
            int rate = 1;
            const std::string readingText = item.substr(x + 1, at == std::string::npos ? std::string::npos : at - x - 1);
            if (x == std::string::npos || !ParseCount(item.substr(0, x), 1, 5000, count)
                || !ParseCount(readingText, 0, 40000, readings)
                || (at != std::string::npos && !ParseCount(item.substr(at + 1), 1, 99, rate))) {
                error = "bad logger item '" + item + "' (want none, cases, NxK or NxK@R)";
                return false;
            }
            for (int i = 0; i < count; ++i) {
                parsed.push_back(PreloadedSet(static_cast<int>(parsed.size()), readings, rate));
                bytes += EncodedSize(parsed.back());
                if (bytes > kMaxDumpData) {
                    error = "logger too large: a dump holds at most " + std::to_string(kMaxDumpData) + " data bytes";
                    return false;
                }
            }
        }
        if (parsed.empty()) {
            error = "empty logger spec";
            return false;
        }
    }
    sets = std::move(parsed);
    return true;
}

bool ParseHexByte(const std::string& text, std::uint8_t& byte)
{
    std::string digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits = digits.substr(2);
    if (digits.empty() || digits.size() > 2)
        return false;
    unsigned value = 0;
    for (char c : digits) {
        value <<= 4;
        if (c >= '0' && c <= '9')
            value |= static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            value |= static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            value |= static_cast<unsigned>(c - 'A' + 10);
        else
            return false;
    }
    byte = static_cast<std::uint8_t>(value);
    return true;
}

} // namespace SimWire
