// Frame times of the real-time graph: the overview over a full store of 40000
// readings, drawn by the reference rendering (every reading's date and time
// converted on every frame, every point drawn) and by the program's fast
// path (times converted once, each pixel column collapsed to the points that
// decide it); a frame of a page; and one reading's arrival while recording
// into an almost full store, update and frame. Drawn into an image as the control's
// off-screen drawing does, text and all.
//
// Run as the program runs: without TZ in the environment the C library looks
// up the local time zone on every conversion, which is what the reference
// pays on every frame.
#include "common/TimeText.h"
#include "graph/GraphOwnerModel.h"
#include "graph/TrafficGraph.h"
#include "graph/TrafficGraphPainter.h"
#include "logger/DataLoggerGraph.h"
#include "logger/DataLoggerPainter.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 560;
constexpr int kHeight = 279;
constexpr int kReadings = 40000;

class CFeed final : public IGraphFeed {
public:
    int ReadingLimit() const override { return kReadings; }
    void ScrollGraphTo(int) override {}
    void AfterHorizontalScroll() override {}
    void ScrollGraphVertically(int) override {}
    void UndoGraphZoom() override {}
    void ExtendTimeScale() override {}
};

// A recording of a street at two readings a second, dated as the recorder dates them.
std::vector<DataSample> FullStore()
{
    std::vector<DataSample> store(kReadings);
    std::mt19937 random(7);
    std::normal_distribution<double> step(0.0, 0.8);
    double level = 70.0;
    for (int i = 0; i < kReadings; ++i) {
        level = std::clamp(level + step(random), 35.0, 125.0);
        const int second = 8 * 3600 + i / 2;
        char time[16];
        std::snprintf(time, sizeof time, "%d:%02d:%02d", second / 3600 % 24, second / 60 % 60, second % 60);
        DataSample& s = store[static_cast<std::size_t>(i)];
        s.value = std::round(level * 10.0) / 10.0;
        s.valid = 1;
        s.date = "12-5-2007";
        s.time = time;
        s.unit = "dBA";
    }
    return store;
}

struct Scene {
    Scene() : store(FullStore()), graph(owner)
    {
        graph.Attach(kWidth, kHeight);
        origin = MakeLocalTime(2007, 5, 12, 8, 0, 0);
        graph.NewReading(store.data(), kReadings - 1);
    }

    // The overview as it stands with a full store: the readings placed in
    // time across the plot, the newest few at slot steps.
    void Overview()
    {
        graph.SetTimeScale(origin, 530.0 / (kReadings * 0.5));
        graph.State().timePlacedCount = kReadings - 20;
    }

    void Frame(TraceRendering rendering)
    {
        QPainter painter(&image);
        painter.setFont(font);
        drawer.Draw(painter, graph, rendering);
    }

    std::vector<DataSample> store;
    CFeed feed;
    CGraphOwnerModel owner{feed};
    CTrafficGraph graph;
    CTrafficGraphPainter drawer;
    std::int64_t origin = 0;
    QImage image{kWidth, kHeight, QImage::Format_RGB32};
    QFont font{QStringLiteral("DejaVu Sans"), 9};
};

void OverviewFrames(benchmark::State& state, TraceRendering rendering)
{
    Scene scene;
    for (auto _ : state) {
        scene.Overview();
        // A painter that has drawn nothing yet: the whole store is walked.
        scene.drawer = CTrafficGraphPainter();
        scene.Frame(rendering);
        benchmark::DoNotOptimize(scene.image.constBits());
    }
    state.counters["readings"] = kReadings;
}

void BM_OverviewReference(benchmark::State& state)
{
    OverviewFrames(state, TraceRendering::Reference);
}

void BM_OverviewFast(benchmark::State& state)
{
    OverviewFrames(state, TraceRendering::Fast);
}

// A page of 265 readings in the middle of the store; argument: 1 line, 0 histogram.
void BM_PageFrame(benchmark::State& state)
{
    Scene scene;
    scene.graph.State().overview = false;
    scene.graph.SetStyle(static_cast<int>(state.range(0)));
    scene.owner.SetHScrollPage(265);
    scene.owner.SetHScrollPos(265 * 75);
    scene.graph.NewReading(scene.store.data(), kReadings);
    for (auto _ : state) {
        scene.Frame(TraceRendering::Fast);
        benchmark::DoNotOptimize(scene.image.constBits());
    }
}

