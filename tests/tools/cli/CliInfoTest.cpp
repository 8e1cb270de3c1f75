// vexalog-cli info's noise indicators, as text beside the file's statistics
// and as JSON read back by Qt's JSON reader.
#include "tests/support/TempDir.h"
#include "tests/tools/cli/CliRun.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

// Ten minutes across 12:00 of 60 and 80 dB in turn (LAeq 77.03 dB, SEL
// 77.03 + 10 lg 600 = 104.81 dB), three seconds of 85.3 dBC, and two dBA
// lines without a date or time.
std::string WriteStreet(const CTempDir& temp)
{
    const std::string path = temp.File("street.txt");
    std::ofstream out(path, std::ios::binary);
    out << "ORVANTIS LX47 DATA LOGGER SamplingRate:1.0;\r\r\n";
    for (int i = 0; i < 600; ++i) {
        const int second = 11 * 3600 + 55 * 60 + i;
        char line[64];
        std::snprintf(line, sizeof line, "7-3-2024, %d:%02d:%02d, %5.2f, dBA\r\r\n", second / 3600, second / 60 % 60,
                      second % 60, i % 2 == 0 ? 60.0 : 80.0);
        out << line;
    }
    out << "7-3-2024, 12:05:00, 85.30, dBC\r\r\n7-3-2024, 12:05:01, 85.30, dBC\r\r\n"
           "7-3-2024, 12:05:02, 85.30, dBC\r\r\n";
    out << "7-13-2024, 10:00:00, 70.00, dBA\r\r\n31-2-2024, 25:00:00, 70.00, dBA\r\r\n";
    return path;
}

} // namespace

TEST(CliInfoTest, PrintsTheIndicatorsOfEachSetAfterTheFilesStatistics)
{
    const CTempDir temp("vx_cliinfo");
    ASSERT_TRUE(temp.IsValid());
    const std::string file = WriteStreet(temp);
    const CliRun run = RunCli("info " + file, "TZ=Europe/Berlin ");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    // The statistics come first, as they always did.
    EXPECT_EQ(run.output.rfind("Sampling rate: 1.0 s\nSamples: 605\nRecord sets: 3\n"
                               "Set 1: 0..599, dBA, 2024-03-07 11:55:00, 600 samples\n"
                               "Set 2: 600..602, dBC, 2024-03-07 12:05:00, 3 samples\n",
                               0),
              0u)
        << run.output;
    const std::size_t statistics = run.output.find("Minimum: 60.00 @ 11:55:00\n");
    ASSERT_NE(statistics, std::string::npos) << run.output;
    const std::string expected[] = {
        "Set 1 indicators:\n"
        "  LAeq: 77.03 dB, 0:10:00 measured from 2024-03-07 11:55:00 to 2024-03-07 12:05:00\n"
        "  Lmax: 80.00 dB @ 2024-03-07 11:55:01\n"
        "  Lmin: 60.00 dB @ 2024-03-07 11:55:00\n"
        "  L5: 80.00 L10: 80.00 L50: 60.00 L90: 60.00 L95: 60.00 dB\n"
        "  SEL: 104.81 dB\n"
        "  Lday: 77.03 dB, 1.4 % of the period measured\n"
        "  Levening: no data\n"
        "  Lnight: no data\n"
        "  Lden: not given (day 1.4 %, evening 0.0 %, night 0.0 % measured; Lden needs all three whole)\n"
        "  LAeq 2024-03-07 11:00: 77.03 dB, 8.3 % of the hour measured\n"
        "  LAeq 2024-03-07 12:00: 77.03 dB, 8.3 % of the hour measured\n",
        "Set 2 indicators:\n  LCeq: 85.30 dB, 0:00:03 measured from 2024-03-07 12:05:00 to 2024-03-07 12:05:03\n",
        "Set 3 indicators:\n  LAeq: not enough data\n"
        "  Readings left out (no calendar time, a level out of range, or no sampling interval): 2\n",
    };
    std::size_t at = statistics;
    for (const std::string& lines : expected) {
        const std::size_t found = run.output.find(lines, at);
        EXPECT_NE(found, std::string::npos) << lines << "\nin\n" << run.output;
        at = found == std::string::npos ? at : found;
    }
}

TEST(CliInfoTest, JsonIsOneObjectWithTheLevelsAndHoursOfEachSet)
{
    const CTempDir temp("vx_cliinfo");
    ASSERT_TRUE(temp.IsValid());
    const std::string file = WriteStreet(temp);
    const CliRun before = RunCli("info --json " + file, "TZ=Europe/Berlin ");
    const CliRun after = RunCli("info " + file + " --json", "TZ=Europe/Berlin ");
    ASSERT_EQ(before.exitCode, 0) << before.output;
    EXPECT_EQ(before.output, after.output);
    ASSERT_FALSE(before.output.empty());
    EXPECT_EQ(before.output.find('\n'), before.output.size() - 1) << before.output;
    EXPECT_EQ(before.output.rfind(R"({"sets":[{"set":1,"unit":"dBA","count":600,"start":"2024-03-07T11:55:00",)", 0),
              0u)
        << before.output;

    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(before.output), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << before.output;
    const QJsonArray sets = document.object()["sets"].toArray();
    ASSERT_EQ(sets.size(), 3);
    const QJsonObject street = sets[0].toObject();
    EXPECT_EQ(street["end"].toString(), "2024-03-07T12:05:00");
    EXPECT_DOUBLE_EQ(street["duration_s"].toDouble(), 600.0);
    EXPECT_DOUBLE_EQ(street["leq"].toDouble(), 77.03);
    EXPECT_DOUBLE_EQ(street["l10"].toDouble(), 80.0);
    EXPECT_DOUBLE_EQ(street["l90"].toDouble(), 60.0);
    EXPECT_DOUBLE_EQ(street["sel"].toDouble(), 104.81);
    EXPECT_TRUE(street["lden"].isNull());
    const QJsonArray hourly = street["hourly"].toArray();
    ASSERT_EQ(hourly.size(), 2);
    EXPECT_EQ(hourly[1].toObject()["hour"].toString(), "2024-03-07T12:00");
    EXPECT_DOUBLE_EQ(hourly[1].toObject()["coverage"].toDouble(), 0.083);

    const QJsonObject c = sets[1].toObject();
    EXPECT_EQ(c["unit"].toString(), "dBC");
    EXPECT_DOUBLE_EQ(c["leq"].toDouble(), 85.3);
    const QJsonObject damaged = sets[2].toObject();
    EXPECT_EQ(damaged["count"].toInt(), 2);
    for (const char* key : {"start", "end", "leq", "lmax", "l50", "sel", "lden"})
        EXPECT_TRUE(damaged[key].isNull()) << key;

    const struct {
        std::string arguments;
        std::string says;
    } refusals[] = {
        {"info --json", "give one data file"},
        {"info " + file + " --json --json", "given twice"},
        {"info " + file + " --jsn x", "unknown option --jsn"},
    };
    for (const auto& refusal : refusals) {
        const CliRun run = RunCli(refusal.arguments);
        EXPECT_EQ(run.exitCode, 2) << refusal.arguments;
        EXPECT_NE(run.output.find(refusal.says), std::string::npos) << run.output;
    }
}
