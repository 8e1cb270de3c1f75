// The station database and its parts without a meter: times, the interval
// indicators, idempotent writes and the files it refuses.
#include "tests/station/StationTestKit.h"
#include "tests/support/TempDir.h"

#include "station/IntervalBuilder.h"
#include "station/IsoTime.h"
#include "station/StationDatabase.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

TEST(IsoTime, ReadsWhatItWritesAndRefusesImpossibleTimes)
{
    const struct {
        const char* text;
        std::optional<std::int64_t> ms;
    } cases[] = {
        {"1970-01-01T00:00:00.000Z", 0},
        {"2026-12-08T16:46:25.123Z", 1796748385123},
        {"2024-02-29T23:59:59.999Z", 1709251199999},
        {"1969-12-31T23:59:59.999Z", -1},
        {"2026-12-08 16:46", 1796748360000},
        {"2026-12-08", 1796688000000},
        {"2023-02-29T00:00:00Z", std::nullopt},
        {"2026-13-01T00:00:00Z", std::nullopt},
        {"2026-12-08T24:00:00Z", std::nullopt},
        {"2026-12-08T16:46:25.Z", std::nullopt},
        {"2026-12-08T16:46:25+01:00", std::nullopt},
        {"yesterday", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseUtc(c.text), c.ms);
    }
    for (const std::int64_t ms : {std::int64_t{0}, std::int64_t{-1}, std::int64_t{1796748385123}, std::int64_t{951782400000}})
        EXPECT_EQ(ParseUtc(FormatUtc(ms)), ms) << FormatUtc(ms);
    EXPECT_EQ(FormatUtc(1796748385123), "2026-12-08T16:46:25.123Z");
}

TEST(IntervalBuilder, ClosesEachClockPeriodWithTheIndicatorsOfItsMainWeighting)
{
    CIntervalBuilder builder("roof", 60, 1.0);
    const std::int64_t minute = 1796748360000; // 16:46:00
    std::vector<StationInterval> closed;
    // 16:46:30 .. 16:47:29, one reading a second: 60 dBA, with ten seconds at 70 dBA and two dBC readings.
    for (int i = 30; i < 90; ++i) {
        StationReading reading{minute + i * 1000 + 250, "", i >= 60 && i < 70 ? 70.0 : 60.0, "dBA", "FAST", ""};
        if (i == 40 || i == 41)
            reading.unit = "dBC";
        if (auto interval = builder.Add(reading))
            closed.push_back(*interval);
    }
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_EQ(closed[0].startUtc, minute);
    EXPECT_EQ(closed[0].endUtc, minute + 60000);
    EXPECT_EQ(closed[0].unit, "dBA");
    EXPECT_EQ(closed[0].count, 28);
    EXPECT_FALSE(builder.CloseIfOver(minute + 119999).has_value());
    const auto second = builder.CloseIfOver(minute + 120000);
    ASSERT_TRUE(second.has_value());
    // 30 s measured: 10 s at 70 dB, 20 s at 60 dB.
    EXPECT_EQ(second->count, 30);
    EXPECT_DOUBLE_EQ(second->coverage, 0.5);
    EXPECT_DOUBLE_EQ(*second->leq, std::round(10.0 * std::log10((10 * 1e7 + 20 * 1e6) / 30.0) * 10.0) / 10.0);
    EXPECT_EQ(*second->lmax, 70.0);
    EXPECT_EQ(*second->lmin, 60.0);
    EXPECT_EQ(*second->l10, 70.0);
    EXPECT_EQ(*second->l90, 60.0);
    EXPECT_FALSE(builder.CloseNow().has_value());
}

class StationDatabaseTest : public ::testing::Test {
protected:
    CTempDir m_temp{"vx_station_db"};
    std::string m_path = m_temp.File("station.sqlite");
};

TEST_F(StationDatabaseTest, WritingABatchAgainLeavesOneRowPerKey)
{
    CStationDatabase database;
    std::string error;
    ASSERT_TRUE(database.Open(m_path, &error)) << error;
    CStationDatabase::Batch batch;
    batch.station = "roof";
    batch.readings = {{1796748385123, "16:46:25", 61.2, "dBA", "FAST", "OVER MAX"},
                      {1796748386123, "16:46:26", 61.4, "dBA", "SLOW", ""}};
    StationInterval interval;
    interval.station = "roof";
    interval.startUtc = 1796748360000;
    interval.endUtc = 1796748420000;
    interval.unit = "dBA";
    interval.count = 2;
    interval.coverage = 2.0 / 60;
    interval.leq = 61.3;
    batch.intervals = {interval};
    batch.gaps = {{"roof", 1796748300000, 1796748385123, "meter lost"}};
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(database.Write(batch, &error)) << error;
    batch = {};
    batch.station = "roof";
    batch.publishedStarts = {1796748360000};
    // A gap is acknowledged only as it was sent: an ack of an older end marks nothing.
    batch.publishedGaps = {{"roof", 1796748300000, 1796748380000, "meter lost"}};
    ASSERT_TRUE(database.Write(batch, &error)) << error;
    std::vector<StationGap> waiting;
    ASSERT_TRUE(database.UnpublishedGaps("roof", 10, waiting, &error)) << error;
    ASSERT_EQ(waiting.size(), 1u);
    EXPECT_EQ(waiting[0].endUtc, 1796748385123);
    batch.publishedGaps = {waiting[0]};
    ASSERT_TRUE(database.Write(batch, &error)) << error;

    EXPECT_EQ(SqlRows(m_path, "SELECT * FROM readings ORDER BY t_utc"),
              (std::vector<std::string>{"roof|2026-12-08T16:46:25.123Z|16:46:25|61.2|dBA|FAST|OVER MAX",
                                        "roof|2026-12-08T16:46:26.123Z|16:46:26|61.4|dBA|SLOW|"}));
    EXPECT_EQ(SqlRows(m_path, "SELECT station, start_utc, end_utc, count, leq, lmax, published FROM intervals"),
              std::vector<std::string>{"roof|2026-12-08T16:46:00.000Z|2026-12-08T16:47:00.000Z|2|61.3||1"});
    EXPECT_EQ(SqlRows(m_path, "SELECT * FROM gaps"),
              std::vector<std::string>{"roof|2026-12-08T16:45:00.000Z|2026-12-08T16:46:25.123Z|meter lost|1"});
    // Written again as it stands it stays published; grown, it is to be sent again.
    const struct {
        std::int64_t end;
        const char* published;
    } rewrites[] = {{1796748385123, "1"}, {1796748390000, "0"}};
    for (const auto& rewrite : rewrites) {
        batch = {};
        batch.gaps = {{"roof", 1796748300000, rewrite.end, "meter lost"}};
        ASSERT_TRUE(database.Write(batch, &error)) << error;
        EXPECT_EQ(SqlRows(m_path, "SELECT published FROM gaps"), std::vector<std::string>{rewrite.published});
    }
    EXPECT_EQ(SqlRows(m_path, "PRAGMA journal_mode"), std::vector<std::string>{"wal"});
    const auto last = database.LastReading("roof");
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->tUtc, 1796748386123);
    EXPECT_FALSE(database.LastReading("cellar").has_value());
}

