#pragma once

#include <string>

// One stored sound-level sample. An empty slot has valid 0; only that flag
// decides whether a slot is in use.
struct DataSample {
    double value = 0.0;     // level in dB, one decimal of resolution
    int valid = 0;          // 1 once the slot holds a sample
    std::string date;       // "%d-%d-%d" day-month-year, e.g. 7-3-2007
    std::string time = " "; // H:MM:SS for real-time samples, "%d:%d:%d" for downloaded ones
    std::string unit;       // "dBA" or "dBC"
};
