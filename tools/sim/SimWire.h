#pragma once

// The LX47's wire format as the simulated meter writes it: 20-byte blocks of
// 0xA5-tagged fields, packed BCD levels, the 12-hour clock coding and the
// data-logger dump. Pure functions, so the tests can check every byte.

#include "common/MeterWire.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace SimWire {

// The wire's own bytes.
using MeterWire::kBlockSize;
using MeterWire::kLengthBias;
using MeterWire::kLoggerRequest; // eight of them ask for the logger
using MeterWire::kLoggerRequestLength;
using MeterWire::kMarkerA;
using MeterWire::kMarkerC;
using MeterWire::kReplyEnd;
using MeterWire::kReplyStart;
using MeterWire::kTagStart;
namespace Tag = MeterWire::Tag;
inline constexpr std::uint8_t kFiller = 0x00; // neither 0xA5 (a tag) nor 0xFF (a bad block)
// The length field has 16 bits, so a dump can carry no more data than this.
inline constexpr std::size_t kMaxDumpData = 0xFFFF - kLengthBias;

// Two decimal digits 0..99 as one packed BCD byte (out-of-range values are clamped).
std::uint8_t ToBcd(int value);
// 10 * high nibble + low nibble, without any check.
int FromBcd(std::uint8_t byte);

// A level as hundreds|tens, units|tenths: 85.3 -> 0x08 0x53. Rounded to a
// tenth and clamped to 0.0..999.9.
std::array<std::uint8_t, 2> LevelBytes(double level);
// The level of two value bytes, or -1.0 when a nibble is above 9.
double LevelFromBytes(std::uint8_t high, std::uint8_t low);

// The meter's 12-hour hour byte: bit 5 PM, bit 4 the tens digit of the
// 12-hour hour, low nibble its units. 0 (12 AM) -> 0x12, 12 (12 PM) -> 0x32, 23 -> 0x31.
std::uint8_t HourByte(int hour24);
// The inverse, as the program reads it: 0..23, or -1 when the byte is out of range.
int HourFromByte(std::uint8_t byte);
// Hour, minute and second bytes of the clock tag.
std::array<std::uint8_t, 3> ClockBytes(int hour24, int minute, int second);

// Fills one 20-byte block field by field and pads the rest with the filler.
class CBlockBuilder {
public:
    // Adds an 0xA5-tagged field with its data bytes; false (and nothing added) when it does not fit.
    bool AddTag(std::uint8_t code, const std::vector<std::uint8_t>& data = {});
    std::size_t Room() const { return kBlockSize - m_used; }
    std::array<std::uint8_t, kBlockSize> Finish() const;

private:
    std::array<std::uint8_t, kBlockSize> m_bytes{};
    std::size_t m_used = 0;
};

// One record set of the data logger.
struct LoggerSet {
    bool cWeighted = false;
    int year = 2024; // four digits; written as years after 2000
    int month = 1;
    int day = 1;
    int hour = 0; // 0..23
    int minute = 0;
    int second = 0;
    int rate = 1; // seconds between readings
    int rateByte = -1; // the rate byte as written when not the BCD of rate (the meter writes 0x0F for 1 s)
    std::vector<double> readings;
};

// Marker, year, month, day, hour, minute, second, rate, unused byte, readings: 9 + 2k bytes.
std::vector<std::uint8_t> EncodeSet(const LoggerSet& set);
std::size_t EncodedSize(const LoggerSet& set);
// 0xBB and the length L = dataBytes + 100, high byte first.
std::array<std::uint8_t, 3> DumpHeader(std::size_t dataBytes);
// The record sets one after another (no header, no end byte).
std::vector<std::uint8_t> DumpData(const std::vector<LoggerSet>& sets);

// Parses "none" or comma-joined items "NxK" / "NxK@R" / "cases": N sets of K
// readings (rate R seconds, default 1). Preloaded set i alternates dBA (even
// i) and dBC (odd i), starts on 2024-03-07 at 09:05:00 plus i hours, and holds
// reading j = 50.0 + 5.0 * (i % 8) + 0.5 * (j % 20), so tests can predict it.
// "cases" adds the sets of CaseSets().
bool ParseLoggerSpec(const std::string& spec, std::vector<LoggerSet>& sets, std::string& error);

// Sets that try the program's calendar and decoding, in this order:
//   dBA 2007-12-31 23:59:50 every 5 s, into the new year;
//   dBC 2008-02-28 23:59:58 with the rate byte 0x0F (1 s), into 29 February;
//   dBA 2024-02-29 23:59:57 every 2 s, into 1 March;
//   dBC 2024-03-07 00:30:00 (hour byte 0x12), dBA 12:15:00 (0x32), dBC 13:45:30 (0x21);
//   dBA with a single reading, and dBC with none.
// Their readings include levels above 100 dB and below 30 dB.
std::vector<LoggerSet> CaseSets();

// "0xNN" (or "NN") as a byte; false when it is not one.
bool ParseHexByte(const std::string& text, std::uint8_t& byte);

} // namespace SimWire
