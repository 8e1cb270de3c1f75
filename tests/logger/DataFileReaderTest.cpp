#include "logger/DataFileReader.h"
#include "logger/DataFileWriter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string kHeader = "ORVANTIS LX47 DATA LOGGER SamplingRate:1.0;\r\r\n";

DataSample Sample(const std::string& date, const std::string& time, double value, const std::string& unit)
{
    DataSample s;
    s.valid = 1;
    s.date = date;
    s.time = time;
    s.value = value;
    s.unit = unit;
    return s;
}

class DataFileReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.IsValid());
    }

    std::string File(const std::string& bytes, const std::string& name = "data.txt")
    {
        const fs::path path = m_dir / name;
        std::ofstream out(path, std::ios::binary);
        out << bytes;
        return path.string();
    }

    DataFileReadResult Read(const std::string& bytes)
    {
        DataFileReadResult r = ReadDataFile(File(bytes));
        EXPECT_EQ(r.status, DataFileReadStatus::Ok) << r.error;
        return r;
    }

    CTempDir m_temp{"vxreader"};
    const std::filesystem::path m_dir = m_temp.Path();
};

void ExpectSet(const LoggerRecordSet& set, int begin, int end, const std::string& unit, int year, int month,
               int day, int hour, int minute, int second)
{
    EXPECT_EQ(set.begin, begin);
    EXPECT_EQ(set.end, end);
    EXPECT_EQ(set.unit, unit);
    EXPECT_EQ(set.year, year);
    EXPECT_EQ(set.month, month);
    EXPECT_EQ(set.day, day);
    EXPECT_EQ(set.hour, hour);
    EXPECT_EQ(set.minute, minute);
    EXPECT_EQ(set.second, second);
    EXPECT_EQ(set.rate, 0); // an imported set carries no rate of its own
}

} // namespace

TEST_F(DataFileReaderTest, RoundTripKeepsTextsAndRoundsValuesToTwoDecimals)
{
    const std::vector<DataSample> written = {
        Sample("7-3-2007", "9:05:07", 65.3, "dBA"),     // real-time style time
        Sample("7-3-2007", "9:5:8", 64.996, "dBA"),     // download style time
        Sample("17-12-2007", "23:59:59", 5.0, "dBA"),
        Sample("1-1-2008", "0:0:0", 100.0, "dBA"),
        Sample("1-1-2008", "0:0:1", 9.5, "dBA"),
        Sample("1-1-2008", "0:0:2", 120.4449, "dBA"),
    };
    const std::string path = (m_dir / "round.txt").string();
    ASSERT_TRUE(WriteDataFile(path, written.data(), static_cast<int>(written.size()), 0.5).ok);
    const DataFileReadResult r = ReadDataFile(path);
    ASSERT_EQ(r.status, DataFileReadStatus::Ok) << r.error;
    const DataFileImport& d = r.data;
    EXPECT_DOUBLE_EQ(d.rate, 0.5);
    ASSERT_EQ(d.count, 6);
    ASSERT_EQ(d.store.size(), static_cast<std::size_t>(kImportStoreSize));
    for (int i = 0; i < d.count; ++i) {
        const DataSample& got = d.store[static_cast<std::size_t>(i)];
        const DataSample& want = written[static_cast<std::size_t>(i)];
        EXPECT_EQ(got.valid, 1);
        EXPECT_EQ(got.date, want.date);
        EXPECT_EQ(got.time, want.time);
        EXPECT_EQ(got.unit, want.unit);
        EXPECT_DOUBLE_EQ(got.value, std::round(want.value * 100) / 100) << i;
    }
    EXPECT_EQ(d.store[6].valid, 0); // the rest of the store stays empty
    ASSERT_EQ(d.SetCount(), 1);
    ExpectSet(d.sets[0], 0, 5, "dBA", 2007, 3, 7, 9, 5, 7);
}

TEST_F(DataFileReaderTest, UnitChangesStartRecordSets)
{
    const std::string bytes = kHeader + "7-3-2007, 9:05:07, 65.30, dBA\r\r\n"
                                        "7-3-2007, 9:05:08, 66.30, dBA\r\r\n"
                                        "8-3-2007, 10:5:7, 70.00, dBC\r\r\n"
                                        "9-4-2008, 11:06:09, 71.00, dBA\r\r\n"
                                        "9-4-2008, 11:06:10, 72.00, dBA\r\r\n"
                                        "9-4-2008, 11:06:11, 73.00, dBA\r\r\n";
    const DataFileImport d = Read(bytes).data;
    ASSERT_EQ(d.count, 6);
    ASSERT_EQ(d.SetCount(), 3);
    ExpectSet(d.sets[0], 0, 1, "dBA", 2007, 3, 7, 9, 5, 7);
    ExpectSet(d.sets[1], 2, 2, "dBC", 2007, 3, 8, 10, 5, 7);
    ExpectSet(d.sets[2], 3, 5, "dBA", 2008, 4, 9, 11, 6, 9);
}

