// File > Print of the real-time graph: the page's trace and times from the
// graph as it stands (overview and page, line and histogram), and the page
// printed to PDF and read back with poppler.
#include "tests/graph/widgets/GraphTestKit.h"

#include "graph/widgets/TrafficGraphPrinting.h"
#include "tests/support/PdfPages.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>


namespace {

constexpr int kX0 = 55;  // left margin 35 + 20
constexpr int kY0 = 375; // top margin 80 + 295
// 60 and 80 dB on the full range: 295 points over 100 dB.
constexpr int kY60 = kY0 - 88;  // trunc(30 × 2.95)
constexpr int kY80 = kY0 - 147; // trunc(50 × 2.95)

class TrafficGraphPrintingTest : public ::testing::Test {
protected:
    // 300 readings a second apart from 10:00:00, 60 and 80 dB in turn; the
    // graph is handed the index of the newest, so its overview holds 299.
    void Record300()
    {
        g.StartClock(10 * 3600);
        std::vector<double> values;
        for (int i = 0; i < 300; ++i)
            values.push_back(i % 2 ? 80.0 : 60.0);
        g.Record(values);
    }
    // The drag that opens the first page and keeps the full dB range.
    void ZoomToFirstPage()
    {
        g.button.Graph().LeftButtonDown({31, 0});
        g.button.Graph().LeftButtonUp({51, kGraphHeight});
        ASSERT_FALSE(g.State().overview);
    }
    PrintedChart Chart()
    {
        return TrafficGraphChart(g.button.Graph(), MakePrintedFrame(job, g.State().bottomDb, g.State().topDb));
    }
    // Pixels darker than the paper in the plot between the level lines at
    // 257 and 316 points, rendered at 150 dpi.
    int InkBelowTheMiddle(const std::string& pdf)
    {
        const QImage region = RenderPdfRegion(pdf, 150, QRect(MulDiv(60, 150, 72), MulDiv(260, 150, 72),
                                                              MulDiv(480, 150, 72), MulDiv(52, 150, 72)));
        int ink = 0;
        for (int y = 0; y < region.height(); ++y)
            for (int x = 0; x < region.width(); ++x)
                ink += qGray(region.pixel(x, y)) < 200;
        return region.isNull() ? -1 : ink;
    }

