#include "logger/SetIndicators.h"

#include "common/TimeText.h"

#include <algorithm>

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

std::vector<TimedLevel> TimedLevelsOf(const DataSample* samples, int count)
{
    std::vector<TimedLevel> readings;
    readings.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int n = 0; n < count; ++n)
        if (samples[n].valid) // an empty slot of a page is no reading
            readings.push_back({samples[n].value, CalendarTimeOf(samples[n]), WeightingOfUnit(samples[n].unit)});
    return readings;
}

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

NoiseIndicators IndicatorsOfSamples(const DataSample* samples, int count, double rate, const std::string& unit)
{
    const std::vector<TimedLevel> readings = TimedLevelsOf(samples, count);
    return ComputeIndicators(readings, SamplingPeriod(rate, readings), WeightingOfUnit(unit));
}

std::vector<NoiseIndicators> IndicatorsByWeighting(const DataSample* samples, int count, double rate)
{
    const std::vector<TimedLevel> readings = TimedLevelsOf(samples, count);
    CLiveIndicators live(SamplingPeriod(rate, readings));
    live.Add(readings.data(), readings.size());
    return IndicatorsByWeighting(live);
}

std::vector<NoiseIndicators> IndicatorsByWeighting(const CLiveIndicators& live)
{
    std::vector<NoiseIndicators> results;
    for (const Weighting weighting : live.Weightings())
        results.push_back(live.Result(weighting));
    return results;
}

std::vector<SetIndicators> IndicatorsOfSets(const DataFileImport& data)
{
    std::vector<SetIndicators> sets;
    for (int i = 0; i < data.SetCount(); ++i) {
        const LoggerRecordSet& set = data.sets[static_cast<std::size_t>(i)];
        const int begin = std::clamp(set.begin, 0, data.count);
        const int end = std::clamp(set.end + 1, begin, data.count);
        sets.push_back({i + 1, set.unit, end - begin,
                        IndicatorsOfSamples(data.store.data() + begin, end - begin, data.rate, set.unit)});
    }
    return sets;
}
