#pragma once

#include "station/IntervalBuilder.h"
#include "station/StationDatabase.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Where a station sends what it logs besides its database (the MQTT
// publisher). Called on the station's thread.
class IStationPublisher {
public:
    virtual ~IStationPublisher() = default;
    virtual void Level(const StationReading& reading) = 0;
    // Adds to the batch the intervals (starts) and gaps (as sent) the broker
    // has acknowledged since the last call.
    virtual void TakeAcknowledged(CStationDatabase::Batch& batch) = 0;
    // Sends the gaps and intervals still waiting in the database, oldest first.
    virtual void Pump(CStationDatabase& database) = 0;
};

// One station's logging: readings go into a batch that is written once a
// second (Tick) in one transaction with the intervals closed meanwhile, the
// gaps and the broker's acknowledgements. A restart on the same database goes
// on where the last run stopped: the readings of its last period are taken up
// again, and the time between its last reading and the first new one becomes
// a gap.
class CStationLogger {
public:
    struct Settings {
        std::string station;
        double samplingPeriod = 1.0;   // seconds
        std::int64_t periodSeconds = 60;
    };

    CStationLogger(CStationDatabase& database, Settings settings, IStationPublisher* publisher = nullptr);

    // Takes up where the last run stopped. False with *error when the database fails.
    bool Resume(std::int64_t nowUtc, std::string* error);

    void Reading(const StationReading& reading);
    // The meter went away: a gap starts after the last reading.
    void LinkLost(std::int64_t nowUtc);
    // Once a second: closes a period that is over and writes the batch.
    bool Tick(std::int64_t nowUtc, std::string* error);
    // The end of the run: the open period and gap are stored as they stand.
    bool Finish(std::int64_t nowUtc, std::string* error);

    std::int64_t ReadingsWritten() const { return m_written; }
    std::int64_t IntervalsWritten() const { return m_intervals; }

private:
    void StartGap(std::int64_t start, const char* reason);
    void Interval(std::optional<StationInterval> interval);
    bool Flush(std::string* error);

    CStationDatabase& m_database;
    Settings m_settings;
    IStationPublisher* m_publisher;
    CIntervalBuilder m_builder;
    CStationDatabase::Batch m_batch;
    std::optional<StationGap> m_gap;
    std::int64_t m_lastReading = 0;
    bool m_haveReading = false;
    std::int64_t m_written = 0;
    std::int64_t m_intervals = 0;
};

// The gap reasons written by the station.
inline constexpr const char* kGapMeterLost = "meter lost";
inline constexpr const char* kGapStationStopped = "station stopped";
