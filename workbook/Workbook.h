#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A workbook held in memory while the workbook driver works on it: sheets of
// cells, each cell a text, a number or a date. Only cell values live here;
// formatting, formulas and charts of a loaded workbook are not kept.

// The format's bounds (BIFF8): rows 1..65536, columns A..IV.
inline constexpr int kWorkbookMaxRows = 65536;
inline constexpr int kWorkbookMaxColumns = 256;
// A cell text holds at most this many characters (UTF-16 units).
inline constexpr std::size_t kWorkbookMaxTextUnits = 32767;
// A sheet name holds at most 31 characters.
inline constexpr std::size_t kWorkbookMaxSheetName = 31;

struct WorkbookCell {
    // Dates and times are numbers shown as dates (days since 1899-12-30).
    enum class Kind : std::uint8_t { Empty, Text, Number, Date, DateTime, Time };

    Kind kind = Kind::Empty;
    double number = 0.0;
    std::string text; // UTF-8, for Kind::Text

    static WorkbookCell Text(std::string value)
    {
        WorkbookCell cell;
        cell.kind = Kind::Text;
        cell.text = std::move(value);
        return cell;
    }
    static WorkbookCell Number(double value, Kind kind = Kind::Number)
    {
        WorkbookCell cell;
        cell.kind = kind;
        cell.number = value;
        return cell;
    }
    bool IsEmpty() const { return kind == Kind::Empty || (kind == Kind::Text && text.empty()); }
};

struct WorkbookSheet {
    std::string name;
    // rows[r][c] is the cell at row r + 1, column c + 1; rows and cells past the
    // last used ones are simply absent.
    std::vector<std::vector<WorkbookCell>> rows;

    // The cell at 0-based (row, column), growing the grid as needed.
    WorkbookCell& At(int row, int column);
    const WorkbookCell* Find(int row, int column) const;
    // Number of rows up to the last one holding a cell with content.
    int UsedRows() const;
    // Number of columns up to the last one holding a cell with content, over all rows.
    int UsedColumns() const;
    // Drops empty rows and cells at the ends, so UsedRows() == rows.size().
    void Trim();
};

struct Workbook {
    std::vector<WorkbookSheet> sheets;

    // Sheet names compare without regard to ASCII case, as in spreadsheet programs.
    WorkbookSheet* FindSheet(std::string_view name);
    const WorkbookSheet* FindSheet(std::string_view name) const;
};

bool SameSheetName(std::string_view a, std::string_view b);

// A cell's content as a text, as a SELECT gives it: numbers in their
// shortest form, dates as "YYYY-MM-DD", "HH:MM:SS" or both; empty for none.
std::string WorkbookCellText(const WorkbookCell* cell);

// A text fit for a sheet name: 1..31 characters, none of : \ / ? * [ ], not
// starting or ending with an apostrophe. Empty when it is fit, else the reason.
std::string SheetNameProblem(std::string_view name);
