// The real-time graph as the screen shows it: rendered under the offscreen
// platform and checked at the pixels where its colours, labels, trace, bars
// and cursors belong; its page, zoom and cursor rules through its owner.
#include "tests/graph/widgets/GraphTestKit.h"

#include "graph/widgets/CStaticCursor.h"
#include "graph/widgets/CTimeButtom.h"

#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

using namespace GraphColours;

// Optional: VEXALOG_GRAPH_DUMP=folder keeps the rendered images for a look.
void Dump(const QImage& image, const char* name)
{
    if (const char* folder = std::getenv("VEXALOG_GRAPH_DUMP"))
        image.save(QString::fromLatin1(folder) + "/" + name + ".png");
}

// The dB labels drawn on their own, to find their glyphs in a frame.
QImage LabelText(const QString& text, const QFont& font)
{
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(kLabelStrip);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(kLabel);
    painter.drawText(QPoint(0, QFontMetrics(font).ascent()), text);
    return image;
}

class TrafficGraphTest : public ::testing::Test {
protected:
    TestGraph g;
};

TEST_F(TrafficGraphTest, AFreshGraphShowsPlotStripGridAndLabels30To130)
{
    const QImage frame = g.Grab();
    Dump(frame, "fresh");
    ASSERT_EQ(frame.size(), QSize(kGraphWidth, kGraphHeight));
    EXPECT_EQ(frame.pixel(35, 5), Rgb(kPlot));
    EXPECT_EQ(frame.pixel(305, 155), Rgb(kPlot));
    EXPECT_EQ(frame.pixel(29, 100), Rgb(kLabelStrip));
    // Grid lines every 10 pixels from x = 30 and from y = h - 2 upwards.
    EXPECT_EQ(frame.pixel(40, 100), Rgb(kGrid));
    EXPECT_EQ(frame.pixel(550, 100), Rgb(kGrid));
    EXPECT_EQ(frame.pixel(100, kGraphHeight - 2), Rgb(kGrid));
    EXPECT_EQ(frame.pixel(103, kGraphHeight - 12), Rgb(kGrid));
    EXPECT_EQ(frame.pixel(103, kGraphHeight - 7), Rgb(kPlot));
    // The labels " 30" .. "130" at the fifths of the range, " 30" 15 pixels up.
    const char* texts[] = {" 30", " 50", " 70", " 90", "110", "130"};
    const int tops[] = {kGraphHeight - 15, 223, 167, 111, 55, 0};
    for (int i = 0; i < 6; ++i) {
        const QImage expected = LabelText(QString::fromLatin1(texts[i]), g.button.font());
        const int h = std::min(expected.height(), kGraphHeight - tops[i]);
        // (Left of x = 2 the rounded corners take their pixels.)
        EXPECT_TRUE(frame.copy(2, tops[i], 28, h) == expected.copy(2, 0, 28, h)) << texts[i];
    }
    // No time in the strip.
    EXPECT_EQ(g.view.labels, std::vector<std::string>({" ", " ", " "}));
    EXPECT_EQ(CountColour(frame, kTrace), 0);
}

// Values 50.0, 50.1, 50.2, ...: reading i is 50 + i / 10.
std::vector<double> Ramp(int count)
{
    std::vector<double> values;
    for (int i = 0; i < count; ++i)
        values.push_back(50.0 + i * 0.1);
    return values;
}

int TraceY(const TrafficGraphState& s, double value)
{
    return GraphMath::LevelY(value, s.height, s.bottomDb, GraphMath::PixelsPerDb(s.height, s.topDb, s.bottomDb));
}

TEST_F(TrafficGraphTest, HistogramBarsStandOnlyAboveTheBottomOfTheRange)
{
    g.StartClock(36000);
    g.Record({80, 50, 50, 50, 90, 60});
    g.ZoomAt(31);
    ASSERT_FALSE(g.State().overview);
    // Slot 1 at the bottom of the zoomed range, slot 2 below it.
    g.store.samples[1].value = g.State().bottomDb;
    g.store.samples[2].value = g.State().bottomDb - 10.0;
    g.Feed(g.store.count - 1);
    EXPECT_EQ(g.button.Graph().SetStyle(0), 0);
    const QImage frame = g.Grab();
    Dump(frame, "histogram");
    const int y80 = TraceY(g.State(), 80.0);
    EXPECT_EQ(frame.pixel(30, y80), Rgb(kLabel)); // the bar's top pixel
    const GraphMath::Rgb bar = GraphMath::BarColour(270, kGraphHeight);
    EXPECT_EQ(frame.pixel(31, 270), qRgb(bar.red, bar.green, bar.blue));
    EXPECT_EQ(frame.pixel(31, y80 + 1), Rgb(QColor(GraphMath::BarColour(y80 + 1, kGraphHeight).red,
                                                     GraphMath::BarColour(y80 + 1, kGraphHeight).green, 64)));
    for (int x = 32; x < 36; ++x) {
        EXPECT_TRUE(RowsOf(frame, x, kLabel).empty()) << x;
        EXPECT_NE(frame.pixel(x, 270), qRgb(bar.red, bar.green, bar.blue)) << x;
    }
    EXPECT_EQ(frame.pixel(36, TraceY(g.State(), 50.0)), Rgb(kLabel));
    // The style message takes 0 and 1 only.
    EXPECT_EQ(g.button.Graph().SetStyle(2), 0);
    EXPECT_EQ(g.button.Graph().SetStyle(1), 1);
    EXPECT_EQ(g.button.Graph().SetStyle(-1), 1);
}

