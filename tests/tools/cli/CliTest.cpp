// The command-line companion run as a user runs it, against the simulated
// meter on a pseudo-terminal: watch, record into a data file, info on it.
#include "tests/tools/cli/CliKit.h"

namespace {

TEST_F(CliTest, RecordWritesTheReadingsToADataFileThatInfoReadsBackWhateverTheLocale)
{
    ASSERT_NO_FATAL_FAILURE(StartMeter());
    // Under a locale with a decimal comma the file and the output still use the point.
    for (const std::string locale : {"C", kCommaLocale}) {
        SCOPED_TRACE(locale);
        if (locale == kCommaLocale && !CCommaLocale().Active())
            GTEST_SKIP() << kNoCommaLocale;
        const std::string environment = "LC_ALL=" + locale + " ";
        const std::filesystem::path out = m_dir / ("street-" + locale + ".txt");
        const CliRun record = RunCli(
            "record --device " + m_device + " --interval 0.5 --count 4 --timeout 30 --out " + out.string(), environment);
        ASSERT_EQ(record.exitCode, 0) << record.output;
        EXPECT_NE(record.output.find("every 0.5 s"), std::string::npos) << record.output;
        EXPECT_NE(record.output.find("saved 4 readings to " + out.string()), std::string::npos) << record.output;

        // The header, then exactly the four readings, every line ending CR CR LF.
        const std::string text = ReadAll(out);
        const std::string header = "ORVANTIS LX47 DATA LOGGER SamplingRate:0.5;\r\r\n";
        ASSERT_EQ(text.substr(0, header.size()), header);
        const std::vector<std::string> lines = SampleLines(text);
        ASSERT_EQ(lines.size(), 4u) << text;
        std::size_t size = header.size();
        for (const std::string& line : lines) {
            EXPECT_NE(line.find(", 72.50, dBA"), std::string::npos) << line;
            size += line.size() + 3;
        }
        EXPECT_EQ(text.size(), size);

        const CliRun info = RunCli("info " + out.string(), environment);
        ASSERT_EQ(info.exitCode, 0) << info.output;
        EXPECT_NE(info.output.find("Sampling rate: 0.5 s"), std::string::npos) << info.output;
        EXPECT_NE(info.output.find("Samples: 4"), std::string::npos) << info.output;
        EXPECT_NE(info.output.find("Record sets: 1"), std::string::npos) << info.output;
        EXPECT_NE(info.output.find("Average: 72.50"), std::string::npos) << info.output;
    }
}

TEST_F(CliTest, EverySignalThatEndsARecordingSavesItAndTheExitTellsWhich)
{
    ASSERT_NO_FATAL_FAILURE(StartMeter());
    // A closed terminal (SIGHUP), Ctrl-C, Ctrl-\\, kill and the user signals.
    for (const int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGUSR1}) {
        SCOPED_TRACE(signal);
        const std::filesystem::path out = m_dir / ("interrupted-" + std::to_string(signal) + ".txt");
        auto record = StartCli({"record", "--device", m_device, "--count", "1000", "--out", out.string()});
        ASSERT_FALSE(record->WaitFor("reading 3 ", 15000).empty()) << record->Output();
        record->Signal(signal);
        EXPECT_EQ(record->WaitExit(15000), 128 + signal) << record->Output();
        const std::vector<std::string> lines = SampleLines(ReadAll(out));
        ASSERT_GE(lines.size(), 3u) << record->Output();
        const std::string count = std::to_string(lines.size());
        EXPECT_NE(record->Output().find("interrupted after " + count + " readings"), std::string::npos)
            << record->Output();
        EXPECT_NE(record->Output().find("saved " + count + " readings to " + out.string()), std::string::npos)
            << record->Output();
        EXPECT_FALSE(std::filesystem::exists(out.string() + ".partial"));
    }
}

