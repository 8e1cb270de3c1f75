// The program's fast overview (times converted once, each pixel column
// collapsed to its first, lowest, highest and last point) against the
// reference rendering that converts every reading's date and time on every
// frame and draws every point: the images must be the same, pixel for pixel.
#include "tests/graph/widgets/GraphTestKit.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cmath>
#include <functional>
#include <memory>
#include <random>

namespace {

// Dates of this text have no calendar time (as a platform's C library may
// refuse a date it cannot represent).
std::optional<std::int64_t> RefusingConverter(std::string_view date, std::string_view time)
{
    if (date == "31-12-1901")
        return std::nullopt;
    return TrySampleCalendarTime(date, time);
}

// A graph on its owner, drawn straight into an image, and the frame it drew.
struct Rendering {
    explicit Rendering(const TestStore& store) : graph(owner, nullptr, &RefusingConverter)
    {
        feed.graph = &graph;
        feed.store = const_cast<TestStore*>(&store);
        graph.Attach(kGraphWidth, kGraphHeight);
    }

    QImage Draw(TraceRendering rendering)
    {
        QImage image(kGraphWidth, kGraphHeight, QImage::Format_RGB32);
        QPainter painter(&image);
        painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
        drawer.Draw(painter, graph, rendering);
        return image;
    }

    CTestFeed feed;
    CLatestOwnerView view;
    CGraphOwnerModel owner{feed, &view};
    CTrafficGraph graph;
    CTrafficGraphPainter drawer;
};

// A street's levels: a slow walk with loud passing events, some beyond the
// range at both ends.
TestStore Street(int count, double readingsPerSecond, unsigned seed)
{
    TestStore store;
    std::mt19937 random(seed);
    std::normal_distribution<double> step(0.0, 0.8);
    double level = 70.0;
    for (int i = 0; i < count; ++i) {
        level = std::clamp(level + step(random), 20.0, 140.0);
        const double value = std::round(level * 10.0) / 10.0;
        store.Add(value, 8 * 3600 + static_cast<int>(i / readingsPerSecond));
    }
    return store;
}

// Where two frames differ: the bounding box of the differing pixels.
QRect Difference(const QImage& a, const QImage& b)
{
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                box = box.united(QRect(x, y, 1, 1));
    return box;
}

// Draws the same state both ways, each on its own graph, and compares.
// Returns how often the frames asked for a wider time scale.
int ExpectSameFrames(const TestStore& store, const std::function<void(Rendering&)>& prepare, const char* what,
                      const QColor& trace = GraphColours::kTrace)
{
    Rendering reference(store);
    Rendering fast(store);
    prepare(reference);
    prepare(fast);
    // Two frames each: the second shows what the first left behind (the
    // readings placed in time, a widened scale).
    for (int frame = 0; frame < 2; ++frame) {
        const QImage a = reference.Draw(TraceRendering::Reference);
        const QImage b = fast.Draw(TraceRendering::Fast);
        if (const char* folder = std::getenv("VEXALOG_GRAPH_DUMP")) {
            a.save(QString::fromLatin1(folder) + "/ref-" + what + QString::number(frame) + ".png");
            b.save(QString::fromLatin1(folder) + "/fast-" + what + QString::number(frame) + ".png");
        }
        EXPECT_TRUE(a == b) << what << ", frame " << frame << ": they differ in " << Difference(a, b).x() << ","
                            << Difference(a, b).y() << " " << Difference(a, b).width() << "x"
                            << Difference(a, b).height();
        EXPECT_EQ(reference.graph.State().timePlacedCount, fast.graph.State().timePlacedCount) << what;
        EXPECT_EQ(reference.graph.State().overviewScale, fast.graph.State().overviewScale) << what;
        EXPECT_EQ(reference.owner.CanPrint(), fast.owner.CanPrint()) << what;
        EXPECT_EQ(reference.view.labels, fast.view.labels) << what;
        if (frame == 0) {
            EXPECT_GT(CountColour(b, trace), 200) << what;
        }
    }
    EXPECT_EQ(reference.feed.extensions, fast.feed.extensions) << what;
    return fast.feed.extensions;
}

TEST(TrafficRenderingTest, FastAndReferenceDrawTheSamePixels)
{
    // A full store at two readings a second, so every second is a run of two;
    // a few readings without calendar time among them.
    TestStore full = Street(40000, 2.0, 1);
    for (int i : {5, 17000, 39990})
        full.samples[static_cast<std::size_t>(i)].date = "31-12-1901";
    const std::int64_t start = TestTime(8 * 3600);

    const int widened = ExpectSameFrames(full, [&](Rendering& r) {
        // The scale of a shorter run: the readings reach the right edge and the
        // scale is widened during the walk.
        r.feed.origin = start;
        r.graph.SetTimeScale(start, 530.0 / (16000 * 1.0));
        r.graph.NewReading(full.Data(), full.count - 1);
        r.graph.State().timePlacedCount = full.count - 50;
    }, "full store with a rescale at the right edge");
    EXPECT_GT(widened, 0);

    ExpectSameFrames(full, [&](Rendering& r) {
        // The scale of the whole run; the newest readings follow at slot steps.
        r.feed.origin = start;
        r.graph.SetTimeScale(start, 530.0 / (40000 * 0.5) * 0.9);
        r.graph.NewReading(full.Data(), full.count - 1);
        r.graph.State().timePlacedCount = full.count - 300;
    }, "full store with the newest readings at slot steps");

    // Ten readings a second, each second drawn at its highest.
    TestStore dense = Street(20000, 10.0, 2);
    ExpectSameFrames(dense, [&](Rendering& r) {
        r.feed.origin = TestTime(8 * 3600);
        r.graph.SetTimeScale(r.feed.origin, 530.0 / 2000.0);
        r.graph.NewReading(dense.Data(), dense.count - 1);
        r.graph.State().timePlacedCount = dense.count;
    }, "runs of ten readings in a second");

    // Page 40, as a line and as a histogram.
    for (int style : {1, 0}) {
        ExpectSameFrames(full, [&](Rendering& r) {
            r.graph.NewReading(full.Data(), full.count - 1);
            r.graph.State().overview = false;
            r.owner.SetHScrollPage(265);
            r.owner.SetHScrollPos(265 * 40);
            r.graph.SetStyle(style);
            r.graph.NewReading(full.Data(), full.count);
        }, style ? "a page as a line" : "a page as a histogram", style ? GraphColours::kTrace : GraphColours::kLabel);
    }
}

} // namespace
