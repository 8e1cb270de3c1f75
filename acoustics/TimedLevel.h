#pragma once

#include <cstdint>
#include <string_view>

// Which frequency weighting a level was measured with. Levels of different
// weightings are never averaged together.
enum class Weighting { A, C, Other };

// A reading whose date and time formed no calendar time (a damaged file).
inline constexpr std::int64_t kNoCalendarTime = INT64_MIN;

// Calendar times further from 1970 than this (some 34000 years) are taken
// for no calendar time, so that no sum of times can overflow.
inline constexpr std::int64_t kFurthestTime = std::int64_t{1} << 40;

// The longest sampling interval taken, in seconds: a day.
inline constexpr double kLongestPeriod = 86400.0;

// One reading of the meter: its level in dB (the meter resolves 0.1 dB), the
// calendar time it was taken (whole seconds, as the program keeps times) and
// its weighting.
struct TimedLevel {
    double level = 0.0;
    std::int64_t time = kNoCalendarTime;
    Weighting weighting = Weighting::A;
};

// "dBA" is A, "dBC" is C, anything else Other.
Weighting WeightingOfUnit(std::string_view unit);

// The equivalent level's name: "LAeq", "LCeq", or "Leq" for an unknown weighting.
const char* LeqName(Weighting weighting);
