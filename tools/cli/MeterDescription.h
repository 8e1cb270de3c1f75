#pragma once

#include <string>

struct MeterState;

// One line for the meter's display: clock, level, bar, range and the status
// words that are on, e.g. "12:30:15  085.3 dB  bar 084.0  range 1 (30-80)  FAST dBA".
std::string DescribeMeterState(const MeterState& state);
