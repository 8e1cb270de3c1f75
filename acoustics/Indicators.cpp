#include "acoustics/Indicators.h"

#include "acoustics/LocalClock.h"

#include <algorithm>
#include <cmath>

namespace {

// 10^(L/10) of every 0.1 dB bin, so that no reading needs a power.
const std::vector<double>& BinEnergies()
{
    static const std::vector<double> table = [] {
        std::vector<double> energies(kLevelBins);
        for (int i = 0; i < kLevelBins; ++i)
            energies[static_cast<std::size_t>(i)] = std::pow(10.0, (i + kLowestTenths) / 100.0);
        return energies;
    }();
    return table;
}

double LevelOf(double energy, double seconds)
{
    return 10.0 * std::log10(energy / seconds);
}

double TenthsLevel(int tenths)
{
    return tenths / 10.0;
}

// Sums of time measured below 100 % that still count as whole (a day of
// readings adds up its seconds in floating point).
constexpr double kWhole = 1.0 - 1e-9;

enum class DayPeriod { Day, Evening, Night };

DayPeriod PeriodOfHour(int hourOfDay)
{
    if (hourOfDay >= 7 && hourOfDay < 19)
        return DayPeriod::Day;
    if (hourOfDay >= 19 && hourOfDay < 23)
        return DayPeriod::Evening;
    return DayPeriod::Night;
}

// A weighting from outside the three is taken for an unknown one.
Weighting Known(Weighting weighting)
{
    return weighting == Weighting::A || weighting == Weighting::C ? weighting : Weighting::Other;
}

std::string Percent(double share)
{
    const long tenths = std::lround(share * 1000.0);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " %";
}

} // namespace

double NoiseIndicators::Exceeded(int percent) const
{
    for (std::size_t i = 0; i < kExceedancePercents.size(); ++i)
        if (kExceedancePercents[i] == percent)
            return exceeded[i];
    return 0.0;
}

CLevelAccumulator::CLevelAccumulator() : m_seconds(kLevelBins, 0.0), m_energies(BinEnergies().data()) {}

void CLevelAccumulator::SettleHour()
{
    if (m_hour < m_hours.size()) {
        m_hours[m_hour].seconds += m_hourSeconds;
        m_hours[m_hour].energy += m_hourEnergy;
    }
    m_hourSeconds = 0.0;
    m_hourEnergy = 0.0;
}

CLevelAccumulator::Hour& CLevelAccumulator::HourAt(double t)
{
    if (m_hour < m_hours.size() && t >= m_hourFrom && t < m_hourTo)
        return m_hours[m_hour];
    SettleHour();
    const auto second = static_cast<std::int64_t>(std::floor(t));
    std::size_t at = m_hours.size();
    // The common step: on into the next hour already known.
    if (m_hour + 1 < m_hours.size() && second >= m_hours[m_hour + 1].start &&
        second < m_hours[m_hour + 1].start + 3600) {
        at = m_hour + 1;
    } else {
        const LocalHour local = LocalHourOf(second);
        const auto found = std::lower_bound(m_hours.begin(), m_hours.end(), local.start,
                                            [](const Hour& h, std::int64_t start) { return h.start < start; });
        at = static_cast<std::size_t>(found - m_hours.begin());
        if (found == m_hours.end() || found->start != local.start)
            m_hours.insert(found, Hour{local.start, local.hourOfDay, 0.0, 0.0});
    }
    m_hour = at;
    m_hourFrom = static_cast<double>(m_hours[at].start);
    m_hourTo = m_hourFrom + 3600.0;
    return m_hours[at];
}

void CLevelAccumulator::AddAcrossHours(int tenths, std::int64_t readingTime, double start, double duration)
{
    const auto bin = static_cast<std::size_t>(tenths - kLowestTenths);
    const double energy = m_energies[bin];
    m_seconds[bin] += duration;
    if (m_timed == 0) {
        m_earliest = m_latest = readingTime;
        m_maxTenths = m_minTenths = tenths;
        m_maxTime = m_minTime = readingTime;
        m_end = start + duration;
    } else {
        m_earliest = std::min(m_earliest, readingTime);
        m_latest = std::max(m_latest, readingTime);
        m_end = std::max(m_end, start + duration);
        if (tenths > m_maxTenths) {
            m_maxTenths = tenths;
            m_maxTime = readingTime;
        }
        if (tenths < m_minTenths) {
            m_minTenths = tenths;
            m_minTime = readingTime;
        }
    }
    ++m_timed;
    // The span's time goes to the clock hours it covers.
    double t = start;
    const double until = start + duration;
    while (t < until) {
        Hour& hour = HourAt(t);
        const double part = std::min(until, m_hourTo) - t;
        hour.seconds += part;
        hour.energy += part * energy;
        t += part;
    }
}

