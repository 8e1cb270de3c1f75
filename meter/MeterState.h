#pragma once

#include "common/PackedBcd.h"

#include <cstdint>
#include <string>

// The meter's display state as decoded from the real-time stream. Read by the
// meter panel and the real-time controller; written only by the decoder.
// Range: 0 none, 1 = 30-80 dB, 2 = 50-100 dB, 3 = 80-130 dB, 4 = 30-130 dB automatic.
struct MeterState {
    std::uint8_t valueBytes[2] = {0, 0}; // packed BCD: hundreds|tens, units|tenths

    int displayDigits[4] = {0, 0, 0, 0}; // hundreds, tens, units, tenths
    bool displayValid = false;

    int barDigits[4] = {0, 0, 0, 0};
    int range = 0;

    bool fast = false;
    bool slow = false;
    bool max = false;
    bool min = false;
    bool rec = false;
    bool dBA = false;
    bool dBC = false;
    bool autoRange = false;
    bool hold = false;
    bool over = false;
    bool under = false;

    int hour = -1; // -1: the meter clock is not known yet
    int minute = 0;
    int second = 0;
    int previousHour = 0;
    int previousMinute = 0;
    int previousSecond = 0;
    int dayOffset = 0;             // days the meter clock has rolled past midnight
    std::string clockText24;       // H:MM:SS
    std::string clockText12;       // h:MM:SS, 12-hour
    bool clockValid = false;
    std::int64_t clockTimestamp = 0; // PC's date with the meter's time of day

    // The level the display digits show.
    double DisplayValue() const { return LevelOfDigits(displayDigits); }
};

// The key-command bytes the panel keys send to the meter.
namespace MeterCommand {
inline constexpr std::uint8_t Rec = 0x55;
inline constexpr std::uint8_t FastSlow = 0x77;
inline constexpr std::uint8_t AC = 0x99;
inline constexpr std::uint8_t MaxMin = 0x11;
inline constexpr std::uint8_t Level = 0x88;
inline constexpr std::uint8_t Stop = 0x33;
inline constexpr std::uint8_t LoggerRequest = 0xAC; // sent eight at a time
} // namespace MeterCommand
