#pragma once

#include "acoustics/TimedLevel.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Noise indicators of one weighting's readings. Each reading stands for the
// time until the next reading (the last one for its sampling period); a gap
// longer than three sampling periods counts as no data, and so does the time
// after a reading when the clock goes backwards. Readings that share one
// second (sampling faster than the clock's whole seconds) split the time to
// the next second between them.

inline constexpr const char* kNotEnoughDataText = "not enough data";

// Levels are kept at the meter's 0.1 dB resolution, from kLowestLevel to
// kHighestLevel; a reading outside them (or not a number) is left out.
inline constexpr int kLowestTenths = -500;  // -50.0 dB
inline constexpr int kHighestTenths = 2000; // 200.0 dB
inline constexpr int kLevelBins = kHighestTenths - kLowestTenths + 1;

struct LevelAt {
    double level = 0.0;
    std::int64_t time = 0; // calendar time of the reading
};

// The equivalent level over the part of a period that was measured, and
// which share of the period that was (0..1).
struct PeriodLevel {
    bool measured = false;
    double leq = 0.0;
    double coverage = 0.0;
};

struct HourlyLevel {
    std::int64_t hourStart = 0; // calendar time of the local clock hour's start
    double leq = 0.0;
    double coverage = 0.0;      // share of the hour measured (0..1)
};

// One whole decibel of the level distribution: the levels from level to
// level + 0.9 dB, the share of the measured time spent there, and the share
// spent at or below them (the cumulative curve, on which Ln sits at 1 - n %).
struct LevelShare {
    int level = 0;
    double share = 0.0;
    double cumulative = 0.0;
};

// Exceedance levels: L5, L10, L50, L90, L95.
inline constexpr std::array<int, 5> kExceedancePercents = {5, 10, 50, 90, 95};

struct NoiseIndicators {
    Weighting weighting = Weighting::A;
    std::int64_t readings = 0;      // readings offered, with or without a time
    std::int64_t readingsLeftOut = 0; // of them: no calendar time, or a level out of range

    // False when the readings measure no time: none, one, none with a
    // calendar time, or all at one instant. Nothing below is then set.
    bool enough = false;

    std::int64_t start = 0;   // the first reading's calendar time
    double end = 0.0;         // when the last reading's time ends
    double measured = 0.0;    // seconds of data, gaps left out
    double leq = 0.0;
    LevelAt maximum;          // the first reading at the highest level
    LevelAt minimum;          // the first reading at the lowest level
    std::array<double, kExceedancePercents.size()> exceeded{}; // L5 .. L95
    double sel = 0.0;         // sound exposure level, Leq + 10 lg(T / 1 s)

    // Local time: day 07-19, evening 19-23, night 23-07. The coverage of a
    // period counts each clock hour of the day once, whichever day measured it.
    PeriodLevel day;
    PeriodLevel evening;
    PeriodLevel night;
    std::optional<double> lden; // only when all three periods are fully covered
    std::string ldenMissing;    // why not, when lden is not given

    std::vector<HourlyLevel> hourly; // clock hours holding data, in time order
    std::vector<LevelShare> distribution; // each decibel from Lmin's to Lmax's

    double Exceeded(int percent) const;
};

// Sums one weighting's readings, each given with the span of time it stands
// for. Adding is a few table look-ups; the local clock is asked only when a
// span enters a new hour.
class CLevelAccumulator {
public:
    CLevelAccumulator();

