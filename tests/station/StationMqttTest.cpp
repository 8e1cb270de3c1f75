// A station publishing to a real broker that is stopped for a while and
// started again: every interval arrives, in order, and is marked published
// only once the broker has it.
#include "tests/station/Broker.h"
#include "tests/station/StationTestKit.h"
#include "tests/support/SimulatedMeter.h"
#include "tests/support/TempDir.h"

#include "station/MqttPublisher.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <csignal>
#include <set>

namespace {

std::string SubscriberProgram()
{
    return ::access("/usr/bin/mosquitto_sub", X_OK) == 0 ? "/usr/bin/mosquitto_sub" : "";
}

// The start_utc of each interval message in the order they came, first arrivals only.
std::vector<std::string> FirstArrivals(const CChildProcess& subscriber, std::size_t* total = nullptr)
{
    std::vector<std::string> starts;
    std::set<std::string> seen;
    std::size_t all = 0;
    for (const std::string& line : subscriber.Lines()) {
        const QJsonObject object = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        const std::string start = object.value("start_utc").toString().toStdString();
        if (start.empty() || object.contains("reason"))
            continue;
        ++all;
        if (seen.insert(start).second)
            starts.push_back(start);
    }
    if (total != nullptr)
        *total = all;
    return starts;
}

} // namespace

TEST(StationMqtt, AStoppedBrokerLosesNoIntervalAndTheyArriveInOrder)
{
    if (CBroker::Program().empty() || SubscriberProgram().empty())
        GTEST_SKIP() << "mosquitto and mosquitto_sub are not installed (scripts/install-deps.sh installs them)";
    CTempDir temp("vx_station_mqtt");
    const std::string device = temp.File("ttyLX47");
    const std::string db = temp.File("roof.sqlite");
    CSimulatedMeter sim({"--level", "const:64.0", "--link", device, "--exit-with-parent"});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    CBroker broker;
    ASSERT_TRUE(broker.Start()) << broker.Error();
    // A subscriber whose session the broker keeps across its restart.
    CChildProcess subscriber(SubscriberProgram(), {"-h", "127.0.0.1", "-p", std::to_string(broker.Port()), "-q", "1",
                                                   "-c", "-i", "vx-test-subscriber", "-t", "vexalog/roof/interval",
                                                   "-t", "vexalog/roof/gap"});
    auto log = StartCli({"log", "--device", device, "--db", db, "--station", "roof", "--period", "1", "--mqtt",
                         broker.Address()});
    const auto unpublished = [&] { return SqlCount(db, "SELECT count(*) FROM intervals WHERE published = 0"); };
    const auto published = [&] { return SqlCount(db, "SELECT count(*) FROM intervals WHERE published = 1"); };
    ASSERT_TRUE(WaitUntil([&] { return FirstArrivals(subscriber).size() >= 3 && published() >= 3; }, 40000))
        << log->Output();

    broker.Stop();
    ASSERT_FALSE(log->WaitForLineWith("cannot be reached", 30000).empty()) << log->Output();
    log->SkipSeenLines();
    // The meter goes away and comes back meanwhile: the gap waits for the broker too.
    ASSERT_TRUE(sim.Send("vanish"));
    ASSERT_FALSE(log->WaitFor("link lost", 30000).empty()) << log->Output();
    ASSERT_TRUE(sim.Send("appear"));
    ASSERT_FALSE(log->WaitFor("connected", 30000).empty()) << log->Output();
    ASSERT_TRUE(WaitUntil([&] { return unpublished() >= 4; }, 40000)) << log->Output();
    ASSERT_TRUE(broker.Start()) << broker.Error();
    ASSERT_FALSE(log->WaitForLineWith("is back", 40000).empty()) << log->Output();
    // What waited goes out: nothing older than the last period stays unpublished.
    ASSERT_TRUE(WaitUntil([&] { return unpublished() <= 1 && published() >= 8; }, 60000)) << log->Output();
    log->Signal(SIGTERM);
    ASSERT_EQ(log->WaitExit(20000), 0) << log->Output();

    const auto stored = SqlRows(db, "SELECT start_utc FROM intervals WHERE published = 1 ORDER BY start_utc");
    ASSERT_TRUE(WaitUntil([&] { return FirstArrivals(subscriber).size() >= stored.size(); }, 30000));
    std::vector<std::string> arrived = FirstArrivals(subscriber);
    // Every published interval came, first arrivals in the order of time; a
    // repeat (sent again after the loss) is told by its start.
    arrived.resize(std::min(arrived.size(), stored.size()));
    EXPECT_EQ(arrived, stored);
    EXPECT_TRUE(std::is_sorted(arrived.begin(), arrived.end()));
    const auto gap = SqlRows(db, "SELECT start_utc, end_utc FROM gaps WHERE reason = 'meter lost'");
    ASSERT_EQ(gap.size(), 1u);
    EXPECT_TRUE(WaitUntil([&] {
        for (const std::string& line : subscriber.Lines())
            if (line.find("\"reason\":\"meter lost\"") != std::string::npos &&
                line.find(gap.front().substr(0, gap.front().find('|'))) != std::string::npos)
                return true;
        return false;
    }, 20000)) << subscriber.Output();
}

