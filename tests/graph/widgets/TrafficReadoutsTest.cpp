// What the user reads off the real-time graph: the cursor readouts and the
// statistics between the cursors on any page, after a further zoom step, the
// overview of a run slower than its sampling interval, and a style change
// while nothing is recorded. All through the control and its owner model.
#include "tests/graph/widgets/GraphTestKit.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

using namespace GraphColours;

std::string OneDecimal(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", v);
    return text;
}

std::string TwoDecimals(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", v);
    return text;
}

// Levels that vary from reading to reading: 60.0 .. 95.0 dB.
double LevelOf(int i)
{
    return 60.0 + (i * 7 % 36);
}

// A graph with count readings one second apart, zoomed into page mode.
void FillAndZoom(TestGraph& g, int count)
{
    g.StartClock(8 * 3600);
    for (int i = 0; i < count; ++i)
        g.store.Add(LevelOf(i), 8 * 3600 + i);
    g.Feed(count - 1);
    g.ZoomAt(31);
    ASSERT_FALSE(g.State().overview);
}

void ScrollToPage(TestGraph& g, int page)
{
    g.owner.HorizontalScroll(ScrollCode::ThumbPosition, page);
    ASSERT_EQ(g.State().startIndex, page * 265);
}

struct BetweenCase {
    const char* what;
    int readings;
    int page;
    int slotA;
    int slotB;
};

TEST(TrafficReadouts, StatisticsCoverOnlyTheReadingsBetweenTheCursors)
{
    const BetweenCase cases[] = {
        {"a whole page of readings", 293, 0, 5, 20},
        {"B right of the data on the second page", 293, 1, 10, 40},
        {"A and B right of the data", 293, 1, 30, 40},
        {"B right of the data on the last page of a full store", 40000, 150, 240, 260},
        {"A and B on the same reading", 293, 1, 12, 12},
    };
    for (const BetweenCase& c : cases) {
        SCOPED_TRACE(c.what);
        TestGraph g;
        FillAndZoom(g, c.readings);
        ScrollToPage(g, c.page);
        CTrafficGraph& graph = g.button.Graph();
        graph.DoubleClick({30 + 2 * c.slotA, 100});
        graph.DoubleClick({30 + 2 * c.slotB, 100});

        // What lies under the lines, worked out from the store.
        const int first = c.page * 265;
        auto reading = [&](int slot) { return first + slot < c.readings ? first + slot : -1; };
        const GraphReadoutTexts& r = g.view.readouts;
        for (auto [slot, value, time] : {std::tuple{c.slotA, &r.cursorA, &r.cursorATime},
                                         std::tuple{c.slotB, &r.cursorB, &r.cursorBTime}}) {
            const int i = reading(slot);
            EXPECT_EQ(*value, i < 0 ? "" : OneDecimal(LevelOf(i))) << "slot " << slot;
            EXPECT_EQ(*time, i < 0 ? "" : PadTimeText(g.store.samples[static_cast<std::size_t>(i)].time));
        }
        int n = 0;
        double sum = 0.0, low = 1e9, high = -1e9;
        for (int slot = c.slotA; slot <= c.slotB; ++slot) {
            if (const int i = reading(slot); i >= 0) {
                ++n;
                sum += LevelOf(i);
                low = std::min(low, LevelOf(i));
                high = std::max(high, LevelOf(i));
            }
        }
        EXPECT_EQ(r.maxBetween, n ? OneDecimal(high) : "");
        EXPECT_EQ(r.minBetween, n ? OneDecimal(low) : "");
        EXPECT_EQ(r.avgBetween, n ? TwoDecimals(sum / n) : "");
        EXPECT_EQ(r.minBetweenTime.empty(), n == 0);
        EXPECT_NE(r.minBetweenTime, "00:00:00") << "an empty slot has no time";
    }
}

TEST(TrafficReadouts, AfterAFurtherZoomStepTheCursorsReadWhatIsUnderTheirLines)
{
    TestGraph g;
    FillAndZoom(g, 40000);
    ScrollToPage(g, 150);
    CTrafficGraph& graph = g.button.Graph();
    const int aX = 30 + 2 * 200;
    graph.DoubleClick({aX, 100});
    // Zoom again left of A: the page halves and the slots are twice as wide.
    g.ZoomAt(100);
    const TrafficGraphState& s = g.State();
    ASSERT_EQ(s.slotWidth, 4);
    const int slot = (aX - 30) / 4;
    const int i = s.startIndex + slot;
    if (i < g.store.count) {
        EXPECT_EQ(g.view.readouts.cursorA, OneDecimal(LevelOf(i)));
        EXPECT_EQ(g.view.readouts.cursorATime, PadTimeText(g.store.samples[static_cast<std::size_t>(i)].time));
    } else {
        EXPECT_EQ(g.view.readouts.cursorA, "");
    }
    // The readout lies within the times the strip shows for this page.
    const std::string left = PadTimeText(g.view.labels[0]);
    const std::string right = PadTimeText(g.store.samples[static_cast<std::size_t>(
                                                              std::min(s.startIndex + s.slotCount, 39999))].time);
    if (!g.view.readouts.cursorATime.empty()) {
        EXPECT_GE(g.view.readouts.cursorATime, left);
        EXPECT_LE(g.view.readouts.cursorATime, right);
    }
}

