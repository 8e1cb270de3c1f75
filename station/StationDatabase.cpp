#include "station/StationDatabase.h"

#include "station/IsoTime.h"
#include "station/StationSql.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

using namespace station_sql;

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS readings(station TEXT NOT NULL, t_utc TEXT NOT NULL, meter_time TEXT,"
    " level REAL NOT NULL, unit TEXT NOT NULL, response TEXT, flags TEXT NOT NULL DEFAULT '',"
    " PRIMARY KEY(station, t_utc)) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS intervals(station TEXT NOT NULL, start_utc TEXT NOT NULL, end_utc TEXT NOT NULL,"
    " unit TEXT NOT NULL, count INTEGER NOT NULL, coverage REAL NOT NULL, leq REAL, lmax REAL, lmin REAL,"
    " l10 REAL, l50 REAL, l90 REAL, published INTEGER NOT NULL DEFAULT 0,"
    " PRIMARY KEY(station, start_utc)) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS gaps(station TEXT NOT NULL, start_utc TEXT NOT NULL, end_utc TEXT NOT NULL,"
    " reason TEXT NOT NULL, published INTEGER NOT NULL DEFAULT 0, PRIMARY KEY(station, start_utc)) WITHOUT ROWID;";
// After the tables: a database of an earlier version gets what it lacks.
constexpr const char* kIndexes =
    "CREATE INDEX IF NOT EXISTS intervals_unpublished ON intervals(station, published, start_utc);"
    "CREATE INDEX IF NOT EXISTS gaps_unpublished ON gaps(station, published, start_utc);";

enum Slot { kInsertReading, kUpsertInterval, kUpsertGap, kMarkPublished, kMarkGapPublished, kLastReading };

constexpr const char* kInsertReadingSql =
    "INSERT OR IGNORE INTO readings(station, t_utc, meter_time, level, unit, response, flags)"
    " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)";
constexpr const char* kUpsertIntervalSql =
    "INSERT INTO intervals(station, start_utc, end_utc, unit, count, coverage, leq, lmax, lmin, l10, l50, l90,"
    " published) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13)"
    " ON CONFLICT(station, start_utc) DO UPDATE SET end_utc = excluded.end_utc, unit = excluded.unit,"
    " count = excluded.count, coverage = excluded.coverage, leq = excluded.leq, lmax = excluded.lmax,"
    " lmin = excluded.lmin, l10 = excluded.l10, l50 = excluded.l50, l90 = excluded.l90,"
    " published = excluded.published";
// A gap written again as it stands keeps its acknowledgement; one that has
// changed (grown after a restart) is to be sent again.
constexpr const char* kUpsertGapSql =
    "INSERT INTO gaps(station, start_utc, end_utc, reason, published) VALUES(?1, ?2, ?3, ?4, ?5)"
    " ON CONFLICT(station, start_utc) DO UPDATE SET published = CASE WHEN gaps.end_utc = excluded.end_utc"
    " AND gaps.reason = excluded.reason THEN max(gaps.published, excluded.published) ELSE excluded.published END,"
    " end_utc = excluded.end_utc, reason = excluded.reason";
constexpr const char* kMarkPublishedSql = "UPDATE intervals SET published = 1 WHERE station = ?1 AND start_utc = ?2";
constexpr const char* kMarkGapPublishedSql =
    "UPDATE gaps SET published = 1 WHERE station = ?1 AND start_utc = ?2 AND end_utc = ?3";
constexpr const char* kLastReadingSql =
    "SELECT t_utc, meter_time, level, unit, response, flags FROM readings WHERE station = ?1"
    " ORDER BY t_utc DESC LIMIT 1";

// Why a write may have failed for want of room: the file (or its log) at
// the largest size the process may write (ulimit -f), or too little space
// left on the disk; empty when neither.
std::string WhyNoRoom(const std::string& path)
{
    rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        for (const std::string& file : {path, path + "-wal"}) {
            struct stat info {};
            if (::stat(file.c_str(), &info) == 0 && static_cast<rlim_t>(info.st_size) + 65536 >= limit.rlim_cur)
                return path + " cannot grow: this process may write files of at most " +
                       std::to_string(limit.rlim_cur) + " bytes (ulimit -f)";
        }
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    struct statvfs disk {};
    if (::statvfs(folder.c_str(), &disk) == 0 && static_cast<double>(disk.f_bavail) * disk.f_frsize < 1048576.0)
        return "the disk holding " + path + " is full";
    return {};
}

} // namespace

