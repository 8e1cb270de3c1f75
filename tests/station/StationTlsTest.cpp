// The station and the collector through a real broker's TLS listener, with a
// throwaway certificate authority: the station speaking MQTT 5, and a
// certificate authority that did not sign the broker's certificate refused
// with the reason.
#include "tests/station/Broker.h"
#include "tests/station/StationTestKit.h"
#include "tests/support/SimulatedMeter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>

TEST(StationTls, TheBrokersAuthorityCarriesMqtt5AndAStrangerIsRefusedWithItsReason)
{
    if (CBroker::Program().empty() || ::access("/usr/bin/openssl", X_OK) != 0)
        GTEST_SKIP() << "mosquitto and openssl are not installed (scripts/install-deps.sh installs them)";
    CTempDir temp("vx_station_tls");
    const std::string device = temp.File("ttyLX47");
    const std::string db = temp.File("roof.sqlite");
    const std::string central = temp.File("central.sqlite");
    CSimulatedMeter sim({"--level", "const:58.0", "--link", device, "--exit-with-parent"});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    CBroker broker;
    ASSERT_TRUE(broker.EnableTls()) << broker.Error();
    ASSERT_TRUE(broker.Start()) << broker.Error();
    std::string error;
    ASSERT_TRUE(CBroker::MakeAuthority(temp.Path().string(), "stranger", &error)) << error;
    const std::string stranger = temp.File("stranger.crt");

    // The collector over TLS too, as MQTT 3.1.1.
    auto collect = StartCli({"collect", "--mqtt", broker.TlsAddress(), "--mqtt-cafile", broker.CaFile(), "--db", central});
    ASSERT_FALSE(collect->WaitFor("connected", 30000).empty()) << collect->Output();

    const std::vector<std::string> station = {"log", "--device", device, "--db", db, "--station", "roof", "--period",
                                              "1", "--mqtt", broker.TlsAddress(), "--mqtt-version", "5"};
    {
        auto arguments = station;
        arguments.insert(arguments.end(), {"--mqtt-cafile", stranger});
        auto log = StartCli(arguments);
        // Said with the reason, on the same line or, when the library told it
        // later, on one of its own.
        EXPECT_FALSE(log->WaitForLineWith("cannot be reached: logging locally", 30000).empty()) << log->Output();
        const std::string reason = "its TLS certificate is not signed by the certificate authority in " + stranger;
        EXPECT_TRUE(WaitUntil([&] { return log->Output().find(reason) != std::string::npos; }, 30000))
            << log->Output();
        log->Signal(SIGTERM);
        EXPECT_EQ(log->WaitExit(20000), 0) << log->Output();
        EXPECT_EQ(SqlCount(db, "SELECT count(*) FROM intervals WHERE published = 1"), 0);
    }

    auto arguments = station;
    arguments.insert(arguments.end(), {"--mqtt-cafile", broker.CaFile()});
    auto log = StartCli(arguments);
    // What the first run logged locally goes out too.
    ASSERT_TRUE(WaitUntil([&] { return SqlCount(db, "SELECT count(*) FROM intervals WHERE published = 1") >= 3; },
                          60000))
        << log->Output() << broker.Log();
    log->Signal(SIGTERM);
    ASSERT_EQ(log->WaitExit(20000), 0) << log->Output();
    const std::string sql = "SELECT station, start_utc, end_utc, count, leq FROM intervals ORDER BY start_utc";
    const auto published =
        SqlRows(db, "SELECT station, start_utc, end_utc, count, leq FROM intervals WHERE published = 1 ORDER BY start_utc");
    ASSERT_TRUE(WaitUntil([&] { return SqlRows(central, sql).size() >= published.size(); }, 30000));
    collect->Signal(SIGINT);
    EXPECT_EQ(collect->WaitExit(20000), 0) << collect->Output();
    std::vector<std::string> arrived = SqlRows(central, sql);
    arrived.resize(published.size());
    EXPECT_EQ(arrived, published);
    // The broker logs each client's protocol: p5 for MQTT 5, p2 for 3.1.1.
    broker.Stop();
    const std::string brokerLog = broker.Log();
    const auto protocol = [&](const std::string& client) {
        const std::size_t at = brokerLog.find("as " + client);
        const std::size_t open = brokerLog.find(" (p", at);
        return at == std::string::npos || open == std::string::npos ? std::string() : brokerLog.substr(open + 2, 2);
    };
    EXPECT_EQ(protocol("vexalog-roof "), "p5") << brokerLog;
    EXPECT_EQ(protocol("vexalog-collect-"), "p2") << brokerLog;
}