    TestGraph g;
    CScriptedDialogs dialogs;
    CPrintJob job{dialogs};
    CTempDir dir{"trafficprint"};
};

TEST_F(TrafficGraphPrintingTest, APagePutsItsSlots494Over265PointsApartWithThreeTimesUnderTheAxis)
{
    Record300();
    ASSERT_NO_FATAL_FAILURE(ZoomToFirstPage());
    ASSERT_EQ(g.State().slotCount, 265);

    const PrintedChart line = Chart();
    EXPECT_EQ(line.title, "ORVANTIS LX47 Real-Time Graph");
    EXPECT_EQ(line.tracePenWidth, 3);
    // Slots 0 .. page fill - 1 (all 265 leading slots hold readings).
    ASSERT_EQ(line.trace.size(), 265u);
    const struct {
        int slot;
        int x; // trunc(slot × 1.8642 + 55)
    } cases[] = {{0, 55}, {1, 56}, {2, 58}, {3, 60}, {132, 301}, {263, 545}, {264, 547}};
    for (const auto& s : cases) {
        EXPECT_EQ(line.trace[std::size_t(s.slot)], QPoint(s.x, s.slot % 2 ? kY80 : kY60)) << s.slot;
    }
    // Slot 0, slot n / 2 and slot n.
    ASSERT_TRUE(line.timeTexts);
    EXPECT_EQ(*line.timeTexts, (std::array<std::string, 3>{"10:00:00", "10:02:12", "10:04:25"}));

    g.button.SetStyle(0);
    const PrintedChart histogram = Chart();
    EXPECT_TRUE(histogram.trace.empty());
    EXPECT_EQ(histogram.timeTexts, line.timeTexts);

    // On paper: the histogram has the times but no trace in the plot.
    const std::string histogramPdf = dir.File("histogram.pdf");
    ASSERT_EQ(g.button.PrintGraph(histogramPdf), PrintOutcome::Printed);
    EXPECT_EQ(InkBelowTheMiddle(histogramPdf), 0);
    g.button.SetStyle(1);
    const std::string linePdf = dir.File("line.pdf");
    ASSERT_EQ(g.button.PrintGraph(linePdf), PrintOutcome::Printed);
    EXPECT_GT(InkBelowTheMiddle(linePdf), 500);
    const PdfPage page = ReadPdfWords(histogramPdf);
    ASSERT_TRUE(page.error.empty()) << page.error;
    EXPECT_EQ(page.pageCount, 1);
    for (const char* time : {"10:00:00", "10:02:12", "10:04:25"}) {
        const PdfWord* word = page.Find(time);
        ASSERT_NE(word, nullptr) << time;
        EXPECT_NEAR(word->yMin, kY0 + 5, 1.5) << time;
    }

    // A page whose last slots are empty leaves their times out.
    g.owner.HorizontalScroll(ScrollCode::LineForward, 0);
    ASSERT_EQ(g.State().pageFill, 35);
    EXPECT_EQ(*Chart().timeTexts, (std::array<std::string, 3>{"10:04:25", "", ""}));
    EXPECT_EQ(Chart().trace.size(), 35u);
}

TEST_F(TrafficGraphPrintingTest, TheOverviewIsTheScreensWalkAtThePrintedScaleWithoutEdgeOrTimes)
{
    Record300();
    // The screen places the first 265 readings in time once the newest reach its edge.
    g.Grab();
    ASSERT_EQ(g.State().timePlacedCount, 265);

    // 0.0265 pixels a second: 530 pixels show 20000 s, 494 points a 20000 s
    // span, 0.0247 points a second.
    PrintedChart chart = Chart();
    EXPECT_FALSE(chart.timeTexts) << "no times under an overview";
    EXPECT_EQ(chart.tracePenWidth, 3);
    ASSERT_EQ(chart.trace.size(), 299u);
    EXPECT_EQ(chart.trace[0], QPoint(kX0, kY60));
    EXPECT_EQ(chart.trace[264], QPoint(61, kY60)) << "the pending second: trunc(264 × 0.0247 + 55)";
    // The 34 readings not yet placed follow at 494 / 265 points each.
    EXPECT_EQ(chart.trace[265], QPoint(61, kY80));
    EXPECT_EQ(chart.trace[266], QPoint(62, kY60));
    EXPECT_EQ(chart.trace[298], QPoint(122, kY60)) << "trunc(61 + 33 × 1.8642)";

    // A scale under which the screen would widen the axis: the page neither
    // asks for that nor stops the newest readings at its edge.
    g.button.SetTimeScale(g.feed.origin, 1.9);
    const int extensions = g.feed.extensions;
    chart = Chart();
    EXPECT_EQ(g.feed.extensions, extensions);
    ASSERT_EQ(chart.trace.size(), 299u);
    EXPECT_EQ(chart.trace[264].x(), 522) << "trunc(264 × 494 × 1.9 / 530 + 55)";
    EXPECT_EQ(chart.trace.back().x(), 583) << "beyond the axis's end at 549";
}


TEST(TrafficGraphPrintingTimes, AReadingWithoutCalendarTimeIsLeftOutAndThePageStillPrints)
{
    TestStore store;
    CTestFeed feed;
    CLatestOwnerView view;
    CGraphOwnerModel owner{feed, &view};
    CTrafficGraph graph(owner, nullptr, &RefuseOldDates);
    graph.Attach(kGraphWidth, kGraphHeight);
    graph.SetTimeScale(TestTime(36000), 4.0);
    for (int i = 0; i < 20; ++i)
        store.Add(60.0, 36000 + i, i == 5 ? "31-12-1901" : "12-5-2007");
    graph.NewReading(store.Data(), store.count - 1);
    graph.State().timePlacedCount = store.count - 1;

    CScriptedDialogs dialogs;
    CPrintJob job(dialogs);
    const PrintedChart chart = TrafficGraphChart(graph, MakePrintedFrame(job, 30.0, 130.0));
    // Seconds 0 .. 18 but the fifth, at 494 × 4 / 530 points a second.
    ASSERT_EQ(chart.trace.size(), 18u);
    EXPECT_EQ(chart.trace[4], QPoint(69, kY60)) << "second 4";
    EXPECT_EQ(chart.trace[5], QPoint(77, kY60)) << "second 6";
    EXPECT_EQ(view.messages.size(), 1u) << "told once, as on screen";
    const CTempDir dir("trafficprint");
    const std::string pdf = dir.File("unplaced.pdf");
    EXPECT_EQ(PrintChartPage(job, pdf, chart), 0);
    EXPECT_EQ(ReadPdfWords(pdf).pageCount, 1);
}

} // namespace
