// The print job printing to PDF files, its texts read back by poppler's
// pdftotext, and its refusals.
#include "common/ScriptedDialogs.h"
#include "graph/widgets/CPrintJob.h"
#include "tests/support/PdfPages.h"
#include "tests/support/TempDir.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

constexpr double kTolerance = 1.5; // points

struct PrintJobTest : ::testing::Test {
    CTempDir dir{"printjob"};
    CScriptedDialogs dialogs;
    CPrintJob job{dialogs};
};

} // namespace

TEST_F(PrintJobTest, PlacesTextsInPointsOnA600DpiPage)
{
    const std::string pdf = dir.File("page.pdf");
    ASSERT_EQ(job.OpenPrinter(pdf, 1), 0);
    ASSERT_EQ(job.StartDocument(), 0);
    ASSERT_EQ(job.BeginPage(), 0);
    // 35 and 80 points at 600 pixels per inch, rounded.
    EXPECT_EQ(job.LeftMarginPixels(), 292);
    EXPECT_EQ(job.TopMarginPixels(), 667);
    EXPECT_EQ(job.Font(0, 0).pixelSize(), 108); // 13 points
    EXPECT_EQ(job.Font(0, 3).pixelSize(), 208); // 25 points
    EXPECT_EQ(job.Font(0, 3).weight(), QFont::Black);
    EXPECT_EQ(job.Font(0, 2).weight(), QFont::Normal);

    ASSERT_EQ(job.SelectFont(0, 3), 0);
    job.PrintText("ORVANTIS LX47 Real-Time Graph", {46, 20, 520, 56}, kPrintCentreX | kPrintCentreY);
    ASSERT_EQ(job.SelectFont(0, 0), 0);
    job.PrintText("Wider_than_its_box", {100, 200, 110, 210}, kPrintCentreX | kPrintCentreY);
    job.PrintText("Flush", {300, 300, 500, 320}, kPrintRight);
    job.PrintText("Corner", {400, 400, 401, 401}, kPrintLeft);
    EXPECT_EQ(job.FinishPage(), 1);
    EXPECT_EQ(job.EndDocument(), 0);
    EXPECT_FALSE(job.Attached());

    const PdfPage page = ReadPdfWords(pdf);
    ASSERT_TRUE(page.error.empty()) << page.error;
    EXPECT_EQ(page.pageCount, 1);
    const PdfWord* first = page.Find("ORVANTIS");
    const PdfWord* last = page.Find("Graph");
    ASSERT_TRUE(first && last);
    EXPECT_NEAR((first->xMin + last->xMax) / 2, (46 + 520) / 2.0, kTolerance);
    EXPECT_NEAR(first->CentreY(), (20 + 56) / 2.0, kTolerance);
    EXPECT_NEAR(first->yMax - first->yMin, 25 * 1.15, 25 * 0.2); // a 25-point face

    struct Expected {
        const char* word;
        double x;
        bool right;
        double top;
    } const expected[] = {
        {"Wider_than_its_box", 100, false, 200}, // too wide to centre: starts at the left edge
        {"Flush", 500, true, 300},
        {"Corner", 400, false, 400},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.word);
        const PdfWord* word = page.Find(e.word);
        ASSERT_NE(word, nullptr);
        EXPECT_NEAR(e.right ? word->xMax : word->xMin, e.x, kTolerance);
        EXPECT_NEAR(word->yMin, e.top, kTolerance);
    }
}

TEST_F(PrintJobTest, PrintsToTheTargetChosenInTheDialog)
{
    PrinterChoice choice;
    choice.outputFile = dir.File("chosen.pdf");
    choice.copies = 2;
    dialogs.QueuePrinter(choice);
    ASSERT_EQ(job.OpenPrinter(std::nullopt, 1), 0);
    EXPECT_EQ(dialogs.PrintDialogsShown(), 1);
    EXPECT_EQ(job.Copies(), 2);
    ASSERT_EQ(job.StartDocument(), 0);
    ASSERT_EQ(job.BeginPage(), 0);
    job.Painter()->drawLine(0, 0, 100, 100);
    job.FinishPage();
    job.EndDocument();
    EXPECT_GT(std::filesystem::file_size(choice.outputFile), 0u);
}

TEST_F(PrintJobTest, RefusesWhatCannotBePrinted)
{
    // Cancel in the dialog attaches nothing and writes nothing.
    EXPECT_EQ(job.OpenPrinter(std::nullopt, 1), -1);
    EXPECT_FALSE(job.Attached());
    EXPECT_EQ(job.StartDocument(), -1);
    EXPECT_EQ(job.BeginPage(), -1);
    EXPECT_EQ(job.ErrorCode(), CPrintJob::kErrorPageRefused);

    // A printer or file that cannot be opened by name.
    for (const std::string& name : {std::string("No Such Printer 4711"), dir.File("missing/folder/out.pdf"),
                                    dir.Path().string() + "/.pdf/"}) {
        SCOPED_TRACE(name);
        CPrintJob named(dialogs);
        EXPECT_EQ(named.OpenPrinter(name, 1), -1);
        EXPECT_EQ(named.ErrorCode(), CPrintJob::kErrorNoPrinter);
        EXPECT_FALSE(named.Attached());
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));

    // Set 0 comes with the printer; nine more fit, an eleventh is refused.
    ASSERT_EQ(job.OpenPrinter(dir.File("fonts.pdf"), 1), 0);
    for (int k = 1; k < CPrintJob::kMaxFontSets; ++k)
        EXPECT_EQ(job.AddFontSet({"Arial", -50, 400}), 0);
    EXPECT_EQ(job.AddFontSet({"Arial", -50, 400}), -1);
    EXPECT_EQ(job.FontSetCount(), CPrintJob::kMaxFontSets);
    EXPECT_EQ(job.SelectFont(CPrintJob::kMaxFontSets, 0), -1);
    EXPECT_EQ(job.SelectFont(0, CPrintJob::kStyles), -1);

    // A second print run starts its fonts afresh for its own printer.
    ASSERT_EQ(job.OpenPrinter(dir.File("again.pdf"), 1), 0);
    EXPECT_EQ(job.FontSetCount(), 1);
}