TEST_F(StationDatabaseTest, AFullDiskRollsTheWholeBatchBack)
{
    CStationDatabase database;
    std::string error;
    ASSERT_TRUE(database.Open(m_path, &error)) << error;
    // The file may not grow beyond its pages now: as if the disk were full.
    const long pages = SqlCount(m_path, "PRAGMA page_count");
    ASSERT_EQ(sqlite3_exec(database.Handle(), ("PRAGMA max_page_count=" + std::to_string(pages)).c_str(), nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    CStationDatabase::Batch batch;
    batch.station = "roof";
    for (int i = 0; i < 5000; ++i)
        batch.readings.push_back({1796748385000 + i * 1000, "16:46:25", 61.2, "dBA", "FAST", ""});
    EXPECT_FALSE(database.Write(batch, &error));
    EXPECT_EQ(error, "the disk holding " + m_path + " is full");
    EXPECT_EQ(SqlCount(m_path, "SELECT count(*) FROM readings"), 0);
}

TEST_F(StationDatabaseTest, AFileThatIsNotADatabaseIsRefusedAndLeftAsItWas)
{
    const std::string text = "ORVANTIS LX47 DATA LOGGER SamplingRate:1;\r\r\n";
    std::ofstream(m_path, std::ios::binary) << text;
    CStationDatabase database;
    std::string error;
    EXPECT_FALSE(database.Open(m_path, &error));
    EXPECT_EQ(error, m_path + " is not a SQLite database");
    std::ifstream file(m_path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), text);
}

TEST_F(StationDatabaseTest, ADatabaseWithoutTheGapsAcknowledgementIsUpgradedInPlace)
{
    // The tables as an earlier version made them, with a gap and a reading.
    sqlite3* old = nullptr;
    ASSERT_EQ(sqlite3_open(m_path.c_str(), &old), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(old,
                           "CREATE TABLE readings(station TEXT NOT NULL, t_utc TEXT NOT NULL, meter_time TEXT,"
                           " level REAL NOT NULL, unit TEXT NOT NULL, response TEXT, flags TEXT NOT NULL DEFAULT '',"
                           " PRIMARY KEY(station, t_utc)) WITHOUT ROWID;"
                           "CREATE TABLE gaps(station TEXT NOT NULL, start_utc TEXT NOT NULL, end_utc TEXT NOT NULL,"
                           " reason TEXT NOT NULL, PRIMARY KEY(station, start_utc)) WITHOUT ROWID;"
                           "INSERT INTO readings VALUES('roof', '2026-12-08T16:46:25.123Z', '16:46:25', 61.2, 'dBA',"
                           " 'FAST', '');"
                           "INSERT INTO gaps VALUES('roof', '2026-12-08T16:45:00.000Z', '2026-12-08T16:46:25.123Z',"
                           " 'meter lost');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(old);

    for (int run = 0; run < 2; ++run) { // the second opening finds it upgraded
        CStationDatabase database;
        std::string error;
        ASSERT_TRUE(database.Open(m_path, &error)) << error;
        std::vector<StationGap> waiting;
        ASSERT_TRUE(database.UnpublishedGaps("roof", 10, waiting, &error)) << error;
        ASSERT_EQ(waiting.size(), 1u);
        EXPECT_EQ(FormatUtc(waiting[0].endUtc), "2026-12-08T16:46:25.123Z");
        EXPECT_FALSE(waiting[0].published);
    }
    EXPECT_EQ(SqlRows(m_path, "SELECT * FROM gaps"),
              std::vector<std::string>{"roof|2026-12-08T16:45:00.000Z|2026-12-08T16:46:25.123Z|meter lost|0"});
    EXPECT_EQ(SqlCount(m_path, "SELECT count(*) FROM readings"), 1);
    EXPECT_EQ(SqlCount(m_path, "SELECT count(*) FROM intervals"), 0);
}
