// The central collector: two collectors on one database, SQLite or a real
// PostgreSQL, leave one row per station and start, malformed messages are
// counted and skipped, and a PostgreSQL server restarted under a collector
// loses nothing.
#include "tests/station/Broker.h"
#include "tests/station/Postgres.h"
#include "tests/station/StationTestKit.h"
#include "tests/support/TempDir.h"

#include "station/IsoTime.h"
#include "station/MqttClient.h"
#include "station/StationJson.h"

#include <gtest/gtest.h>

#include <libpq-fe.h>

#include <csignal>

namespace {

// Every row of a PostgreSQL query as texts joined by '|'.
std::vector<std::string> PgRows(const std::string& conninfo, const std::string& sql)
{
    std::vector<std::string> rows;
    PGconn* connection = PQconnectdb(conninfo.c_str());
    PGresult* result = PQexec(connection, sql.c_str());
    if (PQresultStatus(result) == PGRES_TUPLES_OK)
        for (int r = 0; r < PQntuples(result); ++r) {
            std::string row;
            for (int c = 0; c < PQnfields(result); ++c)
                row += (c > 0 ? "|" : "") + std::string(PQgetvalue(result, r, c));
            rows.push_back(row);
        }
    PQclear(result);
    PQfinish(connection);
    return rows;
}

// Publishes every message at QoS 1 and waits until the broker has them all.
bool PublishAll(const CBroker& broker, const std::vector<CMqttClient::Message>& messages)
{
    MqttSettings settings;
    settings.host = "127.0.0.1";
    settings.port = broker.Port();
    settings.clientId = "vx-test-publisher";
    CMqttClient client(settings);
    std::string error;
    if (!client.Start(&error) || !WaitUntil([&] { return client.Connected(); }, 20000))
        return false;
    for (const auto& message : messages)
        if (!client.Publish(message.topic, message.payload, 1, false))
            return false;
    std::size_t acknowledged = 0;
    const bool all = WaitUntil([&] { return (acknowledged += client.Take().acknowledged.size()) >= messages.size(); },
                               30000);
    client.Stop({}, {}, 0);
    return all;
}

// Intervals of a station, one a minute from the given minute of 2026-12-08 10:00.
std::vector<CMqttClient::Message> Intervals(const std::string& station, int first, int count)
{
    std::vector<CMqttClient::Message> messages;
    for (int minute = first; minute < first + count; ++minute) {
        StationInterval interval;
        interval.station = station;
        interval.startUtc = *ParseUtc("2026-12-08T10:00:00Z") + minute * 60000;
        interval.endUtc = interval.startUtc + 60000;
        interval.unit = "dBA";
        interval.count = 60;
        interval.coverage = 1.0;
        interval.leq = 40.0 + minute;
        messages.push_back({"vexalog/" + station + "/interval", IntervalJson(interval)});
    }
    return messages;
}

} // namespace

TEST(Collector, APostgresServerRestartedUnderTheCollectorLosesNothing)
{
    if (CBroker::Program().empty())
        GTEST_SKIP() << "mosquitto is not installed (scripts/install-deps.sh installs it)";
    if (const std::string missing = CPostgres::Missing(); !missing.empty())
        GTEST_SKIP() << missing;
    CBroker broker;
    ASSERT_TRUE(broker.Start()) << broker.Error();
    CPostgres postgres;
    ASSERT_TRUE(postgres.Start()) << postgres.Error();
    auto collect = StartCli({"collect", "--mqtt", broker.Address(), "--pg", postgres.ConnInfo()});
    ASSERT_FALSE(collect->WaitFor("connected", 30000).empty()) << collect->Output();
    const std::string summary = "SELECT count(*), sum(leq) FROM intervals";
    const auto stored = [&] {
        const auto rows = PgRows(postgres.ConnInfo(), summary);
        return rows.empty() ? std::string() : rows.front();
    };
    ASSERT_TRUE(PublishAll(broker, Intervals("roof", 0, 10)));
    ASSERT_TRUE(WaitUntil([&] { return stored() == "10|445"; }, 30000)) << collect->Output();

    // Down: what comes meanwhile waits in the collector, said once.
    postgres.Stop();
    ASSERT_TRUE(PublishAll(broker, Intervals("roof", 10, 10)));
    ASSERT_FALSE(collect->WaitForLineWith("keeping the messages and trying again", 30000).empty()) << collect->Output();
    ASSERT_TRUE(postgres.Start()) << postgres.Error();
    ASSERT_FALSE(collect->WaitForLineWith("the database takes messages again", 60000).empty()) << collect->Output();
    // 40..59 dB, each interval once.
    ASSERT_TRUE(WaitUntil([&] { return stored() == "20|990"; }, 30000)) << collect->Output();
    collect->Signal(SIGINT);
    EXPECT_EQ(collect->WaitExit(20000), 0) << collect->Output();
    const std::string output = FinalOutput(*collect);
    EXPECT_EQ(output.find("trying again"), output.rfind("trying again")) << output;
    EXPECT_NE(output.find("stored 20 intervals and 0 gaps"), std::string::npos) << output;
}

