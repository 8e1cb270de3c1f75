#pragma once

// Downloaded record sets written out byte by byte, so the tests do not share
// the program's encoding: each set's header and readings as the meter writes
// them, and the table that marks where the sets lie (entry 0 holds no set).
#include "common/LoggerRecordSet.h"

#include <cmath>
#include <cstdint>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// marker, year, month, day, hour byte, minute, second, rate byte (all as the meter writes them)
struct Header {
    std::uint8_t marker, year, month, day, hour, minute, second, rate;
};

inline Bytes SetBytes(const Header& h, const std::vector<double>& readings)
{
    Bytes bytes{h.marker, h.year, h.month, h.day, h.hour, h.minute, h.second, h.rate, 0x00};
    for (double reading : readings) {
        const long t = std::lround(reading * 10);
        bytes.push_back(static_cast<std::uint8_t>((t / 1000) << 4 | (t / 100 % 10)));
        bytes.push_back(static_cast<std::uint8_t>((t / 10 % 10) << 4 | (t % 10)));
    }
    return bytes;
}

// The bytes of the sets one after another and the table that marks them (entry 0 holds no set).
struct Download {
    Bytes bytes;
    std::vector<LoggerRecordSet> table{LeadIn()};

    static LoggerRecordSet LeadIn()
    {
        LoggerRecordSet entry;
        entry.end = -1;
        return entry;
    }

    Download& Add(const Header& h, const std::vector<double>& readings)
    {
        const Bytes set = SetBytes(h, readings);
        LoggerRecordSet entry;
        entry.begin = static_cast<int>(bytes.size());
        entry.end = entry.begin + static_cast<int>(set.size()) - 1;
        table.push_back(entry);
        bytes.insert(bytes.end(), set.begin(), set.end());
        return *this;
    }
};
