#pragma once

#include "station/StationDatabase.h"

#include <memory>
#include <string>
#include <vector>

struct pg_conn;

// Where the collector keeps what the stations send: the intervals and gaps
// of every station, one row per (station, start), written again as an upsert.
class ICollectorStore {
public:
    virtual ~ICollectorStore() = default;
    // One transaction; false with *error when nothing of it was stored.
    virtual bool Store(const std::vector<StationInterval>& intervals, const std::vector<StationGap>& gaps,
                       std::string* error) = 0;
};

// A SQLite file with the station database's schema.
class CSqliteCollectorStore final : public ICollectorStore {
public:
    bool Open(const std::string& path, std::string* error) { return m_database.Open(path, error); }
    bool Store(const std::vector<StationInterval>& intervals, const std::vector<StationGap>& gaps,
               std::string* error) override;

private:
    CStationDatabase m_database;
};

// A PostgreSQL database (libpq) with the same tables, times as the same ISO
// 8601 texts; the upserts are INSERT ... ON CONFLICT, so collectors may
// write side by side.
class CPostgresCollectorStore final : public ICollectorStore {
public:
    CPostgresCollectorStore() = default;
    ~CPostgresCollectorStore() override;
    CPostgresCollectorStore(const CPostgresCollectorStore&) = delete;
    CPostgresCollectorStore& operator=(const CPostgresCollectorStore&) = delete;

    bool Open(const std::string& conninfo, std::string* error);
    bool Store(const std::vector<StationInterval>& intervals, const std::vector<StationGap>& gaps,
               std::string* error) override;

private:
    bool Exec(const char* sql, std::string* error);
    bool StoreOnce(const std::vector<StationInterval>& intervals, const std::vector<StationGap>& gaps,
                   std::string* error);

    pg_conn* m_connection = nullptr;
};