TEST_F(DataFileReaderTest, TwoSameUnitRecordingsReadBackAsOneSet)
{
    const std::string bytes = kHeader + "7-3-2007, 9:05:07, 65.30, dBC\r\r\n"
                                        "7-3-2007, 9:05:08, 66.30, dBC\r\r\n"
                                        "8-3-2007, 14:00:00, 50.00, dBC\r\r\n";
    const DataFileImport d = Read(bytes).data;
    ASSERT_EQ(d.SetCount(), 1);
    ExpectSet(d.sets[0], 0, 2, "dBC", 2007, 3, 7, 9, 5, 7);
}

TEST_F(DataFileReaderTest, StatisticsStartAtTheRangeBoundsAndTiesKeepTheEarlier)
{
    const std::string bytes = kHeader + "7-3-2007, 9:05:07, 70.00, dBA\r\r\n"
                                        "7-3-2007, 9:05:08, 40.00, dBA\r\r\n"
                                        "7-3-2007, 9:05:09, 70.00, dBA\r\r\n"
                                        "7-3-2007, 9:05:10, 40.00, dBA\r\r\n"
                                        "7-3-2007, 9:05:11,  9.50, dBA\r\r\n";
    const DataFileImport d = Read(bytes).data;
    EXPECT_DOUBLE_EQ(d.sum, 229.5);
    EXPECT_DOUBLE_EQ(d.maximum, 70.0);
    EXPECT_EQ(d.maximumTime, "9:05:07");
    EXPECT_DOUBLE_EQ(d.minimum, 9.5);
    EXPECT_EQ(d.minimumTime, "9:05:11");

    // Readings that never pass the starting points leave them and their empty times.
    const DataFileImport mid = Read(kHeader + "7-3-2007, 9:05:07, 30.00, dBA\r\r\n").data;
    EXPECT_DOUBLE_EQ(mid.maximum, 30.0);
    EXPECT_EQ(mid.maximumTime, "");
    EXPECT_DOUBLE_EQ(mid.minimum, 30.0);
    EXPECT_EQ(mid.minimumTime, "9:05:07");
}

TEST_F(DataFileReaderTest, SignatureIsComparedCaseSensitivelyOverItsLength)
{
    for (const std::string bad : {"orvantis lx47 data logger SamplingRate:1.0;\r\r\n", "ORVANTIS LX47 DATA\r\n",
                                  "", "\r\r\n", " ORVANTIS LX47 DATA LOGGER SamplingRate:1.0;\r\r\n"}) {
        int accepted = 0;
        const DataFileReadResult r = ReadDataFile(File(bad + "7-3-2007, 9:05:07, 65.30, dBA\r\r\n"), [&] { ++accepted; });
        EXPECT_EQ(r.status, DataFileReadStatus::FormatError) << bad;
        EXPECT_EQ(r.error, "Data Format is wrong!");
        EXPECT_EQ(accepted, 0);
    }
    int accepted = 0;
    const DataFileReadResult r =
        ReadDataFile(File("ORVANTIS LX47 DATA LOGGER\x01 whatever follows\n7-3-2007, 9:05:07, 65.30, dBA\n"),
                     [&] { ++accepted; });
    EXPECT_EQ(r.status, DataFileReadStatus::Ok);
    EXPECT_EQ(accepted, 1);
    EXPECT_EQ(r.data.count, 1);
    EXPECT_DOUBLE_EQ(r.data.rate, 0.0);
}

