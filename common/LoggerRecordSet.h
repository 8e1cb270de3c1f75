#pragma once

#include <cstdint>
#include <string>

// Descriptor of one record set of the meter's data logger. For a downloaded
// set begin/end are byte offsets in the downloaded block (begin is the marker
// byte); for an imported set they are sample indices. end is inclusive.
struct LoggerRecordSet {
    int begin = 0;
    int end = 0;
    std::string unit;
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    std::uint8_t rate = 0; // sampling interval in seconds
};

// Both the view's download table and the DataLogger window's import table hold this many entries.
inline constexpr int kRecordSetTableSize = 1000;
