// The command-line companion run as a user runs it, against the simulated
// meter on a pseudo-terminal: watch, record into a data file, info on it, and
// download of the meter's data logger.
#include "../../tools/sim/SimWire.h"
#include "SimulatedMeter.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace {

struct CliRun {
    int exitCode = -1;
    std::string output; // stdout and stderr together
};

CliRun RunCli(const std::string& arguments)
{
    const char* cli = std::getenv("VEXALOG_CLI");
    if (cli == nullptr)
        return {-1, "VEXALOG_CLI is not set"};
    CliRun run;
    FILE* pipe = popen((std::string(cli) + " " + arguments + " 2>&1 </dev/null").c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        run.output += buffer;
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.IsValid());
        m_device = (m_dir / "ttyLX47").string();
    }
    void TearDown() override
    {
        m_sim.reset();
    }
    void StartMeter(std::vector<std::string> extra = {})
    {
        std::vector<std::string> arguments{"--level", "const:72.5", "--link", m_device, "--exit-with-parent"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        m_sim = std::make_unique<CSimulatedMeter>(arguments);
        ASSERT_TRUE(m_sim->Started()) << m_sim->Error();
    }

    CTempDir m_temp{"vx_cli"};
    const std::filesystem::path m_dir = m_temp.Path();
    std::string m_device;
    std::unique_ptr<CSimulatedMeter> m_sim;
};

TEST_F(CliTest, RecordWritesTheReadingsToADataFileThatInfoReadsBack)
{
    ASSERT_NO_FATAL_FAILURE(StartMeter());
    const std::filesystem::path out = m_dir / "street.txt";
    const CliRun record =
        RunCli("record --device " + m_device + " --interval 0.5 --count 4 --timeout 30 --out " + out.string());
    ASSERT_EQ(record.exitCode, 0) << record.output;
    EXPECT_NE(record.output.find("saved 4 readings to " + out.string()), std::string::npos) << record.output;

    // The header, then exactly the four readings, every line ending CR CR LF.
    const std::string text = ReadAll(out);
    const std::string header = "ORVANTIS LX47 DATA LOGGER SamplingRate:0.5;\r\r\n";
    ASSERT_EQ(text.substr(0, header.size()), header);
    std::vector<std::string> lines;
    for (std::size_t at = header.size(), end; (end = text.find("\r\r\n", at)) != std::string::npos; at = end + 3)
        lines.push_back(text.substr(at, end - at));
    ASSERT_EQ(lines.size(), 4u) << text;
    for (const std::string& line : lines)
        EXPECT_NE(line.find(", 72.50, dBA"), std::string::npos) << line;
    EXPECT_EQ(text.size(), header.size() + [&] {
        std::size_t n = 0;
        for (const std::string& line : lines)
            n += line.size() + 3;
        return n;
    }());

    const CliRun info = RunCli("info " + out.string());
    ASSERT_EQ(info.exitCode, 0) << info.output;
    EXPECT_NE(info.output.find("Samples: 4"), std::string::npos) << info.output;
    EXPECT_NE(info.output.find("Record sets: 1"), std::string::npos) << info.output;
    EXPECT_NE(info.output.find("Average: 72.50"), std::string::npos) << info.output;
}

TEST_F(CliTest, WatchPrintsTheDisplayOnceItChanges)
{
    ASSERT_NO_FATAL_FAILURE(StartMeter());
    const CliRun watch = RunCli("watch --device " + m_device + " --seconds 2");
    EXPECT_EQ(watch.exitCode, 0) << watch.output;
    EXPECT_NE(watch.output.find("connected"), std::string::npos) << watch.output;
    EXPECT_NE(watch.output.find("072.5 dB"), std::string::npos) << watch.output;
    // A line for each change, not one per block: the constant level changes
    // only with the clock (twenty blocks came in those two seconds).
    std::vector<std::string> lines;
    std::stringstream output(watch.output);
    for (std::string line; std::getline(output, line);)
        lines.push_back(line);
    EXPECT_LE(lines.size(), 7u) << watch.output;
    for (std::size_t i = 1; i < lines.size(); ++i)
        EXPECT_NE(lines[i], lines[i - 1]) << watch.output;
}

TEST_F(CliTest, WrongUseAndBadFilesAreRefusedWithAReason)
{
    const CliRun noOut = RunCli("record --device /dev/null");
    EXPECT_EQ(noOut.exitCode, 2);
    EXPECT_NE(noOut.output.find("--out"), std::string::npos) << noOut.output;

    const CliRun both = RunCli("watch --port 1 --device /dev/null");
    EXPECT_EQ(both.exitCode, 2);

    const std::filesystem::path notData = m_dir / "notes.txt";
    std::ofstream(notData) << "orvantis lx47 data logger SamplingRate:0.5;\r\n";
    const CliRun info = RunCli("info " + notData.string());
    EXPECT_EQ(info.exitCode, 1);
    EXPECT_NE(info.output.find("Data Format is wrong!"), std::string::npos) << info.output;

    const CliRun missing = RunCli("info " + (m_dir / "none.txt").string());
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_FALSE(missing.output.empty());
}

// What the companion must print and write for a set the simulator holds,
// worked out here with the C library's calendar.
struct ExpectedSet {
    std::string line;
    std::string file;
};