TEST(StationMqtt, HomeAssistantConfigsNameTheStationsTopics)
{
    const auto configs = HomeAssistantConfigs("noise", "roof");
    ASSERT_EQ(configs.size(), 2u);
    const struct {
        const char* topic;
        const char* state;
        const char* value;
    } expected[] = {{"homeassistant/sensor/vexalog_roof/level/config", "noise/roof/level", "{{ value_json.level }}"},
                    {"homeassistant/sensor/vexalog_roof/laeq/config", "noise/roof/interval", "{{ value_json.leq }}"}};
    for (std::size_t i = 0; i < configs.size(); ++i) {
        EXPECT_EQ(configs[i].first, expected[i].topic);
        const QJsonObject config = QJsonDocument::fromJson(QByteArray::fromStdString(configs[i].second)).object();
        EXPECT_EQ(config.value("state_topic").toString().toStdString(), expected[i].state);
        EXPECT_EQ(config.value("value_template").toString().toStdString(), expected[i].value);
        EXPECT_EQ(config.value("device_class").toString(), "sound_pressure");
        EXPECT_EQ(config.value("unit_of_measurement").toString(), "dB");
        EXPECT_EQ(config.value("availability_topic").toString(), "noise/roof/status");
    }
}

TEST(StationMqtt, ABrokerThatIsNotThereAtTheStartIsWaitedForAndGetsWhatWaited)
{
    if (CBroker::Program().empty())
        GTEST_SKIP() << "mosquitto is not installed (scripts/install-deps.sh installs it)";
    CTempDir temp("vx_station_mqtt_late");
    const std::string device = temp.File("ttyLX47");
    const std::string db = temp.File("roof.sqlite");
    CSimulatedMeter sim({"--level", "const:64.0", "--link", device, "--exit-with-parent"});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    CBroker broker; // not started yet: its port refuses connections
    auto log = StartCli({"log", "--device", device, "--db", db, "--station", "roof", "--period", "1", "--mqtt",
                         broker.Address()});
    ASSERT_FALSE(log->WaitForLineWith("cannot be reached: logging locally", 30000).empty()) << log->Output();
    const auto count = [&](const char* published) {
        return SqlCount(db, std::string("SELECT count(*) FROM intervals WHERE published = ") + published);
    };
    ASSERT_TRUE(WaitUntil([&] { return count("0") >= 2; }, 40000)) << log->Output();
    const long waited = count("0");
    ASSERT_TRUE(broker.Start()) << broker.Error();
    ASSERT_FALSE(log->WaitForLineWith("is back", 60000).empty()) << log->Output();
    ASSERT_TRUE(WaitUntil([&] { return count("1") >= waited && count("0") <= 1; }, 60000)) << log->Output();
    log->Signal(SIGTERM);
    EXPECT_EQ(log->WaitExit(20000), 0) << log->Output();
    // Said once, not once a try.
    const std::string output = FinalOutput(*log);
    EXPECT_EQ(output.find("cannot be reached"), output.rfind("cannot be reached")) << output;
}