TEST_F(CliTest, AKilledRecordingLeavesEveryReadingTakenInThePartialFile)
{
    ASSERT_NO_FATAL_FAILURE(StartMeter());
    const std::filesystem::path out = m_dir / "killed.txt";
    const std::string partial = out.string() + ".partial";
    auto record = StartCli(
        {"record", "--device", m_device, "--interval", "1", "--count", "1000", "--out", out.string()});
    ASSERT_FALSE(record->WaitFor("reading 4 ", 20000).empty()) << record->Output();
    record->Signal(SIGKILL);
    record->WaitExit(15000);
    // Every reading it had reported is there, whole, readable as a data file.
    const int reported = record->CountLines("reading ");
    const std::string text = ReadAll(partial);
    EXPECT_EQ(text.rfind("ORVANTIS LX47 DATA LOGGER SamplingRate:1.0;\r\r\n", 0), 0u) << text;
    const std::vector<std::string> lines = SampleLines(text);
    EXPECT_GE(static_cast<int>(lines.size()), reported) << text;
    EXPECT_EQ(text.size() - text.rfind("\r\r\n"), 3u) << text;
    EXPECT_FALSE(std::filesystem::exists(out));

    // The next recording to the same file keeps them rather than overwrite them.
    const CliRun again = RunCli("record --device " + m_device + " --count 2 --out " + out.string());
    EXPECT_EQ(again.exitCode, 2) << again.output;
    EXPECT_NE(again.output.find("cut short"), std::string::npos) << again.output;
    EXPECT_EQ(ReadAll(partial), text);
}

TEST_F(CliTest, AReaderOfTheOutputThatGoesAwayDoesNotStopTheRecording)
{
    ASSERT_NO_FATAL_FAILURE(StartMeter());
    const std::filesystem::path out = m_dir / "piped.txt";
    const std::string status = (m_dir / "status").string();
    const char* cli = std::getenv("VEXALOG_CLI");
    ASSERT_NE(cli, nullptr);
    // head ends after the first line; the recording goes on to its count.
    const std::string command = "{ " + std::string(cli) + " record --device " + m_device +
                                " --interval 0.5 --count 6 --timeout 60 --out " + out.string() +
                                " 2>/dev/null; echo $? >" + status + "; } | head -1 >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(status); }, 60000));
    ASSERT_TRUE(WaitUntil([&] { return ReadAll(status).find('\n') != std::string::npos; }, 5000));
    EXPECT_EQ(ReadAll(status), "0\n");
    EXPECT_EQ(SampleLines(ReadAll(out)).size(), 6u);
}

TEST_F(CliTest, PortFoldersAKilledRunLeftAreClearedWhenNobodyOwnsThem)
{
    // A process number that is no longer in use, and one that is.
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    const std::string dead = std::to_string(child);
    const std::string living = std::to_string(::getpid());
    const struct {
        std::string folder;
        std::string file;
        bool cleared;
    } left[] = {
        {"vexalog-cli." + dead + ".aB3xYz", "TempPort.ini", true},
        {"vexalog-cli." + living + ".aB3xYz", "TempPort.ini", false},
        {"vexalog-cli." + dead + ".cD4wVu", "notes.txt", false}, // not only our port file
        {"vexalog-cli." + dead + ".eF5", "TempPort.ini", false},
    };
    for (const auto& folder : left) {
        std::filesystem::create_directory(m_dir / folder.folder);
        std::ofstream(m_dir / folder.folder / folder.file) << "[Port Devices]\r\n";
    }
    const CliRun record = RunCli("record --device " + (m_dir / "absent").string() + " --count 1 --out " +
                                     (m_dir / "x.txt").string(),
                                 "TMPDIR=" + m_dir.string() + " ");
    EXPECT_NE(record.exitCode, 0) << record.output;
    for (const auto& folder : left)
        EXPECT_EQ(std::filesystem::exists(m_dir / folder.folder), !folder.cleared) << folder.folder;
    // Its own folder goes at its end, as before.
    int folders = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir))
        folders += entry.path().filename().string().rfind("vexalog-cli.", 0) == 0;
    EXPECT_EQ(folders, 3);
}

