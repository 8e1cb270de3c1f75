#include "tools/cli/CliOptions.h"
#include "tools/cli/CliSignals.h"
#include "tools/cli/ConsoleDialogs.h"
#include "tools/cli/RecordedStatistics.h"

#include "common/Clock.h"
#include "common/NumberText.h"
#include "graph/RealTimeGraph.h"
#include "logger/DataFile.h"
#include "meter/MeterLink.h"
#include "monitor/RealTimeController.h"
#include "monitor/RealTimeSetup.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kPartialSuffix = ".partial";

// The command line has no graph; the recorder scales time for a graph of the
// main window's plot width.
class CNoGraph final : public IRealTimeGraph {
public:
    static constexpr int kPlotWidth = 530;
    void SetScrolling(int) override {}
    void SetTimeScale(std::int64_t, double) override {}
    void NewReading(const DataSample*, int) override {}
    void Clear() override {}
    void SetStyle(int) override {}
    void SetStartIndex(int) override {}
    void SetVerticalScrollPos(int) override {}
    void UndoZoom(const DataSample*) override {}
    int GetPlotWidth() const override { return kPlotWidth; }
    void PrintGraph() override {}
};

class CNoSetupDialog final : public IRealTimeSetupDialog {
public:
    void SetStart(int, int, int, int, int, int) override {}
    void SetParameters(double, int) override {}
    bool Run() override { return false; }
    void GetParameters(double&, int&, int&) const override {}
};

// Standard output, checked: once a write to it fails (a reader that went
// away, a closed terminal) nothing more is written there, the recording goes
// on and standard error says so once.
class CStandardOutput {
public:
    void Line(const std::string& line)
    {
        if (m_broken)
            return;
        if (std::printf("%s\n", line.c_str()) < 0 || std::fflush(stdout) != 0) {
            m_broken = true;
            std::fputs("vexalog-cli record: standard output is closed; the recording goes on\n", stderr);
        }
    }

private:
    bool m_broken = false;
};

// Prints a progress line for every reading taken, with the statistics of the
// readings themselves (not of the display between them).
class CProgress final : public IStatisticsView {
public:
    explicit CProgress(CStandardOutput& out) : m_out(out) {}
    void Follow(const ReadingStore& store) { m_store = &store; }

    void ShowStatistics(const RealTimeStatisticsTexts&) override
    {
        if (m_store == nullptr || m_store->Count() == 0 || !m_statistics.Update(m_store->Data(), m_store->Count()))
            return;
        m_out.Line(m_statistics.ProgressLine());
    }

private:
    CStandardOutput& m_out;
    const ReadingStore* m_store = nullptr;
    CRecordedStatistics m_statistics;
};

// Ends the recording with exit code 3 when the link is lost during a run. It
// listens before the recorder, which stops on the same event.
class CLinkLossExit final : public IMeterLinkListener {
public:
    explicit CLinkLossExit(const CRealTimeController& controller) : m_controller(controller) {}

    void LinkLost() override
    {
        if (m_controller.Running())
            QCoreApplication::exit(kExitLinkLost);
    }

private:
    const CRealTimeController& m_controller;
};

// A new file of our own in the temporary folder, for readings the chosen
// file could not take. Empty when none can be made.
std::string FallbackPath()
{
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error)
        return {};
    std::string path = (folder / "vexalog-record-XXXXXX.txt").string();
    const int fd = ::mkstemps(path.data(), 4);
    if (fd < 0)
        return {};
    ::close(fd);
    return path;
}

// Saves the readings to out, or when that fails to a fallback file; says
// where they went. False when they were saved to out.
bool SaveReadings(IDialogSeam& dialogs, const CRealTimeController& controller, const std::string& out,
                  CStandardOutput& say, bool& kept)
{
    const int n = controller.Store().Count();
    const DataSample* samples = controller.Store().Data();
    const double rate = controller.SamplingPeriod();
    // The console seam gives the save dialog --out and reports a failure on standard error.
    kept = true;
    if (SaveDataFile(dialogs, samples, n, rate)) {
        say.Line("saved " + std::to_string(n) + " readings to " + out);
        for (const std::string& line : SavedStatisticsLines(out))
            say.Line(line);
        return true;
    }
    const std::string fallback = FallbackPath();
    const DataFileWriteResult result =
        fallback.empty() ? DataFileWriteResult{false, "no fallback file could be made"}
                         : WriteDataFile(fallback, samples, n, rate);
    if (result.ok) {
        std::fprintf(stderr, "vexalog-cli record: the %d readings were saved to %s instead\n", n, fallback.c_str());
        say.Line("saved " + std::to_string(n) + " readings to " + fallback);
        for (const std::string& line : SavedStatisticsLines(fallback))
            say.Line(line);
    } else {
        kept = false;
        if (!fallback.empty())
            ::unlink(fallback.c_str());
        std::fprintf(stderr, "vexalog-cli record: no file could take the readings: %s\n", result.error.c_str());
    }
    return false;
}

} // namespace