TEST_F(TrafficGraphTest, ALinePointOutsideTheRangeStopsPrintingUntilEveryPointFits)
{
    g.StartClock(36000);
    g.Record({60, 62, 140, 60, 60, 60});
    g.ZoomAt(31);
    QImage frame = g.Grab();
    Dump(frame, "line");
    EXPECT_FALSE(g.owner.CanPrint());
    // Slot i at x = 30 + 2i; the last slot's line runs on to the right edge only
    // when it is the page's last slot.
    EXPECT_EQ(frame.pixel(30, TraceY(g.State(), 60)), Rgb(kTrace));
    EXPECT_EQ(frame.pixel(32, TraceY(g.State(), 62)), Rgb(kTrace));
    EXPECT_EQ(frame.pixel(38, TraceY(g.State(), 60)), Rgb(kTrace));
    EXPECT_TRUE(RowsOf(frame, 45, kTrace).empty());

    g.store.samples[2].value = 70.0;
    g.Feed(g.store.count - 1);
    g.Grab();
    EXPECT_TRUE(g.owner.CanPrint());
}

TEST_F(TrafficGraphTest, TheOverviewPlotsEachSecondAtItsHighestReading)
{
    // Two pixels a second; the readings first follow at slot steps, and once
    // they reach the right edge they are placed by their time. The 266
    // readings handed over (of 267 stored) just fit.
    g.StartClock(36000);
    g.button.SetTimeScale(TestTime(36000), 2.0);
    std::vector<double> values(267, 60.0);
    values[10] = 80.0; // shares second 10 with reading 11 (60)
    for (int i = 0; i < 267; ++i)
        g.store.Add(values[static_cast<std::size_t>(i)], 36000 + (i <= 10 ? i : i - 1));
    g.Feed(g.store.count - 1);
    g.Grab();
    EXPECT_GT(g.State().timePlacedCount, 0);
    const QImage frame = g.Grab();
    Dump(frame, "seconds");
    EXPECT_EQ(RowsOf(frame, 30 + 2 * 10, kTrace).front(), TraceY(g.State(), 80.0));
    EXPECT_EQ(frame.pixel(30 + 2 * 20, TraceY(g.State(), 60.0)), Rgb(kTrace));
}

TEST_F(TrafficGraphTest, AfterExactlyAPageOfReadingsThePageTurnsToTheNextEmptyOne)
{
    g.StartClock(36000);
    g.Record(Ramp(200));
    g.ZoomAt(31);
    while (g.store.count < 264) {
        g.store.Add(70.0, 36000 + g.store.count);
        g.Feed(g.store.count - 1);
    }
    EXPECT_EQ(g.owner.GetHScrollPos(), 0);
    EXPECT_GT(CountColour(g.Grab(), kTrace), 200);
    g.store.Add(70.0, 36000 + g.store.count);
    g.Feed(g.store.count - 1);
    EXPECT_EQ(g.owner.GetHScrollPos(), 1);
    EXPECT_EQ(g.view.hBar.position, 1);
    EXPECT_EQ(CountColour(g.Grab(), kTrace), 0);
    EXPECT_EQ(g.view.labels, std::vector<std::string>({" ", " ", " "}));
}

