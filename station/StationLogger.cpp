#include "station/StationLogger.h"

CStationLogger::CStationLogger(CStationDatabase& database, Settings settings, IStationPublisher* publisher)
    : m_database(database), m_settings(std::move(settings)), m_publisher(publisher),
      m_builder(m_settings.station, m_settings.periodSeconds, m_settings.samplingPeriod)
{
    m_batch.station = m_settings.station;
}

bool CStationLogger::Resume(std::int64_t nowUtc, std::string* error)
{
    std::string failure;
    const auto last = m_database.LastReading(m_settings.station, &failure);
    if (!failure.empty()) {
        *error = failure;
        return false;
    }
    if (!last)
        return true;
    // The readings of the last run's last period: that period is computed
    // again, whole, when it is over.
    std::vector<std::pair<std::string, StationReading>> readings;
    if (!m_database.Readings(m_settings.station, m_builder.PeriodStart(last->tUtc), nowUtc + 1, readings, error))
        return false;
    for (const auto& [station, reading] : readings)
        m_builder.Add(reading);
    m_lastReading = last->tUtc;
    m_haveReading = true;
    StartGap(last->tUtc, kGapStationStopped);
    return true;
}

void CStationLogger::StartGap(std::int64_t start, const char* reason)
{
    if (!m_gap)
        m_gap = StationGap{m_settings.station, start, start, reason};
}

void CStationLogger::Reading(const StationReading& reading)
{
    // A clock set back would give readings the keys of readings already
    // taken: they are left out until the clock has passed the last one again.
    if (m_haveReading && reading.tUtc <= m_lastReading)
        return;
    if (m_gap) {
        m_gap->endUtc = reading.tUtc;
        m_batch.gaps.push_back(*m_gap);
        m_gap.reset();
    }
    m_lastReading = reading.tUtc;
    m_haveReading = true;
    m_batch.readings.push_back(reading);
    Interval(m_builder.Add(reading));
    if (m_publisher != nullptr)
        m_publisher->Level(reading);
}

void CStationLogger::LinkLost(std::int64_t nowUtc)
{
    StartGap(m_haveReading ? m_lastReading : nowUtc, kGapMeterLost);
}

void CStationLogger::Interval(std::optional<StationInterval> interval)
{
    if (interval)
        m_batch.intervals.push_back(std::move(*interval));
}

bool CStationLogger::Tick(std::int64_t nowUtc, std::string* error)
{
    Interval(m_builder.CloseIfOver(nowUtc));
    return Flush(error);
}

bool CStationLogger::Finish(std::int64_t nowUtc, std::string* error)
{
    Interval(m_builder.CloseNow());
    if (m_gap) {
        m_gap->endUtc = nowUtc;
        m_batch.gaps.push_back(*m_gap);
        m_gap.reset();
    }
    return Flush(error);
}

bool CStationLogger::Flush(std::string* error)
{
    if (m_publisher != nullptr)
        m_publisher->TakeAcknowledged(m_batch);
    if (!m_database.Write(m_batch, error))
        return false;
    m_written += static_cast<std::int64_t>(m_batch.readings.size());
    m_intervals += static_cast<std::int64_t>(m_batch.intervals.size());
    m_batch.readings.clear();
    m_batch.intervals.clear();
    m_batch.gaps.clear();
    m_batch.publishedStarts.clear();
    m_batch.publishedGaps.clear();
    if (m_publisher != nullptr)
        m_publisher->Pump(m_database);
    return true;
}