std::size_t CLevelAccumulator::AddSteady(const TimedLevel* readings, std::size_t count, Weighting weighting,
                                         double gap, int* tenths, std::int64_t* time)
{
    if (m_timed == 0)
        return 0;
    double* const bins = m_seconds.data();
    const double* const energies = m_energies;
    const double from = m_hourFrom;
    const double to = m_hourTo;
    double hourSeconds = m_hourSeconds;
    double hourEnergy = m_hourEnergy;
    std::int64_t timed = m_timed;
    std::int64_t earliest = m_earliest;
    std::int64_t latest = m_latest;
    double end = m_end;
    int maxTenths = m_maxTenths;
    std::int64_t maxTime = m_maxTime;
    int minTenths = m_minTenths;
    std::int64_t minTime = m_minTime;
    int pending = *tenths;
    std::int64_t at = *time;
    const std::int64_t first = at;
    if (static_cast<double>(at) < from)
        return 0;
    // Whole seconds from here: a step from 1 to the gap, and not past the hour.
    const auto longest = static_cast<std::uint64_t>(std::floor(gap));
    const auto last = std::min(static_cast<std::int64_t>(to), kFurthestTime);
    std::size_t i = 0;
    for (; i < count; ++i) {
        const TimedLevel& next = readings[i];
        const double scaled = next.level * 10.0;
        const std::uint64_t whole = static_cast<std::uint64_t>(next.time) - static_cast<std::uint64_t>(at);
        if (next.weighting != weighting || whole - 1 >= longest || next.time > last || !(scaled >= 0.0) ||
            !(scaled < kHighestTenths + 0.5))
            break;
        const auto step = static_cast<double>(whole);
        const auto bin = static_cast<std::size_t>(pending - kLowestTenths);
        bins[bin] += step;
        hourSeconds += step;
        hourEnergy += step * energies[bin];
        if (pending > maxTenths) {
            maxTenths = pending;
            maxTime = at;
        }
        if (pending < minTenths) {
            minTenths = pending;
            minTime = at;
        }
        pending = static_cast<int>(scaled + 0.5);
        at = next.time;
    }
    // Times only rise in the loop: its first and last readings bound them.
    if (i > 0) {
        timed += static_cast<std::int64_t>(i);
        earliest = std::min(earliest, first);
        latest = std::max(latest, i >= 2 ? readings[i - 2].time : first);
        end = std::max(end, static_cast<double>(at));
    }
    m_hourSeconds = hourSeconds;
    m_hourEnergy = hourEnergy;
    m_timed = timed;
    m_earliest = earliest;
    m_latest = latest;
    m_end = end;
    m_maxTenths = maxTenths;
    m_maxTime = maxTime;
    m_minTenths = minTenths;
    m_minTime = minTime;
    *tenths = pending;
    *time = at;
    return i;
}

