// vexalog-cli log against the simulated meter on a pseudo-terminal: the meter
// going away and coming back, kill -9 and a restart, files it must refuse.
#include "tests/station/StationTestKit.h"
#include "tests/support/SimulatedMeter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class StationLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.IsValid());
        m_sim = std::make_unique<CSimulatedMeter>(
            std::vector<std::string>{"--level", "const:72.5", "--link", m_device, "--exit-with-parent"});
        ASSERT_TRUE(m_sim->Started()) << m_sim->Error();
    }
    std::unique_ptr<CChildProcess> StartLog(std::vector<std::string> extra = {})
    {
        std::vector<std::string> arguments{"log", "--device", m_device, "--db", m_db, "--station", "sill"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return StartCli(arguments);
    }
    long Readings() const { return SqlCount(m_db, "SELECT count(*) FROM readings"); }

    CTempDir m_temp{"vx_station_log"};
    std::string m_device = m_temp.File("ttyLX47");
    std::string m_db = m_temp.File("sill.sqlite");
    std::unique_ptr<CSimulatedMeter> m_sim;
};

} // namespace

TEST_F(StationLogTest, AMeterThatVanishesAndReturnsLeavesAGapAndTheLoggingGoesOn)
{
    auto log = StartLog({"--period", "2"});
    ASSERT_FALSE(log->WaitFor("connected", 20000).empty()) << log->Output();
    ASSERT_TRUE(WaitUntil([&] { return Readings() >= 3; }, 20000)) << log->Output();
    ASSERT_TRUE(m_sim->Send("vanish"));
    ASSERT_FALSE(log->WaitFor("link lost", 20000).empty()) << log->Output();
    const long before = Readings();
    ASSERT_TRUE(m_sim->Send("appear"));
    ASSERT_FALSE(log->WaitFor("connected", 30000).empty()) << log->Output();
    ASSERT_TRUE(WaitUntil([&] { return Readings() >= before + 3; }, 20000)) << log->Output();
    log->Signal(SIGTERM);
    EXPECT_EQ(log->WaitExit(20000), 0) << log->Output();
    EXPECT_FALSE(log->WaitForLineWith("stopped after " + std::to_string(Readings()) + " readings", 20000).empty())
        << log->Output();

    // One gap, from the last reading before the loss to the first one after it.
    const auto gaps = SqlRows(m_db, "SELECT start_utc, end_utc, reason FROM gaps");
    ASSERT_EQ(gaps.size(), 1u);
    const auto around = SqlRows(m_db, "SELECT (SELECT max(t_utc) FROM readings WHERE t_utc <= g.start_utc) || '|' ||"
                                      " (SELECT min(t_utc) FROM readings WHERE t_utc >= g.end_utc) || '|meter lost'"
                                      " FROM gaps g");
    EXPECT_EQ(gaps, around);
    EXPECT_EQ(SqlCount(m_db, "SELECT count(*) FROM readings WHERE unit <> 'dBA' OR level <> 72.5 OR"
                             " t_utc NOT GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]T[0-9][0-9]:[0-9][0-9]:"
                             "[0-9][0-9].[0-9][0-9][0-9]Z'"),
              0);
    // Every period with readings of its own has its indicators, at the clock's even seconds.
    EXPECT_GE(SqlCount(m_db, "SELECT count(*) FROM intervals"), 2);
    EXPECT_EQ(SqlCount(m_db, "SELECT count(*) FROM intervals WHERE CAST(substr(start_utc, 18, 2) AS INT) % 2 <> 0"
                             " OR substr(start_utc, 21) <> '000Z' OR unit <> 'dBA'"),
              0);
    EXPECT_EQ(SqlCount(m_db, "SELECT count(*) FROM intervals WHERE count > 1 AND leq <> 72.5"), 0);
}

TEST_F(StationLogTest, KillNineLosesAtMostTheLastSecondAndARestartGoesOn)
{
    auto log = StartLog();
    ASSERT_FALSE(log->WaitFor("connected", 20000).empty()) << log->Output();
    ASSERT_TRUE(WaitUntil([&] { return Readings() >= 4; }, 30000)) << log->Output();
    // The readings the station has taken by now are in the file a second later at the latest.
    const auto killedAt = std::chrono::system_clock::now();
    log->Signal(SIGKILL);
    EXPECT_EQ(log->WaitExit(20000), 128 + SIGKILL);
    const auto last = SqlRows(m_db, "SELECT max(t_utc) FROM readings");
    ASSERT_EQ(last.size(), 1u);
    const auto lastMs = std::chrono::milliseconds(
        SqlCount(m_db, "SELECT CAST((julianday(max(t_utc)) - 2440587.5) * 86400000 AS INTEGER) FROM readings"));
    // A reading a second and a commit a second: no more than two seconds of
    // readings are missing (and a little more when the machine is loaded).
    EXPECT_LE(killedAt.time_since_epoch() - lastMs, std::chrono::milliseconds(4000)) << last.front();
    const long kept = Readings();

    auto again = StartLog();
    ASSERT_FALSE(again->WaitFor("connected", 20000).empty()) << again->Output();
    ASSERT_TRUE(WaitUntil([&] { return Readings() >= kept + 3; }, 30000)) << again->Output();
    again->Signal(SIGINT);
    EXPECT_EQ(again->WaitExit(20000), 0) << again->Output();
    // The stop is a gap from the last reading of the first run to the first of the second.
    EXPECT_EQ(SqlRows(m_db, "SELECT start_utc, reason FROM gaps"),
              std::vector<std::string>{last.front() + "|station stopped"});
    EXPECT_EQ(SqlCount(m_db, "SELECT count(*) FROM readings WHERE t_utc <= '" + last.front() + "'"), kept);
}

