// vexalog-cli export run as a user runs it: a data file into a workbook (read
// back by xlrd) and into a text file, and the refusals with their reasons.
#include "tests/support/TempDir.h"
#include "tests/support/XlsTool.h"
#include "tests/tools/cli/CliRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <sys/wait.h>

namespace {

TEST(CliExportTest, WritesTheReadingsOfADataFileAsExportDataDoesAndSaysWhyWhenItCannot)
{
    const CTempDir temp("vx_cliexport");
    ASSERT_TRUE(temp.IsValid());
    const std::string data = temp.File("street.txt");
    std::ofstream(data, std::ios::binary) << "ORVANTIS LX47 DATA LOGGER SamplingRate:0.5;\r\r\n"
                                             "7-3-2007, 9:05:00, 65.30, dBA\r\r\n"
                                             "7-3-2007, 9:05:01,  5.00, dBA\r\r\n"
                                             "7-3-2007, 9:05:02, 100.00, dBC\r\r\n";

    const std::string book = temp.File("street.xls");
    const CliRun run = RunCli("export " + data + " " + book);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output, "exported 3 readings to " + book + " (sheet \"Sheet\" of the workbook)\n");
    const XlsReadBack read = ReadXlsWithXlrd(book);
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.Sheet("Sheet")->rows, (std::vector<std::vector<std::string>>{
                                             {"Date", "Time", "Value", "Unit"},
                                             {"7-3-2007", "9:05:00", "65.3", "dBA"},
                                             {"7-3-2007", "9:05:01", " 5.0", "dBA"},
                                             {"7-3-2007", "9:05:02", "100.0", "dBC"}}));

    const std::string text = temp.File("street.csv");
    const CliRun csvRun = RunCli("export " + data + " " + text);
    ASSERT_EQ(csvRun.exitCode, 0) << csvRun.output;
    EXPECT_EQ(csvRun.output, "exported 3 readings to " + text + " (comma-separated text file)\n");
    const CsvReadBack csv = ReadCsvWithPython(text);
    ASSERT_TRUE(csv.ok) << csv.error;
    EXPECT_EQ(csv.rows, (std::vector<std::vector<std::string>>{{"Date", "Time", "Value", "Unit"},
                                                               {"7-3-2007", "9:05:00", "65.3", "dBA"},
                                                               {"7-3-2007", "9:05:01", " 5.0", "dBA"},
                                                               {"7-3-2007", "9:05:02", "100.0", "dBC"}}));

    const struct {
        std::string arguments;
        int exitCode;
        std::string says;
    } refusals[] = {
        {"export " + data, 2, "give a data file and the workbook"},
        {"export " + temp.File("missing.txt") + " " + book, 1, "missing.txt"},
        {"export " + book + " " + temp.File("x.xls"), 1, "Data Format is wrong!"},
        {"export " + data + " " + temp.File("no/folder/x.xls"), 1,
         "The readings were not exported to \"" + temp.File("no/folder/x.xls") + "\"."},
        {"export " + data + " " + data + ".xls/", 1, "not exported"},
    };
    for (const auto& r : refusals) {
        const CliRun refused = RunCli(r.arguments);
        EXPECT_EQ(refused.exitCode, r.exitCode) << r.arguments << "\n" << refused.output;
        EXPECT_NE(refused.output.find(r.says), std::string::npos) << r.arguments << "\n" << refused.output;
    }
}

} // namespace