TEST_F(CliTest, ReadingsTheChosenFileCannotTakeGoToAFallbackFileThatIsNamed)
{
    ASSERT_NO_FATAL_FAILURE(StartMeter());
    const std::filesystem::path out = m_dir / "taken.txt";
    auto record = StartCli({"record", "--device", m_device, "--count", "3", "--out", out.string()},
                           {"TMPDIR=" + m_dir.string()});
    ASSERT_FALSE(record->WaitFor("recording ", 15000).empty()) << record->Output();
    // Something takes the file's place while the readings come in.
    std::filesystem::create_directory(out);
    EXPECT_EQ(record->WaitExit(30000), 1) << record->Output();
    const std::string saved = record->WaitFor("saved 3 readings to ", 0);
    ASSERT_FALSE(saved.empty()) << record->Output();
    const std::string fallback = saved.substr(std::string("saved 3 readings to ").size());
    EXPECT_EQ(std::filesystem::path(fallback).parent_path(), m_dir);
    EXPECT_EQ(SampleLines(ReadAll(fallback)).size(), 3u);
    EXPECT_NE(record->Output().find("could not be saved"), std::string::npos) << record->Output();
    EXPECT_TRUE(std::filesystem::is_directory(out));
}

TEST_F(CliTest, AnOvernightRecordingGoesOnPastTheMetersMidnight)
{
    // The meter's clock a few seconds before its midnight, whatever the PC's clock says.
    m_sim = std::make_unique<CSimulatedMeter>(std::vector<std::string>{
        "--level", "const:72.5", "--clock", "23:59:54", "--link", m_device, "--exit-with-parent"});
    ASSERT_TRUE(m_sim->Started()) << m_sim->Error();
    const std::filesystem::path out = m_dir / "overnight.txt";
    const CliRun record =
        RunCli("record --device " + m_device + " --interval 1 --count 10 --timeout 40 --out " + out.string());
    ASSERT_EQ(record.exitCode, 0) << record.output;
    const std::vector<std::string> lines = SampleLines(ReadAll(out));
    ASSERT_EQ(lines.size(), 10u) << record.output;
    // One reading a meter second; the date moves on once, with the meter's midnight.
    std::string before;
    int dateChanges = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string date = lines[i].substr(0, lines[i].find(','));
        if (i > 0 && date != before) {
            ++dateChanges;
            EXPECT_NE(lines[i].find(", 0:00:0"), std::string::npos) << lines[i];
        }
        before = date;
    }
    EXPECT_EQ(dateChanges, 1) << ReadAll(out);
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

TEST_F(CliTest, WatchPicksTheMeterUpAgainAfterEveryUnplugAndSilence)
{
    ASSERT_NO_FATAL_FAILURE(StartMeter());
    auto watch = StartCli({"watch", "--device", m_device});
    ASSERT_FALSE(watch->WaitForLineWith("  connected", 15000).empty()) << watch->Output();
    ASSERT_FALSE(watch->WaitForLineWith("072.5 dB", 5000).empty()) << watch->Output();
    for (const auto& [gone, back] : {std::pair{"vanish", "appear"}, std::pair{"silent", "resume"},
                                     std::pair{"vanish", "appear"}}) {
        SCOPED_TRACE(gone);
        ASSERT_TRUE(m_sim->Send(gone));
        ASSERT_FALSE(watch->WaitForLineWith("  link lost", 15000).empty()) << watch->Output();
        ASSERT_TRUE(m_sim->Send(back));
        ASSERT_FALSE(watch->WaitForLineWith("  connected", 20000).empty()) << watch->Output();
        // The display is printed again.
        ASSERT_FALSE(watch->WaitForLineWith("072.5 dB", 5000).empty()) << watch->Output();
    }
    watch->Signal(SIGINT);
    EXPECT_EQ(watch->WaitExit(15000), 0) << watch->Output();
}

