#include "station/CollectorStore.h"

#include "station/IsoTime.h"

#include <libpq-fe.h>

#include <cstdio>

bool CSqliteCollectorStore::Store(const std::vector<StationInterval>& intervals, const std::vector<StationGap>& gaps,
                                  std::string* error)
{
    CStationDatabase::Batch batch;
    batch.intervals = intervals;
    batch.gaps = gaps;
    return m_database.Write(batch, error);
}

namespace {

constexpr const char* kPgSchema =
    "CREATE TABLE IF NOT EXISTS readings(station TEXT NOT NULL, t_utc TEXT NOT NULL, meter_time TEXT,"
    " level DOUBLE PRECISION NOT NULL, unit TEXT NOT NULL, response TEXT, flags TEXT NOT NULL DEFAULT '',"
    " PRIMARY KEY(station, t_utc));"
    "CREATE TABLE IF NOT EXISTS intervals(station TEXT NOT NULL, start_utc TEXT NOT NULL, end_utc TEXT NOT NULL,"
    " unit TEXT NOT NULL, count BIGINT NOT NULL, coverage DOUBLE PRECISION NOT NULL, leq DOUBLE PRECISION,"
    " lmax DOUBLE PRECISION, lmin DOUBLE PRECISION, l10 DOUBLE PRECISION, l50 DOUBLE PRECISION,"
    " l90 DOUBLE PRECISION, published INTEGER NOT NULL DEFAULT 0, PRIMARY KEY(station, start_utc));"
    "CREATE TABLE IF NOT EXISTS gaps(station TEXT NOT NULL, start_utc TEXT NOT NULL, end_utc TEXT NOT NULL,"
    " reason TEXT NOT NULL, published INTEGER NOT NULL DEFAULT 0, PRIMARY KEY(station, start_utc));"
    "ALTER TABLE gaps ADD COLUMN IF NOT EXISTS published INTEGER NOT NULL DEFAULT 0;";

constexpr const char* kPgUpsertInterval =
    "INSERT INTO intervals(station, start_utc, end_utc, unit, count, coverage, leq, lmax, lmin, l10, l50, l90,"
    " published) VALUES($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, 1)"
    " ON CONFLICT(station, start_utc) DO UPDATE SET end_utc = excluded.end_utc, unit = excluded.unit,"
    " count = excluded.count, coverage = excluded.coverage, leq = excluded.leq, lmax = excluded.lmax,"
    " lmin = excluded.lmin, l10 = excluded.l10, l50 = excluded.l50, l90 = excluded.l90";
constexpr const char* kPgUpsertGap =
    "INSERT INTO gaps(station, start_utc, end_utc, reason, published) VALUES($1, $2, $3, $4, 1)"
    " ON CONFLICT(station, start_utc) DO UPDATE SET end_utc = excluded.end_utc, reason = excluded.reason";

// Numbers as the server reads them: the C way, whatever the locale.
std::string Number(double value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    for (char* c = text; *c != '\0'; ++c)
        if (*c == ',')
            *c = '.';
    return text;
}

std::string OneLine(const char* message)
{
    std::string text = message != nullptr ? message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    for (char& c : text)
        if (c == '\n')
            c = ' ';
    return text;
}

} // namespace

CPostgresCollectorStore::~CPostgresCollectorStore()
{
    if (m_connection != nullptr)
        PQfinish(m_connection);
}

bool CPostgresCollectorStore::Exec(const char* sql, std::string* error)
{
    PGresult* result = PQexec(m_connection, sql);
    const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK || PQresultStatus(result) == PGRES_TUPLES_OK;
    if (!ok)
        *error = "PostgreSQL: " + OneLine(PQerrorMessage(m_connection));
    PQclear(result);
    return ok;
}

bool CPostgresCollectorStore::Open(const std::string& conninfo, std::string* error)
{
    m_connection = PQconnectdb(conninfo.c_str());
    if (PQstatus(m_connection) != CONNECTION_OK) {
        *error = "cannot connect to PostgreSQL: " + OneLine(PQerrorMessage(m_connection));
        return false;
    }
    PGresult* quiet = PQexec(m_connection, "SET client_min_messages = warning");
    PQclear(quiet);
    return Exec(kPgSchema, error);
}

bool CPostgresCollectorStore::Store(const std::vector<StationInterval>& intervals, const std::vector<StationGap>& gaps,
                                    std::string* error)
{
    if (intervals.empty() && gaps.empty())
        return true;
    if (StoreOnce(intervals, gaps, error))
        return true;
    // A server that restarted: one new connection, one more try.
    if (PQstatus(m_connection) != CONNECTION_BAD)
        return false;
    PQreset(m_connection);
    return PQstatus(m_connection) == CONNECTION_OK && StoreOnce(intervals, gaps, error);
}

bool CPostgresCollectorStore::StoreOnce(const std::vector<StationInterval>& intervals,
                                        const std::vector<StationGap>& gaps, std::string* error)
{
    if (!Exec("BEGIN", error))
        return false;
    const auto run = [&](const char* sql, const std::vector<std::string>& values, const std::vector<bool>& null) {
        std::vector<const char*> pointers;
        for (std::size_t i = 0; i < values.size(); ++i)
            pointers.push_back(null[i] ? nullptr : values[i].c_str());
        PGresult* result = PQexecParams(m_connection, sql, static_cast<int>(pointers.size()), nullptr,
                                        pointers.data(), nullptr, nullptr, 0);
        const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
        if (!ok)
            *error = "PostgreSQL: " + OneLine(PQerrorMessage(m_connection));
        PQclear(result);
        return ok;
    };
    for (const StationInterval& interval : intervals) {
        std::vector<std::string> values = {interval.station, FormatUtc(interval.startUtc), FormatUtc(interval.endUtc),
                                           interval.unit, std::to_string(interval.count), Number(interval.coverage)};
        std::vector<bool> null(6, false);
        for (const auto* level : {&interval.leq, &interval.lmax, &interval.lmin, &interval.l10, &interval.l50,
                                  &interval.l90}) {
            values.push_back(*level ? Number(**level) : std::string());
            null.push_back(!level->has_value());
        }
        if (!run(kPgUpsertInterval, values, null)) {
            PQclear(PQexec(m_connection, "ROLLBACK"));
            return false;
        }
    }
    for (const StationGap& gap : gaps) {
        if (!run(kPgUpsertGap, {gap.station, FormatUtc(gap.startUtc), FormatUtc(gap.endUtc), gap.reason},
                 {false, false, false, false})) {
            PQclear(PQexec(m_connection, "ROLLBACK"));
            return false;
        }
    }
    return Exec("COMMIT", error);
}