NoiseIndicators CLevelAccumulator::Result(Weighting weighting) const
{
    NoiseIndicators out;
    out.weighting = weighting;
    out.readings = m_timed + m_leftOut;
    out.readingsLeftOut = m_leftOut;
    // Summed here rather than reading by reading: the bins hold every second.
    // Only the bins from Lmin to Lmax can hold any (a short period's sums
    // need not walk all of them).
    const std::size_t lowBin = m_timed > 0 ? static_cast<std::size_t>(m_minTenths - kLowestTenths) : 0;
    const std::size_t highBin = m_timed > 0 ? static_cast<std::size_t>(m_maxTenths - kLowestTenths) + 1 : 0;
    double measured = 0.0;
    for (std::size_t i = lowBin; i < highBin; ++i)
        measured += m_seconds[i];
    if (m_timed < 2 || m_latest <= m_earliest || !(measured > 0.0))
        return out;
    out.enough = true;
    out.start = m_earliest;
    out.end = m_end;
    out.measured = measured;
    out.maximum = {TenthsLevel(m_maxTenths), m_maxTime};
    out.minimum = {TenthsLevel(m_minTenths), m_minTime};

    double energy = 0.0;
    for (std::size_t i = lowBin; i < highBin; ++i)
        energy += m_seconds[i] * m_energies[i];
    out.leq = LevelOf(energy, measured);
    out.sel = out.leq + 10.0 * std::log10(measured);

    // Ln is the nearest-rank (100 - n)th percentile of the time-weighted
    // levels: the lowest level at or below which that share of the time lies.
    for (std::size_t k = 0; k < kExceedancePercents.size(); ++k) {
        const double share = (100 - kExceedancePercents[k]) / 100.0;
        const double wanted = share * measured - 1e-9 * measured;
        double below = 0.0;
        int tenths = m_maxTenths;
        for (int bin = m_minTenths - kLowestTenths; bin <= m_maxTenths - kLowestTenths; ++bin) {
            below += m_seconds[static_cast<std::size_t>(bin)];
            if (below >= wanted) {
                tenths = bin + kLowestTenths;
                break;
            }
        }
        out.exceeded[k] = TenthsLevel(tenths);
    }

    // Whole decibels, rounded down (-0.1 dB lies in -1 dB).
    const auto decibel = [](int tenths) { return tenths >= 0 ? tenths / 10 : -((-tenths + 9) / 10); };
    double below = 0.0;
    for (int level = decibel(m_minTenths); level <= decibel(m_maxTenths); ++level) {
        double seconds = 0.0;
        for (int tenths = std::max(level * 10, kLowestTenths); tenths <= std::min(level * 10 + 9, kHighestTenths);
             ++tenths)
            seconds += m_seconds[static_cast<std::size_t>(tenths - kLowestTenths)];
        below += seconds;
        out.distribution.push_back({level, seconds / measured, std::min(1.0, below / measured)});
    }

    struct PeriodSum {
        double energy = 0.0;
        double seconds = 0.0;
    };
    PeriodSum periods[3];
    double slot[24] = {};
    std::vector<Hour> hours = m_hours;
    if (m_hour < hours.size()) {
        hours[m_hour].seconds += m_hourSeconds;
        hours[m_hour].energy += m_hourEnergy;
    }
    for (const Hour& hour : hours) {
        if (hour.seconds <= 0.0)
            continue;
        out.hourly.push_back({hour.start, LevelOf(hour.energy, hour.seconds), std::min(1.0, hour.seconds / 3600.0)});
        PeriodSum& sum = periods[static_cast<int>(PeriodOfHour(hour.hourOfDay))];
        sum.energy += hour.energy;
        sum.seconds += hour.seconds;
        slot[hour.hourOfDay] += hour.seconds;
    }
    PeriodLevel* levels[3] = {&out.day, &out.evening, &out.night};
    double covered[3] = {};
    for (int h = 0; h < 24; ++h)
        covered[static_cast<int>(PeriodOfHour(h))] += std::min(slot[h], 3600.0);
    const double lengths[3] = {12 * 3600.0, 4 * 3600.0, 8 * 3600.0};
    for (int p = 0; p < 3; ++p) {
        if (periods[p].seconds <= 0.0)
            continue;
        levels[p]->measured = true;
        levels[p]->leq = LevelOf(periods[p].energy, periods[p].seconds);
        levels[p]->coverage = covered[p] / lengths[p];
    }
    if (out.day.coverage >= kWhole && out.evening.coverage >= kWhole && out.night.coverage >= kWhole) {
        out.lden = 10.0 * std::log10((12.0 * std::pow(10.0, out.day.leq / 10.0) +
                                      4.0 * std::pow(10.0, (out.evening.leq + 5.0) / 10.0) +
                                      8.0 * std::pow(10.0, (out.night.leq + 10.0) / 10.0)) /
                                     24.0);
    } else {
        out.ldenMissing = "day " + Percent(out.day.coverage) + ", evening " + Percent(out.evening.coverage) +
                          ", night " + Percent(out.night.coverage) + " measured; Lden needs all three whole";
    }
    return out;
}

