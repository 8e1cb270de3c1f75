// The printed chart page, printed to PDF and read back with poppler: level
// lines and their labels, time texts, the trace's pen and the title.
#include "common/ScriptedDialogs.h"
#include "graph/widgets/CPrintJob.h"
#include "graph/widgets/ChartPrinting.h"
#include "tests/support/PdfPages.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

constexpr int kDpi = 600;
constexpr double kTolerance = 1.5; // points

int Pixels(int points, int dpi = kDpi)
{
    return MulDiv(points, dpi, 72);
}

// Rows of a one-pixel column at x points, from top to bottom points, that
// are darker than the paper, rendered at dpi.
std::vector<int> InkedRows(const std::string& pdf, int x, int top, int bottom, int dpi = kDpi)
{
    const QImage column =
        RenderPdfRegion(pdf, dpi, QRect(Pixels(x, dpi), Pixels(top, dpi), 1, Pixels(bottom - top, dpi)));
    std::vector<int> rows;
    for (int y = 0; y < column.height(); ++y) {
        if (qGray(column.pixel(0, y)) < 200)
            rows.push_back(Pixels(top, dpi) + y);
    }
    return rows;
}

struct ChartPrintingTest : ::testing::Test {
    CTempDir dir{"chartprint"};
    CScriptedDialogs dialogs;
    CPrintJob job{dialogs};
};

} // namespace

TEST_F(ChartPrintingTest, LevelLinesAndLabelsOfTheFullRange)
{
    const std::string pdf = dir.File("full.pdf");
    PrintedChart chart;
    chart.title = "ORVANTIS LX47 Real-Time Graph";
    ASSERT_EQ(PrintChartPage(job, pdf, chart), 0);

    // Six lines 59 points apart from T + 295 up to T, crossing the plot; the
    // column left of the y axis, by the labels, has none of them.
    const std::vector<int> expectedRows = {Pixels(80), Pixels(139), Pixels(198), Pixels(257), Pixels(316), Pixels(375)};
    EXPECT_EQ(InkedRows(pdf, 300, 70, 385), expectedRows);

    const PdfPage page = ReadPdfWords(pdf);
    ASSERT_TRUE(page.error.empty()) << page.error;
    const char* labels[] = {"30", "50", "70", "90", "110", "130"};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(labels[i]);
        const PdfWord* label = page.Find(labels[i]);
        ASSERT_NE(label, nullptr);
        EXPECT_NEAR(label->yMin, 375 - 59 * i - 10, kTolerance);
    }
    // " 30" keeps its leading space: it starts a space's width right of "130".
    EXPECT_GT(page.Find("30")->xMin, page.Find("130")->xMin + 1);
    EXPECT_NEAR(page.Find("130")->xMin, 30, kTolerance);
    // No time texts under the axis in an overview.
    for (const PdfWord& word : page.words)
        EXPECT_LT(word.yMin, 375) << word.text;
    const PdfWord* first = page.Find("ORVANTIS");
    const PdfWord* last = page.Find("Graph");
    ASSERT_TRUE(first && last);
    EXPECT_NEAR((first->xMin + last->xMax) / 2, 283, kTolerance);
}

TEST_F(ChartPrintingTest, ZoomedLabelsTimesAndTracePens)
{
    // Rendered at four times the printer's resolution, a pen of w printer
    // pixels covers 4w rows, and poppler's rasteriser adds up to a printer
    // pixel of its own: the widths show in the difference.
    constexpr int kFine = 4 * kDpi;
    const int penWidths[] = {3, 1};
    std::vector<std::size_t> thickness;
    for (const int penWidth : penWidths) {
        SCOPED_TRACE(penWidth);
        const std::string pdf = dir.File("zoomed" + std::to_string(penWidth) + ".pdf");
        PrintedChart chart;
        chart.title = "ORVANTIS LX47 DATA LOGGER";
        chart.bottomDb = 50;
        chart.topDb = 54;
        chart.oneDecimal = true;
        chart.timeTexts = {{"9:05:07", "9:10:07", "9:15:07"}};
        chart.tracePenWidth = penWidth;
        chart.trace = {{100, 200}, {400, 200}};
        ASSERT_EQ(PrintChartPage(job, pdf, chart), 0);

        thickness.push_back(InkedRows(pdf, 250, 195, 205, kFine).size());
        EXPECT_GE(thickness.back(), std::size_t(4 * penWidth));
        EXPECT_LE(thickness.back(), std::size_t(4 * penWidth + 4));
        const PdfPage page = ReadPdfWords(pdf);
        ASSERT_TRUE(page.error.empty()) << page.error;
        for (const char* label : {"50.0", "50.8", "51.6", "52.4", "53.2", "54.0"})
            EXPECT_NE(page.Find(label), nullptr) << label;
        const PdfWord* left = page.Find("9:05:07");
        const PdfWord* middle = page.Find("9:10:07");
        const PdfWord* right = page.Find("9:15:07");
        ASSERT_TRUE(left && middle && right);
        EXPECT_NEAR(left->xMin, 55, kTolerance);
        EXPECT_NEAR(middle->xMin, (55 + 494) / 2, kTolerance);
        EXPECT_NEAR(right->xMin, 55 + 454, kTolerance);
        EXPECT_NEAR(left->yMin, 380, kTolerance);
    }
    EXPECT_NEAR(double(thickness[0]) - double(thickness[1]), 4.0 * (3 - 1), 1.0);
}

TEST_F(ChartPrintingTest, CancelPrintsNothing)
{
    PrintedChart chart;
    EXPECT_EQ(PrintChartPage(job, std::nullopt, chart), -1);
    EXPECT_EQ(dialogs.PrintDialogsShown(), 1);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}