CStationDatabase::~CStationDatabase()
{
    Close();
}

void CStationDatabase::Close()
{
    for (auto*& statement : m_statements) {
        sqlite3_finalize(statement);
        statement = nullptr;
    }
    if (m_db != nullptr)
        sqlite3_close(m_db);
    m_db = nullptr;
}

std::string CStationDatabase::Explain(int code) const
{
    switch (code & 0xff) {
    case SQLITE_NOTADB:
        return m_path + " is not a SQLite database";
    case SQLITE_READONLY:
        return m_path + " is read-only";
    case SQLITE_FULL:
        return "the disk holding " + m_path + " is full";
    case SQLITE_IOERR:
        if (std::string why = WhyNoRoom(m_path); !why.empty())
            return why;
        break;
    case SQLITE_CANTOPEN:
        return "cannot open " + m_path;
    case SQLITE_CORRUPT:
        return m_path + " is damaged";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return m_path + " is locked by another program";
    default:
        break;
    }
    const char* detail = m_db != nullptr ? sqlite3_errmsg(m_db) : sqlite3_errstr(code);
    return m_path + ": " + detail;
}

bool CStationDatabase::Exec(const char* sql, std::string* error)
{
    char* message = nullptr;
    const int code = sqlite3_exec(m_db, sql, nullptr, nullptr, &message);
    sqlite3_free(message);
    if (code != SQLITE_OK) {
        if (error != nullptr)
            *error = Explain(sqlite3_extended_errcode(m_db));
        return false;
    }
    return true;
}

sqlite3_stmt* CStationDatabase::Prepare(int slot, const char* sql, std::string* error)
{
    sqlite3_stmt*& statement = m_statements[slot];
    if (statement == nullptr && sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK) {
        if (error != nullptr)
            *error = Explain(sqlite3_extended_errcode(m_db));
        statement = nullptr;
        return nullptr;
    }
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    return statement;
}

bool CStationDatabase::Open(const std::string& path, std::string* error)
{
    Close();
    m_path = path;
    // SQLite opens a file it may not write read-only without a word; a
    // station must be able to write, so that is said before anything else.
    if (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), W_OK) != 0) {
        *error = path + " is read-only";
        return false;
    }
    const int code = sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (code != SQLITE_OK) {
        *error = Explain(code);
        Close();
        return false;
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, 5000);
    // WAL lets queries read while the station writes; FULL makes each commit
    // durable, so a power cut loses at most the batch being written.
    if (!Exec("PRAGMA journal_mode=WAL", error) || !Exec("PRAGMA synchronous=FULL", error) ||
        !Exec("PRAGMA cache_size=-16384", error) ||
        !Exec(kSchema, error) || !Upgrade(error) || !Exec(kIndexes, error)) {
        Close();
        return false;
    }
    if (sqlite3_db_readonly(m_db, "main") == 1) {
        *error = path + " is read-only";
        Close();
        return false;
    }
    return true;
}

// The gaps of a database made before their acknowledgement was kept get the
// column, in place; those gaps count as not yet sent.
bool CStationDatabase::Upgrade(std::string* error)
{
    Statement columns;
    if (sqlite3_prepare_v2(m_db, "SELECT count(*) FROM pragma_table_info('gaps') WHERE name = 'published'", -1,
                           &columns.handle, nullptr) != SQLITE_OK ||
        sqlite3_step(columns.handle) != SQLITE_ROW) {
        *error = Explain(sqlite3_extended_errcode(m_db));
        return false;
    }
    return sqlite3_column_int(columns.handle, 0) == 1 ||
           Exec("ALTER TABLE gaps ADD COLUMN published INTEGER NOT NULL DEFAULT 0", error);
}

bool CStationDatabase::OpenForReading(const std::string& path, std::string* error)
{
    Close();
    m_path = path;
    const int code = sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READONLY, nullptr);
    if (code != SQLITE_OK) {
        *error = Explain(code);
        Close();
        return false;
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, 5000);
    // A file without the station's tables is not a station database.
    if (!Exec("SELECT station, t_utc, meter_time, level, unit, response, flags FROM readings LIMIT 0", error)) {
        if (error->find("not a SQLite") == std::string::npos)
            *error = path + " is not a station database";
        Close();
        return false;
    }
    return true;
}

