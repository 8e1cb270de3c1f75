// The sampling-rate box, Setup, the enable rules, the graph commands, and
// what the graph's owner asks of the graph through the controller: scrolling,
// zoom reset and the time-scale extension.
#include "tests/monitor/RealTimeControllerTestFixture.h"

namespace {

using Controls = RealTimeControllerFixture;

TEST_F(Controls, RateChangeWhileRunningIsRefusedAndTheBoxReturns)
{
    controller.SamplingRateSelected(3); // 1 s while idle
    controller.Run();
    controller.SamplingRateSelected(9);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].text, "Can not change Sampling Rate while real time is running.");
    EXPECT_EQ(dialogs.Messages()[0].caption, "LX47");
    EXPECT_EQ(dialogs.Messages()[0].buttons, MsgButtons::Ok);
    EXPECT_DOUBLE_EQ(controller.SamplingPeriod(), 1.0);
    // "1" finds item 3, not "10".
    ASSERT_FALSE(views.rateSelections.empty());
    EXPECT_EQ(views.rateSelections.back(), 3);
    EXPECT_EQ(controller.SamplingRateIndex(), 3);
}

TEST_F(Controls, RefusalReselectsFractionalPeriodsByTheirOneDecimalText)
{
    controller.SamplingRateSelected(4); // 1.5
    controller.Run();
    controller.SamplingRateSelected(0);
    EXPECT_EQ(views.rateSelections.back(), 4);
    controller.Stop();
    controller.SamplingRateSelected(2); // 0.5
    controller.Run();
    controller.SamplingRateSelected(8);
    EXPECT_EQ(views.rateSelections.back(), 2);
}