TEST(Collector, TwoCollectorsOnOneDatabaseLeaveOneRowPerStationAndInterval)
{
    if (CBroker::Program().empty())
        GTEST_SKIP() << "mosquitto is not installed (scripts/install-deps.sh installs it)";
    CBroker broker;
    ASSERT_TRUE(broker.Start()) << broker.Error();

    // Two stations, 15 minutes each, every interval sent twice; a gap; and
    // five messages that are not what they claim.
    const std::int64_t start = *ParseUtc("2026-12-08T10:00:00Z");
    std::vector<CMqttClient::Message> messages;
    for (int repeat = 0; repeat < 2; ++repeat)
        for (const std::string station : {"roof", "sill"})
            for (int minute = 0; minute < 15; ++minute) {
                StationInterval interval;
                interval.station = station;
                interval.startUtc = start + minute * 60000;
                interval.endUtc = interval.startUtc + 60000;
                interval.unit = "dBA";
                interval.count = 60;
                interval.coverage = 1.0;
                interval.leq = 50.0 + minute + (station == "sill" ? 0.5 : 0.0);
                messages.push_back({"vexalog/" + station + "/interval", IntervalJson(interval)});
            }
    messages.push_back({"vexalog/roof/gap", GapJson({"roof", start + 900000, start + 960000, "meter lost"})});
    for (const auto& [topic, payload] : std::vector<std::pair<std::string, std::string>>{
             {"vexalog/roof/interval", "not json"},
             {"vexalog/roof/interval", R"({"station":"roof","start_utc":"2026-12-08T11:00:00.000Z"})"},
             {"vexalog/sill/interval", messages.front().payload}, // roof's interval on sill's topic
             {"vexalog/roof/gap", R"({"station":"roof","start_utc":"yesterday","end_utc":"today","reason":"x"})"},
             {"vexalog/roof/interval", std::string(70000, '{')}})
        messages.push_back({topic, payload});

    const std::string pgMissing = CPostgres::Missing();
    for (const std::string backend : {"sqlite", "pg"}) {
        SCOPED_TRACE(backend);
        CTempDir temp("vx_collect");
        CPostgres postgres;
        std::vector<std::string> target = {"--db", temp.File("central.sqlite")};
        if (backend == "pg") {
            if (!pgMissing.empty()) {
                std::printf("PostgreSQL part skipped: %s\n", pgMissing.c_str());
                continue;
            }
            ASSERT_TRUE(postgres.Start()) << postgres.Error();
            target = {"--pg", postgres.ConnInfo()};
        }
        std::vector<std::unique_ptr<CChildProcess>> collectors;
        for (int i = 0; i < 2; ++i) {
            std::vector<std::string> arguments = {"collect", "--mqtt", broker.Address()};
            arguments.insert(arguments.end(), target.begin(), target.end());
            collectors.push_back(StartCli(arguments));
            ASSERT_FALSE(collectors.back()->WaitFor("connected", 30000).empty()) << collectors.back()->Output();
        }
        ASSERT_TRUE(PublishAll(broker, messages));
        const auto rows = [&](const std::string& sql) {
            return backend == "pg" ? PgRows(postgres.ConnInfo(), sql) : SqlRows(temp.File("central.sqlite"), sql);
        };
        const std::string summary = "SELECT count(*), count(DISTINCT station || start_utc), sum(leq) FROM intervals";
        ASSERT_TRUE(WaitUntil([&] { return !rows(summary).empty() && rows(summary).front().rfind("30|", 0) == 0; }, 30000));
        for (auto& collector : collectors) {
            ASSERT_FALSE(collector->WaitForLineWith("5 malformed messages skipped so far", 30000).empty())
                << collector->Output();
            collector->Signal(SIGINT);
            EXPECT_EQ(collector->WaitExit(20000), 0) << collector->Output();
            EXPECT_FALSE(collector->WaitForLineWith("stored 60 intervals and 1 gaps, skipped 5 malformed", 20000).empty())
                << collector->Output();
        }
        // Each interval twice from the broker, once in the database: the sum of
        // 50..64 dB for roof and 50.5..64.5 dB for sill.
        EXPECT_EQ(rows(summary), std::vector<std::string>{"30|30|1717.5"});
        EXPECT_EQ(rows("SELECT station, start_utc, end_utc, unit, count, CAST(coverage * 100 AS INTEGER), leq FROM intervals"
                       " WHERE station = 'sill' ORDER BY start_utc LIMIT 1"),
                  std::vector<std::string>{"sill|2026-12-08T10:00:00.000Z|2026-12-08T10:01:00.000Z|dBA|60|100|50.5"});
        EXPECT_EQ(rows("SELECT * FROM gaps"),
                  std::vector<std::string>{"roof|2026-12-08T10:15:00.000Z|2026-12-08T10:16:00.000Z|meter lost|1"});
    }
}
