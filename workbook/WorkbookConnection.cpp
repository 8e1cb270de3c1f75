#include "workbook/WorkbookDriver.h"

#include "common/TempFile.h"
#include "workbook/BiffWorkbookWriter.h"
#include "workbook/CompoundFile.h"
#include "workbook/WorkbookEditor.h"
#include "workbook/WorkbookText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

std::string Quoted(const std::string& name)
{
    return "\"" + name + "\"";
}

// The names of the table's header row, from its first column to the last
// one used within the table.
std::vector<std::string> HeaderOf(const WorkbookSheet& sheet, const SqlTable& table)
{
    std::vector<std::string> names;
    if (static_cast<std::size_t>(table.firstRow) >= sheet.rows.size())
        return names;
    const std::size_t cells = sheet.rows[static_cast<std::size_t>(table.firstRow)].size();
    const int last = std::min(table.lastColumn, static_cast<int>(cells) - 1);
    for (int c = table.firstColumn; c <= last; ++c)
        names.push_back(WorkbookCellText(sheet.Find(table.firstRow, c)));
    while (!names.empty() && names.back().empty())
        names.pop_back();
    return names;
}

} // namespace

CWorkbookConnection::CWorkbookConnection(CWorkbookDriver& driver, std::string path, bool readOnly,
                                         bool firstRowHasNames)
    : m_driver(driver)
    , m_path(std::move(path))
    , m_readOnly(readOnly)
    , m_firstRowHasNames(firstRowHasNames)
{
}

CWorkbookConnection::~CWorkbookConnection() = default;

bool CWorkbookConnection::Fail(const std::string& text)
{
    m_error = text;
    m_failed = true;
    return false;
}

bool CWorkbookConnection::Execute(const std::string& sql)
{
    m_driver.Received(sql);
    if (!m_open)
        return Fail("The connection is closed.");
    if (m_driver.Cancelled())
        return Fail(CWorkbookDriver::kCancelledText);
    SqlStatement statement;
    std::string problem;
    if (!ParseSqlStatement(sql, statement, &problem))
        return Fail("The workbook driver does not understand the statement: " + problem + ".");
    if (statement.kind == SqlStatement::Kind::Select)
        return Fail("A SELECT statement gives rows and is not executed alone.");
    if (m_readOnly)
        return Fail("The workbook \"" + m_path + "\" is open read-only.");
    switch (statement.kind) {
    case SqlStatement::Kind::CreateTable:
        return Create(statement);
    case SqlStatement::Kind::DropTable:
        return Drop(statement);
    default:
        return Insert(statement);
    }
}

bool CWorkbookConnection::Query(const std::string& sql, WorkbookResult& result)
{
    m_driver.Received(sql);
    if (!m_open)
        return Fail("The connection is closed.");
    SqlStatement statement;
    std::string problem;
    if (!ParseSqlStatement(sql, statement, &problem))
        return Fail("The workbook driver does not understand the statement: " + problem + ".");
    if (statement.kind != SqlStatement::Kind::Select)
        return Fail("Only a SELECT statement gives rows.");
    return Select(statement, result);
}

WorkbookSheet* CWorkbookConnection::SheetOf(const SqlTable& table)
{
    WorkbookSheet* sheet = m_workbook.FindSheet(table.sheet);
    if (sheet == nullptr)
        Fail("The workbook has no sheet " + Quoted(table.sheet) + ".");
    return sheet;
}