TEST(StationMqtt, AStationKilledWhileTheBrokerIsAwaySendsEveryGapAndIntervalAfterItsRestart)
{
    if (CBroker::Program().empty())
        GTEST_SKIP() << "mosquitto is not installed (scripts/install-deps.sh installs it)";
    CTempDir temp("vx_station_restart");
    const std::string device = temp.File("ttyLX47");
    const std::string db = temp.File("roof.sqlite");
    const std::string central = temp.File("central.sqlite");
    CSimulatedMeter sim({"--level", "const:61.0", "--link", device, "--exit-with-parent"});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    CBroker broker;
    ASSERT_TRUE(broker.Start()) << broker.Error();
    // A collector with an id of its own: the broker keeps its session while it is down.
    auto collect = StartCli({"collect", "--mqtt", broker.Address(), "--db", central, "--mqtt-client-id",
                             "vx-test-collector"});
    ASSERT_FALSE(collect->WaitFor("connected", 30000).empty()) << collect->Output();
    const std::vector<std::string> station = {"log", "--device", device, "--db", db, "--station", "roof", "--period",
                                              "1", "--mqtt", broker.Address()};
    const auto count = [&](const std::string& sql) { return SqlCount(db, sql); };
    auto log = StartCli(station);
    ASSERT_TRUE(WaitUntil([&] { return count("SELECT count(*) FROM intervals WHERE published = 1") >= 2; }, 40000))
        << log->Output();

    broker.Stop();
    ASSERT_FALSE(log->WaitForLineWith("cannot be reached", 30000).empty()) << log->Output();
    ASSERT_TRUE(sim.Send("vanish"));
    ASSERT_FALSE(log->WaitFor("link lost", 30000).empty()) << log->Output();
    ASSERT_TRUE(sim.Send("appear"));
    ASSERT_FALSE(log->WaitFor("connected", 30000).empty()) << log->Output();
    ASSERT_TRUE(WaitUntil([&] { return count("SELECT count(*) FROM gaps WHERE published = 0") == 1; }, 30000))
        << log->Output();
    log->Signal(SIGKILL);
    ASSERT_EQ(log->WaitExit(20000), 128 + SIGKILL);

    // Restarted with the broker still away: the time it was down is a gap that waits too.
    log = StartCli(station);
    ASSERT_FALSE(log->WaitForLineWith("cannot be reached", 30000).empty()) << log->Output();
    ASSERT_TRUE(WaitUntil([&] { return count("SELECT count(*) FROM gaps WHERE published = 0") == 2; }, 30000))
        << log->Output();
    ASSERT_TRUE(broker.Start()) << broker.Error();
    ASSERT_FALSE(log->WaitForLineWith("is back", 60000).empty()) << log->Output();
    ASSERT_TRUE(WaitUntil([&] {
        return count("SELECT count(*) FROM gaps WHERE published = 0") == 0 &&
               count("SELECT count(*) FROM intervals WHERE published = 0") <= 1;
    }, 60000)) << log->Output();
    log->Signal(SIGTERM);
    ASSERT_EQ(log->WaitExit(20000), 0) << log->Output();

    // The collector has each of them once, as the station stored it.
    const std::string gaps = "SELECT station, start_utc, end_utc, reason FROM gaps ORDER BY start_utc";
    const std::string intervals = "SELECT station, start_utc, end_utc, count, leq FROM intervals";
    const auto sent = SqlRows(db, gaps);
    const auto published = SqlRows(db, intervals + " WHERE published = 1 ORDER BY start_utc");
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_NE(sent[0].find("|meter lost"), std::string::npos) << sent[0];
    EXPECT_NE(sent[1].find("|station stopped"), std::string::npos) << sent[1];
    ASSERT_TRUE(WaitUntil([&] {
        return SqlRows(central, gaps) == sent &&
               SqlCount(central, "SELECT count(*) FROM intervals") >= static_cast<long>(published.size());
    }, 90000)) << collect->Output();
    collect->Signal(SIGINT);
    EXPECT_EQ(collect->WaitExit(20000), 0) << collect->Output();
    std::vector<std::string> arrived = SqlRows(central, intervals + " ORDER BY start_utc");
    arrived.resize(published.size());
    EXPECT_EQ(arrived, published);
}
