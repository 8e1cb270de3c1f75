// vexalog-cli download against the simulated meter's data logger on a
// pseudo-terminal: every set written, damaged replies, an empty or silent meter.
#include "tests/tools/cli/CliKit.h"

namespace {

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

// A set with readings that are not BCD: the rest is written, the damage is
// told, and the exit code says the download was not clean.
TEST_F(CliTest, DownloadWithDamagedReadingsWritesTheRestAndFails)
{
    ASSERT_NO_FATAL_FAILURE(StartMeter({"--logger", "none"}));
    SimWire::LoggerSet set;
    set.readings = {60.0, 61.0, 62.0, 63.0};
    std::vector<std::uint8_t> data = SimWire::EncodeSet(set);
    data[9 + 2] = 0xFF; // reading 1: FF FF, once saved as 1666.50
    data[9 + 3] = 0xFF;
    data[9 + 4] = 0x1A; // reading 2: 1A 00, once saved as 200.00
    data[9 + 5] = 0x00;
    SimWire::LoggerSet second = set;
    second.cWeighted = true;
    const std::vector<std::uint8_t> more = SimWire::EncodeSet(second);
    data.insert(data.end(), more.begin(), more.end());
    const auto header = SimWire::DumpHeader(data.size());
    std::string hex;
    char byte[4];
    for (const std::uint8_t b : {header[0], header[1], header[2]}) {
        std::snprintf(byte, sizeof byte, "%02X", b);
        hex += byte;
    }
    for (const std::uint8_t b : data) {
        std::snprintf(byte, sizeof byte, "%02X", b);
        hex += byte;
    }
    ASSERT_TRUE(m_sim->Send("answer " + hex + "DD"));
    ASSERT_FALSE(m_sim->WaitFor("OK answer", 2000).empty());

    const std::filesystem::path out = m_dir / "damaged";
    const CliRun run = RunCli("download --device " + m_device + " --out " + out.string() + " --timeout 30");
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("2 readings in set 1 were damaged and left out."), std::string::npos) << run.output;
    const std::string first = ReadAll(out / "set-001.txt");
    EXPECT_NE(first.find(", 60.00, dBA"), std::string::npos) << first;
    EXPECT_NE(first.find(", 63.00, dBA"), std::string::npos) << first;
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 3) << "the header and two readings: " << first;
    EXPECT_EQ(first.find("1666"), std::string::npos);
    EXPECT_EQ(first.find("200.00"), std::string::npos);
    const std::string intact = ReadAll(out / "set-002.txt");
    EXPECT_EQ(std::count(intact.begin(), intact.end(), '\n'), 5) << "the header and four readings: " << intact;
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
          "download" + device + out + " --timeout 1e4", "download" + device + out + " --timeout 5s",
          "download" + device + out + " --timeout 99999", "download" + device + out + " --count 3",
          "download" + device + out + out, "download" + device + out + " extra", "download --device ''" + out}) {
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments << "\n" << run.output;
        EXPECT_NE(run.output.find("vexalog-cli"), std::string::npos) << arguments << "\n" << run.output;
    }
    EXPECT_FALSE(std::filesystem::exists(m_dir / "x")) << "nothing is written for a refused command line";
}

} // namespace