ExpectedSet Expect(const SimWire::LoggerSet& set, int number, const std::filesystem::path& folder)
{
    const int rate = set.rateByte == 0x0F ? 1 : set.rate;
    const char* unit = set.cWeighted ? "dBC" : "dBA";
    std::tm start{};
    start.tm_year = set.year - 1900;
    start.tm_mon = set.month - 1;
    start.tm_mday = set.day;
    start.tm_hour = set.hour;
    start.tm_min = set.minute;
    start.tm_sec = set.second;
    const std::time_t at = timegm(&start);
    char name[32];
    std::snprintf(name, sizeof name, "set-%03d.txt", number);
    char text[256];
    std::snprintf(text, sizeof text, "%3d  %04d-%02d-%02d %02d:%02d:%02d  %s  rate %d s  %zu %s  %s", number,
                  set.year, set.month, set.day, set.hour, set.minute, set.second, unit, rate, set.readings.size(),
                  set.readings.size() == 1 ? "sample" : "samples", (folder / name).string().c_str());
    ExpectedSet expected{text, {}};
    std::snprintf(text, sizeof text, "ORVANTIS LX47 DATA LOGGER SamplingRate:%2.1f;\r\r\n", static_cast<double>(rate));
    expected.file = text;
    for (std::size_t k = 0; k < set.readings.size(); ++k) {
        const std::time_t t = at + static_cast<std::time_t>(k) * rate;
        std::tm s{};
        gmtime_r(&t, &s);
        std::snprintf(text, sizeof text, "%d-%d-%d, %d:%d:%d, %5.2f, %s\r\r\n", s.tm_mday, s.tm_mon + 1,
                      s.tm_year + 1900, s.tm_hour, s.tm_min, s.tm_sec, std::round(set.readings[k] * 10) / 10, unit);
        expected.file += text;
    }
    return expected;
}

TEST_F(CliTest, DownloadWritesEverySetTheMeterHolds)
{
    const char* logger = "cases,110x3";
    std::vector<SimWire::LoggerSet> sets;
    std::string error;
    ASSERT_TRUE(SimWire::ParseLoggerSpec(logger, sets, error)) << error;
    ASSERT_GT(sets.size(), 100u);
    // The meter writing its reply at once (the data come with the header) and at the line's pace.
    for (const char* dump : {"once", "paced"}) {
        SCOPED_TRACE(dump);
        m_sim.reset();
        ASSERT_NO_FATAL_FAILURE(StartMeter({"--logger", logger, "--dump", dump}));
        const std::filesystem::path out = m_dir / dump / "sets";
        const CliRun run = RunCli("download --device " + m_device + " --out " + out.string() + " --timeout 30");
        ASSERT_EQ(run.exitCode, 0) << run.output;

        std::vector<std::string> lines;
        std::stringstream output(run.output);
        for (std::string line; std::getline(output, line);)
            if (line.find(" rate ") != std::string::npos)
                lines.push_back(line);
        ASSERT_EQ(lines.size(), sets.size()) << run.output;
        std::size_t files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(out))
            files += entry.is_regular_file();
        EXPECT_EQ(files, sets.size());
        for (std::size_t i = 0; i < sets.size(); ++i) {
            const ExpectedSet expected = Expect(sets[i], static_cast<int>(i) + 1, out);
            EXPECT_EQ(lines[i], expected.line);
            char name[32];
            std::snprintf(name, sizeof name, "set-%03zu.txt", i + 1);
            EXPECT_EQ(ReadAll(out / name), expected.file) << name;
        }
    }
}

TEST_F(CliTest, DownloadOfAnEmptyOrSilentMeter)
{
    ASSERT_NO_FATAL_FAILURE(StartMeter({"--logger", "none"}));
    const std::filesystem::path out = m_dir / "empty";
    const CliRun empty = RunCli("download --device " + m_device + " --out " + out.string());
    EXPECT_EQ(empty.exitCode, 0) << empty.output;
    EXPECT_NE(empty.output.find("No Data In DataLogger"), std::string::npos) << empty.output;
    EXPECT_TRUE(std::filesystem::is_empty(out));

    ASSERT_TRUE(m_sim->Send("silent"));
    ASSERT_FALSE(m_sim->WaitFor("OK silent", 2000).empty());
    const CliRun silent = RunCli("download --device " + m_device + " --out " + out.string() + " --timeout 1.5");
    EXPECT_EQ(silent.exitCode, 4) << silent.output;
    EXPECT_NE(silent.output.find("did not answer within 1.5 s"), std::string::npos) << silent.output;
}

TEST_F(CliTest, DownloadOptionsAreCheckedBeforeAnythingHappens)
{
    const std::string device = " --device " + m_device;
    const std::string out = " --out " + (m_dir / "x").string();
    for (const std::string& arguments :
         {"download" + device, "download --port 0" + out, "download --port 1" + device + out,
          "download" + device + out + " --timeout 0", "download" + device + out + " --timeout -3",
          "download" + device + out + " --timeout 1e3", "download" + device + out + " --timeout 5s",
          "download" + device + out + " --timeout 99999", "download" + device + out + " --count 3",
          "download" + device + out + out, "download" + device + out + " extra", "download --device ''" + out}) {
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments << "\n" << run.output;
        EXPECT_NE(run.output.find("vexalog-cli download: "), std::string::npos) << arguments << "\n" << run.output;
    }
    EXPECT_FALSE(std::filesystem::exists(m_dir / "x")) << "nothing is written for a refused command line";
}

} // namespace
