#pragma once

#include <cstddef>
#include <cstdint>

// The bytes of the LX47's serial exchange, named once for everything that
// reads or writes them: the reading decoder, the data-logger download and its
// check, the downloaded sets, the panel keys and the simulated meter.
namespace MeterWire {

// The real-time stream: 20-byte blocks of tagged fields, each field an 0xA5,
// its tag code and the tag's data bytes. A block begins with 0xA5 0x0D.
inline constexpr std::size_t kBlockSize = 20;
inline constexpr std::uint8_t kTagStart = 0xA5;
inline constexpr std::uint8_t kBadByte = 0xFF; // a block holding it is dropped

// Tag codes of the real-time stream.
namespace Tag {
inline constexpr std::uint8_t Fast = 0x02;
inline constexpr std::uint8_t Slow = 0x03;
inline constexpr std::uint8_t Max = 0x04;
inline constexpr std::uint8_t Min = 0x05;
inline constexpr std::uint8_t Clock = 0x06; // + hour, minute, second
inline constexpr std::uint8_t Over = 0x07;
inline constexpr std::uint8_t Under = 0x08;
inline constexpr std::uint8_t RecOn = 0x0A;
inline constexpr std::uint8_t Display = 0x0B; // the value bytes go to the display digits
inline constexpr std::uint8_t Bar = 0x0C;     // the value bytes go to the bar graph
inline constexpr std::uint8_t Value = 0x0D;   // + two packed BCD bytes
inline constexpr std::uint8_t MaxMinOff = 0x0E;
inline constexpr std::uint8_t InRange = 0x11; // neither over nor under
inline constexpr std::uint8_t HoldOn = 0x16;
inline constexpr std::uint8_t HoldOff = 0x17;
inline constexpr std::uint8_t RecOff = 0x1A;
inline constexpr std::uint8_t WeightA = 0x1B;
inline constexpr std::uint8_t WeightC = 0x1C;
inline constexpr std::uint8_t Range1 = 0x30; // 30-80 dB
inline constexpr std::uint8_t Range2 = 0x4B; // 50-100 dB
inline constexpr std::uint8_t Range3 = 0x4C; // 80-130 dB
inline constexpr std::uint8_t RangeAuto = 0x40;
} // namespace Tag

// The data-logger exchange: eight request bytes ask for the logger; the reply
// is its start byte, the length L in two bytes (high first; L - 100 data bytes
// follow), the record sets, each beginning with its marker, and an optional
// end byte.
inline constexpr std::uint8_t kLoggerRequest = 0xAC;
inline constexpr std::size_t kLoggerRequestLength = 8;
inline constexpr std::uint8_t kReplyStart = 0xBB;
inline constexpr std::uint8_t kReplyEnd = 0xDD;
inline constexpr int kLengthBias = 100;
inline constexpr std::uint8_t kMarkerA = 0xAA; // a dBA record set
inline constexpr std::uint8_t kMarkerC = 0xCC; // a dBC record set
inline constexpr std::uint8_t kRateOneSecond = 0x0F; // how the meter writes a rate of 1 s

} // namespace MeterWire

// The key-command bytes the panel keys send to the meter.
namespace MeterCommand {
inline constexpr std::uint8_t Rec = 0x55;
inline constexpr std::uint8_t FastSlow = 0x77;
inline constexpr std::uint8_t AC = 0x99;
inline constexpr std::uint8_t MaxMin = 0x11;
inline constexpr std::uint8_t Level = 0x88;
inline constexpr std::uint8_t Stop = 0x33;
} // namespace MeterCommand
