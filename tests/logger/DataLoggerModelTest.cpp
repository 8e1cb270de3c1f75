// The DataLogger window's logic: the list of downloaded and imported sets,
// opening a set (sample times, statistics, title, what the graph gets) and
// what Save Data writes. Downloaded bytes are written out here byte by byte,
// so the test does not share the program's encoding.
#include "common/Clock.h"
#include "common/ScriptedDialogs.h"
#include "common/TimeText.h"
#include "logger/DataFileWriter.h"
#include "logger/DataLoggerModel.h"
#include "tests/logger/LoggerBytesKit.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr Header kNewYear{0xAA, 0x07, 0x12, 0x31, 0x31, 0x59, 0x50, 0x05};
constexpr Header kLeapRateOne{0xCC, 0x08, 0x02, 0x28, 0x31, 0x59, 0x58, 0x0F};
const std::vector<double> kNewYearReadings{45.5, 101.3, 29.9, 88.8};

std::string ReadAll(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

class DataLoggerModelTest : public ::testing::Test {
protected:
    CManualClock clock{MakeLocalTime(2024, 5, 6, 7, 8, 9)};
    CDataLoggerModel model{clock};
    CScriptedDialogs dialogs;
    CTempDir temp{"vx_dlmodel"};
};

TEST_F(DataLoggerModelTest, DownloadedRowsShowEachSetsHeader)
{
    Download d;
    d.Add(kNewYear, kNewYearReadings).Add(kLeapRateOne, {60.1, 60.2, 60.3, 60.4});
    // The hour byte on the 12-hour clock: 12 a.m., 12 p.m., 1 p.m., 11 a.m., 1 a.m.
    for (std::uint8_t hour : {0x12, 0x32, 0x21, 0x11, 0x01})
        d.Add({0xAA, 0x24, 0x03, 0x07, hour, 0x05, 0x09, 0x10}, {50.0});
    ASSERT_EQ(model.LoadRecordSets(d.bytes, d.table), 7);
    const auto& rows = model.Rows();
    const std::vector<std::vector<std::string>> expected{
        {"1", "2007-12-31", "23:59:50", "dBA", "5", "4"},
        {"2", "2008-02-28", "23:59:58", "dBC", "1", "4"}, // rate byte 0x0F reads as 1
        {"3", "2024-03-07", "00:05:09", "dBA", "10", "1"},
        {"4", "2024-03-07", "12:05:09", "dBA", "10", "1"},
        {"5", "2024-03-07", "13:05:09", "dBA", "10", "1"},
        {"6", "2024-03-07", "11:05:09", "dBA", "10", "1"},
        {"7", "2024-03-07", "01:05:09", "dBA", "10", "1"}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const DataLoggerRow& r = rows[i];
        EXPECT_EQ((std::vector<std::string>{r.set, r.date, r.time, r.unit, r.rate, r.nums}), expected[i]) << i;
    }
    EXPECT_TRUE(model.Downloaded());
}

TEST_F(DataLoggerModelTest, EverySetIsListedAndAnEntryWithoutHeaderIsPassedOver)
{
    Download d;
    for (int i = 0; i < 999; ++i)
        d.Add(kNewYear, {50.0, 51.0});
    EXPECT_EQ(model.LoadRecordSets(d.bytes, d.table), 999);
    EXPECT_EQ(model.Rows().back().set, "999");

    d.table[4].end = d.table[4].begin; // a lone marker: no set, and not the end of the list
    EXPECT_EQ(model.LoadRecordSets(d.bytes, d.table), 998);
    EXPECT_EQ(model.Rows()[3].set, "4");
    EXPECT_EQ(model.ListedSet(3).begin, d.table[5].begin);
}

// A reading whose digits are not all decimal has no level: it is left out,
// and the readings around it keep their own times.
TEST_F(DataLoggerModelTest, ReadingsThatAreNotBcdAreLeftOut)
{
    Download d;
    d.Add(kNewYear, {60.0, 0.0, 0.0, 0.0, 61.0, 0.0});
    const std::uint8_t damaged[][2] = {{0xFF, 0xFF}, {0xA5, 0x0D}, {0x1A, 0x00}, {0x09, 0x9F}};
    for (int k = 0; k < 4; ++k) {
        const int at = 9 + 2 * (k < 3 ? k + 1 : 5);
        d.bytes[static_cast<std::size_t>(at)] = damaged[k][0];
        d.bytes[static_cast<std::size_t>(at + 1)] = damaged[k][1];
    }
    ASSERT_EQ(model.LoadRecordSets(d.bytes, d.table), 1);
    EXPECT_EQ(model.Rows()[0].nums, "2");
    ASSERT_EQ(model.Open(0, 530), OpenStatus::Opened);
    const auto& samples = model.OpenedSamples();
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_DOUBLE_EQ(samples[0].value, 60.0);
    EXPECT_EQ(samples[0].time, "23:59:50");
    EXPECT_DOUBLE_EQ(samples[1].value, 61.0);
    EXPECT_EQ(samples[1].time, "0:0:10") << "four readings of 5 s later";
    EXPECT_DOUBLE_EQ(model.Fields().maximum, 61.0);
    EXPECT_EQ(model.Fields().dataNo, 2);
}

// Sample k is rate * k seconds after the start, carried through the calendar.
TEST_F(DataLoggerModelTest, SampleTimesRunThroughTheCalendar)
{
    struct Case {
        Header header;
        int readings;
        std::vector<std::pair<int, std::string>> samples; // index, "date time"
    };
    const Case cases[] = {
        {kNewYear, 4, {{0, "31-12-2007 23:59:50"}, {1, "31-12-2007 23:59:55"}, {2, "1-1-2008 0:0:0"}, {3, "1-1-2008 0:0:5"}}},
        {kLeapRateOne, 4, {{1, "28-2-2008 23:59:59"}, {2, "29-2-2008 0:0:0"}, {3, "29-2-2008 0:0:1"}}},
        {{0xAA, 0x08, 0x02, 0x29, 0x31, 0x59, 0x59, 0x01}, 2, {{0, "29-2-2008 23:59:59"}, {1, "1-3-2008 0:0:0"}}},
        {{0xAA, 0x07, 0x02, 0x28, 0x31, 0x59, 0x59, 0x01}, 2, {{1, "1-3-2007 0:0:0"}}},
        {{0xAA, 0x00, 0x02, 0x28, 0x31, 0x59, 0x59, 0x01}, 2, {{1, "29-2-2000 0:0:0"}}},
        {{0xAA, 0x07, 0x03, 0x31, 0x31, 0x59, 0x59, 0x01}, 2, {{1, "1-4-2007 0:0:0"}}},
        {{0xAA, 0x07, 0x04, 0x30, 0x31, 0x59, 0x59, 0x01}, 2, {{1, "1-5-2007 0:0:0"}}},
        {{0xAA, 0x07, 0x03, 0x07, 0x09, 0x05, 0x07, 0x60}, 3, {{0, "7-3-2007 9:5:7"}, {2, "7-3-2007 9:7:7"}}},
        // Past a month's end the days go on counting, 90 s apart: 960 samples a day.
        {{0xAA, 0x07, 0x01, 0x31, 0x12, 0x00, 0x00, 0x90}, 1921, {{960, "1-2-2007 0:0:0"}, {1920, "2-2-2007 0:0:0"}}},
    };
    for (const Case& c : cases) {
        Download d;
        d.Add(c.header, std::vector<double>(static_cast<std::size_t>(c.readings), 50.0));
        model.LoadRecordSets(d.bytes, d.table);
        ASSERT_EQ(model.Open(0, 530), OpenStatus::Opened);
        const auto& samples = model.OpenedSamples();
        ASSERT_EQ(samples.size(), static_cast<std::size_t>(c.readings));
        for (const auto& [k, text] : c.samples) {
            const DataSample& s = samples[static_cast<std::size_t>(k)];
            EXPECT_EQ(s.date + " " + s.time, text) << "sample " << k;
        }
    }
}

TEST_F(DataLoggerModelTest, OpenedDownloadedSetGivesStatisticsTitleAndGraphData)
{
    Download d;
    d.Add(kNewYear, kNewYearReadings);
    model.LoadRecordSets(d.bytes, d.table);
    OpenedSet opened;
    EXPECT_EQ(model.Open(-1, 530, &opened), OpenStatus::NoRow);
    EXPECT_EQ(model.Open(1, 530, &opened), OpenStatus::NoRow);
    ASSERT_EQ(model.Open(0, 530, &opened), OpenStatus::Opened);

    const DataLoggerFields& f = model.Fields();
    EXPECT_EQ(f.dataNo, 4);
    EXPECT_EQ(f.startTime, "23:59:50");
    EXPECT_DOUBLE_EQ(f.maximum, 101.3);
    EXPECT_EQ(f.maximumTime, "23:59:55");
    EXPECT_DOUBLE_EQ(f.minimum, 29.9);
    EXPECT_EQ(f.minimumTime, "00:00:00");
    EXPECT_DOUBLE_EQ(f.avg, (45.5 + 101.3 + 29.9 + 88.8) / 4);
    EXPECT_EQ(f.unit, "dBA");
    EXPECT_EQ(model.Title(), "Real-Time From:2007-12-31 23:59:50 To:2008-01-01 00:00:05");
    const auto texts = DataLoggerFieldTexts(f);
    EXPECT_EQ(texts[0], std::make_pair(1005, std::string("4")));
    EXPECT_EQ(texts[6], std::make_pair(1006, std::string("66.38")));

    EXPECT_EQ(opened.start, MakeLocalTime(2007, 12, 31, 23, 59, 50));
    EXPECT_DOUBLE_EQ(opened.scale, 530.0 / 15.0);
    EXPECT_EQ(opened.count, 4);
    EXPECT_EQ(opened.samples, model.OpenedSamples().data());
    EXPECT_DOUBLE_EQ(opened.samples[1].value, 101.3);
    EXPECT_EQ(opened.samples[1].unit, "dBA");
}

TEST_F(DataLoggerModelTest, SetsWithoutDurationOrWithDamagedHeadersOpenSoundly)
{
    Download d;
    d.Add(kNewYear, {}).Add(kNewYear, {70.0});
    d.Add({0xCC, 0x07, 0x13, 0x05, 0x09, 0x00, 0x00, 0x00}, {60.0, 61.0}); // month 13, rate 0
    d.Add({0xAA, 0x07, 0x04, 0x31, 0x09, 0x75, 0x00, 0x01}, {60.0});       // 31 April, minute 75
    d.Add({0xAA, 0x07, 0x00, 0x10, 0x09, 0x00, 0x00, 0x01}, {60.0});       // month 0
    d.Add({0xAA, 0x07, 0x03, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}, {60.0});       // day 0, nothing BCD
    ASSERT_EQ(model.LoadRecordSets(d.bytes, d.table), 6);
    const auto& rows = model.Rows();
    EXPECT_EQ(rows[2].date, "2008-01-05");
    EXPECT_EQ(rows[3].date + " " + rows[3].time, "2007-05-01 10:15:00");
    EXPECT_EQ(rows[4].date, "2006-12-10");
    EXPECT_EQ(rows[5].date, "2007-02-28");

    struct Expect {
        int dataNo;
        double avg;
    };
    const Expect expected[] = {{0, 0.0}, {1, 70.0}, {2, 60.5}, {1, 60.0}, {1, 60.0}, {1, 60.0}};
    for (int row = 0; row < 6; ++row) {
        SCOPED_TRACE(row);
        OpenedSet opened;
        ASSERT_EQ(model.Open(row, 530, &opened), OpenStatus::Opened);
        EXPECT_EQ(model.Fields().dataNo, expected[row].dataNo);
        EXPECT_DOUBLE_EQ(model.Fields().avg, expected[row].avg);
        EXPECT_TRUE(std::isfinite(opened.scale) && opened.scale > 0.0);
        EXPECT_LE(opened.scale, 530.0);
        if (opened.count > 0) {
            const LoggerRecordSet& set = model.ListedSet(row);
            EXPECT_EQ(opened.samples[0].date, std::to_string(set.day) + "-" + std::to_string(set.month) + "-" +
                                                   std::to_string(set.year));
        }
    }
    EXPECT_EQ(model.Title(), "Real-Time From:2007-02-28 15:47:45 To:2007-02-28 15:47:45");
}

TEST_F(DataLoggerModelTest, SaveDataWritesTheOpenedSetWithItsOwnRate)
{
    Download d;
    d.Add(kNewYear, {45.5, 101.3}).Add(kLeapRateOne, {9.5, 60.0});
    model.LoadRecordSets(d.bytes, d.table);
    const std::string before = temp.File("none.txt");
    dialogs.QueueSavePath(before);
    ASSERT_TRUE(model.SaveData(dialogs));
    EXPECT_EQ(ReadAll(before), "ORVANTIS LX47 DATA LOGGER SamplingRate:1.0;\r\r\n")
        << "nothing opened: the header alone, at the last set's rate";

    const std::pair<int, std::string> cases[] = {
        {0, "ORVANTIS LX47 DATA LOGGER SamplingRate:5.0;\r\r\n"
            "31-12-2007, 23:59:50, 45.50, dBA\r\r\n31-12-2007, 23:59:55, 101.30, dBA\r\r\n"},
        {1, "ORVANTIS LX47 DATA LOGGER SamplingRate:1.0;\r\r\n"
            "28-2-2008, 23:59:58,  9.50, dBC\r\r\n28-2-2008, 23:59:59, 60.00, dBC\r\r\n"},
    };
    for (const auto& [row, content] : cases) {
        ASSERT_EQ(model.Open(row, 530), OpenStatus::Opened);
        const std::string path = temp.File("set" + std::to_string(row) + ".txt");
        dialogs.QueueSavePath(path);
        ASSERT_TRUE(model.SaveData(dialogs));
        EXPECT_EQ(ReadAll(path), content);
    }
}

TEST_F(DataLoggerModelTest, ImportListsTheFileAndOpensItsSetsAlike)
{
    const auto sample = [](const char* time, double value, const char* unit) {
        DataSample s;
        s.valid = 1;
        s.date = "7-3-2007";
        s.time = time;
        s.value = value;
        s.unit = unit;
        return s;
    };
    const std::vector<DataSample> samples{sample("9:05:00", 50.0, "dBA"), sample("9:05:01", 60.0, "dBA"),
                                          sample("9:05:02", 60.0, "dBA"), sample("9:05:03", 40.0, "dBC"),
                                          sample("9:05:04", 40.0, "dBC"), sample("9:05:05", 70.0, "dBA")};
    const std::string path = temp.File("import.txt");
    ASSERT_TRUE(WriteDataFile(path, samples.data(), 6, 1.0).ok);

    Download d;
    d.Add(kNewYear, {50.0});
    model.LoadRecordSets(d.bytes, d.table);
    dialogs.QueueOpenPath(path);
    ASSERT_TRUE(model.Import(dialogs));
    EXPECT_FALSE(model.Downloaded());
    ASSERT_EQ(model.Rows().size(), 3u);
    const DataLoggerRow& r = model.Rows()[1];
    EXPECT_EQ((std::vector<std::string>{r.set, r.date, r.time, r.unit, r.rate, r.nums}),
              (std::vector<std::string>{"2", "2007-03-07", "09:05:03", "dBC", "1.0 s", "2"}));
    const DataLoggerFields& f = model.Fields();
    EXPECT_EQ(f.dataNo, 6);
    EXPECT_EQ(f.unit, "dBA/dBC");
    EXPECT_DOUBLE_EQ(f.avg, 320.0 / 6);
    EXPECT_EQ(f.maximumTime, "09:05:05");
    EXPECT_EQ(f.minimumTime, "09:05:03");
    EXPECT_EQ(f.startTime, "09:05:00");
    EXPECT_EQ(model.Title(), "Real-Time From:2007-03-07 09:05:00 To:2007-03-07 09:05:05");

    // The same row twice gives the same statistics; equal values keep the
    // earliest maximum and the latest minimum.
    for (int twice = 0; twice < 2; ++twice) {
        for (int row : {0, 1}) {
            OpenedSet opened;
            ASSERT_EQ(model.Open(row, 530, &opened), OpenStatus::Opened);
            const DataLoggerFields& o = model.Fields();
            EXPECT_EQ(o.dataNo, row == 0 ? 3 : 2);
            EXPECT_DOUBLE_EQ(o.maximum, row == 0 ? 60.0 : 40.0);
            EXPECT_EQ(o.maximumTime, row == 0 ? "09:05:01" : "09:05:03");
            EXPECT_DOUBLE_EQ(o.minimum, row == 0 ? 50.0 : 40.0);
            EXPECT_EQ(o.minimumTime, row == 0 ? "09:05:00" : "09:05:04");
            EXPECT_DOUBLE_EQ(o.avg, row == 0 ? 170.0 / 3 : 40.0);
            EXPECT_EQ(o.unit, row == 0 ? "dBA" : "dBC");
            EXPECT_DOUBLE_EQ(opened.scale, row == 0 ? 265.0 : 530.0);
        }
    }
    const std::string saved = temp.File("saved.txt");
    dialogs.QueueSavePath(saved);
    ASSERT_TRUE(model.SaveData(dialogs));
    EXPECT_EQ(ReadAll(saved), "ORVANTIS LX47 DATA LOGGER SamplingRate:1.0;\r\r\n"
                              "7-3-2007, 9:05:03, 40.00, dBC\r\r\n7-3-2007, 9:05:04, 40.00, dBC\r\r\n");

    // Reset keeps the list and shows the time of day; a cancelled import leaves it reset.
    model.Reset();
    EXPECT_EQ(model.Title(), "2024-05-06 07:08:09");
    EXPECT_EQ(model.Fields().dataNo, 0);
    EXPECT_TRUE(model.OpenedSamples().empty());
    EXPECT_EQ(model.Rows().size(), 3u);
    EXPECT_FALSE(model.Import(dialogs));
    EXPECT_EQ(model.Rows().size(), 3u);

    // A refused file: the list and its sets stay, the fields show the reset,
    // and the window was told to show that before the message came.
    model.Open(1, 530);
    const std::string wrong = temp.File("wrong.txt");
    std::ofstream(wrong) << "orvantis lx47 data logger\r\n";
    dialogs.QueueOpenPath(wrong);
    std::size_t messagesWhenShown = 99;
    EXPECT_FALSE(model.Import(dialogs, [&] { messagesWhenShown = dialogs.Messages().size(); }));
    EXPECT_EQ(messagesWhenShown, dialogs.Messages().size() - 1);
    EXPECT_EQ(dialogs.Messages().back().text, "Data Format is wrong!");
    EXPECT_EQ(model.Rows().size(), 3u);
    EXPECT_EQ(model.Fields().dataNo, 0);
    EXPECT_EQ(model.Title(), "2024-05-06 07:08:09");
    ASSERT_EQ(model.Open(1, 530), OpenStatus::Opened) << "the listed sets are still there";
    EXPECT_EQ(model.Fields().dataNo, 2);
}

} // namespace
