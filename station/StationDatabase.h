#pragma once

#include "station/StationRecords.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The station database: one SQLite file (WAL, synchronous commits) with the
// tables readings, intervals and gaps. Every table's primary key starts with
// the station, so writing a row again changes nothing (readings) or replaces
// it with the same key (intervals, gaps), and one file can hold many stations
// (the collector's). A failed write is rolled back whole: no half a batch,
// never half a row.
class CStationDatabase {
public:
    CStationDatabase() = default;
    ~CStationDatabase();
    CStationDatabase(const CStationDatabase&) = delete;
    CStationDatabase& operator=(const CStationDatabase&) = delete;

    // Opens or creates the file and its tables. False with *error saying why
    // in words for the user: not a SQLite database, read-only, disk full...
    bool Open(const std::string& path, std::string* error);
    // An existing database, only read (queries): a read-only file will do.
    bool OpenForReading(const std::string& path, std::string* error);
    bool IsOpen() const { return m_db != nullptr; }
    const std::string& Path() const { return m_path; }

    // One transaction: the readings of a station, intervals and gaps (any
    // station), and intervals and gaps of the station now acknowledged by the
    // broker. A gap is marked only as it was sent (its end): one that has
    // grown since goes out again.
    struct Batch {
        std::string station;
        std::vector<StationReading> readings;
        std::vector<StationInterval> intervals;
        std::vector<StationGap> gaps;
        std::vector<std::int64_t> publishedStarts;
        std::vector<StationGap> publishedGaps;
        bool Empty() const
        {
            return readings.empty() && intervals.empty() && gaps.empty() && publishedStarts.empty() &&
                   publishedGaps.empty();
        }
    };
    bool Write(const Batch& batch, std::string* error);

    // The latest reading of a station, if any.
    std::optional<StationReading> LastReading(const std::string& station, std::string* error = nullptr);
    // Readings from..to (to excluded) in time order; an empty station means
    // all. each may stop the walk by returning false.
    using ReadingVisitor = std::function<bool(const std::string& station, const StationReading& reading)>;
    bool ForEachReading(const std::string& station, std::int64_t from, std::int64_t to, const ReadingVisitor& each,
                        std::string* error);
    bool Readings(const std::string& station, std::int64_t from, std::int64_t to,
                  std::vector<std::pair<std::string, StationReading>>& out, std::string* error);
    bool Intervals(const std::string& station, std::int64_t from, std::int64_t to,
                   std::vector<StationInterval>& out, std::string* error);
    bool Gaps(const std::string& station, std::vector<StationGap>& out, std::string* error);
    // The station's intervals not yet acknowledged by a broker, oldest first.
    bool Unpublished(const std::string& station, std::size_t limit, std::vector<StationInterval>& out,
                     std::string* error);
    // The station's gaps not yet acknowledged as they stand, oldest first.
    bool UnpublishedGaps(const std::string& station, std::size_t limit, std::vector<StationGap>& out,
                         std::string* error);

    sqlite3* Handle() { return m_db; }

private:
    bool Exec(const char* sql, std::string* error);
    bool Upgrade(std::string* error);
    bool GapRows(const char* sql, const std::string& station, std::int64_t limit, std::vector<StationGap>& out,
                 std::string* error);
    sqlite3_stmt* Prepare(int slot, const char* sql, std::string* error);
    // A range query of one station (?1, none when empty) from ?2 up to ?3.
    sqlite3_stmt* PrepareRange(const std::string& sql, const std::string& station, std::int64_t from,
                               std::int64_t to, std::string* error);
    std::string Explain(int code) const;
    void Close();

    sqlite3* m_db = nullptr;
    std::string m_path;
    sqlite3_stmt* m_statements[9] = {};
};
