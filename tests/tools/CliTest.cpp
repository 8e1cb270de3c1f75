// The command-line companion run as a user runs it, against the simulated
// meter on a pseudo-terminal: watch, record into a data file, and info on it.
#include "SimulatedMeter.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
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
    void StartMeter()
    {
        m_sim = std::make_unique<CSimulatedMeter>(
            std::vector<std::string>{"--level", "const:72.5", "--link", m_device, "--exit-with-parent"});
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

} // namespace
