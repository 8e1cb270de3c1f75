#pragma once

#include "logger/DataFileReader.h"

#include "acoustics/IndicatorText.h"
#include "acoustics/TimedLevel.h"

#include <cstdint>
#include <vector>

// The calendar time of a sample, or kNoCalendarTime when its texts name no
// real date and time (a damaged line: missing fields, 31 February, 25:00).
std::int64_t CalendarTimeOf(const DataSample& sample);

// The samples as timed levels, each with its own weighting.
std::vector<TimedLevel> TimedLevelsOf(const DataSample* samples, int count);

// The sampling interval a file's header gives; a header without one (or with
// one no meter has) gives way to the usual step between the readings.
double SamplingPeriod(double rate, const std::vector<TimedLevel>& readings);

// The indicators of a run of samples in the weighting of unit.
NoiseIndicators IndicatorsOfSamples(const DataSample* samples, int count, double rate, const std::string& unit);

// The indicators of a run of samples, one for each weighting the samples
// were measured in, in the order of each one's first sample. Empty for no
// samples.
std::vector<NoiseIndicators> IndicatorsByWeighting(const DataSample* samples, int count, double rate);

// The same of readings already added to live indicators.
std::vector<NoiseIndicators> IndicatorsByWeighting(const CLiveIndicators& live);

// The indicators of every record set of an imported file, numbered from 1.
std::vector<SetIndicators> IndicatorsOfSets(const DataFileImport& data);
