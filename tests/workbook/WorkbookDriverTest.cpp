// The workbook driver as an untrusted-input boundary: statements and files it
// refuses leave the workbook on disk as it was; the format's bounds are
// kept; what it writes reads back in xlrd and in FreeXL, small files (mini
// stream) and large ones (long shared strings, DIFAT sectors) alike.
#include "tests/support/TempDir.h"
#include "tests/support/XlsTool.h"
#include "workbook/BiffWorkbookWriter.h"
#include "workbook/CompoundFile.h"
#include "workbook/WorkbookDriver.h"
#include "workbook/WorkbookReader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Spit(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ConnectionTo(const std::string& path, bool create = true)
{
    return std::string("DRIVER={") + CWorkbookDriver::kName + "};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;" +
           (create ? "CREATE_DB=\"" + path + "\";" : "") + "DBQ=" + path;
}

const char* const kCreate = "CREATE TABLE [Sheet] ([Date] char(255), [Time] char(255), [Value] char(255))";
const char* const kInsert = "INSERT INTO [Sheet$A1:IV1] ([Date], [Time], [Value]) VALUES ('7-3-2007', '9:05:00', '65.3')";

class WorkbookDriverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.IsValid());
        m_path = m_temp.File("book.xls");
    }

    // A workbook with the sheet "Sheet": a header row and one row.
    void MakeWorkbook()
    {
        std::string error;
        auto connection = m_driver.Connect(ConnectionTo(m_path), &error);
        ASSERT_TRUE(connection) << error;
        ASSERT_TRUE(connection->Execute(kCreate)) << connection->Error();
        ASSERT_TRUE(connection->Execute(kInsert)) << connection->Error();
        ASSERT_TRUE(connection->Close()) << connection->Error();
    }

    CTempDir m_temp{"vx_driver"};
    std::string m_path;
    CWorkbookDriver m_driver;
};

TEST_F(WorkbookDriverTest, RefusedStatementsSayWhyAndLeaveTheWorkbookAsItWas)
{
    ASSERT_NO_FATAL_FAILURE(MakeWorkbook());
    const std::string before = Slurp(m_path);
    std::string wide = "CREATE TABLE [Wide] (";
    for (int i = 0; i < 257; ++i)
        wide += "[c" + std::to_string(i) + "] char(255)" + (i < 256 ? ", " : ")");
    const struct {
        std::string sql;
        const char* error;
    } cases[] = {
        {"DELETE FROM [Sheet$]", "expected CREATE TABLE, DROP TABLE, INSERT INTO or SELECT at character 1"},
        {"INSERT INTO [Sheet$] ([Date]) VALUES ('open", "a text in apostrophes is not closed"},
        {"INSERT INTO [Sheet$A1:IV1", "a name in brackets is not closed"},
        {"INSERT INTO [Nope$A1:IV1] ([Date]) VALUES ('x')", "The workbook has no sheet \"Nope\"."},
        {"INSERT INTO [Sheet$A1:IV1] ([Nope]) VALUES ('x')", "has no column \"Nope\""},
        {"INSERT INTO [Sheet$A1:IV1] ([Date], [Time]) VALUES ('x')", "1 values were given for 2 columns."},
        {"INSERT INTO [Sheet$] VALUES ('a', 'b', 'c') ; DROP TABLE [Sheet$]", "unexpected text after the statement"},
        {"INSERT INTO [Sheet$] VALUES ('a', 'b', 1e999)", "The number 1e999 cannot be stored."},
        {"CREATE TABLE [Sheet] ([A] char(255))", "The sheet \"Sheet\" already exists."},
        {"CREATE TABLE [Bad:Name] ([A] char(255))", "cannot hold any of"},
        {"CREATE TABLE [Twice] ([A] char(255), [a] char(255))", "appears twice"},
        {wide, "at most 256 columns"},
        {"DROP TABLE [Sheet$A1:IW65536]", "is not a range of a sheet"},
        {"DROP TABLE [Sheet$A0:IV1]", "is not a range of a sheet"},
        {"SELECT [Date] FROM [Sheet$]", "only SELECT * is understood"},
        {std::string("SELECT * FROM [Sheet$]\0", 23), "unexpected character"},
    };
    for (const auto& c : cases) {
        std::string error;
        auto connection = m_driver.Connect(ConnectionTo(m_path), &error);
        ASSERT_TRUE(connection) << error;
        // A good statement first: it must not be written either.
        ASSERT_TRUE(connection->Execute(kInsert));
        EXPECT_FALSE(connection->Execute(c.sql)) << c.sql;
        EXPECT_NE(connection->Error().find(c.error), std::string::npos) << c.sql << "\n" << connection->Error();
        EXPECT_TRUE(connection->Close());
        EXPECT_EQ(Slurp(m_path), before) << c.sql;
    }
}

