#pragma once

#include <string>
#include <string_view>
#include <vector>

// The statements the workbook driver understands, parsed from their text:
//   CREATE TABLE table ([name] type, ...)
//   DROP TABLE table
//   INSERT INTO table ([name], ...) VALUES ('text', ...)
//   SELECT * FROM table
// Keywords in any case; names bare or in brackets; texts in apostrophes with
// '' standing for one; numbers and NULL also stand as values. A table is a
// sheet, written [Sheet], [Sheet$] or [Sheet$A1:IV65536] for a range of it.

struct SqlTable {
    std::string sheet;
    bool hasRange = false;
    // 0-based and inclusive; the whole sheet unless a range was given.
    int firstRow = 0;
    int firstColumn = 0;
    int lastRow = 65535;
    int lastColumn = 255;
};

struct SqlValue {
    enum class Kind { Text, Number, Null };
    Kind kind = Kind::Null;
    std::string text; // the text, or the number as written
};

struct SqlStatement {
    enum class Kind { CreateTable, DropTable, Insert, Select };
    Kind kind = Kind::Select;
    SqlTable table;
    std::vector<std::string> columns; // CREATE TABLE: the new columns; INSERT: the named ones (may be empty)
    std::vector<std::string> types;   // CREATE TABLE: each column's type as written, e.g. char(255)
    std::vector<SqlValue> values;     // INSERT
};

// Parses one statement; on failure *error says what was not understood and where.
bool ParseSqlStatement(std::string_view text, SqlStatement& statement, std::string* error);

// "A1:IV65536" into 0-based inclusive bounds; false unless both cells lie
// within A..IV and 1..65536 and the first is above and left of the second.
bool ParseCellRange(std::string_view text, SqlTable& table);