TEST_F(Controls, RateChangeWhileIdleSetsPeriodSourceAndScale)
{
    EXPECT_EQ(controller.SamplingRateIndex(), 2);
    EXPECT_DOUBLE_EQ(controller.SamplingPeriod(), 0.5);
    EXPECT_EQ(controller.RecordSource(), 1);

    controller.SamplingRateSelected(1);
    EXPECT_DOUBLE_EQ(controller.SamplingPeriod(), 0.2);
    EXPECT_EQ(controller.RecordSource(), 0);
    ASSERT_EQ(graph.timeScales.size(), 1u);
    EXPECT_EQ(graph.timeScales[0].first, controller.StartTime());
    EXPECT_DOUBLE_EQ(graph.timeScales[0].second, 530.0 / (40000 * 0.2));

    controller.SamplingRateSelected(9);
    EXPECT_DOUBLE_EQ(controller.SamplingPeriod(), 10.0);
    EXPECT_EQ(controller.RecordSource(), 1);
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(Controls, SetupStartTakesTheValuesAndRuns)
{
    setup.resultInterval = 0.2;
    setup.resultCount = 100;
    setup.resultChoice = 1;
    controller.Setup();
    EXPECT_EQ(setup.runs, 1);
    const LocalDateTime start = BreakDownLocalTime(controller.StartTime());
    EXPECT_EQ(setup.start.year, start.year);
    EXPECT_EQ(setup.start.hour, 10);
    EXPECT_DOUBLE_EQ(setup.givenInterval, 0.5);
    EXPECT_EQ(setup.givenCount, 40000);

    EXPECT_DOUBLE_EQ(controller.SamplingPeriod(), 0.2);
    EXPECT_EQ(controller.ReadingLimit(), 100);
    EXPECT_EQ(controller.RecordSource(), 0);
    EXPECT_EQ(controller.SamplingRateIndex(), 1);
    EXPECT_EQ(views.rateSelections, std::vector<int>({1}));
    EXPECT_TRUE(controller.Running());
    EXPECT_EQ(graph.scrolling, std::vector<int>({1}));
}

TEST_F(Controls, SetupCancelChangesNothing)
{
    setup.answerStart = false;
    setup.resultInterval = 3.0;
    setup.resultCount = 7;
    controller.Setup();
    EXPECT_EQ(setup.runs, 1);
    EXPECT_DOUBLE_EQ(controller.SamplingPeriod(), 0.5);
    EXPECT_EQ(controller.ReadingLimit(), 40000);
    EXPECT_FALSE(controller.Running());
    EXPECT_TRUE(graph.scrolling.empty());
}

TEST_F(Controls, SetupGivesTheStartOfTheLastRun)
{
    SetMeterClock(8, 30, 15);
    controller.Run();
    Display(0x08, 0x00);
    controller.Stop();
    setup.answerStart = false;
    controller.Setup();
    EXPECT_EQ(setup.start.year, 2007);
    EXPECT_EQ(setup.start.month, 5);
    EXPECT_EQ(setup.start.day, 12);
    EXPECT_EQ(setup.start.hour, 8);
    EXPECT_EQ(setup.start.minute, 30);
    EXPECT_EQ(setup.start.second, 15);
}

TEST_F(Controls, EnableRules)
{
    EXPECT_TRUE(controller.CanRun());
    EXPECT_TRUE(controller.CanSetup());
    EXPECT_FALSE(controller.CanStop());
    controller.Run();
    EXPECT_FALSE(controller.CanRun());
    EXPECT_FALSE(controller.CanSetup());
    EXPECT_TRUE(controller.CanStop());

    EXPECT_FALSE(controller.CanDataLogger(false));
    EXPECT_TRUE(controller.CanDataLogger(true));
    state.rec = true;
    EXPECT_FALSE(controller.CanDataLogger(true));
}

TEST_F(Controls, GraphCommandsReachTheGraph)
{
    controller.ShowHistogram();
    controller.ShowLine();
    controller.Print();
    EXPECT_EQ(graph.styles, std::vector<int>({0, 1}));
    EXPECT_EQ(graph.prints, 1);
}

TEST_F(Controls, ScrollingReachesTheGraphAndRedrawsItOnlyWhileIdle)
{
    controller.ScrollGraphTo(265);
    controller.ScrollGraphVertically(7);
    controller.AfterHorizontalScroll();
    EXPECT_EQ(graph.startIndexes, std::vector<int>({265}));
    EXPECT_EQ(graph.verticalPositions, std::vector<int>({7}));
    EXPECT_EQ(graph.newReadings, std::vector<int>({0}));
    EXPECT_EQ(graph.newReadingStore, controller.Store().Data());

    controller.Run();
    controller.AfterHorizontalScroll();
    EXPECT_EQ(graph.newReadings.size(), 1u);

    controller.UndoGraphZoom();
    ASSERT_EQ(graph.undoZoomStores.size(), 1u);
    EXPECT_EQ(graph.undoZoomStores[0], controller.Store().Data());
}

TEST_F(Controls, ExtendTimeScaleWidensByTheReadingsStillToCome)
{
    controller.SetParameters(0.5, 100);
    controller.Run();
    SetMeterClock(10, 0, 0);
    for (int i = 0; i < 60; ++i)
        Display(0x08, 0x00);
    ASSERT_EQ(controller.Statistics().dataNo, 60);
    graph.plotWidth = 540;
    controller.ExtendTimeScale();
    ASSERT_EQ(graph.timeScales.size(), 2u);
    EXPECT_EQ(graph.timeScales[1].first, MakeLocalTime(2007, 5, 12, 10, 0, 0));
    EXPECT_DOUBLE_EQ(graph.timeScales[1].second, 540.0 / ((3 * 100 - 2 * 60) * 0.5));
    EXPECT_DOUBLE_EQ(controller.TimeScale(), graph.timeScales[1].second);
}

TEST_F(Controls, StatisticsTextsByControlId)
{
    const RealTimeStatisticsTexts texts = controller.StatisticsTexts();
    int found = 0;
    for (const auto& [id, text] : texts.ByControlId()) {
        if (id == 1007) {
            EXPECT_EQ(*text, "30.0");
            ++found;
        }
        if (id == 1009) {
            EXPECT_EQ(*text, "130.0");
            ++found;
        }
    }
    EXPECT_EQ(found, 2);
}

} // namespace