bool CWorkbookConnection::Create(const SqlStatement& statement)
{
    m_written.insert(statement.table.sheet);
    m_header = {};
    const SqlTable& table = statement.table;
    const std::string problem = SheetNameProblem(table.sheet);
    if (!problem.empty())
        return Fail("The sheet name " + Quoted(table.sheet) + " cannot be used: " + problem + ".");
    const std::size_t width = static_cast<std::size_t>(table.lastColumn - table.firstColumn + 1);
    if (statement.columns.size() > width)
        return Fail("A sheet holds at most " + std::to_string(width) + " columns here; the table has " +
                    std::to_string(statement.columns.size()) + ".");
    for (std::size_t i = 0; i < statement.columns.size(); ++i) {
        const std::string& name = statement.columns[i];
        if (name.empty() || Utf16Length(name) > 255)
            return Fail("A column name must hold 1 to 255 characters.");
        for (std::size_t j = 0; j < i; ++j)
            if (SameSheetName(statement.columns[j], name))
                return Fail("The column name " + Quoted(name) + " appears twice.");
    }

    WorkbookSheet* sheet = m_workbook.FindSheet(table.sheet);
    if (table.hasRange) {
        if (sheet == nullptr)
            return SheetOf(table) != nullptr;
        for (int c = table.firstColumn; c <= table.lastColumn; ++c)
            if (const WorkbookCell* cell = sheet->Find(table.firstRow, c); cell && !cell->IsEmpty())
                return Fail("The range " + Quoted(table.sheet) + " already holds a table.");
    } else if (sheet != nullptr) {
        if (sheet->UsedRows() > 0)
            return Fail("The sheet " + Quoted(table.sheet) + " already exists.");
    } else {
        m_workbook.sheets.push_back(WorkbookSheet{table.sheet, {}});
        sheet = &m_workbook.sheets.back();
    }
    for (std::size_t i = 0; i < statement.columns.size(); ++i)
        sheet->At(table.firstRow, table.firstColumn + static_cast<int>(i)) = WorkbookCell::Text(statement.columns[i]);
    m_changed = true;
    return true;
}

bool CWorkbookConnection::Drop(const SqlStatement& statement)
{
    m_written.insert(statement.table.sheet);
    m_header = {};
    WorkbookSheet* sheet = SheetOf(statement.table);
    if (sheet == nullptr)
        return false;
    // The sheet stays, emptied where the table lay, as a spreadsheet driver
    // leaves a worksheet.
    const SqlTable& table = statement.table;
    const int lastRow = std::min(table.lastRow, static_cast<int>(sheet->rows.size()) - 1);
    for (int r = table.firstRow; r <= lastRow; ++r) {
        std::vector<WorkbookCell>& cells = sheet->rows[static_cast<std::size_t>(r)];
        const int lastColumn = std::min(table.lastColumn, static_cast<int>(cells.size()) - 1);
        for (int c = table.firstColumn; c <= lastColumn; ++c)
            cells[static_cast<std::size_t>(c)] = WorkbookCell();
    }
    sheet->Trim();
    m_changed = true;
    return true;
}

bool CWorkbookConnection::Insert(const SqlStatement& statement)
{
    m_written.insert(statement.table.sheet);
    WorkbookSheet* sheet = SheetOf(statement.table);
    if (sheet == nullptr)
        return false;
    const SqlTable& table = statement.table;
    // The header row changes only through CREATE and DROP, so consecutive
    // INSERTs into one table look it up once.
    if (m_header.sheet != sheet || m_header.firstRow != table.firstRow || m_header.firstColumn != table.firstColumn ||
        m_header.lastColumn != table.lastColumn) {
        m_header = {sheet, table.firstRow, table.firstColumn, table.lastColumn, HeaderOf(*sheet, table)};
    }
    const std::vector<std::string>& header = m_header.names;
    if (header.empty())
        return Fail("The sheet " + Quoted(table.sheet) + " has no header row to insert under.");
    const std::vector<std::string>& named = statement.columns.empty() ? header : statement.columns;
    if (named.size() != statement.values.size())
        return Fail(std::to_string(statement.values.size()) + " values were given for " +
                    std::to_string(named.size()) + " columns.");

    std::vector<int> targets;
    targets.reserve(named.size());
    for (const std::string& name : named) {
        int found = -1;
        for (std::size_t c = 0; c < header.size() && found < 0; ++c)
            if (SameSheetName(header[c], name))
                found = table.firstColumn + static_cast<int>(c);
        if (found < 0)
            return Fail("The sheet " + Quoted(table.sheet) + " has no column " + Quoted(name) + ".");
        targets.push_back(found);
    }

    // The new row goes below the last row in use.
    const int row = std::max(static_cast<int>(sheet->rows.size()), table.firstRow + 1);
    if (row >= kWorkbookMaxRows)
        return Fail("The sheet " + Quoted(table.sheet) + " is full: a sheet holds at most 65536 rows.");
    std::vector<WorkbookCell> cells(statement.values.size());
    for (std::size_t i = 0; i < statement.values.size(); ++i) {
        const SqlValue& value = statement.values[i];
        if (value.kind == SqlValue::Kind::Text) {
            if (Utf16Length(value.text) > kWorkbookMaxTextUnits)
                return Fail("A cell holds at most 32767 characters.");
            cells[i] = WorkbookCell::Text(value.text);
        } else if (value.kind == SqlValue::Kind::Number) {
            double number = 0.0;
            const auto [end, ec] = std::from_chars(value.text.data(), value.text.data() + value.text.size(), number);
            if (ec != std::errc() || end != value.text.data() + value.text.size() || !std::isfinite(number))
                return Fail("The number " + value.text + " cannot be stored.");
            cells[i] = WorkbookCell::Number(number);
        }
    }
    // Room for the whole row at once, then the cells.
    if (!targets.empty())
        sheet->At(row, *std::max_element(targets.begin(), targets.end()));
    std::vector<WorkbookCell>& line = sheet->rows[static_cast<std::size_t>(row)];
    for (std::size_t i = 0; i < cells.size(); ++i)
        line[static_cast<std::size_t>(targets[i])] = std::move(cells[i]);
    m_changed = true;
    return true;
}

