#include "CliOptions.h"

#include "DataFileReader.h"
#include "DataFileSummary.h"
#include "TimeText.h"

#include "acoustics/IndicatorText.h"

#include <algorithm>
#include <cstdio>

namespace {

// The calendar time of a sample, or kNoCalendarTime when its texts name no
// real date and time (a damaged line: missing fields, 31 February, 25:00).
std::int64_t CalendarTimeOf(const DataSample& sample)
{
    if (std::count(sample.date.begin(), sample.date.end(), '-') != 2 ||
        std::count(sample.time.begin(), sample.time.end(), ':') != 2)
        return kNoCalendarTime;
    const LocalDateTime f = SplitSampleDateTime(sample.date, sample.time);
    if (f.year < 1970 || f.year > 9999 || f.month < 1 || f.month > 12 || f.day < 1 || f.day > 31 || f.hour < 0 ||
        f.hour > 23 || f.minute < 0 || f.minute > 59 || f.second < 0 || f.second > 59)
        return kNoCalendarTime;
    const auto t = TrySampleCalendarTime(sample.date, sample.time);
    if (!t)
        return kNoCalendarTime;
    const LocalDateTime back = BreakDownLocalTime(*t);
    if (back.year != f.year || back.month != f.month || back.day != f.day)
        return kNoCalendarTime;
    return *t;
}

// The sampling interval the file's header gives; a header without one (or
// with one no meter has) gives way to the usual step between the set's readings.
double SamplingPeriod(double rate, const std::vector<TimedLevel>& readings)
{
    if (rate > 0.0 && rate <= kLongestPeriod)
        return rate;
    std::vector<std::int64_t> steps;
    std::int64_t before = kNoCalendarTime;
    for (const TimedLevel& reading : readings) {
        if (reading.time == kNoCalendarTime)
            continue;
        if (before != kNoCalendarTime && reading.time > before)
            steps.push_back(reading.time - before);
        before = reading.time;
    }
    if (steps.empty())
        return 0.0;
    std::nth_element(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2), steps.end());
    return static_cast<double>(steps[steps.size() / 2]);
}

std::vector<SetIndicators> IndicatorsOfSets(const DataFileImport& data)
{
    std::vector<SetIndicators> sets;
    for (int i = 0; i < data.SetCount(); ++i) {
        const LoggerRecordSet& set = data.sets[static_cast<std::size_t>(i)];
        std::vector<TimedLevel> readings;
        for (int n = set.begin; n <= set.end && n < data.count; ++n) {
            const DataSample& sample = data.store[static_cast<std::size_t>(n)];
            readings.push_back({sample.value, CalendarTimeOf(sample), WeightingOfUnit(sample.unit)});
        }
        const Weighting weighting = WeightingOfUnit(set.unit);
        sets.push_back({i + 1, set.unit, static_cast<std::int64_t>(readings.size()),
                        ComputeIndicators(readings, SamplingPeriod(data.rate, readings), weighting)});
    }
    return sets;
}

// Written whole: the lines are escaped, but a NUL must never end one early.
void PrintLine(std::string line)
{
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
}

} // namespace

int RunInfo(const CliOptions& options)
{
    std::string error;
    if (!options.Check({"json"}, 1, &error)) {
        std::fprintf(stderr, "vexalog-cli info: %s\n", error.c_str());
        return kExitUsage;
    }
    if (options.arguments.size() != 1) {
        std::fputs("vexalog-cli info: give one data file\n", stderr);
        return kExitUsage;
    }
    const DataFileReadResult result = ReadDataFile(options.arguments.front());
    if (result.status != DataFileReadStatus::Ok) {
        std::fprintf(stderr, "vexalog-cli info: %s\n", result.error.c_str());
        return kExitFailed;
    }
    const std::vector<SetIndicators> sets = IndicatorsOfSets(result.data);
    if (options.Has("json")) {
        PrintLine(IndicatorsJson(sets));
        return 0;
    }
    for (std::string line : DataFileSummaryLines(result.data))
        PrintLine(std::move(line));
    for (const SetIndicators& set : sets) {
        PrintLine("Set " + std::to_string(set.set) + " indicators:");
        for (std::string line : IndicatorLines(set.indicators))
            PrintLine(std::move(line));
    }
    return 0;
}