int RunRecord(const CliOptions& options)
{
    std::string error;
    const auto fail = [&](int code) {
        std::fprintf(stderr, "vexalog-cli record: %s\n", error.c_str());
        return code;
    };
    if (!options.Check({"port", "device", "ini", "out", "interval", "count", "timeout"}, 0, &error))
        return fail(kExitUsage);
    const auto interval = options.Number("interval", 0.5, 0.1, 3600.0, "seconds", &error);
    const auto count = options.Integer("count", 100, 0, ReadingStore::kSlots, "a number of readings", &error);
    const auto timeout = options.Number("timeout", kLongestWait, 0.001, kLongestWait, "seconds", &error);
    if (!interval || !count || !timeout)
        return fail(kExitUsage);
    const auto out = options.Value("out");
    if (!out) {
        error = "give the data file with --out FILE";
        return fail(kExitUsage);
    }
    // The file is checked before anything is recorded, not refused at the end.
    if (const DataFileWriteResult target = CheckDataFileTarget(*out); !target.ok) {
        error = target.error;
        return fail(kExitUsage);
    }
    // The readings go to OUT.partial as they are taken; one left by a recording
    // that was cut short holds its readings and is not overwritten.
    const std::string partial = *out + kPartialSuffix;
    if (struct stat info {}; ::lstat(partial.c_str(), &info) == 0) {
        error = partial + " holds the readings of an earlier recording that was cut short: keep it under another name "
                          "or remove it first";
        return fail(kExitUsage);
    }
    CliPort port;
    if (!ResolvePort(options, port, &error))
        return fail(kExitUsage);

    auto& app = *QCoreApplication::instance();
    CConsoleDialogs dialogs(*out);
    CSystemClock clock;
    CNoGraph graph;
    CNoSetupDialog setup;
    CStandardOutput say;
    CProgress progress(say);
    CMeterLink link(port.iniPath, dialogs, clock);

    // The end of monitoring asks whether to save (the console answers OK);
    // the readings are saved once the loop has ended, whatever ended it.
    const auto finished = [](const DataSample*, int, double) {
        QCoreApplication::exit(0);
        return false;
    };
    const auto post = [&app](std::function<void()> task) {
        QMetaObject::invokeMethod(&app, std::move(task), Qt::QueuedConnection);
    };
    CRealTimeController controller(link.State(), graph, clock, dialogs, setup, finished, post,
                                   {&progress, nullptr});
    CRecordingJournal journal(clock);
    controller.SetJournal(&journal, {}, partial);
    progress.Follow(controller.Store());
    CLinkLossExit linkLoss(controller);
    link.AddListener(linkLoss);
    link.AddListener(controller);

    // Chosen as the program chooses a port: a lost link then watches this port.
    link.Link().ChoosePort(port.number);
    if (!link.Link().PortOpen())
        return kExitFailed;
    controller.SetParameters(*interval, *count);
    controller.Run();
    say.Line("recording " + std::to_string(*count) + " readings every " + FormatGeneral(*interval) + " s from " +
             PortName(port, link.PortMap().DevicePath(port.number)));

    QuitOnSignals(app);
    IgnoreBrokenPipe();
    if (options.Has("timeout"))
        QTimer::singleShot(static_cast<int>(*timeout * 1000), &app, [] { QCoreApplication::exit(kExitTimedOut); });
    const int code = app.exec();
    controller.Stop();
    const int n = controller.Store().Count();
    if (code != 0) {
        const char* why = code == kExitLinkLost ? "the link was lost"
                          : code == kExitTimedOut            ? "timed out"
                                                             : "interrupted";
        std::fprintf(stderr, "vexalog-cli record: %s after %d readings\n", why, n);
        if (n == 0) {
            std::fputs("vexalog-cli record: nothing was recorded, no file was written\n", stderr);
            return code;
        }
    }
    bool kept = false;
    const bool saved = SaveReadings(dialogs, controller, *out, say, kept);
    if (kept)
        journal.Remove();
    else if (journal.IsOpen())
        std::fprintf(stderr, "vexalog-cli record: the readings are still in %s\n", journal.Path().c_str());
    else
        std::fputs("vexalog-cli record: the readings are lost\n", stderr);
    return code != 0 ? code : saved ? 0 : kExitFailed;
}
