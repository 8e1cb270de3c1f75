#pragma once

// The station database's small helpers around SQLite's statements, shared by
// its writing and its reading halves.
#include <sqlite3.h>

#include <optional>
#include <string>

namespace station_sql {

inline void BindText(sqlite3_stmt* statement, int index, const std::string& text)
{
    sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

inline void BindOptional(sqlite3_stmt* statement, int index, const std::optional<double>& value)
{
    if (value)
        sqlite3_bind_double(statement, index, *value);
    else
        sqlite3_bind_null(statement, index);
}

inline std::string Text(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text != nullptr ? std::string(text) : std::string();
}

inline std::optional<double> OptionalDouble(sqlite3_stmt* statement, int column)
{
    if (sqlite3_column_type(statement, column) == SQLITE_NULL)
        return std::nullopt;
    return sqlite3_column_double(statement, column);
}

// A statement run once, finalized however it ends.
struct Statement {
    sqlite3_stmt* handle = nullptr;
    ~Statement() { sqlite3_finalize(handle); }
};

} // namespace station_sql
