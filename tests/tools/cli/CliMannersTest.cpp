// The habits people bring from other command-line tools: help and version on
// standard output, data on standard output and status on standard error,
// every watched line stamped with the PC's time, and a record summary that
// says what the saved file says.
#include "tests/support/SimulatedMeter.h"
#include "tests/support/TempDir.h"
#include "tests/tools/cli/CliRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace {

// Standard output and standard error apart.
struct SplitRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

SplitRun RunSplit(const std::string& arguments, const std::filesystem::path& errFile)
{
    const char* cli = std::getenv("VEXALOG_CLI");
    SplitRun run;
    if (cli == nullptr)
        return run;
    FILE* pipe = popen((std::string(cli) + " " + arguments + " 2>" + errFile.string() + " </dev/null").c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[512];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream file(errFile);
    std::stringstream err;
    err << file.rdbuf();
    run.err = err.str();
    return run;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::stringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

// The lines of text that start with one of the prefixes.
std::string LinesStartingWith(const std::string& text, const std::vector<std::string>& prefixes)
{
    std::string found;
    for (const std::string& line : Lines(text))
        for (const std::string& prefix : prefixes)
            if (line.rfind(prefix, 0) == 0)
                found += line + "\n";
    return found;
}

const std::string kStamp = R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d)";

class CliMannersTest : public ::testing::Test {
protected:
    void StartMeter(const std::string& level)
    {
        m_sim = std::make_unique<CSimulatedMeter>(
            std::vector<std::string>{"--level", level, "--link", m_device, "--exit-with-parent"});
        ASSERT_TRUE(m_sim->Started()) << m_sim->Error();
    }

    CTempDir m_temp{"vx_cli_manners"};
    const std::filesystem::path m_dir = m_temp.Path();
    const std::string m_device = (m_dir / "ttyLX47").string();
    const std::filesystem::path m_err = m_dir / "stderr.txt";
    std::unique_ptr<CSimulatedMeter> m_sim;
};

TEST_F(CliMannersTest, HelpAndVersionAnswerOnStandardOutput)
{
    const struct {
        const char* arguments;
        int exitCode;
        const char* out; // nullptr: nothing on standard output
        const char* err;
    } cases[] = {
        {"--help", 0, "vexalog-cli print FILE --pdf", ""},
        {"-h", 0, "vexalog-cli download (--port N", ""},
        {"help", 0, "exit codes:", ""},
        {"help record", 0, "--out FILE [--interval S]", ""},
        {"record --help", 0, "--out FILE [--interval S]", ""},
        {"watch -h", 0, "--format text|csv|json", ""},
        {"info --json --help", 0, "vexalog-cli info FILE [--json]", ""},
        {"--version", 0, "vexalog-cli 1.", ""},
        {"help nothing", 2, nullptr, "no command 'nothing'"},
        {"nothing --help", 2, nullptr, "unknown command 'nothing'"},
        {"", 2, nullptr, "no command given"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const SplitRun run = RunSplit(c.arguments, m_err);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
        if (c.out != nullptr) {
            EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
            EXPECT_EQ(run.err, c.err);
        } else {
            EXPECT_EQ(run.out, "");
            EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        }
    }
    // One command's help is that command's only.
    EXPECT_EQ(RunSplit("record --help", m_err).out.find("vexalog-cli watch"), std::string::npos);
}

TEST_F(CliMannersTest, WatchStampsEveryLineAndKeepsItsStatusOnStandardError)
{
    ASSERT_NO_FATAL_FAILURE(StartMeter("const:72.5"));
    const struct {
        const char* format;
        std::string line; // after the stamp
    } formats[] = {
        {"text", R"(  (--:--:--|\d\d?:\d\d:\d\d)  (---\.-|\d{3}\.\d) dB  bar \d{3}\.\d  range .*)"},
        {"csv", R"(,(\d\d?:\d\d:\d\d)?,(\d+\.\d)?,\d+\.\d,[1-4]?,[A-Za-z ]*)"},
        {"json", R"(","clock":("\d\d?:\d\d:\d\d"|null),"level_db":(\d+\.\d|null),"bar_db":\d+\.\d,)"
                 R"("range":([1-4]|null),"indicators":\[("[A-Za-z]+",?)*\]\})"},
    };
    for (const auto& f : formats) {
        SCOPED_TRACE(f.format);
        const SplitRun run =
            RunSplit("watch --device " + m_device + " --seconds 2.5 --format " + f.format, m_err);
        ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
        std::vector<std::string> lines = Lines(run.out);
        if (std::string(f.format) == "csv") {
            ASSERT_FALSE(lines.empty());
            EXPECT_EQ(lines.front(), "time,clock,level_db,bar_db,range,indicators");
            lines.erase(lines.begin());
        }
        const std::regex line(std::string(f.format) == "json" ? "\\{\"time\":\"" + kStamp + f.line : kStamp + f.line);
        ASSERT_FALSE(lines.empty());
        for (const std::string& l : lines)
            EXPECT_TRUE(std::regex_match(l, line)) << l;
        EXPECT_NE(run.out.find(std::string(f.format) == "text" ? "072.5 dB" : "72.5,"), std::string::npos)
            << run.out;
        // The device is named as given, and the status lines carry their time.
        EXPECT_TRUE(std::regex_search(run.err, std::regex(kStamp + "  watching " + m_device + "\n")));
        EXPECT_TRUE(std::regex_search(run.err, std::regex(kStamp + "  connected\n"))) << run.err;
        EXPECT_EQ(run.out.find("connected"), std::string::npos);
        EXPECT_EQ(run.err.find("port 1"), std::string::npos) << run.err;
    }
    EXPECT_EQ(RunSplit("watch --device " + m_device + " --format xml", m_err).exitCode, 2);
}

TEST_F(CliMannersTest, RecordsSummaryIsTheSavedFilesOwn)
{
    // A level that moves between readings, so the display's extremes are not the readings'.
    ASSERT_NO_FATAL_FAILURE(StartMeter("ramp:40:90:3"));
    const std::string out = (m_dir / "ramp.txt").string();
    const SplitRun record = RunSplit(
        "record --device " + m_device + " --interval 1 --count 4 --timeout 60 --out " + out, m_err);
    ASSERT_EQ(record.exitCode, 0) << record.out << record.err;
    EXPECT_NE(record.out.find("from " + m_device + "\n"), std::string::npos) << record.out;
    const SplitRun info = RunSplit("info " + out, m_err);
    ASSERT_EQ(info.exitCode, 0) << info.err;
    const std::vector<std::string> statistics{"Average: ", "Maximum: ", "Minimum: "};
    const std::string saved = LinesStartingWith(info.out, statistics);
    ASSERT_EQ(Lines(saved).size(), 3u) << info.out;
    EXPECT_EQ(LinesStartingWith(record.out, statistics), saved) << record.out;

    // The last progress line says the same.
    std::smatch m;
    const std::string progress = LinesStartingWith(record.out, {"reading 4 "});
    ASSERT_TRUE(std::regex_search(progress, m, std::regex(R"(avg (\S+)  max (\S+ @ \S+)  min (\S+ @ \S+))"))) << record.out;
    EXPECT_EQ("Average: " + m[1].str() + "\nMaximum: " + m[2].str() + "\nMinimum: " + m[3].str() + "\n", saved);
}

} // namespace
