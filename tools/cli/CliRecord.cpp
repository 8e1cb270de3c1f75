#include "CliOptions.h"
#include "CliSignals.h"
#include "ConsoleDialogs.h"

#include "Clock.h"
#include "DataFile.h"
#include "MeterLink.h"
#include "RealTimeController.h"
#include "RealTimeGraph.h"
#include "RealTimeSetup.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

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

// Prints a progress line for every reading taken.
class CProgress final : public IStatisticsView {
public:
    void ShowStatistics(const RealTimeStatisticsTexts& texts) override
    {
        if (texts.dataNo == m_lastDataNo || texts.dataNo == "0")
            return;
        m_lastDataNo = texts.dataNo;
        std::printf("reading %s  avg %s  max %s @ %s  min %s @ %s\n", texts.dataNo.c_str(), texts.avg.c_str(),
                    texts.maximum.c_str(), texts.maximumTime.c_str(), texts.minimum.c_str(),
                    texts.minimumTime.c_str());
        std::fflush(stdout);
    }

private:
    std::string m_lastDataNo;
};

class CRecordClient final : public IMeterLinkClient {
public:
    void Attach(CRealTimeController& controller) { m_controller = &controller; }
    bool LinkLost() const { return m_linkLost; }

    void InvalidatePanel(const PanelRect&) override {}
    void CurrentValueDecoded() override { m_controller->CurrentValueDecoded(); }
    void DisplayValueDecoded(double value) override { m_controller->DisplayValueDecoded(value); }
    void BlockDecoded() override { m_controller->RefreshStatistics(); }
    void StopRecording() override
    {
        if (m_controller->Running())
            m_linkLost = true;
        m_controller->Stop();
        if (m_linkLost)
            QCoreApplication::exit(3);
    }

private:
    CRealTimeController* m_controller = nullptr;
    bool m_linkLost = false;
};

} // namespace

int RunRecord(const CliOptions& options)
{
    CliPort port;
    std::string error;
    if (!ResolvePort(options, port, &error)) {
        std::fprintf(stderr, "vexalog-cli record: %s\n", error.c_str());
        return 2;
    }
    const auto out = options.Value("out");
    if (!out) {
        std::fputs("vexalog-cli record: give the data file with --out FILE\n", stderr);
        return 2;
    }
    const double interval = std::atof(options.Value("interval").value_or("0.5").c_str());
    const int count = std::atoi(options.Value("count").value_or("100").c_str());
    if (interval <= 0.0 || count < 0 || count > ReadingStore::kSlots) {
        std::fprintf(stderr, "vexalog-cli record: the interval must be above 0 and the count 0..%d\n",
                     ReadingStore::kSlots);
        return 2;
    }

    CConsoleDialogs dialogs(*out);
    CSystemClock clock;
    CNoGraph graph;
    CNoSetupDialog setup;
    CProgress progress;
    CRecordClient client;
    CMeterLink link(port.iniPath, dialogs, clock, client);

    int result = 0;
    // The end of monitoring asks whether to save; the console answers OK and
    // the save dialog gets --out.
    auto save = [&](const DataSample* samples, int n, double rate) {
        if (SaveDataFile(dialogs, samples, n, rate)) {
            std::printf("saved %d readings to %s\n", n, out->c_str());
            std::fflush(stdout);
        } else {
            result = 1;
        }
        QCoreApplication::exit(result);
    };
    CRealTimeController controller(link.State(), graph, clock, dialogs, setup, save, {&progress, nullptr});
    client.Attach(controller);

    if (!link.Link().OpenPort(port.number))
        return 1;
    controller.SetParameters(interval, count);
    controller.Run();
    std::printf("recording %d readings every %g s from port %d (%s)\n", count, interval, port.number,
                link.PortMap().DevicePath(port.number).c_str());
    std::fflush(stdout);

    auto& app = *QCoreApplication::instance();
    QuitOnSignals(app);
    if (const auto seconds = options.Value("timeout"))
        QTimer::singleShot(static_cast<int>(std::atof(seconds->c_str()) * 1000), &app, [] { QCoreApplication::exit(4); });
    const int code = app.exec();
    if (code != 0 && code != 1) {
        // Interrupted, timed out or the link was lost: keep what was recorded.
        controller.Stop();
        const int n = controller.Store().Count();
        std::fprintf(stderr, "vexalog-cli record: %s after %d readings\n",
                     code == 3 ? "the link was lost" : code == 4 ? "timed out" : "interrupted", n);
        if (n > 0 && SaveDataFile(dialogs, controller.Store().Data(), n, controller.SamplingPeriod()))
            std::printf("saved %d readings to %s\n", n, out->c_str());
        return code == 0 ? 1 : code;
    }
    return code;
}