TEST(TrafficReadouts, TheOverviewOfARunSlowerThanItsSamplingKeepsItsNewestReadingsOnScreen)
{
    // The meter sends every 0.2 s, sampling at 0.1 s with a limit of 300:
    // 300 readings take 60 s, twice the span count x period gives.
    TestGraph g;
    g.feed.limit = 300;
    g.StartClock(8 * 3600, 0.1);
    for (int i = 0; i < 300; ++i) {
        g.store.Add(70.0 + i % 20, 8 * 3600 + i / 5);
        g.Feed(g.store.count - 1);
    }
    const QImage frame = g.Grab();
    EXPECT_TRUE(RowsOf(frame, kGraphWidth - 1, kTrace).empty()) << "nothing runs past the right edge";
    int rightmost = 0;
    for (int x = 0; x < kGraphWidth; ++x)
        if (!RowsOf(frame, x, kTrace).empty())
            rightmost = x;
    EXPECT_GT(rightmost, 30 + 530 / 2) << "the whole minute is drawn, not only its first half";
    const std::int64_t last = TestTime(8 * 3600 + 59);
    EXPECT_LT(GraphMath::OverviewX(last, g.State().overviewOrigin, g.State().overviewScale), kGraphWidth);
}

class CCountingCanvas final : public IGraphCanvas {
public:
    void Repaint() override { ++repaints; }
    void RepaintRect(GraphPoint, GraphPoint) override {}
    int repaints = 0;
};

TEST(TrafficReadouts, AStyleChangeRedrawsAtOnceWhileNothingIsRecorded)
{
    CTestFeed feed;
    CGraphOwnerModel owner(feed);
    CCountingCanvas canvas;
    CTrafficGraph graph(owner, &canvas);
    graph.Attach(kGraphWidth, kGraphHeight);
    for (const auto& [style, repaints] : {std::pair{0, 1}, {0, 1}, {1, 2}, {7, 2}}) {
        EXPECT_EQ(graph.SetStyle(style), style == 7 ? 1 : style);
        EXPECT_EQ(canvas.repaints - 1, repaints) << "style " << style;
    }
}

} // namespace

namespace {

// What a frame could have changed: the grid, the placing of the overview,
// the time scale, what the owner was told.
auto Snapshot(TestGraph& g)
{
    const TrafficGraphState& s = g.State();
    return std::tuple{s.gridPhaseX, s.timePlacedCount, s.overviewScale, s.printAllowed, g.view.labels,
                      g.feed.extensions, g.owner.CanPrint(), g.view.readouts.cursorA};
}

TEST(TrafficDrawing, PaintingTwiceGivesTheSameFrameAndLeavesTheStateAsItWas)
{
    struct Scene {
        const char* what;
        void (*prepare)(TestGraph&);
    };
    const Scene scenes[] = {
        {"recording, the overview's newest readings at the right edge",
         [](TestGraph& g) {
             g.feed.limit = 300;
             g.StartClock(8 * 3600, 0.1);
             g.button.SetScrolling(1);
             for (int i = 0; i < 280; ++i) {
                 g.store.Add(70.0 + i % 20, 8 * 3600 + i / 5);
                 g.Feed(g.store.count - 1);
             }
         }},
        {"a page whose line leaves the dB range",
         [](TestGraph& g) {
             g.StartClock(8 * 3600);
             g.button.SetScrolling(1);
             for (int i = 0; i < 200; ++i)
                 g.store.Add(i % 2 ? 125.0 : 40.0, 8 * 3600 + i);
             g.Feed(199);
             g.ZoomAt(31);
             // Narrow the range so the line leaves it.
             g.button.Graph().LeftButtonDown({200, 100});
             g.button.Graph().MouseMove({220, 160});
             g.button.Graph().LeftButtonUp({220, 160});
             g.button.Graph().DoubleClick({60, 100});
         }},
    };
    for (const Scene& scene : scenes) {
        SCOPED_TRACE(scene.what);
        TestGraph g;
        scene.prepare(g);
        const auto before = Snapshot(g);
        const QImage first = g.Grab();
        const QImage second = g.Grab();
        EXPECT_TRUE(first == second);
        EXPECT_TRUE(before == Snapshot(g));
    }
}

} // namespace

namespace {

TEST(TrafficDrawing, TheKeptOverviewFramesDrawWhatAWholeFrameDrawsWhileRecording)
{
    // Three readings a second with the grid moving: the newest readings
    // reach the right edge and join the time-placed ones again and again.
    TestGraph g;
    g.feed.limit = 400;
    g.StartClock(8 * 3600, 0.2);
    g.button.SetScrolling(1);
    const QFont font = g.button.font();
    auto draw = [&](CTrafficGraphPainter& painter, TraceRendering rendering) {
        QImage image(kGraphWidth, kGraphHeight, QImage::Format_RGB32);
        QPainter p(&image);
        p.setFont(font);
        painter.Draw(p, g.button.Graph(), rendering);
        return image;
    };
    CTrafficGraphPainter kept;
    int placings = 0;
    int differing = 0;
    for (int i = 0; i < 900; ++i) {
        const int placed = g.State().timePlacedCount;
        g.store.Add(60.0 + (i * 13 % 40), 8 * 3600 + i / 3);
        g.Feed(g.store.count - 1);
        placings += g.State().timePlacedCount != placed;
        CTrafficGraphPainter whole;
        const QImage expected = draw(whole, TraceRendering::Reference);
        if (!(draw(kept, TraceRendering::Fast) == expected))
            ++differing;
        if (i % 7 == 0) {
            // Drawn at an offset into a larger image, as a part of a window is.
            QImage shifted(kGraphWidth + 9, kGraphHeight + 5, QImage::Format_RGB32);
            QPainter p(&shifted);
            p.setFont(font);
            p.translate(9, 5);
            kept.Draw(p, g.button.Graph(), TraceRendering::Fast);
            p.end();
            if (!(shifted.copy(9, 5, kGraphWidth, kGraphHeight) == expected))
                ++differing;
        }
    }
    EXPECT_GT(placings, 3);
    EXPECT_EQ(differing, 0);
}

} // namespace
