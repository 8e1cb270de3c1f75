// Export Data's own cases, every workbook read back by xlrd: an empty store,
// the value texts, upper-case names, the comma-separated file, a workbook
// made by another program whose sheets are kept, the refusals that leave a
// file as it was, a sparse workbook, a cancel, and the worker thread.
#include "logger/CSheetFile.h"
#include "logger/ExportWorker.h"
#include "tests/support/TempDir.h"
#include "tests/support/XlsTool.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include <sys/stat.h>

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

TEST_F(ExportTest, ANameWithAnotherExtensionGivesACommaSeparatedFileAndABackupOfTheOldOne)
{
    std::vector<DataSample> readings{Sample("9:05:00", 65.3), Sample("9:05:01", 5.0, "dBC")};
    readings[1].date = "say \"hi\", 7-3"; // what RFC 4180 quotes
    const std::string path = m_temp.File("run.csv");
    ASSERT_TRUE(ExportReadings(path, readings.data(), 2).ok);
    const std::string first = Slurp(path);
    EXPECT_EQ(first, "\"Date\",\"Time\",\"Value\",\"Unit\"\r\n"
                     "\"7-3-2007\",\"9:05:00\",\"65.3\",\"dBA\"\r\n"
                     "\"say \"\"hi\"\", 7-3\",\"9:05:01\",\" 5.0\",\"dBC\"\r\n");
    // A second export adds below the old lines and keeps them in "<name>.bak".
    ASSERT_TRUE(ExportReadings(path, readings.data(), 1).ok);
    EXPECT_EQ(Slurp(path + ".bak"), first);
    const CsvReadBack csv = ReadCsvWithPython(path);
    ASSERT_TRUE(csv.ok) << csv.error;
    EXPECT_EQ(csv.rows, (Rows{kHeaders,
                              {"7-3-2007", "9:05:00", "65.3", "dBA"},
                              {"say \"hi\", 7-3", "9:05:01", " 5.0", "dBC"},
                              {"7-3-2007", "9:05:00", "65.3", "dBA"}}));
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

TEST_F(ExportTest, WorkbooksMadeElsewhereKeepEverythingTheyHadThroughTwoExports)
{
    const std::string libreOffice = m_temp.File("libreoffice.xls");
    std::filesystem::copy_file(LibreOfficeWorkbookPath(), libreOffice);
    const std::string xlwt = m_temp.File("xlwt.xls");
    std::string error;
    ASSERT_TRUE(MakeXlsWithXlwt(xlwt, &error)) << error;
    const std::string own = m_temp.File("own.xls");
    const std::vector<DataSample> readings{Sample("9:05:00", 65.3), Sample("9:05:01", 5.0)};
    ASSERT_TRUE(ExportReadings(own, readings.data(), 1).ok);

    for (const std::string& path : {libreOffice, xlwt, own}) {
        const std::string before = m_temp.File("before.xls");
        std::filesystem::copy_file(path, before, std::filesystem::copy_options::overwrite_existing);
        const Rows old = SheetRows(before);
        for (int round = 0; round < 2; ++round) {
            const ExportResult result = ExportReadings(path, readings.data(), 2);
            ASSERT_TRUE(result.ok) << path << ": " << result.message;
        }
        EXPECT_EQ(WhatXlrdFindsLost(before, path), "kept") << path;
        // "Sheet" holds the old rows, then the readings of both exports.
        Rows rows = SheetRows(path);
        ASSERT_EQ(rows.size(), old.size() + 4) << path;
        for (std::size_t r = 0; r < old.size(); ++r)
            EXPECT_EQ(rows[r], old[r]) << path << " row " << r;
        EXPECT_EQ(rows.back()[2], " 5.0") << path;
    }
    // The formula beside the reading in LibreOffice's "Sheet" is still there,
    // with the value LibreOffice worked out for it.
    EXPECT_EQ(SheetRows(libreOffice)[1], (std::vector<std::string>{"6-3-2007", "8:00:00", "n:55.5", "dBC", "n:111.0"}));
}

TEST_F(ExportTest, ASecondFullExportThatWouldPassTheLastRowFailsAndLeavesTheFileByteForByte)
{
    std::vector<DataSample> store;
    for (int i = 0; i < 40000; ++i)
        store.push_back(Sample("10:00:00", 50.0 + i % 100 / 10.0));
    const std::string path = m_temp.File("full.xls");
    ASSERT_TRUE(ExportReadings(path, store.data(), 40000).ok);
    const std::string first = Slurp(path);
    const ExportResult again = ExportReadings(path, store.data(), 40000);
    EXPECT_FALSE(again.ok);
    EXPECT_EQ(again.message, "The readings were not exported to \"" + path + "\".\nA sheet holds at most 65536 rows.");
    // Not even the backup sheet was added.
    EXPECT_TRUE(Slurp(path) == first);
}

TEST_F(ExportTest, WhatCannotBeWrittenSafelyIsRefusedAtOnceWithWhatItIsAndLeftAlone)
{
    const std::vector<DataSample> readings{Sample("9:05:00", 65.3)};
    const std::string notBook = m_temp.File("notes.xls");
    std::ofstream(notBook, std::ios::binary) << "not a workbook";
    const std::string otherHeaders = m_temp.File("other.xls");
    std::string error;
    ASSERT_TRUE(MakeXlsWithXlwt(otherHeaders, &error, "headers")) << error;
    const std::string otherCsv = m_temp.File("other.csv");
    std::ofstream(otherCsv, std::ios::binary) << "Name,Age\r\nAnn,7\r\n";
    const std::string pipe = m_temp.File("pipe.xls");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string folder = m_temp.File("folder.xls");
    std::filesystem::create_directory(folder);
    const std::string keyed = m_temp.File("a;DBQ=b.xls");

    const struct {
        std::string path;
        std::string says;
    } refusals[] = {
        {notBook, "\nThe workbook \"" + notBook + "\" cannot be read: it is not an .xls workbook"},
        {otherHeaders, "Its sheet \"Sheet\" has the headers \"A\", \"B\", not \"Date\", \"Time\", \"Value\", \"Unit\""},
        {otherCsv, "Its first line has the headers \"Name\", \"Age\", not"},
        {pipe, "\"" + pipe + "\" is a named pipe, not a file."},
        {folder, "\"" + folder + "\" is a folder, not a file."},
        {keyed, "the workbook driver would read \";DBQ=\" as a setting of its own"},
        {m_temp.File("gone/run.csv"), "No such file or directory"},
    };
    for (const auto& r : refusals) {
        const std::string before = std::filesystem::is_regular_file(r.path) ? Slurp(r.path) : "";
        const auto started = std::chrono::steady_clock::now();
        const ExportResult result = ExportReadings(r.path, readings.data(), 1);
        EXPECT_FALSE(result.ok) << r.path;
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60)) << r.path;
        EXPECT_EQ(result.message.rfind("The readings were not exported to \"" + r.path + "\".\n", 0), 0u)
            << result.message;
        EXPECT_NE(result.message.find(r.says), std::string::npos) << result.message;
        EXPECT_EQ(result.message.find("error -"), std::string::npos) << result.message;
        if (!before.empty()) {
            EXPECT_TRUE(Slurp(r.path) == before) << r.path;
        }
    }
    // The name with ";DBQ=" wrote no other file either.
    EXPECT_FALSE(std::filesystem::exists("b.xls"));
    EXPECT_FALSE(std::filesystem::exists(m_temp.File("b.xls")));
}