bool CStationDatabase::Write(const Batch& batch, std::string* error)
{
    if (batch.Empty())
        return true;
    if (!Exec("BEGIN IMMEDIATE", error))
        return false;
    const auto fail = [&]() {
        if (error != nullptr)
            *error = Explain(sqlite3_extended_errcode(m_db));
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    };
    if (!batch.readings.empty()) {
        sqlite3_stmt* insert = Prepare(kInsertReading, kInsertReadingSql, error);
        if (insert == nullptr)
            return fail();
        // The texts stay put until the row is written: SQLite need not copy them.
        const auto bind = [insert](int index, const std::string& text) {
            sqlite3_bind_text(insert, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
        };
        bind(1, batch.station);
        for (const StationReading& reading : batch.readings) {
            const std::string time = FormatUtc(reading.tUtc);
            bind(2, time);
            bind(3, reading.meterTime);
            sqlite3_bind_double(insert, 4, reading.level);
            bind(5, reading.unit);
            bind(6, reading.response);
            bind(7, reading.flags);
            const int code = sqlite3_step(insert);
            sqlite3_reset(insert);
            if (code != SQLITE_DONE)
                return fail();
        }
        sqlite3_clear_bindings(insert);
    }
    for (const StationInterval& interval : batch.intervals) {
        sqlite3_stmt* upsert = Prepare(kUpsertInterval, kUpsertIntervalSql, error);
        if (upsert == nullptr)
            return fail();
        BindText(upsert, 1, interval.station);
        BindText(upsert, 2, FormatUtc(interval.startUtc));
        BindText(upsert, 3, FormatUtc(interval.endUtc));
        BindText(upsert, 4, interval.unit);
        sqlite3_bind_int64(upsert, 5, interval.count);
        sqlite3_bind_double(upsert, 6, interval.coverage);
        BindOptional(upsert, 7, interval.leq);
        BindOptional(upsert, 8, interval.lmax);
        BindOptional(upsert, 9, interval.lmin);
        BindOptional(upsert, 10, interval.l10);
        BindOptional(upsert, 11, interval.l50);
        BindOptional(upsert, 12, interval.l90);
        sqlite3_bind_int(upsert, 13, interval.published ? 1 : 0);
        if (sqlite3_step(upsert) != SQLITE_DONE)
            return fail();
    }
    for (const StationGap& gap : batch.gaps) {
        sqlite3_stmt* upsert = Prepare(kUpsertGap, kUpsertGapSql, error);
        if (upsert == nullptr)
            return fail();
        BindText(upsert, 1, gap.station);
        BindText(upsert, 2, FormatUtc(gap.startUtc));
        BindText(upsert, 3, FormatUtc(gap.endUtc));
        BindText(upsert, 4, gap.reason);
        sqlite3_bind_int(upsert, 5, gap.published ? 1 : 0);
        if (sqlite3_step(upsert) != SQLITE_DONE)
            return fail();
    }
    for (const StationGap& gap : batch.publishedGaps) {
        sqlite3_stmt* mark = Prepare(kMarkGapPublished, kMarkGapPublishedSql, error);
        if (mark == nullptr)
            return fail();
        BindText(mark, 1, batch.station);
        BindText(mark, 2, FormatUtc(gap.startUtc));
        BindText(mark, 3, FormatUtc(gap.endUtc));
        if (sqlite3_step(mark) != SQLITE_DONE)
            return fail();
    }
    for (const std::int64_t start : batch.publishedStarts) {
        sqlite3_stmt* mark = Prepare(kMarkPublished, kMarkPublishedSql, error);
        if (mark == nullptr)
            return fail();
        BindText(mark, 1, batch.station);
        BindText(mark, 2, FormatUtc(start));
        if (sqlite3_step(mark) != SQLITE_DONE)
            return fail();
    }
    if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        return fail();
    return true;
}

std::optional<StationReading> CStationDatabase::LastReading(const std::string& station, std::string* error)
{
    sqlite3_stmt* query = Prepare(kLastReading, kLastReadingSql, error);
    if (query == nullptr)
        return std::nullopt;
    BindText(query, 1, station);
    if (sqlite3_step(query) != SQLITE_ROW)
        return std::nullopt;
    StationReading reading;
    reading.tUtc = ParseUtc(Text(query, 0)).value_or(0);
    reading.meterTime = Text(query, 1);
    reading.level = sqlite3_column_double(query, 2);
    reading.unit = Text(query, 3);
    reading.response = Text(query, 4);
    reading.flags = Text(query, 5);
    sqlite3_reset(query);
    return reading;
}