TEST_F(WorkbookDriverTest, ASheetTakesNoRowPastTheFormatsLast)
{
    std::string error;
    auto connection = m_driver.Connect(ConnectionTo(m_path), &error);
    ASSERT_TRUE(connection) << error;
    ASSERT_TRUE(connection->Execute(kCreate));
    for (int row = 2; row <= 65536; ++row)
        ASSERT_TRUE(connection->Execute(kInsert)) << row << connection->Error();
    EXPECT_FALSE(connection->Execute(kInsert));
    EXPECT_EQ(connection->Error(), "The sheet \"Sheet\" is full: a sheet holds at most 65536 rows.");
    EXPECT_TRUE(connection->Close());
    EXPECT_FALSE(std::ifstream(m_path).good()); // nothing half done was written
}

TEST_F(WorkbookDriverTest, FilesThatAreNotWorkbooksAreRefusedAndLeftAlone)
{
    ASSERT_NO_FATAL_FAILURE(MakeWorkbook());
    const std::string good = Slurp(m_path);
    // A workbook whose sheet claims more rows than the format has: refused
    // before any room is set aside for it.
    std::string huge = good;
    const std::size_t dimensions = huge.find(std::string("\x00\x02\x0E\x00", 4));
    ASSERT_NE(dimensions, std::string::npos);
    huge.replace(dimensions + 8, 4, std::string("\xFF\xFF\xFF\x7F", 4));
    // A directory entry whose name claims 47000 bytes: FreeXL reads past its
    // own buffer on it, which the child process that reads keeps away from
    // the program.
    std::string longName = good;
    const std::size_t root = longName.find(std::string("R\0o\0o\0t\0", 8));
    ASSERT_NE(root, std::string::npos);
    longName[root + 65] = '\xB8';
    const struct {
        const char* name;
        std::string bytes;
        const char* error;
    } cases[] = {
        {"longname.xls", longName, "cannot be read"},
        {"text.xls", "ORVANTIS LX47 DATA LOGGER SamplingRate:1.0;\r\r\n", "it is not an .xls workbook"},
        {"empty.xls", "", "cannot be read"},
        {"signature.xls", good.substr(0, 8) + std::string(2000, '\xFF'), "cannot be read"},
        {"truncated.xls", good.substr(0, good.size() / 2), "cannot be read"},
        {"huge.xls", huge, "cannot be read"},
    };
    for (const auto& c : cases) {
        const std::string path = m_temp.File(c.name);
        Spit(path, c.bytes);
        std::string error;
        EXPECT_FALSE(m_driver.Connect(ConnectionTo(path), &error)) << c.name;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(Slurp(path), c.bytes) << c.name;
    }
    std::string error;
    EXPECT_FALSE(m_driver.Connect(ConnectionTo(m_temp.File("missing.xls"), false), &error));
    EXPECT_NE(error.find("does not exist"), std::string::npos) << error;
    EXPECT_FALSE(m_driver.Connect("DRIVER={Other Driver};DBQ=" + m_path, &error));
    EXPECT_EQ(error, "The driver \"Other Driver\" is not installed.");
    EXPECT_FALSE(m_driver.Connect("DRIVER={};DBQ=" + m_path, &error));
    EXPECT_FALSE(m_driver.Connect(std::string("DRIVER={") + CWorkbookDriver::kName + "}", &error));
    EXPECT_EQ(error, "The connection names no workbook (DBQ).");
}

