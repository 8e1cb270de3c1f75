// CSheetFile's rules in both modes: the refusals and their texts, where rows
// land, how stored rows split, the text file it writes, and the statements a
// commit sends to the driver in their order.
#include "logger/CSheetFile.h"
#include "tests/support/TempDir.h"
#include "tests/support/XlsTool.h"
#include "workbook/WorkbookDriver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

using Fields = std::vector<std::string>;
const Fields kHeaders{"Date", "Time", "Value", "Unit"};

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SheetFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_temp.IsValid()); }

    CTempDir m_temp{"vx_sheetfile"};
    CWorkbookDriver m_driver;
};

TEST_F(SheetFileTest, WorkbookModeFromTheLastFourCharactersInAnyCase)
{
    const struct {
        const char* name;
        bool workbook;
    } cases[] = {{"a.xls", true}, {"a.XLS", true}, {"a.Xls", true}, {"a.xlsx", false}, {"a.csv", false},
                 {"xls", false}, {".xls", true}, {"a.xls.txt", false}};
    for (const auto& c : cases) {
        CSheetFile sheet(m_temp.File(c.name), c.workbook ? "Sheet" : ",", false, &m_driver);
        EXPECT_EQ(sheet.WorkbookMode(), c.workbook) << c.name;
        EXPECT_EQ(CSheetFileIsWorkbook(c.name), c.workbook) << c.name;
    }
    // The connection string names the one installed driver, whose name holds "Excel".
    const std::string path = m_temp.File("run.xls");
    CSheetFile sheet(path, "Sheet", false, &m_driver);
    EXPECT_NE(sheet.DriverName().find("Excel"), std::string::npos);
    EXPECT_EQ(sheet.ConnectionString(), "DRIVER={" + sheet.DriverName() +
                                            "};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;CREATE_DB=\"" + path +
                                            "\";DBQ=" + path);
}

TEST_F(SheetFileTest, AddRowRefusesWhatASheetCannotHoldWithItsText)
{
    CSheetFile sheet(m_temp.File("rules.xls"), "Sheet", false, &m_driver);
    sheet.BeginTransaction();
    const struct {
        Fields fields;
        int row;
        const char* error;
    } refusals[] = {
        {{"A", "B"}, 2, "No header row. Add header row first\n"},
        {{"Date", "Time", "Date"}, 1, "Duplicate header row field:Date\n"},
        {{"x"}, -1, "Row numbers start at 1\n"},
        {{"x"}, 65537, "A sheet holds at most 65536 rows\n"},
    };
    for (const auto& r : refusals) {
        EXPECT_FALSE(sheet.AddRow(r.fields, r.row, false)) << r.error;
        EXPECT_EQ(sheet.LastError(), r.error);
    }
    ASSERT_TRUE(sheet.AddHeaders(kHeaders, false));
    EXPECT_FALSE(sheet.AddRow({"a", "b", "c", "d", "e"}, 0, false));
    EXPECT_EQ(sheet.LastError(), "Number of columns to be added cannot be greater than the number of fields\n");
    EXPECT_FALSE(sheet.AddRow({"Date", "Time"}, 1, true));
    EXPECT_EQ(sheet.LastError(),
              "Number of columns in new header row cannot be less than the number of columns in previous header row");
    Fields wide;
    for (int i = 0; i < 257; ++i)
        wide.push_back("c" + std::to_string(i));
    EXPECT_FALSE(sheet.AddRow(wide, 1, true));
    EXPECT_EQ(sheet.LastError(), "A sheet holds at most 256 columns\n");
    // Nothing refused was stored.
    EXPECT_EQ(sheet.TotalRows(), 1);
    EXPECT_EQ(sheet.Columns(), 4);
}