CLiveIndicators::CLiveIndicators(double period)
    : m_period(period > 0.0 && period <= kLongestPeriod ? period : 0.0), m_gap(std::max(3.0 * m_period, 1.0))
{
    m_group.reserve(16);
}

void CLiveIndicators::Add(const TimedLevel& reading)
{
    const Weighting weighting = Known(reading.weighting);
    const auto w = static_cast<unsigned>(weighting);
    if ((m_seenMask & (1u << w)) == 0) {
        m_seenMask |= 1u << w;
        m_seen.push_back(weighting);
    }
    const double scaled = reading.level * 10.0;
    if (reading.time < -kFurthestTime || reading.time > kFurthestTime || m_period <= 0.0 ||
        !(scaled >= kLowestTenths - 0.5) || !(scaled < kHighestTenths + 0.5)) {
        m_sums[w].AddLeftOut();
        return;
    }
    // Rounded half away from zero, as the meter's tenths are written.
    const int tenths = static_cast<int>(scaled < 0.0 ? scaled - 0.5 : scaled + 0.5);
    const std::int64_t time = reading.time;
    if (m_group.size() == 1 && time != m_groupTime) {
        // One reading in its second: it stands until this one, or for a
        // period across a break or a clock gone back.
        const Pending& last = m_group.front();
        const std::int64_t step = time - m_groupTime;
        const double each = step > 0 && static_cast<double>(step) <= m_gap ? static_cast<double>(step) : m_period;
        m_sums[static_cast<std::size_t>(last.weighting)].Add(last.tenths, m_groupTime,
                                                              static_cast<double>(m_groupTime), each);
        m_group.front() = {tenths, weighting};
        m_groupTime = time;
        return;
    }
    if (!m_group.empty() && time != m_groupTime) {
        Flush(m_sums, m_group, m_groupTime, time, m_period, m_gap);
        m_group.clear();
    }
    m_groupTime = time;
    m_group.push_back({tenths, weighting});
}

void CLiveIndicators::Add(const TimedLevel* readings, std::size_t count)
{
    std::size_t i = 0;
    while (i < count) {
        if (m_group.size() == 1) {
            Pending& last = m_group.front();
            const std::size_t taken = m_sums[static_cast<std::size_t>(last.weighting)].AddSteady(
                readings + i, count - i, last.weighting, m_gap, &last.tenths, &m_groupTime);
            i += taken;
            if (i == count)
                break;
        }
        Add(readings[i]);
        ++i;
    }
}

void CLiveIndicators::Flush(std::array<CLevelAccumulator, 3>& sums, const std::vector<Pending>& group,
                            std::int64_t groupTime, std::int64_t next, double period, double gap)
{
    const double k = static_cast<double>(group.size());
    double each = period;
    if (next != kNoCalendarTime && next > groupTime) {
        const double step = static_cast<double>(next - groupTime);
        if (step <= gap)
            each = step / k;
    }
    double start = static_cast<double>(groupTime);
    for (const Pending& p : group) {
        sums[static_cast<std::size_t>(p.weighting)].Add(p.tenths, groupTime, start, each);
        start += each;
    }
}

NoiseIndicators CLiveIndicators::Result(Weighting asked) const
{
    const Weighting weighting = Known(asked);
    const auto w = static_cast<std::size_t>(weighting);
    bool pending = false;
    for (const Pending& p : m_group)
        pending = pending || p.weighting == weighting;
    if (!pending)
        return m_sums[w].Result(weighting);
    std::array<CLevelAccumulator, 3> sums = m_sums;
    Flush(sums, m_group, m_groupTime, kNoCalendarTime, m_period, m_gap);
    return sums[w].Result(weighting);
}

NoiseIndicators ComputeIndicators(const std::vector<TimedLevel>& readings, double period, Weighting weighting)
{
    CLiveIndicators live(period);
    live.Add(readings.data(), readings.size());
    return live.Result(weighting);
}

Weighting WeightingOfUnit(std::string_view unit)
{
    if (unit == "dBA")
        return Weighting::A;
    if (unit == "dBC")
        return Weighting::C;
    return Weighting::Other;
}

const char* LeqName(Weighting weighting)
{
    switch (weighting) {
    case Weighting::A:
        return "LAeq";
    case Weighting::C:
        return "LCeq";
    case Weighting::Other:
        break;
    }
    return "Leq";
}
