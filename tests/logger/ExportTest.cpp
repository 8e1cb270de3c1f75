// Export Data's own cases, every workbook read back by xlrd: an empty store,
// the value texts, upper-case names, the text file, a workbook made by
// another program whose sheets are kept, a second export that would pass the
// format's last row, and the worker thread.
#include "CSheetFile.h"
#include "ExportWorker.h"
#include "TempDir.h"
#include "XlsTool.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

namespace {

using Rows = std::vector<std::vector<std::string>>;
const std::vector<std::string> kHeaders{"Date", "Time", "Value", "Unit"};

DataSample Sample(const char* time, double value, const char* unit = "dBA")
{
    DataSample s;
    s.valid = 1;
    s.date = "7-3-2007";
    s.time = time;
    s.value = value;
    s.unit = unit;
    return s;
}

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_temp.IsValid()); }

    Rows SheetRows(const std::string& path, const std::string& sheet = kExportSheet)
    {
        const XlsReadBack book = ReadXlsWithXlrd(path);
        EXPECT_TRUE(book.ok) << book.error;
        const XlsSheet* found = book.Sheet(sheet);
        return found ? found->rows : Rows{{"no sheet " + sheet}};
    }

    CTempDir m_temp{"vx_export"};
};

TEST_F(ExportTest, WorkbookHoldsTheHeaderRowAndOneTextRowPerReading)
{
    const std::vector<DataSample> readings{Sample("9:05:00", 100.0), Sample("9:05:01", 5.0, "dBC"),
                                           Sample("9:05:02", 65.349), Sample("23:59:59", 0.05)};
    const std::string path = m_temp.File("run.XLS");
    const ExportResult result = ExportReadings(path, readings.data(), 4);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(result.message, "Export Data has finish.");
    const XlsReadBack book = ReadXlsWithXlrd(path);
    ASSERT_TRUE(book.ok) << book.error;
    EXPECT_EQ(book.SheetNames(), std::vector<std::string>{"Sheet"});
    EXPECT_EQ(book.Sheet("Sheet")->rows, (Rows{kHeaders,
                                               {"7-3-2007", "9:05:00", "100.0", "dBA"},
                                               {"7-3-2007", "9:05:01", " 5.0", "dBC"},
                                               {"7-3-2007", "9:05:02", "65.3", "dBA"},
                                               {"7-3-2007", "23:59:59", " 0.1", "dBA"}}));

    // An empty store gives the header row alone.
    const std::string empty = m_temp.File("empty.xls");
    ASSERT_TRUE(ExportReadings(empty, nullptr, 0).ok);
    EXPECT_EQ(SheetRows(empty), Rows{kHeaders});
}

TEST_F(ExportTest, ANameWithAnotherExtensionGivesTheTextFileJoinedByTheWordSheet)
{
    const std::vector<DataSample> readings{Sample("9:05:00", 65.3)};
    const std::string path = m_temp.File("run.csv");
    ASSERT_TRUE(ExportReadings(path, readings.data(), 1).ok);
    EXPECT_EQ(Slurp(path), "\"Date\"Sheet\"Time\"Sheet\"Value\"Sheet\"Unit\"\r\n"
                           "\"7-3-2007\"Sheet\"9:05:00\"Sheet\"65.3\"Sheet\"dBA\"\r\n");
}

TEST_F(ExportTest, AWorkbookMadeElsewhereKeepsItsOtherSheetsAndGetsTheReadingsBelowItsRows)
{
    const std::string path = m_temp.File("made.xls");
    std::string error;
    ASSERT_TRUE(MakeXlsWithXlwt(path, &error)) << error;
    const std::vector<DataSample> readings{Sample("9:05:00", 65.3)};
    const ExportResult result = ExportReadings(path, readings.data(), 1);
    ASSERT_TRUE(result.ok) << result.message;

    const XlsReadBack book = ReadXlsWithXlrd(path);
    ASSERT_TRUE(book.ok) << book.error;
    EXPECT_EQ(book.SheetNames(), (std::vector<std::string>{"Notes", "Sheet", "CSpreadSheetBackup"}));
    EXPECT_EQ(book.Sheet("Notes")->rows, (Rows{{"kept", "", ""}, {"", "n:42.5", ""}, {"", "", "d:39148.0"}}));
    const std::vector<std::string> old{"6-3-2007", "8:00:00", "55.5", "dBC"};
    EXPECT_EQ(book.Sheet("Sheet")->rows, (Rows{kHeaders, old, {"7-3-2007", "9:05:00", "65.3", "dBA"}}));
    EXPECT_EQ(book.Sheet("CSpreadSheetBackup")->rows, (Rows{kHeaders, old}));
}

TEST_F(ExportTest, ASecondFullExportThatWouldPassTheLastRowFailsAndKeepsTheFirst)
{
    std::vector<DataSample> store;
    for (int i = 0; i < 40000; ++i)
        store.push_back(Sample("10:00:00", 50.0 + i % 100 / 10.0));
    const std::string path = m_temp.File("full.xls");
    ASSERT_TRUE(ExportReadings(path, store.data(), 40000).ok);
    const ExportResult again = ExportReadings(path, store.data(), 40000);
    EXPECT_FALSE(again.ok);
    EXPECT_EQ(again.message, "The readings were not exported to \"" + path + "\".\nA sheet holds at most 65536 rows.");
    const Rows rows = SheetRows(path);
    EXPECT_EQ(rows.size(), 40001u);
    EXPECT_EQ(rows.back(), (std::vector<std::string>{"7-3-2007", "10:00:00", "59.9", "dBA"}));
}

TEST_F(ExportTest, AFailedExportSaysWhyAndLeavesTheFileAlone)
{
    const std::vector<DataSample> readings{Sample("9:05:00", 65.3)};
    const std::string notBook = m_temp.File("notes.xls");
    std::ofstream(notBook, std::ios::binary) << "not a workbook";
    const ExportResult result = ExportReadings(notBook, readings.data(), 1);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message.rfind("The readings were not exported to \"" + notBook + "\".\nThe workbook \"", 0), 0u)
        << result.message;
    EXPECT_EQ(Slurp(notBook), "not a workbook");

    const ExportResult nowhere = ExportReadings(m_temp.File("gone/run.csv"), readings.data(), 1);
    EXPECT_FALSE(nowhere.ok);
    EXPECT_NE(nowhere.message.find("Error writing file: "), std::string::npos) << nowhere.message;
    EXPECT_NE(nowhere.message.find("No such file or directory"), std::string::npos) << nowhere.message;
}

TEST_F(ExportTest, TheWorkerWritesTheReadingsItWasHandedOnItsOwnThread)
{
    std::vector<DataSample> store(3000, Sample("12:00:00", 70.0));
    const std::string path = m_temp.File("worker.xls");
    CExportWorker worker(path, store);
    store.assign(3000, Sample("13:00:00", 80.0)); // the live store goes on changing
    worker.Start();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!worker.Finished() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(worker.Finished());
    EXPECT_TRUE(worker.Result().ok) << worker.Result().message;
    EXPECT_EQ(worker.Progress().Done(), worker.Progress().total.load());
    const Rows rows = SheetRows(path);
    ASSERT_EQ(rows.size(), 3001u);
    EXPECT_EQ(rows[3000], (std::vector<std::string>{"7-3-2007", "12:00:00", "70.0", "dBA"}));
}

} // namespace
