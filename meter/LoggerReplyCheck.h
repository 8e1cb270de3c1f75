#pragma once

#include "common/LoggerRecordSet.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The data of a data-logger reply checked set by set before anything is kept.
//
// A record set is its marker (0xAA dBA, 0xCC dBC), seven header bytes (year,
// month, day, hour, minute, second, rate), one unused byte and readings of
// two packed BCD bytes: 9 + 2k bytes. The meter writes the markers nowhere
// else, so a marker is where a set begins, unless it is damage: a set begins
// only at a marker whose header is a real one (BCD date and time within
// their ranges, an hour byte of the meter's 12-hour clock, a rate of 1..99 s
// or the byte 0x0F). What follows:
// - Bytes that belong to no such set (a lone marker, a marker whose header is
//   no header) are skipped and said so; the sets around them are kept.
// - A set whose length is not 9 + 2k lost or gained bytes somewhere: it is
//   left out and said so. Only the reply's last set may end in half a
//   reading (the reply was cut there): the half reading is dropped.
// - A reading whose digits are not all decimal has no value: it is counted
//   per set; the set keeps its place and its other readings.
// - The real-time stream's blocks (0xA5 0x0D, and 0xA5 again 20 bytes on;
//   in the last 20 bytes, another 0xA5 after the pair) never occur in a
//   reply: where they begin, the reply was cut short and the meter went back
//   to streaming. The data ends there. A lone 0xA5 0x0D is a damaged reading.
// - No more than kRecordSetTableSize - 1 sets are kept; the others are counted.
struct LoggerReplyCheck {
    // Entry 0 holds no set (its end is the byte before the first set); the
    // intact sets follow from entry 1, begin and end as offsets in the data.
    std::vector<LoggerRecordSet> sets;
    // Per entry of sets: readings whose digits are not decimal.
    std::vector<int> damagedReadings;
    int setsLeftOut = 0;               // intact sets beyond the table's room
    std::vector<std::string> skipped;  // what was skipped and why, a sentence each
    std::size_t dataEnd = 0;           // bytes of the data that belong to the reply
    bool streamFound = false;          // the real-time stream began at dataEnd

    int DamagedReadings() const;
};

// endByteSeen: the reply ended with 0xDD before its announced length, so
// everything before it is the meter's reply.
LoggerReplyCheck CheckLoggerReply(std::span<const std::uint8_t> data, bool endByteSeen);

// True when the seven bytes after at + 0 (the marker) are a real set header
// and the whole header (9 bytes) is in data.
bool LoggerSetStarts(std::span<const std::uint8_t> data, std::size_t at);

// Where the real-time stream's blocks begin inside data, or data.size().
std::size_t FindStreamInReply(std::span<const std::uint8_t> data, bool endByteSeen);
