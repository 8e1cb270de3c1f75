#include "station/IntervalBuilder.h"

#include "acoustics/Indicators.h"

#include <algorithm>
#include <cmath>

namespace {

double Tenth(double level)
{
    return std::round(level * 10.0) / 10.0;
}

} // namespace

CIntervalBuilder::CIntervalBuilder(std::string station, std::int64_t periodSeconds, double samplingPeriod)
    : m_station(std::move(station)), m_periodMs(std::max<std::int64_t>(1, periodSeconds) * 1000),
      m_samplingPeriod(samplingPeriod)
{
}

std::int64_t CIntervalBuilder::PeriodStart(std::int64_t tUtc) const
{
    const std::int64_t q = tUtc / m_periodMs - (tUtc % m_periodMs < 0 ? 1 : 0);
    return q * m_periodMs;
}

std::optional<StationInterval> CIntervalBuilder::Add(const StationReading& reading)
{
    std::optional<StationInterval> closed;
    const std::int64_t start = PeriodStart(reading.tUtc);
    if (m_started && start < m_start)
        return closed;
    if (m_started && start > m_start)
        closed = CloseNow();
    if (!m_started) {
        m_started = true;
        m_start = start;
    }
    // The indicators count whole seconds of UTC; the level keeps the meter's 0.1 dB.
    const std::int64_t seconds = reading.tUtc / 1000 - (reading.tUtc % 1000 < 0 ? 1 : 0);
    m_levels.push_back({reading.level, seconds, WeightingOfUnit(reading.unit)});
    return closed;
}

std::optional<StationInterval> CIntervalBuilder::CloseIfOver(std::int64_t nowUtc)
{
    if (!m_started || nowUtc < m_start + m_periodMs)
        return std::nullopt;
    return CloseNow();
}

std::optional<StationInterval> CIntervalBuilder::CloseNow()
{
    if (!m_started)
        return std::nullopt;
    StationInterval interval = Compute(m_station, m_start, m_start + m_periodMs, m_levels, m_samplingPeriod);
    m_started = false;
    m_levels.clear();
    if (interval.count == 0)
        return std::nullopt;
    return interval;
}

StationInterval CIntervalBuilder::Compute(const std::string& station, std::int64_t start, std::int64_t end,
                                          const std::vector<TimedLevel>& levels, double samplingPeriod)
{
    StationInterval interval;
    interval.station = station;
    interval.startUtc = start;
    interval.endUtc = end;
    std::size_t counts[3] = {0, 0, 0};
    for (const TimedLevel& level : levels)
        ++counts[static_cast<int>(level.weighting)];
    const auto most = static_cast<std::size_t>(std::max_element(counts, counts + 3) - counts);
    const auto weighting = static_cast<Weighting>(most);
    interval.unit = weighting == Weighting::A ? "dBA" : weighting == Weighting::C ? "dBC" : "dB";
    interval.count = static_cast<std::int64_t>(counts[most]);
    if (interval.count == 0)
        return interval;
    CLiveIndicators live(samplingPeriod);
    live.Add(levels.data(), levels.size());
    const NoiseIndicators result = live.Result(weighting);
    if (!result.enough)
        return interval;
    // The last reading stands for one sampling period, which may reach past
    // the period's end: the measured share is at most the whole period.
    const double span = static_cast<double>(end - start) / 1000.0;
    interval.coverage = std::min(1.0, result.measured / span);
    interval.leq = Tenth(result.leq);
    interval.lmax = Tenth(result.maximum.level);
    interval.lmin = Tenth(result.minimum.level);
    interval.l10 = Tenth(result.Exceeded(10));
    interval.l50 = Tenth(result.Exceeded(50));
    interval.l90 = Tenth(result.Exceeded(90));
    return interval;
}
