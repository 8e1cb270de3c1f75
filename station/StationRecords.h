#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The rows of the station database. Times are milliseconds since 1970 UTC in
// memory and ISO 8601 UTC texts with milliseconds in the database and on the
// wire ("2026-12-08T16:46:25.123Z"), so they sort as text.

// One reading of the meter as the station took it.
struct StationReading {
    std::int64_t tUtc = 0;     // when the PC took it
    std::string meterTime;     // the meter's own clock, H:MM:SS
    double level = 0.0;        // dB
    std::string unit;          // "dBA" or "dBC"
    std::string response;      // "FAST" or "SLOW"
    std::string flags;         // space-separated OVER UNDER MAX MIN, or empty
};

// The indicators of one period of the clock.
struct StationInterval {
    std::string station;
    std::int64_t startUtc = 0;
    std::int64_t endUtc = 0;
    std::string unit;
    std::int64_t count = 0;    // readings in the period of that unit
    double coverage = 0.0;     // share of the period measured, 0..1
    std::optional<double> leq; // none when the readings measure no time
    std::optional<double> lmax;
    std::optional<double> lmin;
    std::optional<double> l10;
    std::optional<double> l50;
    std::optional<double> l90;
    bool published = false;
};

// A stretch without readings: the meter went away, the station was stopped.
struct StationGap {
    std::string station;
    std::int64_t startUtc = 0;
    std::int64_t endUtc = 0;
    std::string reason;
    bool published = false;    // the broker acknowledged it as it stands
};
