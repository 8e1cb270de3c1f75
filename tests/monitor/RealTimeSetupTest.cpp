// The Setup dialog's rules without widgets: interval texts, item search, the
// recording period and the count check.
#include "common/TimeText.h"
#include "monitor/RealTimeSetup.h"

#include <gtest/gtest.h>

namespace {

using Check = CRealTimeSetupLogic::CountCheck;

CRealTimeSetupLogic Opened(double interval, int count)
{
    CRealTimeSetupLogic logic(MakeLocalTime(2007, 5, 12, 12, 0, 0));
    logic.SetStart(2007, 5, 12, 8, 0, 0);
    logic.SetParameters(interval, count);
    logic.Open();
    return logic;
}

TEST(RealTimeSetupTexts, IntervalTextsAndTheItemsTheySelect)
{
    EXPECT_EQ(IntervalText(0.5), "0.5");
    EXPECT_EQ(IntervalText(1.0), "1");
    EXPECT_EQ(IntervalText(1.5), "1.5");
    EXPECT_EQ(IntervalText(10.0), "10");
    EXPECT_EQ(IntervalText(0.1), "0.1");
    EXPECT_EQ(IntervalText(0.9), "0.9");

    CRealTimeSetupLogic logic(0);
    const double intervals[] = {0.1, 0.2, 0.5, 1, 1.5, 2, 2.5, 3, 5, 10};
    for (int i = 0; i < 10; ++i) {
        logic.SetParameters(intervals[i], 100);
        EXPECT_EQ(logic.Open(), i) << intervals[i];
    }
    logic.SetParameters(0.9, 100);
    EXPECT_EQ(logic.Open(), -1);
    EXPECT_EQ(FindRateItem("1", 0), 3);
    EXPECT_EQ(FindRateItem("0.1", 1), 0); // wraps back to item 0
    EXPECT_EQ(FindRateItem("7", 0), -1);
}

TEST(RealTimeSetupPeriod, FromAndToTexts)
{
    const CRealTimeSetupLogic logic = Opened(0.5, 20000);
    EXPECT_EQ(logic.FromText(), "2007-05-12 08:00:00");
    EXPECT_EQ(logic.ToText(), "2007-05-12 10:46:40");

    const CRealTimeSetupLogic none = Opened(0.5, 0);
    EXPECT_EQ(none.ToText(), none.FromText());
}

TEST(RealTimeSetupPeriod, ChoosingAnItemRecomputesAndTruncatesToWholeSeconds)
{
    CRealTimeSetupLogic logic = Opened(0.5, 20000);
    EXPECT_EQ(logic.Update(0, "20000"), Check::Ok);
    EXPECT_DOUBLE_EQ(logic.Interval(), 0.1);
    EXPECT_EQ(logic.Choice(), 0);
    EXPECT_EQ(logic.ToText(), "2007-05-12 08:33:20"); // 2000 s

    EXPECT_EQ(logic.Update(0, "3"), Check::Ok);
    EXPECT_EQ(logic.ToText(), "2007-05-12 08:00:00"); // 0.3 s is no whole second

    EXPECT_EQ(logic.Update(9, "20000"), Check::Ok);
    EXPECT_EQ(logic.ToText(), "2007-05-14 15:33:20"); // across two midnights
    double interval = 0;
    int count = 0;
    int choice = 0;
    logic.GetParameters(interval, count, choice);
    EXPECT_DOUBLE_EQ(interval, 10.0);
    EXPECT_EQ(count, 20000);
    EXPECT_EQ(choice, 9);
}

TEST(RealTimeSetupPeriod, NoSelectionKeepsTheInterval)
{
    CRealTimeSetupLogic logic = Opened(0.9, 100);
    EXPECT_EQ(logic.Update(-1, "100"), Check::Ok);
    EXPECT_DOUBLE_EQ(logic.Interval(), 0.9);
    EXPECT_EQ(logic.Choice(), -1);
    EXPECT_EQ(logic.ToText(), "2007-05-12 08:01:30");
}

TEST(RealTimeSetupCount, TextsThatAreNotIntegersKeepTheCount)
{
    CRealTimeSetupLogic logic = Opened(0.5, 500);
    for (const char* text : {"", "abc", "12a", "1.5", "-", " ", "99999999999"}) {
        EXPECT_EQ(logic.Update(2, text), Check::NotInteger) << text;
        EXPECT_EQ(logic.Count(), 500) << text;
    }
    EXPECT_EQ(logic.CountText(), "500");
}

TEST(RealTimeSetupCount, IntegersOutsideTheRangeAreTakenButReported)
{
    CRealTimeSetupLogic logic = Opened(0.5, 500);
    EXPECT_EQ(logic.Update(2, "30000"), Check::OutOfRange);
    EXPECT_EQ(logic.Count(), 30000);
    EXPECT_FALSE(logic.CountInRange());
    EXPECT_EQ(logic.Update(2, "-1"), Check::OutOfRange);
    EXPECT_EQ(logic.Update(2, " 20000 "), Check::Ok);
    EXPECT_EQ(logic.Update(2, "0"), Check::Ok);
    EXPECT_EQ(logic.Update(2, "+7"), Check::Ok);
    EXPECT_EQ(logic.Count(), 7);
    EXPECT_EQ(CRealTimeSetupLogic::CountRangeMessage(), "Please enter an integer between 0 and 20000.");
}

} // namespace
