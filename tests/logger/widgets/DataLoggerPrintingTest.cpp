// Print Data: the data-logger graph's page in the overview and in a zoomed
// view (read back from the PDF with poppler), and the DataLogger window's
// command with its enable rule, its print dialog and Cancel.
#include "common/Clock.h"
#include "common/ScriptedDialogs.h"
#include "graph/widgets/CPrintJob.h"
#include "logger/widgets/CDataLoggerDlg.h"
#include "logger/widgets/DataLoggerForm.h"
#include "logger/widgets/DataLoggerPrinting.h"
#include "tests/logger/LoggerBytesKit.h"
#include "tests/logger/drawing/DataLoggerGraphKit.h"
#include "tests/support/PdfPages.h"
#include "tests/support/TempDir.h"

#include <QAction>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

constexpr int kX0 = 55;
constexpr int kY0 = 375;

// Samples every 10 s from 9:04:57 to 9:24:57, 51 and 53 dB in turn, with
// times written H:MM:SS; the first second holds two more samples, 0.005 and
// 0.02 dB above the first.
TestSet TwentyMinutes()
{
    TestSet set;
    set.At(0, 51.0).At(0, 51.005).At(0, 51.02);
    for (int k = 1; k <= 120; ++k)
        set.At(10 * k, k % 2 ? 53.0 : 51.0);
    for (DataSample& sample : set.samples) {
        const std::int64_t t = SampleCalendarTime(sample);
        sample.time = FormatLocalTime(t, "%H:%M:%S").substr(1); // 09:05:07 -> 9:05:07
    }
    return set;
}

struct DataLoggerChartTest : ::testing::Test {
    PrintedChart Chart()
    {
        const DataLoggerGraphState& s = g.graph.State();
        return DataLoggerChart(g.graph, MakePrintedFrame(job, s.bottomDb, s.topDb));
    }

    // 300 pixels high, 3 a decibel, so drags pick whole decibels.
    LoggerGraph g{kLoggerGraphWidth, 300};
    TestSet set = TwentyMinutes();
    CScriptedDialogs dialogs;
    CPrintJob job{dialogs};
    CTempDir dir{"loggerprint"};
};

TEST_F(DataLoggerChartTest, TheOverviewFillsTheAxisWithAThickTraceAndNoTimes)
{
    g.Open(set);
    const PrintedChart chart = Chart();
    EXPECT_EQ(chart.title, "ORVANTIS LX47 DATA LOGGER");
    EXPECT_EQ(chart.tracePenWidth, 3);
    EXPECT_FALSE(chart.timeTexts);
    EXPECT_FALSE(chart.oneDecimal);
    // One point a time stamp; the first second at 51.02 dB (the rise of
    // 0.005 dB is no rise): 375 - trunc(21.02 × 2.95).
    ASSERT_EQ(chart.trace.size(), 121u);
    EXPECT_EQ(chart.trace.front(), QPoint(kX0, kY0 - 62));
    EXPECT_EQ(chart.trace[1], QPoint(59, kY0 - 67)) << "10 s at 494 / 1200 points a second; 53 dB";
    EXPECT_EQ(chart.trace.back(), QPoint(kX0 + 494, kY0 - 61));
}