TEST_F(TrafficGraphTest, CursorsSitOnSlotsAndReadTheReadingsBetweenThem)
{
    g.StartClock(36000);
    g.Record(Ramp(100));
    CTrafficGraph& graph = g.button.Graph();
    graph.DoubleClick({30 + 2 * 10, 100}); // ignored in the overview
    EXPECT_EQ(g.view.readouts.cursorA, "");
    g.ZoomAt(31);
    // x = 30 + 2k places A on slot k; a second double-click there places B on it.
    graph.DoubleClick({30 + 2 * 10, 100});
    EXPECT_EQ(g.view.readouts.cursorA, "51.0");
    EXPECT_EQ(g.view.readouts.cursorATime, "10:00:10");
    graph.DoubleClick({30 + 2 * 10, 100});
    for (const std::string* text : {&g.view.readouts.maxBetween, &g.view.readouts.minBetween,
                                    &g.view.readouts.avgBetween, &g.view.readouts.cursorB})
        EXPECT_EQ(*text, text == &g.view.readouts.avgBetween ? "51.00" : "51.0");
    graph.DoubleClick({300, 100}); // the third only repaints
    EXPECT_EQ(g.view.readouts.cursorB, "51.0");

    graph.DoubleClick({30 + 2 * 20, 100});
    EXPECT_EQ(g.view.readouts.cursorB, "0.0");
    graph.DoubleClick({30 + 2 * 40, 100});
    EXPECT_EQ(g.view.readouts.cursorB, "54.0");
    EXPECT_EQ(g.view.readouts.maxBetween, "54.0");
    EXPECT_EQ(g.view.readouts.maxBetweenTime, "10:00:40");
    EXPECT_EQ(g.view.readouts.minBetween, "52.0");
    EXPECT_EQ(g.view.readouts.minBetweenTime, "10:00:20");
    EXPECT_NEAR(std::atof(g.view.readouts.avgBetween.c_str()), 53.0, 1e-9);
    QImage frame = g.Grab();
    EXPECT_EQ(RowsOf(frame, 70, kCursorA).size(), static_cast<std::size_t>(kGraphHeight));
    EXPECT_EQ(RowsOf(frame, 110, kCursorB).size(), static_cast<std::size_t>(kGraphHeight));

    // B left of A moves A there instead, and the screen shows it at once.
    graph.DoubleClick({300, 100});
    graph.DoubleClick({130, 100});
    graph.DoubleClick({90, 100});
    EXPECT_EQ(g.view.readouts.cursorA, "53.0");
    frame = g.Grab();
    EXPECT_FALSE(RowsOf(frame, 90, kCursorA).empty());
    EXPECT_TRUE(RowsOf(frame, 130, kCursorA).empty());
    EXPECT_TRUE(RowsOf(frame, 110, kCursorB).empty());

    // Right-click in the label strip does nothing; on the plot it clears.
    graph.RightButtonDown({20, 100});
    EXPECT_EQ(g.view.readouts.cursorA, "53.0");
    graph.RightButtonDown({200, 100});
    EXPECT_EQ(g.view.readouts.cursorA, "0.0");
    EXPECT_EQ(g.view.readouts.cursorATime, "");
    EXPECT_EQ(CountColour(g.Grab(), kCursorA), 0);
}

TEST_F(TrafficGraphTest, ADragFramesItsRectangleAndNarrowsTheRange)
{
    // The example: 150 pixels high, from (100, 20) to (160, 40).
    CTestFeed feed;
    CLatestOwnerView view;
    CGraphOwnerModel owner{feed, &view};
    CScriptedDialogs dialogs;
    CTrafficButton button(owner, dialogs);
    button.resize(kGraphWidth, 150);
    button.Attach();
    feed.graph = &button.Graph();
    // Released in the label strip, or after a move of less than 7 pixels: nothing.
    for (const QPoint end : {QPoint(20, 40), QPoint(103, 23)}) {
        QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(100, 20));
        QTest::mouseRelease(&button, Qt::LeftButton, {}, end);
        EXPECT_EQ(button.Graph().State().topDb, 130.0);
    }
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(100, 20));
    button.Graph().MouseMove({160, 40});
    const QImage frame = button.grab().toImage().convertToFormat(QImage::Format_RGB32);
    Dump(frame, "drag");
    for (const QPoint p : {QPoint(100, 20), QPoint(159, 20), QPoint(100, 39), QPoint(159, 39), QPoint(130, 39)})
        EXPECT_EQ(frame.pixel(p), Rgb(kZoomFrame)) << p.x() << "," << p.y();
    EXPECT_NE(frame.pixel(130, 30), Rgb(kZoomFrame));
    EXPECT_NE(frame.pixel(160, 40), Rgb(kZoomFrame));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(160, 40));

    const TrafficGraphState& s = button.Graph().State();
    EXPECT_NEAR(s.topDb, 116.67, 0.01);
    EXPECT_NEAR(s.bottomDb, 103.33, 0.01);
    EXPECT_FALSE(s.fineLabels);
    EXPECT_TRUE(s.overview); // no readings: the range only
    EXPECT_NEAR(owner.VScrollBar().unit, 2.67, 0.01);
    EXPECT_EQ(owner.VScrollBar().maximum, 32);
    EXPECT_EQ(CountColour(button.grab().toImage().convertToFormat(QImage::Format_RGB32), kZoomFrame), 0);
    // The last vertical position rests on 30 dB.
    owner.VerticalScroll(ScrollCode::ThumbPosition, 32);
    EXPECT_DOUBLE_EQ(s.bottomDb, 30.0);
    EXPECT_NEAR(s.topDb, 30.0 + 13.33, 0.01);
}