    void AddLeftOut() { ++m_leftOut; }
    // tenths: level in 0.1 dB from kLowestTenths to kHighestTenths.
    void Add(int tenths, std::int64_t readingTime, double start, double duration)
    {
        const auto bin = static_cast<std::size_t>(tenths - kLowestTenths);
        const double until = start + duration;
        // Most readings fall inside the hour of the reading before.
        if (m_timed == 0 || start < m_hourFrom || until > m_hourTo) {
            AddAcrossHours(tenths, readingTime, start, duration);
            return;
        }
        m_seconds[bin] += duration;
        m_hourSeconds += duration;
        m_hourEnergy += duration * m_energies[bin];
        ++m_timed;
        m_earliest = readingTime < m_earliest ? readingTime : m_earliest;
        m_latest = readingTime > m_latest ? readingTime : m_latest;
        m_end = until > m_end ? until : m_end;
        if (tenths > m_maxTenths) {
            m_maxTenths = tenths;
            m_maxTime = readingTime;
        }
        if (tenths < m_minTenths) {
            m_minTenths = tenths;
            m_minTime = readingTime;
        }
    }

    NoiseIndicators Result(Weighting weighting) const;

    // The steady case of a run, kept in registers: the pending reading
    // (*tenths at *time) is added for the time until the next one as long as
    // the next one has a time, a level in range and this weighting, comes
    // later by no more than gap and within the same clock hour. Returns how
    // many of readings were taken; the last one taken is left pending.
    std::size_t AddSteady(const TimedLevel* readings, std::size_t count, Weighting weighting, double gap, int* tenths,
                          std::int64_t* time);

private:
    struct Hour {
        std::int64_t start = 0;
        int hourOfDay = 0;
        double seconds = 0.0;
        double energy = 0.0;
    };
    void AddAcrossHours(int tenths, std::int64_t readingTime, double start, double duration);
    Hour& HourAt(double t);
    // The running sums of the current hour go back to its entry.
    void SettleHour();

    std::vector<double> m_seconds; // time spent in each 0.1 dB bin
    std::vector<Hour> m_hours;     // in order of start
    std::size_t m_hour = 0;        // the hour the last span ended in
    double m_hourFrom = 0.0;       // that hour's span, and what it gathered
    double m_hourTo = 0.0;         // since its entry was last brought up to date
    double m_hourSeconds = 0.0;
    double m_hourEnergy = 0.0;
    const double* m_energies;      // 10^(L/10) of each bin
    std::int64_t m_leftOut = 0;
    std::int64_t m_timed = 0;
    std::int64_t m_earliest = 0;
    std::int64_t m_latest = 0;
    double m_end = 0.0;
    int m_maxTenths = 0;
    std::int64_t m_maxTime = 0;
    int m_minTenths = 0;
    std::int64_t m_minTime = 0;
};

// Indicators of a run of readings, one reading at a time (the recorder adds
// each reading as it is taken), one result per weighting.
class CLiveIndicators {
public:
    // period: the sampling interval in seconds, above 0 and at most
    // kLongestPeriod; without one every reading is left out.
    explicit CLiveIndicators(double period);

    void Add(const TimedLevel& reading);
    // The same as adding each in turn, faster.
    void Add(const TimedLevel* readings, std::size_t count);

    // The weightings seen so far, in order of their first reading.
    const std::vector<Weighting>& Weightings() const { return m_seen; }
    // The indicators of one weighting up to the last reading, which counts for
    // one sampling period. A weighting never seen gives "not enough data".
    NoiseIndicators Result(Weighting asked) const;

private:
    struct Pending {
        int tenths;
        Weighting weighting;
    };
    // Hands the readings of the last second to their accumulators; next is
    // the time of the reading after them, or kNoCalendarTime for none.
    static void Flush(std::array<CLevelAccumulator, 3>& sums, const std::vector<Pending>& group,
                      std::int64_t groupTime, std::int64_t next, double period, double gap);

    double m_period;
    double m_gap; // a step between readings longer than this is no data
    std::array<CLevelAccumulator, 3> m_sums;
    std::vector<Pending> m_group; // readings of the second at m_groupTime
    std::int64_t m_groupTime = 0;
    std::vector<Weighting> m_seen;
    unsigned m_seenMask = 0;
};

// The indicators of one weighting in a run of readings, as CLiveIndicators
// gives them after the last reading.
NoiseIndicators ComputeIndicators(const std::vector<TimedLevel>& readings, double period, Weighting weighting);
