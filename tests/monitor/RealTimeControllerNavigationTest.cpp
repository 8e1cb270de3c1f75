// The sampling-rate box, Setup, the enable rules, the scroll bars, zoom reset,
// the time-scale extension and the readouts the graph reports.
#include "RealTimeControllerTestFixture.h"

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
    EXPECT_FALSE(controller.CanHistogram());
    EXPECT_TRUE(controller.CanPrint());
    controller.Run();
    EXPECT_FALSE(controller.CanRun());
    EXPECT_FALSE(controller.CanSetup());
    EXPECT_TRUE(controller.CanStop());

    controller.SetHistogramAllowed(1);
    controller.SetPrintAllowed(0);
    EXPECT_TRUE(controller.CanHistogram());
    EXPECT_FALSE(controller.CanPrint());

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

TEST_F(Controls, HorizontalBarLinesAndThumb)
{
    EXPECT_EQ(controller.HScrollBar(), (HScrollBarState{265, 150, 0, false}));
    controller.HorizontalScroll(ScrollCode::LineBack, 0);
    EXPECT_EQ(controller.GetHScrollPos(), 0);
    controller.HorizontalScroll(ScrollCode::LineForward, 0);
    EXPECT_EQ(controller.GetHScrollPos(), 1);
    EXPECT_EQ(controller.FirstVisibleReading(), 265);
    controller.HorizontalScroll(ScrollCode::ThumbPosition, 150);
    controller.HorizontalScroll(ScrollCode::LineForward, 0);
    EXPECT_EQ(controller.GetHScrollPos(), 150);
    EXPECT_EQ(graph.startIndexes, std::vector<int>({0, 265, 150 * 265, 150 * 265}));
    ASSERT_FALSE(views.hBars.empty());
    EXPECT_EQ(views.hBars.back().position, 150);

    // Page and track codes move nothing; every code redraws while idle.
    controller.HorizontalScroll(ScrollCode::PageBack, 0);
    controller.HorizontalScroll(ScrollCode::ThumbTrack, 3);
    EXPECT_EQ(controller.GetHScrollPos(), 150);
    EXPECT_EQ(graph.startIndexes.size(), 4u);
    EXPECT_EQ(graph.newReadings, std::vector<int>(6, 0));
    EXPECT_EQ(graph.newReadingStore, controller.Store().Data());
}

TEST_F(Controls, HorizontalBarDoesNotRedrawWhileRunning)
{
    controller.Run();
    controller.HorizontalScroll(ScrollCode::LineForward, 0);
    EXPECT_TRUE(graph.newReadings.empty());
    EXPECT_EQ(graph.startIndexes, std::vector<int>({265}));
}

TEST_F(Controls, HorizontalPageAndPositionFromTheGraph)
{
    controller.SetParameters(0.5, 1000);
    controller.SetHScrollPage(300);
    EXPECT_EQ(controller.HScrollBar(), (HScrollBarState{300, 3, 0, true}));
    controller.SetHScrollPos(700);
    EXPECT_EQ(controller.GetHScrollPos(), 2);
    controller.SetHScrollPos(5000); // beyond the range: the bar's last position
    EXPECT_EQ(controller.GetHScrollPos(), 3);
    controller.SetHScrollPage(0); // no step: ignored
    EXPECT_EQ(controller.HScrollBar().step, 300);
    EXPECT_EQ(views.hBars.back(), controller.HScrollBar());
}

TEST_F(Controls, VerticalBar)
{
    controller.SetVScroll(5.0, 20, 100.0);
    EXPECT_EQ(controller.VScrollBar(), (VScrollBarState{5.0, 20, 6, true}));
    controller.VerticalScroll(ScrollCode::LineForward, 0);
    controller.VerticalScroll(ScrollCode::LineBack, 0);
    controller.VerticalScroll(ScrollCode::LineBack, 0);
    controller.VerticalScroll(ScrollCode::ThumbPosition, 20);
    controller.VerticalScroll(ScrollCode::LineForward, 0);
    controller.VerticalScroll(ScrollCode::PageForward, 0);
    EXPECT_EQ(graph.verticalPositions, std::vector<int>({7, 6, 5, 20, 20}));

    controller.SetVScroll(2.0, 0, 50.0); // maximum 0: arrows off, nothing else
    EXPECT_EQ(controller.VScrollBar(), (VScrollBarState{5.0, 20, 20, false}));
    EXPECT_EQ(views.vBars.back(), controller.VScrollBar());
}

TEST_F(Controls, UndoZoomResetsBothBars)
{
    controller.SetHScrollPage(100);
    controller.HorizontalScroll(ScrollCode::ThumbPosition, 9);
    controller.SetVScroll(5.0, 20, 100.0);
    controller.UndoZoom();
    ASSERT_EQ(graph.undoZoomStores.size(), 1u);
    EXPECT_EQ(graph.undoZoomStores[0], controller.Store().Data());
    EXPECT_EQ(controller.HScrollBar().position, 0);
    EXPECT_FALSE(controller.HScrollBar().arrowsEnabled);
    EXPECT_EQ(controller.VScrollBar().position, 0);
    EXPECT_FALSE(controller.VScrollBar().arrowsEnabled);
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

TEST_F(Controls, ReadoutsFromTheGraphAreZeroFilledAndPublished)
{
    controller.ShowCursorA(85.3, "9:05:31");
    EXPECT_EQ(views.last.cursorA, "85.3");
    EXPECT_EQ(views.last.cursorATime, "09:05:31");
    controller.ShowCursorB(70.25, "12:0:7");
    controller.ShowMaxBetween(99.9, "10:10:10");
    controller.ShowMinBetween(40.1, "1:02:03");
    controller.ShowAvgBetween(256.0 / 3);
    EXPECT_EQ(views.last.cursorBTime, "12:00:07");
    EXPECT_EQ(views.last.maxBetween, "99.9");
    EXPECT_EQ(views.last.minBetweenTime, "01:02:03");
    EXPECT_EQ(views.last.avgBetween, "85.3333333333333");

    controller.ClearBetweenReadouts();
    EXPECT_EQ(views.last.cursorA, "85.3");
    EXPECT_EQ(views.last.cursorB, "0");
    EXPECT_EQ(views.last.cursorBTime, "");
    EXPECT_EQ(views.last.maxBetweenTime, "");
    EXPECT_EQ(views.last.minBetween, "0");
    EXPECT_EQ(views.last.avgBetween, "0");
    EXPECT_EQ(views.refreshes, 6);

    controller.SetTimeLabels("10:00:00", "10:05:00", "10:10:00");
    EXPECT_EQ(views.labels, std::vector<std::string>({"10:00:00", "10:05:00", "10:10:00"}));
}

TEST_F(Controls, StatisticsTextsByControlId)
{
    controller.ShowCursorA(1.5, "1:2:3");
    const RealTimeStatisticsTexts texts = controller.StatisticsTexts();
    int found = 0;
    for (const auto& [id, text] : texts.ByControlId()) {
        if (id == 1013) {
            EXPECT_EQ(*text, "1.5");
            ++found;
        }
        if (id == 1015) {
            EXPECT_EQ(*text, "01:02:03");
            ++found;
        }
        if (id == 1007) {
            EXPECT_EQ(*text, "30");
            ++found;
        }
    }
    EXPECT_EQ(found, 3);
}

} // namespace