TEST(DataFileRateTest, FollowsTheHeaderRule)
{
    EXPECT_DOUBLE_EQ(ParseDataFileRate("ORVANTIS LX47 DATA LOGGER SamplingRate:1.0;\r"), 1.0);
    EXPECT_DOUBLE_EQ(ParseDataFileRate("ORVANTIS LX47 DATA LOGGER SamplingRate:0.5;"), 0.5);
    EXPECT_DOUBLE_EQ(ParseDataFileRate("ORVANTIS LX47 DATA LOGGER SamplingRate:60.0;"), 60.0);
    EXPECT_DOUBLE_EQ(ParseDataFileRate("ORVANTIS LX47 DATA LOGGER SamplingRate:1234.5;"), 1234.5);
    EXPECT_DOUBLE_EQ(ParseDataFileRate("ORVANTIS LX47 DATA LOGGER SamplingRate:  7.5xyz;"), 7.5);
    EXPECT_DOUBLE_EQ(ParseDataFileRate("ORVANTIS LX47 DATA LOGGER SamplingRate:1.0"), 0.0); // no ';'
    EXPECT_DOUBLE_EQ(ParseDataFileRate("ORVANTIS LX47 DATA LOGGER"), 0.0);
    EXPECT_DOUBLE_EQ(ParseDataFileRate("ORVANTIS LX47 DATA LOGGER:12.5;"), 12.5);
    // The length is the position of ';' less one, counted from the text after the signature.
    EXPECT_DOUBLE_EQ(ParseDataFileRate("ORVANTIS LX47 DATA LOGGER  ;x:75"), 7.0);
    // A rate that is no number of seconds up to a day counts as none.
    for (const char* rate : {"nan", "inf", "1e308", "-5.0", "86400.5"})
        EXPECT_DOUBLE_EQ(ParseDataFileRate(std::string("ORVANTIS LX47 DATA LOGGER:") + rate + ";"), 0.0) << rate;
    // Only 25 characters after the signature are looked at.
    EXPECT_DOUBLE_EQ(ParseDataFileRate("ORVANTIS LX47 DATA LOGGER" + std::string(30, ' ') + ":5.0;"), 0.0);
}

TEST_F(DataFileReaderTest, AcceptsEveryLineEnd)
{
    for (const std::string end : {"\r\r\n", "\r\n", "\n"}) {
        const std::string bytes = "ORVANTIS LX47 DATA LOGGER SamplingRate:2.0;" + end + "7-3-2007, 9:05:07, 65.30, dBA" +
                                  end + "7-3-2007, 9:05:08, 66.30, dBA" + end + "7-3-2007, 9:05:09, 67.30, dBA";
        const DataFileImport d = Read(bytes).data; // the last line has no line end at all
        EXPECT_DOUBLE_EQ(d.rate, 2.0);
        ASSERT_EQ(d.count, 3);
        EXPECT_EQ(d.SetCount(), 1);
        EXPECT_EQ(d.store[2].unit, "dBA");
        EXPECT_DOUBLE_EQ(d.store[2].value, 67.3);
    }
}

TEST_F(DataFileReaderTest, HeaderOnlyGivesNoSampleAndNoSet)
{
    for (const std::string rest : {"", "\r\r\n", "\r\n\r\n"}) {
        const DataFileImport d = Read(kHeader + rest).data;
        EXPECT_EQ(d.count, 0);
        EXPECT_EQ(d.SetCount(), 0);
        EXPECT_EQ(d.limit, DataFileLimit::None);
        EXPECT_DOUBLE_EQ(d.rate, 1.0);
    }
}

TEST(DataFileLineTest, FieldsSplitAtCommasWithoutValidation)
{
    DataFileFields f = SplitDataFileLine("7-3-2007, 9:05:07,  5.00, dBAxyz\r");
    EXPECT_EQ(f.date, "7-3-2007");
    EXPECT_EQ(f.time, "9:05:07");
    EXPECT_EQ(f.value, " 5.00");
    EXPECT_EQ(f.unit, "dBA");

    // A missing ',' leaves the field empty and the rest loses its first character.
    f = SplitDataFileLine("7-3-2007 9:05:07, 65.30, dBA");
    EXPECT_EQ(f.date, "7-3-2007 9:05:07");
    EXPECT_EQ(f.time, "65.30");
    EXPECT_EQ(f.value, "");
    EXPECT_EQ(f.unit, "BA");

    f = SplitDataFileLine("abc");
    EXPECT_EQ(f.date, "");
    EXPECT_EQ(f.time, "");
    EXPECT_EQ(f.value, "");
    EXPECT_EQ(f.unit, "");

    f = SplitDataFileLine("a,");
    EXPECT_EQ(f.date, "a");
    EXPECT_EQ(f.unit, "");
}

