// The workbook driver's statements as any text may hold them: each line is
// parsed, and run on a new workbook held in memory (nothing is written: the
// connection is abandoned). What parses stays within the sheet's bounds.
#include "workbook/SqlStatement.h"
#include "workbook/WorkbookDriver.h"

#include <cstdlib>
#include <string>
#include <string_view>

#include <unistd.h>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckTable(const SqlTable& t)
{
    Require(t.firstRow >= 0 && t.firstRow <= t.lastRow && t.lastRow < kWorkbookMaxRows);
    Require(t.firstColumn >= 0 && t.firstColumn <= t.lastColumn && t.lastColumn < kWorkbookMaxColumns);
}

const std::string& WorkbookPath()
{
    static const std::string path = "/tmp/vexalog-fuzz-sql." + std::to_string(getpid()) + ".xls";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CWorkbookDriver driver;
    std::string error;
    ::unlink(WorkbookPath().c_str());
    std::unique_ptr<CWorkbookConnection> connection = driver.Connect(
        std::string("DRIVER={") + CWorkbookDriver::kName + "};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;CREATE_DB=\"" +
            WorkbookPath() + "\";DBQ=" + WorkbookPath(),
        &error);
    Require(connection != nullptr);

    std::size_t from = 0;
    while (from <= text.size()) {
        std::size_t to = text.find('\n', from);
        if (to == std::string_view::npos)
            to = text.size();
        const std::string line(text.substr(from, to - from));
        from = to + 1;

        SqlStatement statement;
        std::string problem;
        if (ParseSqlStatement(line, statement, &problem)) {
            CheckTable(statement.table);
            if (statement.kind == SqlStatement::Kind::CreateTable)
                Require(statement.types.size() == statement.columns.size());
            WorkbookResult result;
            if (statement.kind == SqlStatement::Kind::Select) {
                if (connection->Query(line, result)) {
                    for (const auto& row : result.rows)
                        Require(row.size() <= result.columns.size());
                }
            } else {
                (void)connection->Execute(line);
            }
        } else {
            Require(!problem.empty());
            Require(!connection->Execute(line));
        }
        SqlTable range;
        if (ParseCellRange(line, range))
            CheckTable(range);
    }
    connection->Abandon();
    return 0;
}
