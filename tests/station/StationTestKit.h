#pragma once

// What the station tests share: the companion run as a long-running child,
// waiting for conditions, and the database read back by plain SQL.
#include "tests/support/ChildProcess.h"
#include "tests/support/WaitUntil.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

inline std::unique_ptr<CChildProcess> StartCli(const std::vector<std::string>& arguments,
                                               const std::vector<std::string>& environment = {})
{
    const char* cli = std::getenv("VEXALOG_CLI");
    return std::make_unique<CChildProcess>(cli != nullptr ? cli : "", arguments, environment, true);
}

// Everything the program printed, once it has closed its output (after it
// ended: the lines are read on a thread of their own and may still come).
inline std::string FinalOutput(CChildProcess& process)
{
    process.WaitForLineWith("\x1f no line holds this \x1f", 20000);
    return process.Output();
}

// Every row of a query as texts joined by '|' (NULL as empty), read with
// SQLite's own API, apart from the code under test. Empty on any failure.
inline std::vector<std::string> SqlRows(const std::string& path, const std::string& sql)
{
    std::vector<std::string> rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return rows;
    }
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            std::string row;
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                if (i > 0)
                    row += '|';
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
                row += text != nullptr ? text : "";
            }
            rows.push_back(row);
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

inline long SqlCount(const std::string& path, const std::string& sql)
{
    const auto rows = SqlRows(path, sql);
    return rows.empty() ? -1 : std::atol(rows.front().c_str());
}