TEST_F(StationLogTest, AFileThatCannotGrowEndsTheStationWithItsReasonAndNoHalfWrittenBatch)
{
    // No file of the process may grow beyond 96 KiB: the database fills up
    // as on a small disk, after a few seconds of commits.
    CChildProcess run("/usr/bin/prlimit", {"--fsize=98304", "--", std::getenv("VEXALOG_CLI"), "log", "--device",
                                           m_device, "--db", m_db, "--station", "sill"}, {}, true);
    ASSERT_TRUE(run.Started()) << run.Error();
    EXPECT_EQ(run.WaitExit(120000), 1);
    const std::string output = FinalOutput(run);
    EXPECT_NE(output.find("vexalog-cli log: " + m_db + " cannot grow: this process may write files of at most 98304 "
                          "bytes (ulimit -f)"),
              std::string::npos)
        << output;
    EXPECT_EQ(output.find("cannot grow"), output.rfind("cannot grow")) << output;
    // What was committed before is whole and readable: the failed batch left nothing.
    EXPECT_EQ(SqlRows(m_db, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
    EXPECT_GE(Readings(), 1);
    EXPECT_EQ(SqlCount(m_db, "SELECT count(*) FROM readings WHERE level IS NULL OR unit = '' OR meter_time = ''"), 0);
}

TEST_F(StationLogTest, ADatabaseItCannotWriteIsRefusedBeforeLogging)
{
    const std::string text = "not a database at all\n";
    const std::string notSqlite = m_temp.File("notes.sqlite");
    std::ofstream(notSqlite) << text;
    const std::string readOnly = m_temp.File("readonly.sqlite");
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(readOnly.c_str(), &db), SQLITE_OK);
        sqlite3_exec(db, "CREATE TABLE readings(station TEXT)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    // Root writes any file: the read-only case runs as the unprivileged test user then.
    std::vector<std::string> asUser;
    if (::geteuid() == 0) {
        if (::system("id vexalog-test >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "running as root without the user vexalog-test (scripts/install-deps.sh creates it)";
        asUser = {"/usr/sbin/runuser", "-u", "vexalog-test", "--"};
        ::chmod(m_temp.Path().c_str(), 0755);
    }
    ASSERT_EQ(SqlCount(readOnly, "SELECT count(*) FROM readings"), 0);
    ::chmod(readOnly.c_str(), 0444);
    const std::string cli = std::getenv("VEXALOG_CLI");
    const struct {
        std::vector<std::string> command;
        std::string message;
    } cases[] = {
        {{cli, "log", "--device", m_device, "--db", notSqlite}, notSqlite + " is not a SQLite database"},
        {{cli, "log", "--device", m_device, "--db", readOnly}, readOnly + " is read-only"},
        {{cli, "log", "--device", m_device, "--station", "no/slash"}, "--station wants a name"},
        {{cli, "log", "--device", m_device, "--period", "0"}, "--period wants seconds from 1 to 86400"},
        {{cli, "log", "--device", m_device, "--mqtt", "broker", "--mqtt-password", "secret"},
         "a password is not taken on the command line"},
        {{cli, "log", "--device", m_device, "--mqtt", "broker:99999"}, "--mqtt wants HOST or HOST:PORT"},
        {{cli, "log", "--device", m_device, "--ha-discovery"}, "--topic and --ha-discovery go with --mqtt"},
        {{cli, "log", "--device", m_device, "--mqtt", "broker", "--mqtt-version", "4"}, "--mqtt-version wants 3.1.1 or 5"},
        {{cli, "log", "--device", m_device, "--mqtt", "broker", "--mqtt-cafile", m_temp.File("none.crt")},
         "cannot read the certificate authority " + m_temp.File("none.crt")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        std::vector<std::string> command = c.command;
        if (c.message.find("read-only") != std::string::npos)
            command.insert(command.begin(), asUser.begin(), asUser.end());
        CChildProcess run(command.front(), {command.begin() + 1, command.end()}, {}, true);
        EXPECT_NE(run.WaitExit(20000), 0);
        const std::string output = FinalOutput(run);
        EXPECT_NE(output.find(c.message), std::string::npos) << output;
    }
    std::ifstream file(notSqlite);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), text);
}