TEST_F(CliTest, WrongUseAndBadFilesAreRefusedWithAReason)
{
    const std::string locked = (m_dir / "locked.txt").string();
    std::ofstream(locked) << "keep";
    ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
    const std::string device = " --device /dev/null";
    const std::string out = " --out " + (m_dir / "out.txt").string();
    // Each is refused before any port is opened or anything recorded.
    const struct {
        std::string arguments;
        const char* reason;
    } cases[] = {
        {"record --device /dev/null", "--out"},
        {"watch --port 1 --device /dev/null", "either --port N or --device PATH"},
        {"watch --port 5x", "--port wants a port number from 1 to 100, not '5x'"},
        {"watch" + device + " --seconds abc", "--seconds wants seconds from 0.001 to 2147483, not 'abc'"},
        {"watch" + device + " --seconds 1e12", "not '1e12'"},
        {"watch" + device + " --seconds nan", "not 'nan'"},
        {"watch" + device + " --seconds -1", "not '-1'"},
        {"watch" + device + " --seconds 0,5", "not '0,5'"},
        {"watch" + device + " --secs 3", "unknown option --secs"},
        {"watch" + device + " now", "unexpected argument 'now'"},
        {"record" + device + out + " --timeout abc", "--timeout wants seconds"},
        {"record" + device + out + " --count 10x", "--count wants a number of readings from 0 to 40000, not '10x'"},
        {"record" + device + out + " --count 40001", "not '40001'"},
        {"record" + device + out + " --interval 0", "--interval wants seconds from 0.1 to 3600, not '0'"},
        {"record" + device + out + " --count 5 --count 6", "--count is given twice"},
        {"record" + device + " --out " + (m_dir / "missing" / "x.txt").string(), "No such file or directory"},
        {"record" + device + " --out " + locked, "the file is write-protected"},
        {"record" + device + " --out " + m_dir.string(), "Is a directory"},
        {"info", "give one data file"},
    };
    for (const auto& c : cases) {
        const CliRun run = RunCli(c.arguments);
        EXPECT_EQ(run.exitCode, 2) << c.arguments << "\n" << run.output;
        EXPECT_NE(run.output.find(c.reason), std::string::npos) << c.arguments << "\n" << run.output;
        EXPECT_EQ(run.output.find("readings every"), std::string::npos) << run.output;
    }

    const std::filesystem::path notData = m_dir / "notes.txt";
    std::ofstream(notData) << "orvantis lx47 data logger SamplingRate:0.5;\r\n";
    const CliRun info = RunCli("info " + notData.string());
    EXPECT_EQ(info.exitCode, 1);
    EXPECT_NE(info.output.find("Data Format is wrong!"), std::string::npos) << info.output;

    const CliRun missing = RunCli("info " + (m_dir / "none.txt").string());
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_FALSE(missing.output.empty());
}

TEST_F(CliTest, InfoNamesDamagedLinesAndPrintsNothingOfThem)
{
    // Units that would clear the screen, or end a line early at their NUL.
    const std::filesystem::path file = m_dir / "hostile.txt";
    const std::string nul("d\0A", 3);
    std::ofstream(file, std::ios::binary) << "\xEF\xBB\xBFORVANTIS LX47 DATA LOGGER SamplingRate:1.0;\r\r\n"
                                          << "7-3-2007, 9:05:07, 65.30, \x1b[2J\r\r\n"
                                          << "7-3-2007, 9:05:08, 66.30, " << nul << "\r\r\n"
                                          << "7-3-2007, 9:05:09, 67.30, dBA\r\r\n";
    const CliRun info = RunCli("info " + file.string());
    ASSERT_EQ(info.exitCode, 0) << info.output;
    EXPECT_EQ(info.output.find('\x1b'), std::string::npos);
    EXPECT_EQ(info.output.find('\0'), std::string::npos);
    EXPECT_NE(info.output.find("Record sets: 1\nSet 1: 0..0, dBA, 2007-03-07 09:05:09, 1 sample\n"), std::string::npos)
        << info.output;
    EXPECT_NE(info.output.find("line 2 is damaged: its unit is neither dBA nor dBC\n"
                               "line 3 is damaged: it holds NUL bytes\n"
                               "2 damaged lines were left out; the rest of the file was read.\n"),
              std::string::npos)
        << info.output;
}

} // namespace
