#pragma once

#include "acoustics/Indicators.h"

#include <string>
#include <vector>

// The indicators as the command-line companion prints them. Numbers are
// written with a point before the decimals whatever the locale; times are
// local.

// "%.Nf" the "C" way: FixedText(76.634, 2) is "76.63".
std::string FixedText(double value, int decimals);

// Lines for one record set, each starting with two blanks:
//   LAeq: 76.63 dB, 0:03:05 measured from 2024-03-07 11:05:00 to 2024-03-07 11:08:05
//   Lmax: 88.10 dB @ 2024-03-07 11:05:31
//   ...
// or the one line "  not enough data".
std::vector<std::string> IndicatorLines(const NoiseIndicators& indicators);

struct SetIndicators {
    int set = 0;           // 1-based number in the file
    std::string unit;      // as the file gives it
    std::int64_t count = 0; // readings in the set
    NoiseIndicators indicators;
};

// {"sets":[{"set":1,"unit":"dBA","count":N,"start":"2024-03-07T11:05:00","end":...,
// "duration_s":...,"leq":...,"lmax":...,"lmin":...,"l5":...,"l10":...,"l50":...,"l90":...,
// "l95":...,"sel":...,"lden":null or a number,"hourly":[{"hour":"2024-03-07T11:00",
// "leq":...,"coverage":...}]}]}: levels with two decimals, coverage a share with
// three, null in place of what there is not enough data for.
std::string IndicatorsJson(const std::vector<SetIndicators>& sets);
