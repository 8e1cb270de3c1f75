// The real-time graph's processor load in a window: the control and its
// time strip on screen, fed by a timer as the recorder feeds them, and the
// share of one core the process used, read from /proc/self/stat over fixed
// intervals. Not a benchmark of one operation: what a user's machine pays
// while the graph is on screen.
//
//   GraphLoad record RATE FROM TO   readings arrive RATE a second, FROM .. TO
//   GraphLoad idle SECONDS          a full store (40000) on screen, none arriving
//
// Prints one line per interval (5 s) and a last line "total CPU% N".
#include "common/DataSample.h"
#include "common/DialogSeam.h"
#include "common/TimeText.h"
#include "graph/GraphOwnerModel.h"
#include "graph/widgets/CTimeButtom.h"
#include "graph/widgets/CTrafficButton.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kSlots = 40000;

class CNoDialogs final : public IDialogSeam {
public:
    MsgAnswer MessageBox(const std::string&, const std::string&, MsgButtons, MsgIcon) override
    {
        return MsgAnswer::Ok;
    }
    std::optional<std::string> SaveFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> OpenFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<PrinterChoice> ChoosePrinter(int) override { return std::nullopt; }
};

// The recorder's side as far as the graph sees it: the time scale and its widening.
class CLoadFeed final : public IGraphFeed {
public:
    int ReadingLimit() const override { return kSlots; }
    void ScrollGraphTo(int) override {}
    void AfterHorizontalScroll() override {}
    void ScrollGraphVertically(int) override {}
    void UndoGraphZoom() override {}
    void ExtendTimeScale() override
    {
        if (graph)
            graph->SetTimeScale(origin, 530.0 / ((3.0 * kSlots - 2.0 * count) * period));
    }
    IRealTimeGraph* graph = nullptr;
    std::int64_t origin = 0;
    double period = 0.1;
    int count = 0;
};

class CStripView final : public IGraphOwnerView {
public:
    explicit CStripView(CTimeButtom& strip) : m_strip(strip) {}
    void ShowReadouts(const GraphReadoutTexts&) override {}
    void ShowHScrollBar(const HScrollBarState&) override {}
    void ShowVScrollBar(const VScrollBarState&) override {}
    void ShowTimeLabels(const std::string& l, const std::string& m, const std::string& r) override
    {
        m_strip.SetLabels(l, m, r);
    }
    void ShowStatusMessage(const std::string&) override {}

private:
    CTimeButtom& m_strip;
};

double CpuSeconds()
{
    std::ifstream stat("/proc/self/stat");
    std::string field;
    unsigned long user = 0, system = 0;
    for (int i = 1; i <= 15 && stat >> field; ++i) {
        if (i == 14)
            user = std::stoul(field);
        if (i == 15)
            system = std::stoul(field);
    }
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

DataSample Reading(int i, double period)
{
    DataSample s;
    const int tenths = static_cast<int>(i * period * 10.0);
    const int second = 8 * 3600 + tenths / 10;
    char time[16];
    std::snprintf(time, sizeof time, "%d:%02d:%02d", second / 3600, second / 60 % 60, second % 60);
    s.value = 60.0 + (i * 37 % 300) / 10.0;
    s.valid = 1;
    s.date = "12-5-2007";
    s.time = time;
    s.unit = "dBA";
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode != "record" && mode != "idle") {
        std::fprintf(stderr, "usage: GraphLoad record RATE FROM TO | GraphLoad idle SECONDS\n");
        return 2;
    }
    const double rate = mode == "record" && argc > 2 ? std::atof(argv[2]) : 0.0;
    const int from = mode == "record" && argc > 3 ? std::atoi(argv[3]) : 0;
    const int to = mode == "record" && argc > 4 ? std::atoi(argv[4]) : kSlots;
    const int idleSeconds = mode == "idle" && argc > 2 ? std::atoi(argv[2]) : 60;
    if (mode == "record" && (!(rate > 0.0) || from < 0 || to > kSlots || from >= to)) {
        std::fprintf(stderr, "GraphLoad: RATE > 0 and 0 <= FROM < TO <= 40000\n");
        return 2;
    }

    QWidget window;
    window.resize(700, 360);
    CNoDialogs dialogs;
    CLoadFeed feed;
    CTimeButtom strip(&window);
    strip.setGeometry(40, 300, 560, 16);
    strip.Attach();
    CStripView view(strip);
    CGraphOwnerModel owner(feed, &view);
    CTrafficButton graph(owner, dialogs, &window);
    graph.setGeometry(40, 20, 560, 279);
    window.show();
    graph.Attach();
    feed.graph = &graph;
    feed.origin = MakeLocalTime(2007, 5, 12, 8, 0, 0);

    std::vector<DataSample> store(kSlots);
    for (int i = 0; i < kSlots; ++i) {
        store[static_cast<std::size_t>(i)] = Reading(i, feed.period);
        store[static_cast<std::size_t>(i)].valid = 0;
    }
    auto take = [&](int i) {
        store[static_cast<std::size_t>(i)].valid = 1;
        feed.count = i + 1;
        graph.NewReading(store.data(), i);
    };
    graph.SetTimeScale(feed.origin, 530.0 / (kSlots * feed.period));
    const int first = mode == "idle" ? kSlots : from;
    for (int i = 0; i < first; ++i)
        take(i);
    graph.SetScrolling(mode == "record" ? 1 : 0);

    int next = first;
    QTimer feedTimer;
    QElapsedTimer clock;
    if (mode == "record") {
        // Readings due by the clock, so a busy moment catches up as the meter's blocks would.
        QObject::connect(&feedTimer, &QTimer::timeout, [&] {
            const int due = from + static_cast<int>(clock.elapsed() * rate / 1000.0);
            while (next < due && next < to)
                take(next++);
            if (next >= to)
                app.quit();
        });
        feedTimer.start(std::max(1, static_cast<int>(1000.0 / rate)));
    } else {
        QTimer::singleShot(idleSeconds * 1000, &app, &QApplication::quit);
    }

    QTimer report;
    double lastCpu = CpuSeconds();
    qint64 lastMs = 0;
    const double startCpu = lastCpu;
    QObject::connect(&report, &QTimer::timeout, [&] {
        const double cpu = CpuSeconds();
        const qint64 ms = clock.elapsed();
        std::printf("%7.1f s  readings %5d  CPU%% %6.2f\n", ms / 1000.0, next,
                    100.0 * (cpu - lastCpu) / ((ms - lastMs) / 1000.0));
        std::fflush(stdout);
        lastCpu = cpu;
        lastMs = ms;
    });
    report.start(5000);
    clock.start();
    app.exec();
    const double seconds = clock.elapsed() / 1000.0;
    std::printf("total CPU%% %.2f over %.1f s, readings %d\n", 100.0 * (CpuSeconds() - startCpu) / seconds, seconds,
                next);
    return 0;
}
