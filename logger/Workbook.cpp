#include "Workbook.h"

#include "WorkbookText.h"

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
