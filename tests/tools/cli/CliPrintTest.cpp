// vexalog-cli print run as a user runs it: a record set of a data file on
// one page of a PDF file, read back with poppler, and the refusals.
#include "tests/support/PdfPages.h"
#include "tests/support/TempDir.h"
#include "tests/tools/cli/CliRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <sys/wait.h>

namespace {

TEST(CliPrintTest, PrintsARecordSetOfADataFileOnOnePageAndRefusesWhatItCannotPrint)
{
    const CTempDir temp("vx_cliprint");
    ASSERT_TRUE(temp.IsValid());
    const std::string data = temp.File("street.txt");
    // Two sets (a new unit starts a set); the second holds a level no meter
    // shows, which must not upset the page.
    std::ofstream(data, std::ios::binary) << "ORVANTIS LX47 DATA LOGGER SamplingRate:1.0;\r\r\n"
                                             "7-3-2007, 9:05:00, 65.30, dBA\r\r\n"
                                             "7-3-2007, 9:05:01, 70.00, dBA\r\r\n"
                                             "7-3-2007, 9:05:02, 68.10, dBA\r\r\n"
                                             "7-3-2007, 9:06:00, 1e300, dBC\r\r\n"
                                             "7-3-2007, 9:06:01, 60.00, dBC\r\r\n";

    const std::string pdf = temp.File("set.pdf");
    CliRun run = RunCli("print " + data + " --pdf " + pdf);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output, "printed record set 1 (3 samples) to " + pdf + "\n");
    const PdfPage page = ReadPdfWords(pdf);
    ASSERT_TRUE(page.error.empty()) << page.error;
    EXPECT_EQ(page.pageCount, 1);
    for (const char* word : {"ORVANTIS", "LX47", "DATA", "LOGGER", "130"})
        EXPECT_NE(page.Find(word), nullptr) << word;
    // The overview has no times under its axis (at 375 points).
    for (const PdfWord& word : page.words)
        EXPECT_LT(word.yMin, 375) << word.text;

    run = RunCli("print " + data + " --set 2 --pdf " + temp.File("wild.pdf"));
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ReadPdfWords(temp.File("wild.pdf")).pageCount, 1);

    const struct {
        std::string arguments;
        int exitCode;
        std::string says;
    } refusals[] = {
        {"print " + data + " --set 3 --pdf " + temp.File("x.pdf"), 1, "the file holds 2 record sets, not set 3"},
        {"print " + data + " --pdf " + temp.File("no/folder/x.pdf"), 1, "cannot write"},
        {"print " + temp.File("missing.txt") + " --pdf " + temp.File("x.pdf"), 1, "missing.txt"},
        {"print " + data + " --pdf " + temp.File("x.ps"), 2, "ending in .pdf"},
        {"print " + data + " --set 0 --pdf " + temp.File("x.pdf"), 2, "--set wants a record set number"},
        {"print " + data + " --set 1.5 --pdf " + temp.File("x.pdf"), 2, "--set wants"},
        {"print " + data + " --copies 2 --pdf " + temp.File("x.pdf"), 2, "unknown option --copies"},
        {"print " + data, 2, "--pdf OUT.pdf"},
        {"print " + data + " " + data + " --pdf " + temp.File("x.pdf"), 2, "unexpected argument"},
    };
    for (const auto& r : refusals) {
        const CliRun refused = RunCli(r.arguments);
        EXPECT_EQ(refused.exitCode, r.exitCode) << r.arguments << "\n" << refused.output;
        EXPECT_NE(refused.output.find(r.says), std::string::npos) << r.arguments << "\n" << refused.output;
    }
    EXPECT_FALSE(std::filesystem::exists(temp.File("x.pdf")));
}

} // namespace
