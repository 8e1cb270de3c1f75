// The data-logger graph's drawing: the trace against time with equal time
// stamps merged, sets at a single time stamp, the dB labels, print allowed,
// the time strip's texts, samples without calendar time, both renderings.
// The control itself is tried through the DataLogger window's tests.
#include "tests/logger/drawing/DataLoggerGraphKit.h"

#include "logger/DataLoggerTrace.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <tuple>

namespace {

// The points a walk places, in seconds from the set's start and millidecibels.
struct RecordedPath {
    struct Place {
        std::int64_t origin = 0;
        int TimeX(std::int64_t t) const { return static_cast<int>(t - origin); }
        static int LevelY(double value) { return static_cast<int>(std::lround(value * 1000.0)); }
    };
    void Move(int x, int y) { points.emplace_back('M', x, y); }
    void Line(int x, int y) { points.emplace_back('L', x, y); }
    std::vector<std::tuple<char, int, int>> points;
};

TEST(DataLoggerTrace, EachTimeStampIsDrawnAtItsHighestSampleIgnoringRisesOfAHundredthDb)
{
    struct Case {
        const char* name;
        std::vector<std::pair<int, double>> samples; // (second, value)
        std::vector<std::tuple<char, int, int>> path;
    };
    const std::vector<Case> cases = {
        {"three at 12:00:00 then one at 12:00:01",
         {{0, 50.0}, {0, 50.005}, {0, 52.0}, {1, 47.5}},
         {{'M', 0, 52000}, {'L', 1, 47500}}},
        {"a rise of 0.01 dB keeps the first", {{0, 50.0}, {0, 50.01}, {1, 50.0}}, {{'M', 0, 50000}, {'L', 1, 50000}}},
        {"a fall keeps the first", {{0, 61.0}, {0, 55.0}, {2, 40.0}, {3, 41.0}},
         {{'M', 0, 61000}, {'L', 2, 40000}, {'L', 3, 41000}}},
        {"one time stamp is a single move", {{0, 70.0}, {0, 80.0}, {0, 75.0}}, {{'M', 0, 80000}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestSet set(12 * 3600);
        for (const auto& [second, value] : c.samples)
            set.At(second, value);
        LoggerGraph g;
        g.graph.SetData(set.Start(), 1.0, set.Data(), set.Count());
        RecordedPath path;
        RecordedPath::Place place{set.Start()};
        WalkDataLoggerTrace(g.graph, g.graph.View(), place, path);
        EXPECT_EQ(path.points, c.path);
    }
}

TEST(DataLoggerGraphDrawing, ASetAtOneTimeStampShowsItsLevelAsOnePointWithoutDividingByZero)
{
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        std::vector<double> values;
        double scale;
        double shown;
    };
    // The window's scale of such a set is the plot width over no seconds.
    const std::vector<Case> cases = {
        {"one sample", {70.0}, inf, 70.0},
        {"three samples in one second", {60.0, 70.0, 65.0}, inf, 70.0},
        {"a scale that is no number", {55.0, 54.0}, std::nan(""), 55.0},
        {"a scale of one second per plot", {88.0}, 624.0, 88.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestSet set;
        for (double v : c.values)
            set.At(0, v);
        LoggerGraph g;
        g.graph.SetData(set.Start(), c.scale, set.Data(), set.Count());
        const QImage image = g.Draw();
        const std::vector<QPoint> red = PixelsOf(image, GraphColours::kTrace);
        ASSERT_EQ(red.size(), 1u);
        EXPECT_EQ(red[0], QPoint(30, PlotY(c.shown, kLoggerGraphHeight, 130.0, 30.0)));
        // Grid and labels as always.
        EXPECT_EQ(image.pixel(40, 100), GraphColours::kGrid.rgb());
        EXPECT_FALSE(PixelsOf(image.copy(0, 0, 30, kLoggerGraphHeight), GraphColours::kLabel).empty());
    }
}

TEST(DataLoggerGraphDrawing, DbLabelsAtTheFifthsOfTheWindowWithLeadingSpaces)
{
    LoggerGraph g;
    const QImage image = g.Draw();
    // The labels the default window must show, where it must show them.
    QImage expected(30, kLoggerGraphHeight, QImage::Format_RGB32);
    expected.fill(GraphColours::kLabelStrip);
    {
        QPainter painter(&expected);
        const QFont font(QStringLiteral("DejaVu Sans"), 8);
        painter.setFont(font);
        painter.setPen(GraphColours::kLabel);
        const char* texts[] = {" 30", " 50", " 70", " 90", "110", "130"};
        for (int i = 0; i < 6; ++i) {
            const int y = i == 0 ? kLoggerGraphHeight - 15 : static_cast<int>(kLoggerGraphHeight - 20.0 * i * 3.02);
            painter.drawText(QPoint(0, y + QFontMetrics(font).ascent()), QString::fromLatin1(texts[i]));
        }
    }
    // Rounded corners aside, the strip is exactly that.
    const QImage strip = image.copy(0, 2, 30, kLoggerGraphHeight - 4);
    EXPECT_EQ(strip, expected.copy(0, 2, 30, kLoggerGraphHeight - 4));
}

TEST(DataLoggerGraphDrawing, PrintingIsRefusedWhileAZoomedSampleLiesOutsideTheDbWindow)
{
    // 3 pixels per dB: the drags below select whole decibels.
    LoggerGraph g(kLoggerGraphWidth, 300);
    TestSet set;
    std::vector<double> values(25, 60.0);
    values[3] = 52.0;
    values[20] = 20.0; // below the whole window, shown in the overview all the same
    set.Every(1, values);
    g.Open(set);
    g.Draw();
    EXPECT_TRUE(g.owner.CanPrint()) << "the overview makes no test";

    // 65 .. 55 dB over samples 0 .. 5 (26 pixels a second).
    g.Drag({30, 195}, {160, 225});
    ASSERT_FALSE(g.graph.State().fullView);
    ASSERT_EQ(g.graph.State().topDb, 65.0);
    ASSERT_EQ(g.graph.State().bottomDb, 55.0);
    g.Draw();
    EXPECT_FALSE(g.owner.CanPrint()) << "52 dB lies below the window";
    // Two steps down: 62 .. 52 dB holds every sample of the view.
    g.owner.VerticalScroll(ScrollCode::ThumbPosition, g.owner.VScrollBar().position + 2);
    ASSERT_EQ(g.graph.State().bottomDb, 52.0);
    g.Draw();
    EXPECT_TRUE(g.owner.CanPrint());
    // Three steps up: 68 .. 58 dB.
    g.owner.VerticalScroll(ScrollCode::ThumbPosition, g.owner.VScrollBar().position - 3);
    g.Draw();
    EXPECT_FALSE(g.owner.CanPrint());
}

TEST(DataLoggerGraphDrawing, TheStripShowsBlanksInTheOverviewAndTheZoomedViewsTimes)
{
    LoggerGraph g(kLoggerGraphWidth, 300);
    TestSet set(23 * 3600 + 59 * 60 + 50); // a set over midnight: 23:59:50, 0:0:0, ...
    set.Every(5, std::vector<double>(13, 70.0));
    g.Open(set);
    g.Draw();
    EXPECT_EQ(g.view.labels, (std::vector<std::string>{" ", " ", " "}));

    // From the second sample to the seventh: 5 seconds are 10.4 pixels.
    g.Drag({60, 100}, {320, 200});
    ASSERT_FALSE(g.graph.State().fullView);
    ASSERT_EQ(g.graph.State().zoomFirst, 1);
    ASSERT_EQ(g.graph.State().zoomLast, 6);
    g.Draw();
    EXPECT_EQ(g.view.labels, (std::vector<std::string>{"23:59:55", "0:0:5", "0:0:20"}));
}

std::optional<std::int64_t> RefusingConverter(std::string_view date, std::string_view time)
{
    if (date == "31-12-1901")
        return std::nullopt;
    return TrySampleCalendarTime(date, time);
}

TEST(DataLoggerGraphDrawing, ASampleWithoutCalendarTimeIsLeftOutAndReportedOnce)
{
    LoggerGraph g(kLoggerGraphWidth, 300, &RefusingConverter);
    TestSet set;
    set.Every(1, std::vector<double>(25, 60.0));
    set.samples[0].date = "31-12-1901";
    set.samples[7].date = "31-12-1901";
    set.samples[7].value = 100.0;
    g.Open(set);
    ASSERT_EQ(g.view.messages.size(), 1u);
    EXPECT_NE(g.view.messages[0].find("Reading 1 "), std::string::npos) << g.view.messages[0];

    // Drawing, zooming across it, the cursors and scrolling leave it out.
    const QImage overview = g.Draw();
    const int y60 = PlotY(60.0, 300, 130.0, 30.0);
    EXPECT_NE(overview.pixel(30, y60), GraphColours::kTrace.rgb()) << "sample 0 is not drawn";
    EXPECT_EQ(overview.pixel(30 + 26, y60), GraphColours::kTrace.rgb()) << "the trace starts at sample 1";
    EXPECT_NE(overview.pixel(30 + 26 * 7, PlotY(100.0, 300, 130.0, 30.0)), GraphColours::kTrace.rgb());
    g.Drag({40, 100}, {400, 200});
    g.graph.DoubleClick({31, 150});
    g.owner.HorizontalScroll(ScrollCode::LineForward, 0);
    g.graph.DoubleClick({500, 150});
    g.Draw();
    g.Draw();
    EXPECT_EQ(g.view.messages.size(), 1u);
    EXPECT_NE(g.graph.Cursors().A().time, "");
}

TEST(DataLoggerGraphDrawing, BothRenderingsGiveTheSamePixels)
{
    std::mt19937 random(11);
    std::normal_distribution<double> step(0.0, 2.0);
    TestSet set;
    double level = 70.0;
    for (int i = 0; i < 6000; ++i) {
        level = std::clamp(level + step(random), 25.0, 135.0);
        set.At(i / 3, std::round(level * 10.0) / 10.0); // three samples a second
    }
    LoggerGraph g(kLoggerGraphWidth, 300);
    g.Open(set);
    EXPECT_EQ(g.Draw(TraceRendering::Fast), g.Draw(TraceRendering::Reference)) << "overview";
    g.Drag({200, 60}, {260, 200});
    ASSERT_FALSE(g.graph.State().fullView);
    EXPECT_EQ(g.Draw(TraceRendering::Fast), g.Draw(TraceRendering::Reference)) << "zoomed";
}

} // namespace

namespace {

TEST(DataLoggerDrawing, PaintingTwiceGivesTheSameFrameAndTellsTheOwnerNothing)
{
    LoggerGraph g;
    TestSet set;
    set.Every(1, {60, 95, 62, 97, 64, 99, 66, 101, 68, 70, 72, 74, 76, 78, 80});
    g.Open(set);
    // A narrow band across the middle: the trace leaves the window.
    g.Drag({200, 120}, {400, 180});
    g.graph.DoubleClick({250, 100});
    g.graph.DoubleClick({350, 100});
    // Known before any frame is drawn.
    EXPECT_FALSE(g.owner.CanPrint());
    EXPECT_FALSE(g.view.labels.empty());
    const auto snapshot = [&] {
        const DataLoggerGraphState& s = g.graph.State();
        return std::tuple{g.owner.CanPrint(), g.view.labels, g.view.readouts.avgBetween, s.printAllowed, s.timeLabels,
                          s.zoomFirst, s.zoomLast, s.cursors.A().at, s.cursors.B().at, s.cursors.Between().average};
    };
    const auto before = snapshot();
    const QImage first = g.Draw();
    const QImage second = g.Draw();
    EXPECT_TRUE(first == second);
    EXPECT_TRUE(before == snapshot());
    g.owner.UndoZoom();
    EXPECT_TRUE(g.owner.CanPrint()) << "the overview always prints";
}

} // namespace