TEST_F(SheetFileTest, RowsLandWhereAskedAndSplitBackIntoTheirFields)
{
    CSheetFile sheet(m_temp.File("rows.csv"), ";", false);
    sheet.BeginTransaction();
    ASSERT_TRUE(sheet.AddHeaders({"A", "B"}, false));
    ASSERT_TRUE(sheet.AddRow({"1", "x"}, 0, false));  // appended: row 2
    ASSERT_TRUE(sheet.AddRow({"0", "y"}, 2, false));  // inserted before row 2
    ASSERT_TRUE(sheet.AddRow({"9", "z"}, 3, true));   // replaces row 3
    ASSERT_TRUE(sheet.AddRow({"5", "w"}, 6, false));  // past the end: filler rows 4 and 5
    ASSERT_EQ(sheet.TotalRows(), 6);
    const Fields expected[] = {{"A", "B"}, {"0", "y"}, {"9", "z"}, {"", ""}, {"", ""}, {"5", "w"}};
    Fields fields;
    for (int row = 1; row <= 6; ++row) {
        ASSERT_TRUE(sheet.ReadRow(fields, row));
        EXPECT_EQ(fields, expected[row - 1]) << row;
    }
    EXPECT_FALSE(sheet.ReadRow(fields, 7));
    EXPECT_EQ(sheet.LastError(), "Desired row is greater than total number of rows in spreadsheet\n");
    // Sequential reading goes on from the row last read, and stops at the end.
    ASSERT_TRUE(sheet.ReadRow(fields, 5));
    ASSERT_TRUE(sheet.ReadRow(fields, 0));
    EXPECT_EQ(fields, expected[5]);
    EXPECT_FALSE(sheet.ReadRow(fields, 0));
}

TEST_F(SheetFileTest, SequentialReadingAfterAnAppendPastTheEndOfAnEmptySheetStartsAtRowOne)
{
    // Appending past the end leaves the current row at the old total, 0 here.
    CSheetFile sheet(m_temp.File("empty.csv"), ",", false);
    sheet.BeginTransaction();
    ASSERT_TRUE(sheet.AddRow({"a"}, 3, false));
    Fields fields;
    ASSERT_TRUE(sheet.ReadRow(fields, 0));
    EXPECT_EQ(fields, Fields{""});
}

TEST_F(SheetFileTest, StoredRowsSplitByTheirSeparatorRules)
{
    const struct {
        const char* separator;
        const char* row;
        Fields fields;
    } cases[] = {
        {",", "\"a\",\"b\",\"c\"", {"a", "b", "c"}},
        {",", "a,b", {"a", "b"}},              // RFC 4180: quotes are optional
        {",", "\"a\",b", {"a", "b"}},
        {",", "\"say \"\"hi\"\", you\",2", {"say \"hi\", you", "2"}},
        {",", "\"single\"", {"single"}},
        {",", "\"", {""}},                    // a quote never closed ends with the line
        {",", "", {""}},
        {",", "a,", {"a", ""}},
        {"Sheet", "\"x\"Sheet\"\"Sheet\"z\"", {"x", "", "z"}},
        {"", "\"a\"\"b\"", {"a\"b"}},         // no separator: one field
        {"", "ab", {"ab"}},
    };
    for (const auto& c : cases) {
        const std::string path = m_temp.File("split.txt");
        std::ofstream(path, std::ios::binary) << c.row << "\r\n";
        CSheetFile sheet(path, c.separator, false);
        Fields fields;
        ASSERT_TRUE(sheet.ReadRow(fields, 1)) << c.row;
        EXPECT_EQ(fields, c.fields) << "separator '" << c.separator << "' row " << c.row;
    }
}

TEST_F(SheetFileTest, TextModeWritesQuotedFieldsJoinedByTheSeparatorWithCrLfAndKeepsABackup)
{
    const std::string path = m_temp.File("export.csv");
    {
        CSheetFile sheet(path, "Sheet", true);
        sheet.BeginTransaction();
        ASSERT_TRUE(sheet.AddHeaders(kHeaders, false));
        ASSERT_TRUE(sheet.AddRow({"7-3-2007", "9:05:00", "65.3", "dBA"}, 0, false));
        ASSERT_TRUE(sheet.Commit());
    }
    const std::string first = "\"Date\"Sheet\"Time\"Sheet\"Value\"Sheet\"Unit\"\r\n"
                              "\"7-3-2007\"Sheet\"9:05:00\"Sheet\"65.3\"Sheet\"dBA\"\r\n";
    EXPECT_EQ(Slurp(path), first);
    EXPECT_FALSE(std::filesystem::exists(path + ".bak"));

    // Opened again, the old rows are read back and copied to "<name>.bak".
    CSheetFile again(path, "Sheet", true);
    EXPECT_TRUE(again.SheetExists());
    EXPECT_TRUE(again.Backup());
    EXPECT_EQ(again.TotalRows(), 2);
    EXPECT_EQ(again.Columns(), 4);
    EXPECT_EQ(Slurp(path + ".bak"), first);

    // A file that cannot be written is reported with the system's reason.
    CSheetFile nowhere(m_temp.File("no/such/folder/x.csv"), ",", false);
    EXPECT_FALSE(nowhere.AddRow({"a"}, 0, false));
    EXPECT_EQ(nowhere.LastError(), "Error writing file\n");
    EXPECT_NE(nowhere.LastErrorReason().find("No such file or directory"), std::string::npos);
}

