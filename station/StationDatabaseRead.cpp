// The station database's queries: readings, intervals and gaps read back.
#include "station/StationDatabase.h"

#include "station/IsoTime.h"
#include "station/StationSql.h"

using namespace station_sql;

namespace {

StationInterval IntervalOfRow(sqlite3_stmt* row)
{
    StationInterval interval;
    interval.station = Text(row, 0);
    interval.startUtc = ParseUtc(Text(row, 1)).value_or(0);
    interval.endUtc = ParseUtc(Text(row, 2)).value_or(0);
    interval.unit = Text(row, 3);
    interval.count = sqlite3_column_int64(row, 4);
    interval.coverage = sqlite3_column_double(row, 5);
    interval.leq = OptionalDouble(row, 6);
    interval.lmax = OptionalDouble(row, 7);
    interval.lmin = OptionalDouble(row, 8);
    interval.l10 = OptionalDouble(row, 9);
    interval.l50 = OptionalDouble(row, 10);
    interval.l90 = OptionalDouble(row, 11);
    interval.published = sqlite3_column_int(row, 12) != 0;
    return interval;
}

constexpr const char* kIntervalColumns =
    "SELECT station, start_utc, end_utc, unit, count, coverage, leq, lmax, lmin, l10, l50, l90, published"
    " FROM intervals ";

} // namespace

sqlite3_stmt* CStationDatabase::PrepareRange(const std::string& sql, const std::string& station, std::int64_t from,
                                            std::int64_t to, std::string* error)
{
    sqlite3_stmt* query = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &query, nullptr) != SQLITE_OK) {
        *error = Explain(sqlite3_extended_errcode(m_db));
        sqlite3_finalize(query);
        return nullptr;
    }
    if (!station.empty())
        BindText(query, 1, station);
    BindText(query, 2, FormatUtc(from));
    BindText(query, 3, FormatUtc(to));
    return query;
}

bool CStationDatabase::ForEachReading(const std::string& station, std::int64_t from, std::int64_t to,
                                      const ReadingVisitor& each, std::string* error)
{
    const std::string sql = std::string("SELECT station, t_utc, meter_time, level, unit, response, flags FROM readings") +
                            (station.empty() ? " WHERE t_utc >= ?2 AND t_utc < ?3 ORDER BY t_utc, station"
                                             : " WHERE station = ?1 AND t_utc >= ?2 AND t_utc < ?3 ORDER BY t_utc");
    const Statement query{PrepareRange(sql, station, from, to, error)};
    if (!query.handle)
        return false;
    int code = SQLITE_OK;
    StationReading reading;
    std::string name;
    while ((code = sqlite3_step(query.handle)) == SQLITE_ROW) {
        name = Text(query.handle, 0);
        reading.tUtc = ParseUtc(Text(query.handle, 1)).value_or(0);
        reading.meterTime = Text(query.handle, 2);
        reading.level = sqlite3_column_double(query.handle, 3);
        reading.unit = Text(query.handle, 4);
        reading.response = Text(query.handle, 5);
        reading.flags = Text(query.handle, 6);
        if (!each(name, reading))
            return true;
    }
    if (code != SQLITE_DONE) {
        *error = Explain(sqlite3_extended_errcode(m_db));
        return false;
    }
    return true;
}

bool CStationDatabase::Readings(const std::string& station, std::int64_t from, std::int64_t to,
                                std::vector<std::pair<std::string, StationReading>>& out, std::string* error)
{
    return ForEachReading(
        station, from, to,
        [&out](const std::string& name, const StationReading& reading) {
            out.emplace_back(name, reading);
            return true;
        },
        error);
}

bool CStationDatabase::Intervals(const std::string& station, std::int64_t from, std::int64_t to,
                                 std::vector<StationInterval>& out, std::string* error)
{
    const std::string sql = std::string(kIntervalColumns) +
                            (station.empty() ? "WHERE start_utc >= ?2 AND start_utc < ?3 ORDER BY station, start_utc"
                                             : "WHERE station = ?1 AND start_utc >= ?2 AND start_utc < ?3 ORDER BY start_utc");
    const Statement query{PrepareRange(sql, station, from, to, error)};
    if (!query.handle)
        return false;
    int code = SQLITE_OK;
    while ((code = sqlite3_step(query.handle)) == SQLITE_ROW)
        out.push_back(IntervalOfRow(query.handle));
    if (code != SQLITE_DONE) {
        *error = Explain(sqlite3_extended_errcode(m_db));
        return false;
    }
    return true;
}

bool CStationDatabase::Gaps(const std::string& station, std::vector<StationGap>& out, std::string* error)
{
    return GapRows("SELECT station, start_utc, end_utc, reason, published FROM gaps WHERE station = ?1"
                   " ORDER BY start_utc LIMIT ?2", station, -1, out, error);
}

bool CStationDatabase::UnpublishedGaps(const std::string& station, std::size_t limit, std::vector<StationGap>& out,
                                       std::string* error)
{
    return GapRows("SELECT station, start_utc, end_utc, reason, published FROM gaps WHERE station = ?1"
                   " AND published = 0 ORDER BY start_utc LIMIT ?2", station, static_cast<std::int64_t>(limit), out, error);
}

bool CStationDatabase::GapRows(const char* sql, const std::string& station, std::int64_t limit,
                               std::vector<StationGap>& out, std::string* error)
{
    Statement query;
    if (sqlite3_prepare_v2(m_db, sql, -1, &query.handle, nullptr) != SQLITE_OK) {
        *error = Explain(sqlite3_extended_errcode(m_db));
        return false;
    }
    BindText(query.handle, 1, station);
    sqlite3_bind_int64(query.handle, 2, limit);
    int code = SQLITE_OK;
    while ((code = sqlite3_step(query.handle)) == SQLITE_ROW)
        out.push_back({Text(query.handle, 0), ParseUtc(Text(query.handle, 1)).value_or(0),
                       ParseUtc(Text(query.handle, 2)).value_or(0), Text(query.handle, 3),
                       sqlite3_column_int(query.handle, 4) != 0});
    if (code != SQLITE_DONE) {
        *error = Explain(sqlite3_extended_errcode(m_db));
        return false;
    }
    return true;
}

bool CStationDatabase::Unpublished(const std::string& station, std::size_t limit, std::vector<StationInterval>& out,
                                   std::string* error)
{
    Statement query;
    const std::string sql = std::string(kIntervalColumns) + "WHERE station = ?1 AND published = 0 ORDER BY start_utc LIMIT ?2";
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &query.handle, nullptr) != SQLITE_OK) {
        *error = Explain(sqlite3_extended_errcode(m_db));
        return false;
    }
    BindText(query.handle, 1, station);
    sqlite3_bind_int64(query.handle, 2, static_cast<sqlite3_int64>(limit));
    while (sqlite3_step(query.handle) == SQLITE_ROW)
        out.push_back(IntervalOfRow(query.handle));
    return true;
}
