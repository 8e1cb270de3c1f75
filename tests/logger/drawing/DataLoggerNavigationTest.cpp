// The data-logger graph's navigation: the drag zoom over dB and time, the
// vertical and horizontal bars, the cursors and the statistics between them,
// what the readouts show, and the zooms and scrolls that have no span of
// time to show. The graph is 300 pixels high here, 3 pixels a decibel.
#include "tests/logger/drawing/DataLoggerGraphKit.h"

#include <gtest/gtest.h>

namespace {

constexpr int kHeight = 300;

// 25 samples a second apart from 9:04:57: 26 pixels a second in the overview.
TestSet Minute(const std::vector<double>& values = std::vector<double>(25, 60.0))
{
    TestSet set;
    set.Every(1, values);
    return set;
}

// y of a level in the full window, 3 pixels a decibel.
int Y(double db)
{
    return kHeight - static_cast<int>((db - 30.0) * 3.0);
}

TEST(DataLoggerNavigation, DragsZoomDbAndTimeTogetherOrAreClicks)
{
    struct Case {
        const char* name;
        GraphPoint from;
        GraphPoint to;
        bool zooms;
        bool oneDecimal;
        double top;
        double bottom;
    };
    const std::vector<Case> cases = {
        {"5 pixels is a click", {100, 20}, {101, 24}, false, false, 130.0, 30.0},
        {"3 dB down: one decimal", {100, Y(90)}, {200, Y(87)}, true, true, 90.0, 87.0},
        {"6 dB down: whole decibels", {100, Y(90)}, {200, Y(84)}, true, false, 90.0, 84.0},
        {"5 dB down: whole decibels", {100, Y(90)}, {200, Y(85)}, true, false, 90.0, 85.0},
        {"just under 2 dB", {100, 100}, {200, 105}, false, false, 130.0, 30.0},
        {"any drag upwards", {100, Y(60)}, {200, Y(90)}, false, false, 130.0, 30.0},
        {"let go over the label strip", {100, Y(90)}, {20, Y(60)}, false, false, 130.0, 30.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoggerGraph g(kLoggerGraphWidth, kHeight);
        const TestSet set = Minute();
        g.Open(set);
        g.graph.LeftButtonDown(c.from);
        g.graph.MouseMove(c.to);
        if (!c.zooms && c.to.x >= 30) {
            // The band is drawn while the button is held.
            EXPECT_FALSE(PixelsOf(g.Draw(), GraphColours::kZoomFrame).empty());
        }
        g.graph.LeftButtonUp(c.to);
        const DataLoggerGraphState& s = g.graph.State();
        EXPECT_EQ(!s.fullView, c.zooms);
        EXPECT_EQ(s.oneDecimal, c.oneDecimal);
        EXPECT_DOUBLE_EQ(s.topDb, c.top);
        EXPECT_DOUBLE_EQ(s.bottomDb, c.bottom);
        EXPECT_EQ(g.owner.VScrollBar().arrowsEnabled, c.zooms);
        EXPECT_TRUE(PixelsOf(g.Draw(), GraphColours::kZoomFrame).empty()) << "the band is gone";
        if (c.zooms) {
            // From 100 (2 seconds in) to 200 (6 seconds): a second before each.
            EXPECT_EQ(s.zoomFirst, 1);
            EXPECT_EQ(s.zoomLast, 5);
            EXPECT_EQ(g.owner.HScrollBar(), (HScrollBarState{1, 20, 1, true}));
        }
    }
}

TEST(DataLoggerNavigation, VerticalBarOfA50To70DbWindow)
{
    LoggerGraph g(kLoggerGraphWidth, kHeight);
    const TestSet set = Minute();
    g.Open(set);
    g.Drag({100, Y(70)}, {300, Y(50)});
    // trunc((130 - 70 + 50 - 30) / 4) steps, at trunc((130 - 70) / 4).
    EXPECT_EQ(g.owner.VScrollBar(), (VScrollBarState{4.0, 20, 15, true}));

    struct Step {
        ScrollCode code;
        int thumb;
        int position;
        double top;
        double bottom;
    };
    const std::vector<Step> steps = {
        {ScrollCode::ThumbPosition, 20, 20, 50.0, 30.0}, // the last position rests on 30 dB
        {ScrollCode::LineForward, 0, 20, 50.0, 30.0},
        {ScrollCode::LineBack, 0, 19, 54.0, 34.0},
        {ScrollCode::PageBack, 0, 19, 54.0, 34.0}, // not a code the bar handles
        {ScrollCode::ThumbPosition, 0, 0, 130.0, 110.0},
        {ScrollCode::LineBack, 0, 0, 130.0, 110.0},
    };
    for (const Step& step : steps) {
        g.owner.VerticalScroll(step.code, step.thumb);
        EXPECT_EQ(g.owner.VScrollBar().position, step.position);
        EXPECT_DOUBLE_EQ(g.graph.State().topDb, step.top);
        EXPECT_DOUBLE_EQ(g.graph.State().bottomDb, step.bottom);
    }

    g.owner.UndoZoom();
    EXPECT_EQ(g.graph.State().topDb, 130.0);
    EXPECT_EQ(g.graph.State().bottomDb, 30.0);
    EXPECT_TRUE(g.graph.State().fullView);
    EXPECT_FALSE(g.owner.VScrollBar().arrowsEnabled);
    EXPECT_FALSE(g.owner.HScrollBar().arrowsEnabled);
}

TEST(DataLoggerNavigation, CursorsAAndBWithTheStatisticsBetweenThem)
{
    std::vector<double> values(25, 50.0);
    values[10] = 60.0;
    values[11] = 75.5;
    values[12] = 58.2;
    LoggerGraph g(kLoggerGraphWidth, kHeight);
    const TestSet set = Minute(values);
    g.Open(set);
    const GraphReadoutTexts& r = g.view.readouts;

    // Sample k lies at x = 30 + 26 k; a double click reads the first sample at or right of it.
    g.graph.DoubleClick({290, 100});
    EXPECT_EQ(g.graph.Cursors().A().at, 10);
    EXPECT_EQ(r.cursorA, "60.0");
    EXPECT_EQ(r.cursorATime, "09:05:07");
    EXPECT_EQ(r.cursorBTime, "");

    g.graph.DoubleClick({340, 100});
    EXPECT_EQ(g.graph.Cursors().B().at, 12);
    EXPECT_EQ(r.cursorB, "58.2");
    EXPECT_EQ(r.cursorBTime, "09:05:09");
    EXPECT_EQ(r.maxBetween, "75.5");
    EXPECT_EQ(r.maxBetweenTime, "09:05:08");
    EXPECT_EQ(r.minBetween, "58.2");
    EXPECT_EQ(r.minBetweenTime, "09:05:09");
    EXPECT_EQ(r.avgBetween, "64.57");
    QImage image = g.Draw();
    EXPECT_EQ(image.pixel(290, 10), GraphColours::kCursorA.rgb());
    EXPECT_EQ(image.pixel(340, 10), GraphColours::kCursorB.rgb());

    // The third double click changes nothing.
    const GraphReadoutTexts before = r;
    g.graph.DoubleClick({500, 100});
    EXPECT_EQ(r.cursorATime, before.cursorATime);
    EXPECT_EQ(r.avgBetween, before.avgBetween);
    EXPECT_TRUE(g.graph.Cursors().B().shown);
    EXPECT_EQ(g.graph.Cursors().B().x, 340);

    // The fourth places A again and hides B; a fifth left of A moves A there.
    g.graph.DoubleClick({420, 100});
    g.graph.DoubleClick({160, 100});
    EXPECT_EQ(g.graph.Cursors().A().x, 160);
    EXPECT_EQ(g.graph.Cursors().A().at, 5);
    EXPECT_FALSE(g.graph.Cursors().B().shown);
    EXPECT_EQ(r.cursorATime, "09:05:02");
    EXPECT_EQ(r.cursorB, "0.0");
    image = g.Draw();
    EXPECT_EQ(image.pixel(160, 10), GraphColours::kCursorA.rgb());
    EXPECT_NE(image.pixel(420, 10), GraphColours::kCursorA.rgb());
    // ... and the next double click changes nothing.
    g.graph.DoubleClick({600, 100});
    EXPECT_EQ(g.graph.Cursors().A().x, 160);
    EXPECT_FALSE(g.graph.Cursors().B().shown);

    // Double clicks on the label strip or outside the control, and the right
    // button there, do nothing; the right button on the plot removes both.
    g.graph.DoubleClick({29, 100});
    g.graph.DoubleClick({700, 100});
    g.graph.RightButtonDown({10, 100});
    EXPECT_TRUE(g.graph.Cursors().A().shown);
    g.graph.RightButtonDown({300, 100});
    EXPECT_FALSE(g.graph.Cursors().A().shown);
    EXPECT_EQ(r.cursorA, "0.0");
    EXPECT_EQ(r.cursorATime, "");
    EXPECT_TRUE(PixelsOf(g.Draw(), GraphColours::kCursorA).empty());
}

TEST(DataLoggerNavigation, ACursorReadsTheHighestSampleOfItsTimeStampAndTiesKeepTheEarliest)
{
    LoggerGraph g(kLoggerGraphWidth, kHeight);
    TestSet set;
    set.At(0, 50.0).At(1, 62.0).At(1, 62.005).At(1, 64.0).At(1, 63.0).At(2, 64.0).At(3, 64.0).At(4, 40.0);
    g.Open(set); // 156 pixels a second
    g.graph.DoubleClick({186, 100});
    EXPECT_EQ(g.graph.Cursors().A().at, 3);
    g.graph.DoubleClick({498, 100});
    EXPECT_EQ(g.graph.Cursors().B().at, 6);
    // 64 at 9:4:58, 9:4:59 and 9:5:0: the earliest stays.
    EXPECT_EQ(g.view.readouts.maxBetweenTime, "09:04:58");
    EXPECT_EQ(g.view.readouts.minBetween, "63.0");
}

TEST(DataLoggerNavigation, ScrollingAZoomedViewRereadsTheCursorsAndShowsTheirTimesAsStored)
{
    std::vector<double> values(100, 50.0);
    values[10] = 60.0;
    values[11] = 75.5;
    values[12] = 58.2;
    values[13] = 61.0;
    LoggerGraph g(kLoggerGraphWidth, kHeight);
    const TestSet set = Minute(values);
    g.Open(set); // 624 pixels over 99 seconds
    // From 11 to 31 seconds: samples 10 to 30, two samples a scroll step.
    g.Drag({100, Y(80)}, {230, Y(40)});
    const DataLoggerGraphState& s = g.graph.State();
    ASSERT_EQ(s.zoomFirst, 10);
    ASSERT_EQ(s.zoomLast, 30);
    EXPECT_EQ(g.owner.HScrollBar(), (HScrollBarState{2, 39, 5, true}));
    EXPECT_EQ(g.view.readouts.cursorATime, "") << "a zoom removes the cursors";

    // 31.2 pixels a second: A on sample 10, B on 12.
    g.graph.DoubleClick({30, 100});
    g.graph.DoubleClick({92, 100});
    ASSERT_EQ(g.view.readouts.avgBetween, "64.57");
    ASSERT_EQ(g.view.readouts.cursorATime, "09:05:07");

    g.owner.HorizontalScroll(ScrollCode::LineForward, 0);
    EXPECT_EQ(s.zoomFirst, 12);
    EXPECT_EQ(s.zoomLast, 33) << "the view keeps its count of samples past its first";
    EXPECT_EQ(s.cursors.A().at, 12);
    EXPECT_EQ(s.cursors.B().at, 13);
    const GraphReadoutTexts& r = g.view.readouts;
    EXPECT_EQ(r.cursorATime, "9:5:9");
    EXPECT_EQ(r.cursorBTime, "9:5:10");
    EXPECT_EQ(r.maxBetween, "61.0");
    EXPECT_EQ(r.maxBetweenTime, "9:5:10");
    EXPECT_EQ(r.minBetweenTime, "9:5:9");
    EXPECT_EQ(r.avgBetween, "59.60");
    EXPECT_EQ(g.Draw().pixel(92, 10), GraphColours::kCursorB.rgb()) << "the lines keep their places";

    // The thumb's last position shows the set's last samples.
    g.owner.HorizontalScroll(ScrollCode::ThumbPosition, 39);
    EXPECT_EQ(s.zoomFirst, 78);
    EXPECT_EQ(s.zoomLast, 99);
    g.owner.HorizontalScroll(ScrollCode::LineForward, 0);
    EXPECT_EQ(g.owner.HScrollBar().position, 39);
}

TEST(DataLoggerNavigation, ZoomsAndScrollsWithoutASpanOfTimeAreRefused)
{
    // Thirty samples in the first second, four a second apart, a hundred in the sixth.
    LoggerGraph g(kLoggerGraphWidth, kHeight);
    TestSet set;
    for (int i = 0; i < 30; ++i)
        set.At(0, 70.0);
    set.At(1, 60.0).At(2, 60.0).At(3, 60.0).At(4, 60.0);
    for (int i = 0; i < 100; ++i)
        set.At(5, 65.0);
    g.Open(set); // 124.8 pixels a second
    g.graph.DoubleClick({600, 100});
    ASSERT_EQ(g.graph.Cursors().A().at, 34);

    // Within the first second only: its first and last samples share a time stamp.
    const DataLoggerGraphState& s = g.graph.State();
    g.Drag({31, 120}, {45, 210});
    EXPECT_TRUE(s.fullView);
    EXPECT_TRUE(s.cursors.A().shown) << "the readouts stay";
    EXPECT_FALSE(g.owner.HScrollBar().arrowsEnabled);

    g.Drag({30, 120}, {300, 210});
    ASSERT_FALSE(s.fullView);
    ASSERT_EQ(s.zoomFirst, 0);
    ASSERT_EQ(s.zoomLast, 30);
    EXPECT_EQ(g.owner.HScrollBar(), (HScrollBarState{3, 34, 0, true}));
    // Where the rest of the set is all one time stamp, a scroll is ignored.
    g.owner.HorizontalScroll(ScrollCode::ThumbPosition, 34);
    EXPECT_EQ(s.zoomFirst, 0);
    EXPECT_EQ(s.zoomLast, 30);
    g.owner.HorizontalScroll(ScrollCode::ThumbPosition, 0);
    EXPECT_EQ(s.zoomLast, 31);
    // A zoom within the view onto one time stamp changes nothing at all.
    g.graph.DoubleClick({100, 100});
    g.Drag({31, 120}, {45, 210});
    EXPECT_EQ(s.zoomFirst, 0);
    EXPECT_EQ(s.zoomLast, 31);
    EXPECT_TRUE(s.cursors.A().shown);
}

TEST(DataLoggerNavigation, MouseAndScrollOnAnEmptyGraphDoNothing)
{
    LoggerGraph g(kLoggerGraphWidth, kHeight);
    g.Drag({100, 100}, {300, 200});
    g.graph.DoubleClick({200, 100});
    g.owner.HorizontalScroll(ScrollCode::LineForward, 0);
    g.owner.VerticalScroll(ScrollCode::LineForward, 0);
    const DataLoggerGraphState& s = g.graph.State();
    EXPECT_TRUE(s.fullView);
    EXPECT_EQ(s.topDb, 130.0);
    EXPECT_FALSE(s.cursors.A().shown);
    EXPECT_TRUE(PixelsOf(g.Draw(), GraphColours::kTrace).empty());
}

} // namespace
