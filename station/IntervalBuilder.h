#pragma once

#include "station/StationRecords.h"

#include "acoustics/TimedLevel.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Gathers the readings of one period of the clock (periods start at whole
// multiples of the period since 1970 UTC, so a 60 s period is a clock minute)
// and gives the period's indicators when it is over. A period holding readings
// of both weightings gives those of the weighting read most often.
class CIntervalBuilder {
public:
    // period: seconds, at least 1; samplingPeriod: the station's interval in seconds.
    CIntervalBuilder(std::string station, std::int64_t periodSeconds, double samplingPeriod);

    std::int64_t PeriodStart(std::int64_t tUtc) const;
    // The period being gathered; nothing before the first reading.

    // Adds a reading; a reading of a later period first closes the current one,
    // which is returned. Readings from before the current period are left out.
    std::optional<StationInterval> Add(const StationReading& reading);
    // Closes the current period when the clock has passed its end.
    std::optional<StationInterval> CloseIfOver(std::int64_t nowUtc);
    // Closes the current period whatever the time (the station ends: the
    // period's indicators so far are stored and recomputed by the next run).
    std::optional<StationInterval> CloseNow();

    // The indicators of a period's readings: used by Add and by the benchmark.
    static StationInterval Compute(const std::string& station, std::int64_t start, std::int64_t end,
                                   const std::vector<TimedLevel>& levels, double samplingPeriod);

private:
    std::string m_station;
    std::int64_t m_periodMs;
    double m_samplingPeriod;
    bool m_started = false;
    std::int64_t m_start = 0;
    std::vector<TimedLevel> m_levels;
};