TEST_F(ExportTest, ASparseWorkbookIsJudgedByItsCellsNotTheAreaTheySpan)
{
    const std::string path = m_temp.File("sparse.xls");
    std::string error;
    ASSERT_TRUE(MakeXlsWithXlwt(path, &error, "sparse")) << error;
    const std::vector<DataSample> readings{Sample("9:05:00", 65.3)};
    const ExportResult result = ExportReadings(path, readings.data(), 1);
    ASSERT_TRUE(result.ok) << result.message;
    const XlsReadBack book = ReadXlsWithXlrd(path);
    ASSERT_TRUE(book.ok) << book.error;
    const XlsSheet* notes = book.Sheet("Notes");
    ASSERT_NE(notes, nullptr);
    ASSERT_EQ(notes->rows.size(), 65536u);
    EXPECT_EQ(notes->rows[0][0], "first");
    EXPECT_EQ(notes->rows[1][1], "n:2.5");
    EXPECT_EQ(notes->rows[65535][255], "last");
    EXPECT_EQ(SheetRows(path), (Rows{kHeaders, {"7-3-2007", "9:05:00", "65.3", "dBA"}}));
}

TEST_F(ExportTest, ACancelledExportLeavesTheFileAsItWas)
{
    const std::vector<DataSample> readings(3000, Sample("9:05:00", 65.3));
    const std::string path = m_temp.File("kept.xls");
    ASSERT_TRUE(ExportReadings(path, readings.data(), 2).ok);
    const std::string before = Slurp(path);
    ExportProgress progress;
    progress.cancel = true;
    const ExportResult result = ExportReadings(path, readings.data(), 3000, nullptr, &progress);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.message, "Export Data was cancelled: \"" + path + "\" was left as it was.");
    EXPECT_TRUE(Slurp(path) == before);
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
