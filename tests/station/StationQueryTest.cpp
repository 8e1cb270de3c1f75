// vexalog-cli query: readings of a time range as CSV, JSON lines and the
// program's data file, read back as text.
#include "tests/station/StationTestKit.h"
#include "tests/support/TempDir.h"

#include "station/IsoTime.h"
#include "station/StationDatabase.h"
#include "station/StationExport.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

std::vector<std::string> Split(const std::string& text, const std::string& end)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0, next; (next = text.find(end, at)) != std::string::npos; at = next + end.size())
        lines.push_back(text.substr(at, next - at));
    return lines;
}

class StationQueryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // roof: 10:00:00..10:00:09 and, after the meter was away, 10:05:00..10:05:04; sill: three readings.
        CStationDatabase database;
        std::string error;
        ASSERT_TRUE(database.Open(m_db, &error)) << error;
        CStationDatabase::Batch roof;
        roof.station = "roof";
        const std::int64_t ten = *ParseUtc("2026-07-01T10:00:00.250Z");
        for (int i = 0; i < 10; ++i)
            roof.readings.push_back({ten + i * 1000, "", 60.0 + i, "dBA", "FAST", i == 3 ? "OVER MAX" : ""});
        for (int i = 0; i < 5; ++i)
            roof.readings.push_back({ten + 300000 + i * 1000, "", 70.0, "dBC", "SLOW", ""});
        CStationDatabase::Batch sill;
        sill.station = "sill";
        for (int i = 0; i < 3; ++i)
            sill.readings.push_back({ten + i * 1000 + 500, "", 50.0, "dBA", "FAST", ""});
        ASSERT_TRUE(database.Write(roof, &error)) << error;
        ASSERT_TRUE(database.Write(sill, &error)) << error;
    }
    CTempDir m_temp{"vx_station_query"};
    std::string m_db = m_temp.File("station.sqlite");
};

int RunToEnd(std::vector<std::string> arguments, std::string* output)
{
    arguments.insert(arguments.begin(), "query");
    auto run = StartCli(arguments);
    const int code = run->WaitExit(30000);
    *output = FinalOutput(*run);
    return code;
}

} // namespace

TEST_F(StationQueryTest, CsvJsonAndTheDataFileHoldTheReadingsOfTheRange)
{
    std::string output;
    const std::string csv = m_temp.File("out.csv");
    // The local time is Berlin's summer time (the tests run with TZ=Europe/Berlin).
    ASSERT_EQ(RunToEnd({"--db", m_db, "--station", "roof", "--from", "2026-07-01T10:00:01Z", "--to",
                        "2026-07-01T10:05:02Z", "--csv", csv}, &output), 0) << output;
    const auto lines = Split(ReadAll(csv), "\r\n");
    ASSERT_EQ(lines.size(), 1u + 9 + 2) << ReadAll(csv);
    EXPECT_EQ(lines[0], "station,t_utc,local_time,meter_time,level,unit,weighting,response,flags");
    EXPECT_EQ(lines[3], "roof,2026-07-01T10:00:03.250Z,2026-07-01 12:00:03.250,,63.0,dBA,A,FAST,OVER MAX");
    EXPECT_EQ(lines.back(), "roof,2026-07-01T10:05:01.250Z,2026-07-01 12:05:01.250,,70.0,dBC,C,SLOW,");

    // Without --station every station's readings, in time order.
    ASSERT_EQ(RunToEnd({"--db", m_db, "--from", "2026-07-01T10:00:00Z", "--to", "2026-07-01T10:00:02Z", "--json"},
                       &output), 0) << output;
    std::vector<std::string> seen;
    for (const std::string& line : Split(output, "\n")) {
        const QJsonObject object = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        seen.push_back(object.value("station").toString().toStdString() + " " +
                       object.value("t_utc").toString().toStdString() + " " +
                       QByteArray::number(object.value("level").toDouble()).toStdString());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"roof 2026-07-01T10:00:00.250Z 60", "sill 2026-07-01T10:00:00.750Z 50",
                                              "roof 2026-07-01T10:00:01.250Z 61", "sill 2026-07-01T10:00:01.750Z 50"}));

    const std::string txt = m_temp.File("out.txt");
    ASSERT_EQ(RunToEnd({"--db", m_db, "--station", "roof", "--from", "2026-07-01T00:00:00Z", "--to",
                        "2026-07-02T00:00:00Z", "--txt", txt}, &output), 0) << output;
    const auto samples = Split(ReadAll(txt), "\r\r\n");
    ASSERT_EQ(samples.size(), 1u + 15);
    EXPECT_EQ(samples[0], "ORVANTIS LX47 DATA LOGGER SamplingRate:1.0;");
    EXPECT_EQ(samples[1], "1-7-2026, 12:00:00, 60.00, dBA");
    EXPECT_EQ(samples[15], "1-7-2026, 12:05:04, 70.00, dBC");
    EXPECT_NE(output.find("connected 2026-07-01T10:00:00.250Z .. 2026-07-01T10:00:09.250Z: 10 readings\n"
                          "connected 2026-07-01T10:05:00.250Z .. 2026-07-01T10:05:04.250Z: 5 readings"),
              std::string::npos) << output;
}

TEST_F(StationQueryTest, WhatItCannotAnswerIsRefusedWithAReason)
{
    const struct {
        std::vector<std::string> arguments;
        int code;
        const char* message;
    } cases[] = {
        {{"--db", m_db, "--from", "2026-07-01", "--to", "noon", "--json"}, 2, "--from and --to want UTC times"},
        {{"--db", m_db, "--from", "2026-07-01", "--to", "2026-07-02", "--json", "--csv", "x.csv"}, 2, "one of --txt"},
        {{"--db", m_db, "--from", "2026-07-01", "--to", "2026-07-02", "--txt", m_temp.File("x.txt")}, 2,
         "more than one station"},
        {{"--db", m_temp.File("none.sqlite"), "--from", "2026-07-01", "--to", "2026-07-02", "--json"}, 1, "cannot open"},
        {{"--db", m_db, "--station", "roof", "--from", "2026-07-01", "--to", "2026-07-02", "--csv",
          m_temp.File("no/such/folder.csv")}, 1, "cannot write"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        std::string output;
        EXPECT_EQ(RunToEnd(c.arguments, &output), c.code) << output;
        EXPECT_NE(output.find(c.message), std::string::npos) << output;
    }
    EXPECT_FALSE(std::filesystem::exists(m_temp.File("x.txt")));
}

TEST(StationExport, CsvFieldsAreQuotedAsRfc4180Wants)
{
    const std::pair<const char*, const char*> cases[] = {
        {"plain", "plain"}, {"a,b", "\"a,b\""}, {"say \"hi\"", "\"say \"\"hi\"\"\""}, {"two\r\nlines", "\"two\r\nlines\""}, {"", ""}};
    for (const auto& [text, field] : cases)
        EXPECT_EQ(CsvField(text), field);
}
