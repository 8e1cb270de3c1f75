// vexalog-cli report run as a user runs it: the measurement report of a set
// read back with poppler, its footer checked against sha256sum and the
// program's own --version, and the sets too short to measure.
#include "tests/support/PdfPages.h"
#include "tests/support/TempDir.h"
#include "tests/tools/cli/CliRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace {

// The text of every page as pdftotext lays it out.
std::string PdfText(const std::string& pdf)
{
    std::string text;
    FILE* pipe = popen(("pdftotext -layout '" + pdf + "' - 2>/dev/null").c_str(), "r");
    if (pipe == nullptr)
        return text;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        text.append(buffer, n);
    pclose(pipe);
    return text;
}

std::string FirstWordOf(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return out;
    char buffer[256];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    pclose(pipe);
    return out.substr(0, out.find_first_of(" \n"));
}

TEST(CliReportTest, ReportsASetWithItsIndicatorsChartsAndTheDataFilesDigest)
{
    const CTempDir temp("vx_clireport");
    ASSERT_TRUE(temp.IsValid());
    const std::string data = temp.File("street.txt");
    // Set 1: 60 and 80 dB for equal times over two clock hours (LAeq 77.03 dB);
    // set 2 (dBC): a single reading, which measures no time.
    {
        std::ofstream out(data, std::ios::binary);
        out << "ORVANTIS LX47 DATA LOGGER SamplingRate:1.0;\r\r\n";
        for (int i = 0; i < 7200; ++i)
            out << "7-3-2024, " << 10 + i / 3600 << ":" << (i / 60 % 60 < 10 ? "0" : "") << i / 60 % 60 << ":"
                << (i % 60 < 10 ? "0" : "") << i % 60 << ", " << (i % 2 == 0 ? "60.00" : "80.00") << ", dBA\r\r\n";
        out << "7-3-2024, 13:00:00, 70.00, dBC\r\r\n";
    }
    const std::string pdf = temp.File("report.pdf");
    CliRun run = RunCli("report " + data + " --pdf " + pdf + " --title 'Street survey' --location 'Main St 5'");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const PdfPage page = ReadPdfWords(pdf);
    ASSERT_TRUE(page.error.empty()) << page.error;
    EXPECT_EQ(page.pageCount, 2);
    const std::string text = PdfText(pdf);
    const std::string sha = FirstWordOf("sha256sum '" + data + "'");
    ASSERT_EQ(sha.size(), 64u);
    const std::string version = FirstWordOf(std::string(std::getenv("VEXALOG_CLI")) + " --version | cut -d' ' -f2");
    for (const std::string& expected :
         {std::string("Street survey"), std::string("Main St 5"), std::string("dBA"), std::string("not recorded"),
          std::string("1.0 s"), std::string("2024-03-07 10:00:00 to 2024-03-07 12:00:00"), std::string("77.03 dB"),
          std::string("80.00 dB at 2024-03-07 10:00:01"), std::string("Level-time graph"),
          std::string("LAeq per hour"), std::string("Level distribution"), std::string("L10 80.0"),
          std::string("L90 60.0"), std::string("Page 1 of 2"), std::string("Page 2 of 2"),
          "Vexalog " + version + " - street.txt - SHA-256 " + sha})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    // Each page carries the footer.
    EXPECT_NE(text.find(sha, text.find(sha) + 1), std::string::npos);

    const std::string thin = temp.File("thin.pdf");
    run = RunCli("report " + data + " --set 2 --pdf " + thin);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ReadPdfWords(thin).pageCount, 2);
    const std::string thinText = PdfText(thin);
    EXPECT_NE(thinText.find("LCeq"), std::string::npos) << thinText;
    for (const char* bad : {"nan", "inf", "dB at"})
        EXPECT_EQ(thinText.find(bad), std::string::npos) << bad;
    // The table, the graph and both charts each say so.
    std::size_t said = 0;
    for (std::size_t at = thinText.find("not enough data"); at != std::string::npos;
         at = thinText.find("not enough data", at + 1))
        ++said;
    EXPECT_EQ(said, 5u) << thinText; // the period, the graph, the table and the two charts

    const struct {
        std::string arguments;
        int exitCode;
        std::string says;
    } refusals[] = {
        {"report " + data + " --set 3 --pdf " + temp.File("x.pdf"), 1, "the file holds 2 record sets, not set 3"},
        {"report " + data + " --pdf " + temp.File("x.ps"), 2, "ending in .pdf"},
        {"report " + temp.File("missing.txt") + " --pdf " + temp.File("x.pdf"), 1, "missing.txt"},
        {"report " + data + " --pdf " + temp.File("no/folder/x.pdf"), 1, "cannot write"},
        {"report " + data, 2, "--pdf OUT.pdf"},
    };
    for (const auto& refusal : refusals) {
        run = RunCli(refusal.arguments);
        EXPECT_EQ(run.exitCode, refusal.exitCode) << refusal.arguments << "\n" << run.output;
        EXPECT_NE(run.output.find(refusal.says), std::string::npos) << refusal.arguments << "\n" << run.output;
    }
}

} // namespace
