// The measurement report through the print dialog: the paper chosen there
// sets the layout, Cancel prints nothing and says nothing, and a file that
// cannot be written is reported.
#include "common/ScriptedDialogs.h"
#include "graph/widgets/CPrintJob.h"
#include "report/ReportPrinting.h"
#include "tests/support/PdfPages.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::vector<DataSample> Minutes(int count)
{
    std::vector<DataSample> samples;
    for (int i = 0; i < count; ++i) {
        DataSample sample;
        sample.valid = 1;
        sample.value = 50.0 + i % 30;
        sample.date = "8-12-2025";
        sample.time = std::to_string(9 + i / 60) + ":" + std::to_string(i % 60) + ":0";
        sample.unit = "dBA";
        samples.push_back(sample);
    }
    return samples;
}

TEST(ReportPrintingTest, ThePaperChosenInThePrintDialogSetsThePagesAndTheirFooters)
{
    const CTempDir temp("vx_report");
    ASSERT_TRUE(temp.IsValid());
    const struct {
        const char* paper;
        double width;
        double height;
    } papers[] = {{"A4", 595.3, 841.9}, {"Letter", 612.0, 792.0}};
    for (const auto& paper : papers) {
        CScriptedDialogs dialogs;
        PrinterChoice choice;
        choice.outputFile = temp.File(std::string(paper.paper) + ".pdf");
        choice.pageSize = paper.paper;
        dialogs.QueuePrinter(choice);
        CPrintJob job(dialogs);
        ReportRequest request;
        EXPECT_EQ(PrintReportCommand(job, dialogs, request, Minutes(120), "dBA", 60.0), PrintOutcome::Printed);
        EXPECT_EQ(dialogs.PrintDialogsShown(), 1);
        const PdfPage page = ReadPdfWords(choice.outputFile);
        ASSERT_TRUE(page.error.empty()) << page.error;
        EXPECT_EQ(page.pageCount, kReportPages);
        EXPECT_NEAR(page.width, paper.width, 1.0) << paper.paper;
        EXPECT_NEAR(page.height, paper.height, 1.0) << paper.paper;
        // The page number sits on the page, near its bottom, on either paper.
        const PdfWord* number = page.Find("Page");
        ASSERT_NE(number, nullptr);
        EXPECT_GT(number->yMin, paper.height - 60) << paper.paper;
        EXPECT_LT(number->yMax, paper.height) << paper.paper;
        // A set not from a file says so where the digest would be.
        EXPECT_NE(page.Find("saved"), nullptr);
        EXPECT_TRUE(dialogs.Messages().empty());
    }

    CScriptedDialogs dialogs; // nothing queued: the dialog is cancelled
    CPrintJob job(dialogs);
    EXPECT_EQ(PrintReportCommand(job, dialogs, {}, Minutes(10), "dBA", 60.0), PrintOutcome::Cancelled);
    EXPECT_TRUE(dialogs.Messages().empty());

    PrinterChoice unwritable;
    unwritable.outputFile = temp.File("no/folder/report.pdf");
    dialogs.QueuePrinter(unwritable);
    EXPECT_EQ(PrintReportCommand(job, dialogs, {}, Minutes(10), "dBA", 60.0), PrintOutcome::Failed);
    EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>{kReportFailedText});
    EXPECT_FALSE(std::filesystem::exists(unwritable.outputFile));
}

} // namespace