// One reading arriving while recording into an almost full store: the
// graph's update step (the grid moves on, the reading is taken in and
// placed) and the frame it asks for, as the control draws it off-screen.
// Readings 30000 .. 39999 arrive in turn; then the run starts over from
// 30000 outside the timing.
void BM_ReadingArrival(benchmark::State& state)
{
    Scene scene;
    constexpr int kFirst = 30000;
    auto restart = [&] {
        scene.graph.Clear();
        scene.graph.SetTimeScale(scene.origin, 530.0 / (kReadings * 0.5));
        scene.graph.SetScrolling(1);
        for (int k = 1; k < kFirst; k += 97)
            scene.graph.NewReading(scene.store.data(), k);
        scene.graph.NewReading(scene.store.data(), kFirst);
        scene.Frame(TraceRendering::Fast);
    };
    restart();
    int next = kFirst + 1;
    for (auto _ : state) {
        if (next >= kReadings) {
            state.PauseTiming();
            restart();
            next = kFirst + 1;
            state.ResumeTiming();
        }
        scene.graph.NewReading(scene.store.data(), next++);
        scene.Frame(TraceRendering::Fast);
        benchmark::DoNotOptimize(scene.image.constBits());
    }
    state.counters["stored"] = kReadings;
}

} // namespace

// The data-logger graph: a record set of 40000 samples as the DataLogger
// window hands it over, drawn whole and zoomed into a control of the
// window's size. The samples' times are taken once, when the set is handed
// over, as when a set is opened; the frames only draw.
namespace {

constexpr int kLoggerWidth = 654;
constexpr int kLoggerHeight = 302;

// A day's logging at a sample every 2 seconds, with the downloaded sets' texts.
std::vector<DataSample> LoggerSet()
{
    std::vector<DataSample> set = FullStore();
    for (int i = 0; i < kReadings; ++i) {
        const int second = 7 * 3600 + 2 * i;
        char time[16];
        std::snprintf(time, sizeof time, "%d:%d:%d", second / 3600 % 24, second / 60 % 60, second % 60);
        set[static_cast<std::size_t>(i)].time = time;
        set[static_cast<std::size_t>(i)].date = second < 86400 ? "12-5-2007" : "13-5-2007";
    }
    return set;
}

struct LoggerScene {
    LoggerScene() : set(LoggerSet()), graph(owner)
    {
        feed.SetGraph(&graph);
        graph.Attach(kLoggerWidth, kLoggerHeight);
        const std::int64_t start = MakeLocalTime(2007, 5, 12, 7, 0, 0);
        graph.SetData(start, graph.GetPlotWidth() / (2.0 * (kReadings - 1)), set.data(), kReadings);
        owner.UndoZoom();
    }
    void Frame()
    {
        QPainter painter(&image);
        painter.setFont(font);
        drawer.Draw(painter, graph);
    }

    std::vector<DataSample> set;
    CDataLoggerFeed feed;
    CGraphOwnerModel owner{feed, nullptr, ReadoutTimes::AsHanded};
    CDataLoggerGraph graph;
    CDataLoggerPainter drawer;
    QImage image{kLoggerWidth, kLoggerHeight, QImage::Format_RGB32};
    QFont font{QStringLiteral("DejaVu Sans"), 8};
};

void BM_DataLoggerOverview(benchmark::State& state)
{
    LoggerScene scene;
    for (auto _ : state) {
        scene.Frame();
        benchmark::DoNotOptimize(scene.image.constBits());
    }
    state.counters["samples"] = kReadings;
}

// A quarter of the set, zoomed by a drag across the middle of the plot.
void BM_DataLoggerZoomed(benchmark::State& state)
{
    LoggerScene scene;
    scene.graph.LeftButtonDown({200, 40});
    scene.graph.LeftButtonUp({356, 250});
    for (auto _ : state) {
        scene.Frame();
        benchmark::DoNotOptimize(scene.image.constBits());
    }
    state.counters["shown"] = scene.graph.State().zoomLast - scene.graph.State().zoomFirst + 1;
}

// Opening a set: its 40000 samples' texts turned into calendar times once.
void BM_DataLoggerSetData(benchmark::State& state)
{
    LoggerScene scene;
    for (auto _ : state)
        scene.graph.SetData(scene.graph.State().startTime, 0.1, scene.set.data(), kReadings);
}

} // namespace

BENCHMARK(BM_DataLoggerOverview)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DataLoggerZoomed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DataLoggerSetData)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OverviewReference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OverviewFast)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageFrame)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
// Target: at most 50 microseconds.
BENCHMARK(BM_ReadingArrival)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