TEST_F(SheetFileTest, ASecondCommitOfAWorkbookBacksUpTheOldSheetThenRewritesItInTheOrderOfTheStatements)
{
    const std::string path = m_temp.File("twice.xls");
    const auto exportRows = [&](const std::vector<Fields>& rows) {
        CSheetFile sheet(path, "Sheet", true, &m_driver);
        sheet.BeginTransaction();
        sheet.AddHeaders(kHeaders, false);
        for (const Fields& row : rows)
            EXPECT_TRUE(sheet.AddRow(row, 0, false)) << sheet.LastError();
        EXPECT_TRUE(sheet.Commit()) << sheet.LastError();
    };
    m_driver.SetLogging(true);
    exportRows({{"7-3-2007", "9:05:00", "65.3", "dBA"}});
    const std::string header = "([Date] char(255), [Time] char(255), [Value] char(255), [Unit] char(255))";
    const std::string columns = "([Date], [Time], [Value], [Unit])";
    EXPECT_EQ(m_driver.StatementLog(),
              (Fields{"SELECT * FROM [Sheet$A1:IV65536]", "CREATE TABLE [Sheet] " + header,
                      "INSERT INTO [Sheet$A1:IV1] " + columns + " VALUES ('7-3-2007', '9:05:00', '65.3', 'dBA')"}));

    m_driver.ClearLog();
    exportRows({{"7-3-2007", "9:06:00", "70.0", "dBC"}});
    EXPECT_EQ(m_driver.StatementLog(),
              (Fields{"SELECT * FROM [Sheet$A1:IV65536]", "CREATE TABLE [CSpreadSheetBackup] " + header,
                      "INSERT INTO [CSpreadSheetBackup$A1:IV1] " + columns +
                          " VALUES ('7-3-2007', '9:05:00', '65.3', 'dBA')",
                      "DROP TABLE [Sheet$A1:IV65536]", "CREATE TABLE [Sheet$A1:IV65536] " + header,
                      "INSERT INTO [Sheet$A1:IV1] " + columns + " VALUES ('7-3-2007', '9:05:00', '65.3', 'dBA')",
                      "INSERT INTO [Sheet$A1:IV2] " + columns + " VALUES ('7-3-2007', '9:06:00', '70.0', 'dBC')"}));

    const XlsReadBack book = ReadXlsWithXlrd(path);
    ASSERT_TRUE(book.ok) << book.error;
    EXPECT_EQ(book.SheetNames(), (Fields{"Sheet", "CSpreadSheetBackup"}));
    EXPECT_EQ(book.Sheet("Sheet")->rows, (std::vector<Fields>{kHeaders,
                                                              {"7-3-2007", "9:05:00", "65.3", "dBA"},
                                                              {"7-3-2007", "9:06:00", "70.0", "dBC"}}));
    EXPECT_EQ(book.Sheet("CSpreadSheetBackup")->rows,
              (std::vector<Fields>{kHeaders, {"7-3-2007", "9:05:00", "65.3", "dBA"}}));
}

TEST_F(SheetFileTest, ApostrophesAndOtherCharactersInFieldsReachTheWorkbookUnchanged)
{
    // A field's apostrophe is doubled in the statement, so it cannot end
    // the text early; non-ASCII texts survive the trip.
    const std::string path = m_temp.File("quotes.xls");
    const Fields row{"7-3-2007", "O'Brien's', 'x", "Straße 65,3 °", "dB\xE2\x82\xAC"};
    CSheetFile sheet(path, "Sheet", false, &m_driver);
    sheet.BeginTransaction();
    ASSERT_TRUE(sheet.AddHeaders(kHeaders, false));
    ASSERT_TRUE(sheet.AddRow(row, 0, false));
    ASSERT_TRUE(sheet.Commit()) << sheet.LastError();
    const XlsReadBack book = ReadXlsWithXlrd(path);
    ASSERT_TRUE(book.ok) << book.error;
    EXPECT_EQ(book.Sheet("Sheet")->rows.at(1), row);
}

} // namespace