// Each damaged line is left out with its number and why; the lines around it
// are read as if it were not there, and no sample or set is made from it.
TEST_F(DataFileReaderTest, DamagedLinesAreLeftOutAndNamed)
{
    const std::string good1 = "7-3-2007, 9:05:07, 65.30, dBA\r\r\n";
    const std::string good2 = "7-3-2007, 9:05:08, 66.30, dBA\r\r\n";
    const struct {
        const char* what;
        std::string line;
        const char* reason;
    } cases[] = {
        {"cut mid-way", "7-3-2007, 9:05:0\r\r\n", "it ends before its unit"},
        {"cut before the unit", "7-3-2007, 9:05:07, 65.30, dB\r\r\n", "its unit is neither dBA nor dBC"},
        {"a NUL in the level", std::string("7-3-2007, 9:05:07, 6\0.30, dBA\r\r\n", 32), "it holds NUL bytes"},
        {"a run of NULs", std::string(700, '\0') + "\r\n", "it holds NUL bytes"},
        {"a level that is no number", "7-3-2007, 9:05:09, abc, dBA\r\n", "its level is not a number"},
        {"an overflowing level", "7-3-2008, 9:05:09, 1e400, dBA\r\n", "its level is not a number"},
        {"a level no meter gives", "7-3-2008, 9:05:09, 99999999999999999999999, dBA\r\n", "its level is out of range"},
        {"a negative level", "7-3-2008, 9:05:09, -12.5, dBA\r\n", "its level is out of range"},
        {"a time of two fields", "7-3-2007, 9:05, 65.30, dBA\r\n", "its time is not hour:minute:second"},
        {"a date of letters", "a-b-c, 9:05:07, 65.30, dBA\r\n", "its date is not day-month-year"},
        {"junk", "junk\r\n", "it ends before its unit"},
        {"commas only", std::string(60000, ',') + "\r\r\n", "it ends before its unit"},
        {"longer than any line", std::string(kMaxDataFileLine + 10, '7') + "\r\r\n", "it is longer than 65536 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const DataFileImport d = Read(kHeader + good1 + c.line + good2).data;
        ASSERT_EQ(d.count, 2);
        EXPECT_EQ(d.store[1].time, "9:05:08");
        ASSERT_EQ(d.SetCount(), 1) << "no set is made from a damaged line";
        EXPECT_EQ(d.sets[0].end, 1);
        EXPECT_DOUBLE_EQ(d.minimum, 65.3);
        EXPECT_EQ(d.damagedCount, 1);
        ASSERT_EQ(d.damagedLines.size(), 1u);
        EXPECT_EQ(d.damagedLines[0].line, 3);
        EXPECT_EQ(DataFileDamageText(d).rfind(std::string("line 3 is damaged: ") + c.reason, 0), 0u)
            << DataFileDamageText(d);
    }

    // Many damaged lines: the first ones named, the rest counted.
    std::string bytes = kHeader;
    for (int i = 0; i < 25; ++i)
        bytes += "junk\r\n" + good1;
    const DataFileImport many = Read(bytes).data;
    EXPECT_EQ(many.count, 25);
    EXPECT_EQ(many.damagedCount, 25);
    const std::string text = DataFileDamageText(many);
    EXPECT_NE(text.find("line 2 is damaged"), std::string::npos);
    EXPECT_NE(text.find("and 5 more damaged lines"), std::string::npos) << text;
    EXPECT_NE(text.find("25 damaged lines were left out"), std::string::npos) << text;
}

TEST_F(DataFileReaderTest, AByteOrderMarkBeforeTheSignatureIsAccepted)
{
    const DataFileImport d = Read("\xEF\xBB\xBF" + kHeader + "7-3-2007, 9:05:07, 65.30, dBA\r\r\n").data;
    EXPECT_EQ(d.count, 1);
    EXPECT_DOUBLE_EQ(d.rate, 1.0);
    EXPECT_EQ(ReadDataFile(File("\xEF\xBB" + kHeader)).status, DataFileReadStatus::FormatError)
        << "only a whole mark is passed over";
}

TEST_F(DataFileReaderTest, MoreReadingsThanTheStoreHoldsAreCutAndReported)
{
    std::string bytes = kHeader;
    for (int i = 0; i < kImportStoreSize + 7; ++i)
        bytes += "7-3-2007, 9:05:07, 65.30, dBA\r\r\n";
    const DataFileImport d = Read(bytes).data;
    EXPECT_EQ(d.count, kImportStoreSize);
    EXPECT_EQ(d.store.size(), static_cast<std::size_t>(kImportStoreSize));
    EXPECT_EQ(d.limit, DataFileLimit::Samples);
    EXPECT_EQ(d.linesLeftOut, 7);
    ASSERT_EQ(d.SetCount(), 1);
    EXPECT_EQ(d.sets[0].end, kImportStoreSize - 1);
    EXPECT_EQ(DataFileTruncationText(d),
              "The file holds more than 40000 readings; only the first 40000 were imported. Lines left out: 7.");

    // Exactly a full store is no truncation.
    const DataFileImport full = Read(bytes.substr(0, bytes.size() - 7 * 32)).data;
    EXPECT_EQ(full.count, kImportStoreSize);
    EXPECT_EQ(full.limit, DataFileLimit::None);
    EXPECT_EQ(DataFileTruncationText(full), "");
}

TEST_F(DataFileReaderTest, MoreRecordSetsThanTheTableHoldsAreCutAndReported)
{
    std::string bytes = kHeader;
    for (int i = 0; i < kRecordSetTableSize + 5; ++i)
        bytes += i % 2 ? "7-3-2007, 9:05:07, 65.30, dBC\r\r\n" : "7-3-2007, 9:05:07, 65.30, dBA\r\r\n";
    bytes += "7-3-2007, 9:05:07, 65.30, dBA\r\r\n"; // same unit as the line before, still left out
    const DataFileImport d = Read(bytes).data;
    EXPECT_EQ(d.SetCount(), kRecordSetTableSize);
    EXPECT_EQ(d.count, kRecordSetTableSize);
    EXPECT_EQ(d.limit, DataFileLimit::RecordSets);
    EXPECT_EQ(d.linesLeftOut, 6);
    EXPECT_EQ(d.sets.back().begin, kRecordSetTableSize - 1);
    EXPECT_EQ(d.sets.back().end, kRecordSetTableSize - 1);
    EXPECT_EQ(d.store[kRecordSetTableSize].valid, 0);
    EXPECT_NEAR(d.sum, 65.3 * kRecordSetTableSize, 1e-6);
    EXPECT_EQ(DataFileTruncationText(d), "The file holds more than 1000 record sets; only the first 1000 (1000 readings) "
                                         "were imported. Lines left out: 6.");
}

TEST_F(DataFileReaderTest, TheLongestLineThereMayBeIsReadWhole)
{
    const std::string longDate(kMaxDataFileLine - std::string(", 9:05:07, 65.30, dBA\r\r").size(), '7');
    const std::string date = "1-1-" + longDate.substr(4);
    const DataFileImport d = Read(kHeader + date + ", 9:05:07, 65.30, dBA\r\r\n").data;
    ASSERT_EQ(d.count, 1);
    EXPECT_EQ(d.store[0].date, date);
    EXPECT_EQ(d.damagedCount, 0);
}

TEST_F(DataFileReaderTest, WhatNoDataFileCanBeIsRefusedWithTheReason)
{
    const std::string fifo = (m_dir / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path;
        const char* reason;
    } cases[] = {
        // No line end at all: the header alone is too long to hold.
        {File(std::string(3 * kMaxDataFileLine, 'O'), "endless.txt"), "line 1 is longer than 65536 bytes"},
        {"/dev/null", "it is not a regular file"},
        {fifo, "it is not a regular file"},
    };
    for (const auto& c : cases) {
        auto pending = std::async(std::launch::async, [&] { return ReadDataFile(c.path); });
        if (pending.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
            // Stuck waiting for a writer: give it one so the test ends.
            ::close(::open(c.path.c_str(), O_WRONLY));
        }
        const DataFileReadResult r = pending.get();
        EXPECT_EQ(r.status, c.path == fifo || c.path == "/dev/null" ? DataFileReadStatus::OpenFailed
                                                                    : DataFileReadStatus::ReadFailed)
            << c.path;
        EXPECT_NE(r.error.find("\"" + c.path + "\""), std::string::npos) << r.error;
        EXPECT_NE(r.error.find(c.reason), std::string::npos) << r.error;
    }
}

TEST_F(DataFileReaderTest, FilesThatCannotBeReadAreNamed)
{
    const std::string missing = (m_dir / "missing.txt").string();
    DataFileReadResult r = ReadDataFile(missing);
    EXPECT_EQ(r.status, DataFileReadStatus::OpenFailed);
    EXPECT_NE(r.error.find(missing), std::string::npos) << r.error;
    EXPECT_NE(r.error.find("No such file or directory"), std::string::npos) << r.error;

    r = ReadDataFile(m_dir.string());
    EXPECT_NE(r.status, DataFileReadStatus::Ok);
    EXPECT_NE(r.error.find(m_dir.string()), std::string::npos) << r.error;
}
