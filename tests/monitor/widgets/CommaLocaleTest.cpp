// Everything that writes or reads a number as text, run under a locale with
// a decimal comma: the data file, the sampling-rate items, the statistics
// fields and the Setup dialog keep the file format's point.
#include "common/ScriptedDialogs.h"
#include "common/TimeText.h"
#include "logger/DataFileReader.h"
#include "logger/DataFileSummary.h"
#include "logger/DataFileWriter.h"
#include "monitor/RealTimeSetup.h"
#include "monitor/RealTimeStatistics.h"
#include "monitor/widgets/CRealTimeSetup.h"
#include "tests/support/CommaLocale.h"
#include "tests/support/TempDir.h"

#include <QComboBox>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {

class CommaLocaleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!m_locale.Active())
            GTEST_SKIP() << kNoCommaLocale;
        // The C library really does write a comma now.
        char probe[16];
        std::snprintf(probe, sizeof probe, "%.1f", 0.5);
        ASSERT_STREQ(probe, "0,5");
    }

    CCommaLocale m_locale;
};

TEST_F(CommaLocaleTest, TheDataFileIsWrittenAndReadWithItsPoint)
{
    DataSample sample;
    sample.date = "7-3-2007";
    sample.time = "9:05:07";
    sample.value = 9.5;
    sample.unit = "dBA";
    EXPECT_EQ(FormatDataFileHeader(0.5), "ORVANTIS LX47 DATA LOGGER SamplingRate:0.5;");
    EXPECT_EQ(FormatDataFileHeader(1.0), "ORVANTIS LX47 DATA LOGGER SamplingRate:1.0;");
    EXPECT_EQ(FormatDataFileLine(sample), "7-3-2007, 9:05:07,  9.50, dBA");

    CTempDir temp("vx_comma");
    ASSERT_TRUE(temp.IsValid());
    const std::string path = temp.File("data.txt");
    sample.value = 65.3;
    ASSERT_TRUE(WriteDataFile(path, &sample, 1, 0.5).ok);
    const DataFileReadResult read = ReadDataFile(path);
    ASSERT_EQ(read.status, DataFileReadStatus::Ok) << read.error;
    EXPECT_DOUBLE_EQ(read.data.rate, 0.5);
    EXPECT_DOUBLE_EQ(read.data.store[0].value, 65.3);
    const std::vector<std::string> summary = DataFileSummaryLines(read.data);
    EXPECT_EQ(summary.front(), "Sampling rate: 0.5 s");
    EXPECT_NE(std::find(summary.begin(), summary.end(), "Average: 65.30"), summary.end());
}

TEST_F(CommaLocaleTest, RateItemsStatisticsAndTheSetupDialogKeepThePoint)
{
    // Every item of the rate boxes has its value and is found again from it.
    for (int i = 0; i < kSamplingRateCount; ++i) {
        const double value = RateItemValue(i);
        EXPECT_GT(value, 0.0) << kSamplingRateItems[i];
        EXPECT_EQ(IntervalText(value), kSamplingRateItems[i]);
        EXPECT_EQ(FindRateItem(IntervalText(value), 1), i);
    }
    RealTimeStatistics statistics;
    statistics.avg = 256.0 / 3.0;
    statistics.maximum = 85.3;
    const RealTimeStatisticsTexts texts = MakeStatisticsTexts(statistics);
    EXPECT_EQ(texts.avg, "85.33");
    EXPECT_EQ(texts.maximum, "85.3");

    CScriptedDialogs dialogs;
    CRealTimeSetup dialog(dialogs, MakeLocalTime(2007, 5, 12, 12, 0, 0));
    dialog.SetStart(2007, 5, 12, 8, 0, 0);
    dialog.SetParameters(0.5, 20000);
    dialog.show();
    EXPECT_EQ(dialog.findChild<QComboBox*>("1033")->currentText(), "0.5");
    EXPECT_EQ(dialog.findChild<QLineEdit*>("1047")->text(), "2007-05-12 10:46:40");
    dialog.findChild<QComboBox*>("1033")->setCurrentIndex(0);
    double interval = 0.0;
    int count = 0;
    int choice = 0;
    dialog.GetParameters(interval, count, choice);
    EXPECT_DOUBLE_EQ(interval, 0.1);
    EXPECT_EQ(dialog.findChild<QLineEdit*>("1047")->text(), "2007-05-12 08:33:20");
}

} // namespace