TEST_F(WorkbookDriverTest, AFileNameMayHoldTheConnectionStringsOwnMarks)
{
    const std::string path = m_temp.File("a;b=c {x}.xls");
    const auto attributes = ParseConnectionString(ConnectionTo(path));
    EXPECT_EQ(attributes.at("DBQ"), path);
    EXPECT_EQ(attributes.at("CREATE_DB"), path);
    EXPECT_EQ(attributes.at("DRIVER"), CWorkbookDriver::kName);
    EXPECT_EQ(attributes.at("FIRSTROWHASNAMES"), "1");
}

TEST_F(WorkbookDriverTest, LargeAndSmallWorkbooksReadBackInXlrdAndFreeXl)
{
    // Long texts spread the shared strings over many CONTINUE records, some
    // in two-byte characters; the stream grows past what the header's 109
    // FAT entries cover.
    Workbook workbook;
    WorkbookSheet big{"Big", {}};
    for (int r = 0; r < 18000; ++r) {
        std::string text = "row " + std::to_string(r) + " ";
        text += r % 7 == 0 ? "\xE2\x82\xAC" : "x"; // the euro sign needs two bytes a character
        while (text.size() < 400)
            text += static_cast<char>('a' + (r + text.size()) % 26);
        big.At(r, 0) = WorkbookCell::Text(text);
        big.At(r, 1) = WorkbookCell::Number(r + 0.5);
    }
    workbook.sheets.push_back(big);
    workbook.sheets.push_back(WorkbookSheet{"Tiny", {}});
    workbook.sheets.back().At(0, 0) = WorkbookCell::Text("t");
    std::string stream;
    for (const std::string& piece : BuildBiffWorkbookStream(workbook))
        stream += piece;
    ASSERT_GT(stream.size(), 109u * 128u * 512u);
    Spit(m_path, BuildCompoundFile("Workbook", stream));

    const XlsReadBack book = ReadXlsWithXlrd(m_path);
    ASSERT_TRUE(book.ok) << book.error;
    ASSERT_EQ(book.SheetNames(), (std::vector<std::string>{"Big", "Tiny"}));
    const XlsSheet& sheet = *book.Sheet("Big");
    ASSERT_EQ(sheet.rows.size(), 18000u);
    for (int r : {0, 1, 7, 8191, 17999}) {
        EXPECT_EQ(sheet.rows[static_cast<std::size_t>(r)][0], big.rows[static_cast<std::size_t>(r)][0].text) << r;
        EXPECT_EQ(sheet.rows[static_cast<std::size_t>(r)][1], "n:" + std::to_string(r) + ".5") << r;
    }
    Workbook loaded;
    std::string error;
    ASSERT_TRUE(LoadWorkbook(m_path, loaded, &error)) << error;
    ASSERT_EQ(loaded.sheets.size(), 2u);
    for (std::size_t r = 0; r < 18000; ++r)
        ASSERT_EQ(loaded.sheets[0].rows[r][0].text, big.rows[r][0].text) << r;

    // A workbook small enough for the mini stream.
    m_path = m_temp.File("small.xls");
    ASSERT_NO_FATAL_FAILURE(MakeWorkbook());
    ASSERT_LT(Slurp(m_path).size(), 8192u);
    const XlsReadBack small = ReadXlsWithXlrd(m_path);
    ASSERT_TRUE(small.ok) << small.error;
    EXPECT_EQ(small.Sheet("Sheet")->rows,
              (std::vector<std::vector<std::string>>{{"Date", "Time", "Value"}, {"7-3-2007", "9:05:00", "65.3"}}));
}

} // namespace