TEST_F(TrafficGraphTest, AZoomLandsOnThePageOfTheClickedReadingAtAnyHour)
{
    // A morning recording (H:MM:SS with a one-digit hour), one reading a second.
    g.feed.limit = 2000;
    g.StartClock(9 * 3600 + 15 * 60, 1.0);
    g.Record(std::vector<double>(2000, 65.0), 9 * 3600 + 15 * 60);
    const double pixelsPerSecond = 530.0 / 2000;
    g.ZoomAt(30 + static_cast<int>(std::ceil(1500 * pixelsPerSecond)));
    EXPECT_EQ(g.owner.GetHScrollPos(), 1500 / 265);
    EXPECT_EQ(g.State().page[0].time, g.store.samples[5 * 265].time);
}

TEST_F(TrafficGraphTest, AStoreOfWholePagesScrollsFreely)
{
    // 530 readings, recording stopped: the last page is full, no live page opens.
    g.StartClock(36000);
    g.Record(Ramp(530));
    g.ZoomAt(31);
    EXPECT_EQ(g.owner.GetHScrollPos(), 0);
    EXPECT_EQ(g.State().page[0].time, "10:00:00");
    g.owner.HorizontalScroll(ScrollCode::LineForward, 0);
    EXPECT_EQ(g.State().page[0].time, g.store.samples[265].time);
    g.owner.HorizontalScroll(ScrollCode::LineBack, 0);
    EXPECT_EQ(g.State().page[0].time, "10:00:00");
    EXPECT_EQ(g.owner.GetHScrollPos(), 0);
}

TEST(TrafficGraphTimes, AReadingWithNoCalendarTimeIsLeftOutAndReportedOnce)
{
    TestStore store;
    CTestFeed feed;
    CLatestOwnerView view;
    CGraphOwnerModel owner{feed, &view};
    CTrafficGraph graph(owner, nullptr, &RefuseOldDates);
    graph.Attach(kGraphWidth, kGraphHeight);
    graph.SetTimeScale(TestTime(36000), 4.0);
    for (int i = 0; i < 20; ++i)
        store.Add(i == 5 ? 120.0 : 60.0, 36000 + i, i == 5 ? "31-12-1901" : "12-5-2007");
    graph.NewReading(store.Data(), store.count - 1);
    graph.State().timePlacedCount = store.count;
    CTrafficGraphPainter painter;
    QImage frame(kGraphWidth, kGraphHeight, QImage::Format_RGB32);
    for (int i = 0; i < 3; ++i) {
        QPainter p(&frame);
        painter.Draw(p, graph);
    }
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0], "Reading 6 is left out of the graph: its date \"31-12-1901\" and time \"10:00:05\" "
                                "form no calendar time.");
    // The trace runs on at 60 dB past second 5, with no peak there.
    const int y60 = TraceY(graph.State(), 60.0);
    EXPECT_EQ(frame.pixel(30 + 4 * 5, y60), Rgb(kTrace));
    EXPECT_TRUE(RowsOf(frame.copy(30, 0, 100, y60 - 1), 20, kTrace).empty());
}

TEST(TimeStripTest, LabelsAt30_250And500OfA560PixelStrip)
{
    CTimeButtom strip;
    strip.resize(kGraphWidth, 21);
    strip.Attach();
    strip.SetLabels(" ", " ", " ");
    QImage frame = strip.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(CountColour(frame, QColor(128, 0, 128)), kGraphWidth * 21);

    strip.SetLabels("10:00:00", "10:02:12", "10:04:25");
    frame = strip.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage expected(kGraphWidth, 21, QImage::Format_RGB32);
    expected.fill(QColor(128, 0, 128));
    {
        QPainter p(&expected);
        p.setFont(strip.font());
        p.setPen(kLabel);
        const int baseline = 2 + QFontMetrics(strip.font()).ascent();
        p.drawText(QPoint(30, baseline), QStringLiteral("10:00:00"));
        p.drawText(QPoint(250, baseline), QStringLiteral("10:02:12"));
        p.drawText(QPoint(500, baseline), QStringLiteral("10:04:25"));
    }
    EXPECT_TRUE(frame == expected);

    // The cursor legends in the colours of their lines.
    CStaticCursor a;
    CStaticCursor b;
    a.SetIsA(true);
    b.SetIsB(true);
    for (CStaticCursor* label : {&a, &b}) {
        label->resize(56, 19);
        const QImage image = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
        // Text is smoothed: count the pixels of each line's hue.
        int green = 0;
        int blue = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                green += c.green() > 200 && c.red() < 100 && c.blue() < 100;
                blue += c.blue() > 200 && c.red() < 100 && c.green() < 128;
            }
        }
        EXPECT_EQ(green > 10, label == &a);
        EXPECT_EQ(blue > 10, label == &b);
    }
}

} // namespace
