#include "workbook/Workbook.h"

#include "workbook/WorkbookText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// A date number back to the text a reader gave for it.
std::string DateText(const WorkbookCell& cell)
{
    // Dates run from 1900 to 9999, as in spreadsheet programs.
    const double serial = std::isfinite(cell.number) ? std::clamp(cell.number, 0.0, 2958465.99999) : 0.0;
    long days = static_cast<long>(std::floor(serial));
    long seconds = std::lround((serial - static_cast<double>(days)) * 86400.0);
    if (seconds >= 86400) {
        ++days;
        seconds -= 86400;
    }
    // Civil date of days since 1899-12-30 (day 25569 is 1970-01-01).
    const long z = days - 25569 + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const long d = doy - (153 * mp + 2) / 5 + 1;
    const long m = mp < 10 ? mp + 3 : mp - 9;
    const long y = yoe + era * 400 + (m <= 2);
    char buffer[128];
    if (cell.kind == WorkbookCell::Kind::Date)
        std::snprintf(buffer, sizeof buffer, "%04ld-%02ld-%02ld", y, m, d);
    else if (cell.kind == WorkbookCell::Kind::Time)
        std::snprintf(buffer, sizeof buffer, "%02ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    else
        std::snprintf(buffer, sizeof buffer, "%04ld-%02ld-%02ld %02ld:%02ld:%02ld", y, m, d, seconds / 3600,
                      seconds / 60 % 60, seconds % 60);
    return buffer;
}

} // namespace

std::string WorkbookCellText(const WorkbookCell* cell)
{
    if (cell == nullptr)
        return {};
    switch (cell->kind) {
    case WorkbookCell::Kind::Text:
        return cell->text;
    case WorkbookCell::Kind::Number:
        return FormatNumber(cell->number);
    case WorkbookCell::Kind::Empty:
        return {};
    default:
        return DateText(*cell);
    }
}


WorkbookCell& WorkbookSheet::At(int row, int column)
{
    if (rows.size() <= static_cast<std::size_t>(row))
        rows.resize(static_cast<std::size_t>(row) + 1);
    std::vector<WorkbookCell>& cells = rows[static_cast<std::size_t>(row)];
    if (cells.size() <= static_cast<std::size_t>(column))
        cells.resize(static_cast<std::size_t>(column) + 1);
    return cells[static_cast<std::size_t>(column)];
}

const WorkbookCell* WorkbookSheet::Find(int row, int column) const
{
    if (row < 0 || column < 0 || static_cast<std::size_t>(row) >= rows.size())
        return nullptr;
    const std::vector<WorkbookCell>& cells = rows[static_cast<std::size_t>(row)];
    if (static_cast<std::size_t>(column) >= cells.size())
        return nullptr;
    return &cells[static_cast<std::size_t>(column)];
}

int WorkbookSheet::UsedRows() const
{
    for (std::size_t r = rows.size(); r > 0; --r)
        for (const WorkbookCell& cell : rows[r - 1])
            if (!cell.IsEmpty())
                return static_cast<int>(r);
    return 0;
}

int WorkbookSheet::UsedColumns() const
{
    std::size_t used = 0;
    for (const std::vector<WorkbookCell>& cells : rows)
        for (std::size_t c = cells.size(); c > used; --c)
            if (!cells[c - 1].IsEmpty()) {
                used = c;
                break;
            }
    return static_cast<int>(used);
}

void WorkbookSheet::Trim()
{
    for (std::vector<WorkbookCell>& cells : rows)
        while (!cells.empty() && cells.back().IsEmpty())
            cells.pop_back();
    while (!rows.empty() && rows.back().empty())
        rows.pop_back();
}

bool SameSheetName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

WorkbookSheet* Workbook::FindSheet(std::string_view name)
{
    for (WorkbookSheet& sheet : sheets)
        if (SameSheetName(sheet.name, name))
            return &sheet;
    return nullptr;
}

const WorkbookSheet* Workbook::FindSheet(std::string_view name) const
{
    for (const WorkbookSheet& sheet : sheets)
        if (SameSheetName(sheet.name, name))
            return &sheet;
    return nullptr;
}

std::string SheetNameProblem(std::string_view name)
{
    if (name.empty())
        return "a sheet name cannot be empty";
    if (Utf16Length(name) > kWorkbookMaxSheetName)
        return "a sheet name holds at most 31 characters";
    if (name.find_first_of(":\\/?*[]") != std::string_view::npos)
        return "a sheet name cannot hold any of : \\ / ? * [ ]";
    if (name.front() == '\'' || name.back() == '\'')
        return "a sheet name cannot begin or end with an apostrophe";
    return {};
}