bool CWorkbookConnection::Select(const SqlStatement& statement, WorkbookResult& result)
{
    const WorkbookSheet* sheet = SheetOf(statement.table);
    if (sheet == nullptr)
        return false;
    const SqlTable& table = statement.table;
    const int lastRow = std::min(table.lastRow, sheet->UsedRows() - 1);
    const int lastColumn = std::min(table.lastColumn, sheet->UsedColumns() - 1);
    WorkbookResult answer;
    if (lastColumn >= table.firstColumn && lastRow >= table.firstRow) {
        const int width = lastColumn - table.firstColumn + 1;
        for (int c = 0; c < width; ++c) {
            std::string name = m_firstRowHasNames ? WorkbookCellText(sheet->Find(table.firstRow, table.firstColumn + c))
                                                  : std::string();
            answer.columns.push_back(name.empty() ? "F" + std::to_string(c + 1) : std::move(name));
        }
        for (int r = table.firstRow + (m_firstRowHasNames ? 1 : 0); r <= lastRow; ++r) {
            std::vector<std::string> fields;
            fields.reserve(static_cast<std::size_t>(width));
            for (int c = 0; c < width; ++c)
                fields.push_back(WorkbookCellText(sheet->Find(r, table.firstColumn + c)));
            answer.rows.push_back(std::move(fields));
        }
    }
    result = std::move(answer);
    return true;
}

bool CWorkbookConnection::Close()
{
    if (!m_open)
        return true;
    m_open = false;
    // A failed statement leaves the workbook as it was on disk.
    if (!m_changed || m_failed)
        return true;
    if (m_driver.Cancelled()) {
        m_error = CWorkbookDriver::kCancelledText;
        return false;
    }
    if (m_loaded) {
        std::string bytes;
        std::string problem;
        if (!EditWorkbookFile(m_fileBytes, m_original, m_workbook, m_written, bytes, &problem)) {
            m_error = "The workbook \"" + m_path + "\" cannot be changed without losing what it holds: " + problem +
                      ". It was left as it was.";
            return false;
        }
        const std::string reason = ReplaceFileAtomically(m_path, {bytes});
        if (!reason.empty()) {
            m_error = "The workbook \"" + m_path + "\" cannot be written: " + reason + ".";
            return false;
        }
        return true;
    }
    const std::vector<std::string> stream = BuildBiffWorkbookStream(m_workbook);
    std::size_t size = 0;
    for (const std::string& piece : stream)
        size += piece.size();
    const CCompoundFileLayout layout("Workbook", size);
    std::vector<std::string_view> pieces{layout.Head()};
    pieces.insert(pieces.end(), stream.begin(), stream.end());
    pieces.push_back(layout.Tail());
    const std::string reason = ReplaceFileAtomically(m_path, pieces);
    if (!reason.empty()) {
        m_error = "The workbook \"" + m_path + "\" cannot be written: " + reason + ".";
        return false;
    }
    return true;
}