TEST_F(DataLoggerChartTest, AZoomedViewPrintsItsSpanWithAThinTraceItsTimesAndFineLabels)
{
    g.Open(set);
    // 624 pixels show 1200 s: from 11 s to 611 s, 54 dB down to 50 dB.
    g.Drag({36, 228}, {348, 240});
    ASSERT_FALSE(g.graph.State().fullView);
    ASSERT_EQ(g.graph.State().topDb, 54.0);
    ASSERT_EQ(g.graph.State().bottomDb, 50.0);

    const PrintedChart chart = Chart();
    EXPECT_EQ(chart.tracePenWidth, 1) << "a third of the overview's";
    ASSERT_EQ(chart.trace.size(), 61u);
    // 53 dB: 375 - trunc(3 × 73.75); 51 dB: 375 - trunc(73.75).
    EXPECT_EQ(chart.trace.front(), QPoint(kX0, kY0 - 221));
    EXPECT_EQ(chart.trace[1], QPoint(63, kY0 - 73));
    EXPECT_EQ(chart.trace.back(), QPoint(kX0 + 494, kY0 - 221));

    const std::string pdf = dir.File("zoomed.pdf");
    ASSERT_EQ(PrintChartPage(job, pdf, chart), 0);
    const PdfPage page = ReadPdfWords(pdf);
    ASSERT_TRUE(page.error.empty()) << page.error;
    const struct {
        const char* text;
        double x;
    } times[] = {{"9:05:07", kX0}, {"9:10:07", (kX0 + 494) / 2}, {"9:15:07", kX0 + 454}};
    for (const auto& time : times) {
        const PdfWord* word = page.Find(time.text);
        ASSERT_NE(word, nullptr) << time.text;
        EXPECT_NEAR(word->xMin, time.x, 1.5) << time.text;
        EXPECT_NEAR(word->yMin, kY0 + 5, 1.5) << time.text;
    }
    const char* labels[] = {"50.0", "50.8", "51.6", "52.4", "53.2", "54.0"};
    for (int i = 0; i < 6; ++i) {
        const PdfWord* word = page.Find(labels[i]);
        ASSERT_NE(word, nullptr) << labels[i];
        EXPECT_NEAR(word->yMin, kY0 - 59 * i - 10, 1.5) << labels[i];
    }
}

class PrintDataTest : public ::testing::Test {
protected:
    QAction* PrintData() const { return window.Command(CDataLoggerDlg::kPrintDataId); }
    // A frame of the graph, as the screen draws it.
    void Draw() { window.Graph()->grab(); }

    CManualClock clock{MakeLocalTime(2024, 5, 6, 7, 8, 9)};
    CScriptedDialogs dialogs;
    CTempDir temp{"vx_printdata"};
    CDataLoggerDlg window{dialogs, clock};
};

TEST_F(PrintDataTest, PrintsTheOpenedSetThroughThePrintDialogWhileItFitsTheDbWindow)
{
    // No set opened: nothing to print.
    EXPECT_FALSE(PrintData()->isEnabled());
    window.PrintData();
    EXPECT_EQ(dialogs.PrintDialogsShown(), 0);

    Download d;
    d.Add({0xAA, 0x07, 0x12, 0x31, 0x31, 0x59, 0x50, 0x05}, {45.5, 101.3, 29.9, 88.8});
    window.LoadRecordSets(d.bytes, d.table);
    EXPECT_FALSE(PrintData()->isEnabled());
    window.OpenRow(0);
    ASSERT_TRUE(PrintData()->isEnabled());

    // Cancel in the print dialog prints nothing.
    PrintData()->trigger();
    EXPECT_EQ(dialogs.PrintDialogsShown(), 1);
    EXPECT_TRUE(std::filesystem::is_empty(temp.Path()));

    // A file that cannot be written is told of; a Cancel after it is not.
    PrinterChoice chosen;
    chosen.outputFile = temp.File("no/folder/set.pdf");
    dialogs.QueuePrinter(chosen);
    PrintData()->trigger();
    EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>{kPrintFailedText});
    PrintData()->trigger();
    EXPECT_EQ(dialogs.Messages().size(), 1u);
    chosen.outputFile = temp.File("set.pdf");
    dialogs.QueuePrinter(chosen);
    PrintData()->trigger();
    const PdfPage page = ReadPdfWords(chosen.outputFile);
    ASSERT_TRUE(page.error.empty()) << page.error;
    EXPECT_EQ(page.pageCount, 1);
    EXPECT_NE(page.Find("LOGGER"), nullptr);
    EXPECT_EQ(dialogs.Messages().size(), 1u);

    // Zoomed so that 45.5 dB lies below the window: the next frame disables
    // the command, and a call while it is disabled prints nothing.
    QTest::mousePress(window.Graph(), Qt::LeftButton, {}, QPoint(31, 100));
    QTest::mouseRelease(window.Graph(), Qt::LeftButton, {}, QPoint(450, 200));
    ASSERT_FALSE(window.Graph()->Graph().State().fullView);
    Draw();
    EXPECT_FALSE(PrintData()->isEnabled());
    window.PrintData();
    EXPECT_EQ(dialogs.PrintDialogsShown(), 4);

    window.Form()->UndoZoomButton()->click();
    Draw();
    EXPECT_TRUE(PrintData()->isEnabled());
    window.ResetWindow();
    EXPECT_FALSE(PrintData()->isEnabled());
}

} // namespace
