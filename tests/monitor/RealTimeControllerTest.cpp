// Recording: the first reading of a run, both pacing rules, the limit and the
// end of monitoring, Run and Clean, maximum and minimum, reading dates.
#include "tests/monitor/RealTimeControllerTestFixture.h"

namespace {

const char* const kFinished = "Monitoring Time has finished. Do you want to save data?";
const char* const kReset = "There is data in Real-Time graph, the graph has  to reset.\r\n Do you want to save the data?";

using Recording = RealTimeControllerFixture;

TEST_F(Recording, DefaultPeriodRecordsEveryDisplayValueAndStartsTheScaleAtTheFirst)
{
    state.dBA = true;
    SetMeterClock(10, 0, 0);
    controller.Run();
    ASSERT_EQ(graph.scrolling, std::vector<int>({1}));

    Display(0x08, 0x53); // 85.3, the first reading
    Display(0x08, 0x61); // 86.1, same meter second
    Display(0x09, 0x00); // 90.0
    EXPECT_EQ(Count(), 3);

    // No new-reading call for slot 0; the others by index into the one store.
    EXPECT_EQ(graph.newReadings, std::vector<int>({1, 2}));
    EXPECT_EQ(graph.newReadingStore, controller.Store().Data());

    ASSERT_EQ(graph.timeScales.size(), 1u);
    EXPECT_EQ(graph.timeScales[0].first, MakeLocalTime(2007, 5, 12, 10, 0, 0));
    EXPECT_DOUBLE_EQ(graph.timeScales[0].second, 530.0 / (40000 * 0.5));

    EXPECT_EQ(Slot(0).valid, 1);
    EXPECT_DOUBLE_EQ(Slot(0).value, 85.3);
    EXPECT_EQ(Slot(0).date, "12-5-2007");
    EXPECT_EQ(Slot(0).time, "10:00:00");
    EXPECT_EQ(Slot(0).unit, "dBA");
    EXPECT_DOUBLE_EQ(Slot(2).value, 90.0);
    EXPECT_EQ(Slot(3).valid, 0);

    controller.RefreshStatistics();
    EXPECT_EQ(views.last.startTime, "10:00:00");
    EXPECT_EQ(views.last.dataNo, "3");
    EXPECT_EQ(views.last.avg, "87.13");
    EXPECT_DOUBLE_EQ(controller.Sum(), 85.3 + 86.1 + 90.0);
}

TEST_F(Recording, DataNoFollowsTheCountAndAvgTheSum)
{
    SetMeterClock(9, 5, 31);
    state.dBA = false;
    state.dBC = true;
    controller.Run();
    const std::uint8_t values[][2] = {{0x08, 0x53}, {0x07, 0x00}, {0x10, 0x24}, {0x03, 0x01}};
    double sum = 0.0;
    for (const auto& v : values) {
        Display(v[0], v[1]);
        sum += state.DisplayValue();
        EXPECT_EQ(controller.Statistics().dataNo, Count());
        EXPECT_DOUBLE_EQ(controller.Statistics().avg, sum / Count());
    }
    EXPECT_EQ(Slot(3).unit, "dBC");
    EXPECT_EQ(controller.Statistics().startTime, "09:05:31");
}

TEST_F(Recording, NoReadingBeforeTheWeightingIsKnown)
{
    SetMeterClock(9, 5, 31);
    state.dBA = false;
    controller.Run();
    Display(0x08, 0x53);
    EXPECT_EQ(Count(), 0);
    EXPECT_DOUBLE_EQ(controller.Statistics().maximum, 85.3); // Max and Min still follow the display
    state.dBA = true;
    Display(0x08, 0x54);
    ASSERT_EQ(Count(), 1);
    EXPECT_EQ(Slot(0).unit, "dBA");
}

TEST_F(Recording, OneSecondPeriodWaitsForTheMeterClockToAdvance)
{
    controller.SamplingRateSelected(3); // "1"
    ASSERT_DOUBLE_EQ(controller.SamplingPeriod(), 1.0);
    ASSERT_EQ(controller.RecordSource(), 1);
    controller.Run();

    SetMeterClock(10, 0, 0);
    Display(0x08, 0x00); // first
    Display(0x08, 0x10); // same second: not due
    SetMeterClock(10, 0, 1);
    Display(0x08, 0x20); // due
    Display(0x08, 0x30);
    SetMeterClock(10, 0, 3);
    Display(0x08, 0x40); // due
    ASSERT_EQ(Count(), 3);
    EXPECT_DOUBLE_EQ(Slot(1).value, 82.0);
    EXPECT_EQ(Slot(1).time, "10:00:01");
    EXPECT_DOUBLE_EQ(Slot(2).value, 84.0);
}

TEST_F(Recording, TickPacingFollowsThePcTickAtMostOncePerCurrentValue)
{
    controller.SamplingRateSelected(1); // "0.2"
    ASSERT_EQ(controller.RecordSource(), 0);
    controller.Run();

    Current(0x08, 0x00, 0); // meter clock unknown: nothing yet
    EXPECT_EQ(Count(), 0);
    SetMeterClock(10, 0, 0);
    Display(0x07, 0x00); // display values are not recorded under this source
    EXPECT_EQ(Count(), 0);

    Current(0x08, 0x00, 50);  // first reading
    Current(0x08, 0x10, 150); // 150 ms since the last tick (0): too early
    Current(0x08, 0x20, 210); // due
    Current(0x08, 0x30, 210); // same tick again: not due
    Current(0x08, 0x40, 409); // 199 ms: not due
    Current(0x1A, 0x00, 700); // no value in these bytes
    Current(0x08, 0x50, 900); // due
    ASSERT_EQ(Count(), 3);
    EXPECT_DOUBLE_EQ(Slot(0).value, 80.0);
    EXPECT_DOUBLE_EQ(Slot(1).value, 82.0);
    EXPECT_DOUBLE_EQ(Slot(2).value, 85.0);
    EXPECT_EQ(graph.newReadings, std::vector<int>({1, 2}));
}

TEST_F(Recording, TickPacingSurvivesTheTickCountWrapping)
{
    controller.SamplingRateSelected(0); // "0.1"
    controller.Run();
    SetMeterClock(10, 0, 0);
    Current(0x08, 0x00, 0xFFFFFF00u);
    Current(0x08, 0x10, 0xFFFFFFF0u); // due: far from the last tick 0
    Current(0x08, 0x20, 0x00000010u); // 32 ms across the wrap: not due
    Current(0x08, 0x30, 0x00000060u); // 112 ms across the wrap: due
    EXPECT_EQ(Count(), 3);
}

TEST_F(Recording, MaxHoldUnderTickPacingRecordsTheHeldDisplay)
{
    controller.SamplingRateSelected(1);
    controller.Run();
    SetMeterClock(10, 0, 0);
    Display(0x09, 0x54); // the meter holds 95.4 on its display
    state.max = true;
    Current(0x08, 0x00, 1000); // first reading
    Current(0x08, 0x11, 2000);
    state.max = false;
    state.min = true;
    Display(0x06, 0x02);
    Current(0x08, 0x22, 3000);
    state.min = false;
    Current(0x08, 0x33, 4000);
    ASSERT_EQ(Count(), 4);
    EXPECT_DOUBLE_EQ(Slot(1).value, 95.4);
    EXPECT_DOUBLE_EQ(Slot(2).value, 60.2);
    EXPECT_DOUBLE_EQ(Slot(3).value, 83.3);
}

TEST_F(Recording, LimitTenEndsMonitoringWithTheSaveQuestion)
{
    controller.SetParameters(0.5, 10);
    controller.Run();
    SetMeterClock(10, 0, 0);
    for (int i = 0; i < 10; ++i)
        Display(0x08, static_cast<std::uint8_t>(i));
    EXPECT_EQ(Count(), 10);
    EXPECT_TRUE(controller.Running());
    EXPECT_TRUE(dialogs.Messages().empty());

    dialogs.QueueAnswer(MsgAnswer::Ok);
    Display(0x09, 0x00); // due, but the limit is reached
    EXPECT_FALSE(controller.Running());
    EXPECT_EQ(graph.scrolling.back(), 0);
    // The reading came in the serial receive handler: the question waits
    // until it has returned, and so does the save.
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_TRUE(saves.empty());
    RunPosted();
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].text, kFinished);
    EXPECT_EQ(dialogs.Messages()[0].caption, "LX47");
    EXPECT_EQ(dialogs.Messages()[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(Count(), 10);
    EXPECT_EQ(Slot(10).valid, 0);

    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0].address, controller.Store().Data());
    EXPECT_EQ(saves[0].samples.size(), 10u);
    EXPECT_DOUBLE_EQ(saves[0].rate, 0.5);
    EXPECT_DOUBLE_EQ(saves[0].samples[9].value, 80.9);

    Display(0x09, 0x10); // stopped: nothing more, no second question
    RunPosted();
    EXPECT_EQ(Count(), 10);
    EXPECT_EQ(dialogs.Messages().size(), 1u);
}

TEST_F(Recording, CancellingTheSaveQuestionKeepsTheReadings)
{
    controller.SetParameters(0.2, 2);
    controller.Run();
    SetMeterClock(10, 0, 0);
    Current(0x08, 0x00, 1000);
    Current(0x08, 0x10, 2000);
    dialogs.QueueAnswer(MsgAnswer::Cancel);
    Current(0x08, 0x20, 3000);
    EXPECT_FALSE(controller.Running());
    EXPECT_TRUE(dialogs.Messages().empty());
    RunPosted();
    EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>({kFinished}));
    EXPECT_TRUE(saves.empty());
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(Slot(1).valid, 1);
}

TEST_F(Recording, LimitZeroStoresTheFirstReadingOnly)
{
    controller.SetParameters(0.5, 0);
    controller.Run();
    SetMeterClock(10, 0, 0);
    Display(0x08, 0x00);
    EXPECT_EQ(Count(), 1);
    EXPECT_TRUE(controller.Running());
    // The scale stays a finite number of pixels per second.
    ASSERT_EQ(graph.timeScales.size(), 1u);
    EXPECT_DOUBLE_EQ(graph.timeScales[0].second, 530.0 / 0.5);

    Display(0x08, 0x10);
    EXPECT_FALSE(controller.Running());
    EXPECT_EQ(Count(), 1);
    RunPosted();
    EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>({kFinished}));
}

TEST_F(Recording, RunWithAnEmptyStoreAsksNothing)
{
    controller.Run();
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_EQ(graph.clears, 0);
    EXPECT_TRUE(controller.Running());
}

TEST_F(Recording, RunWithDataAsksAndClearsEvenOnCancel)
{
    SetMeterClock(10, 0, 0);
    controller.Run();
    Display(0x08, 0x53);
    Display(0x08, 0x60);
    controller.Stop();

    dialogs.QueueAnswer(MsgAnswer::Cancel);
    controller.Run();
    EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>({kReset}));
    EXPECT_TRUE(saves.empty());
    EXPECT_EQ(Count(), 0);
    EXPECT_EQ(Slot(0).valid, 0);
    EXPECT_EQ(graph.clears, 1);
    EXPECT_TRUE(controller.Running());
    EXPECT_EQ(graph.scrolling, std::vector<int>({1, 0, 0, 1}));

    // The next reading is the first of the new run.
    SetMeterClock(10, 0, 7);
    Display(0x07, 0x00);
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(controller.Statistics().startTime, "10:00:07");
}

TEST_F(Recording, RunWithDataSavesOnOkBeforeClearing)
{
    SetMeterClock(10, 0, 0);
    controller.Run();
    Display(0x08, 0x53);
    Display(0x08, 0x60);
    controller.Stop();
    dialogs.QueueAnswer(MsgAnswer::Ok);
    controller.Run();
    ASSERT_EQ(saves.size(), 1u);
    ASSERT_EQ(saves[0].samples.size(), 2u);
    EXPECT_DOUBLE_EQ(saves[0].samples[1].value, 86.0);
    EXPECT_EQ(Count(), 0);
}

TEST_F(Recording, CleanResetsTheStoreAndTheExtremes)
{
    state.dBA = true;
    SetMeterClock(10, 0, 0);
    controller.Run();
    Display(0x09, 0x99);
    Display(0x04, 0x00);
    const int refreshesBefore = views.refreshes;

    controller.Clean();
    EXPECT_FALSE(controller.Running());
    EXPECT_FALSE(controller.FirstReadingTaken());
    EXPECT_EQ(Count(), 0);
    EXPECT_EQ(graph.clears, 1);
    EXPECT_EQ(views.refreshes, refreshesBefore + 1);
    EXPECT_EQ(views.last.maximum, "30.0");
    EXPECT_EQ(views.last.minimum, "130.0");
    EXPECT_EQ(views.last.dataNo, "0");
    EXPECT_EQ(views.last.avg, "0.00");
    // Texts of times are kept, as are the date and unit of the emptied slots.
    EXPECT_EQ(views.last.startTime, "10:00:00");
    EXPECT_EQ(views.last.maximumTime, "10:00:00");
    EXPECT_EQ(Slot(1).valid, 0);
    EXPECT_EQ(Slot(1).value, 0.0);
    EXPECT_EQ(Slot(1).time, " ");
    EXPECT_EQ(Slot(1).date, "12-5-2007");
    EXPECT_EQ(Slot(1).unit, "dBA");

    SetMeterClock(11, 2, 3);
    Display(0x08, 0x53);
    EXPECT_DOUBLE_EQ(controller.Statistics().maximum, 85.3);
    EXPECT_DOUBLE_EQ(controller.Statistics().minimum, 85.3);
    EXPECT_EQ(controller.Statistics().maximumTime, "11:02:03");
    EXPECT_EQ(controller.Statistics().minimumTime, "11:02:03");
}

TEST_F(Recording, ARepeatedMaximumKeepsItsTimeARepeatedMinimumMoves)
{
    controller.Clean();
    SetMeterClock(10, 0, 1);
    Display(0x09, 0x00);
    SetMeterClock(10, 0, 5);
    Display(0x09, 0x00);
    EXPECT_EQ(controller.Statistics().maximumTime, "10:00:01");
    EXPECT_EQ(controller.Statistics().minimumTime, "10:00:05");

    // A value within 0.01 above the maximum does not replace it.
    SetMeterClock(10, 0, 9);
    controller.DisplayValueDecoded(90.005);
    EXPECT_DOUBLE_EQ(controller.Statistics().maximum, 90.0);
    EXPECT_EQ(controller.Statistics().maximumTime, "10:00:01");
    EXPECT_EQ(Count(), 0); // not running: the extremes follow, nothing is recorded
}

TEST_F(Recording, ReadingsAfterTheMetersMidnightCarryTheNextDate)
{
    clock.SetNow(MakeLocalTime(2007, 5, 31, 23, 59, 59));
    SetMeterClock(23, 59, 59);
    controller.Run();
    Display(0x08, 0x00);
    EXPECT_EQ(Slot(0).date, "31-5-2007");

    // The meter passes midnight; the decoder counts the day.
    state.dayOffset = 1;
    state.clockText24 = "0:00:00";
    state.hour = 0;
    state.minute = 0;
    state.second = 0;
    Display(0x08, 0x10);
    EXPECT_EQ(Slot(1).date, "1-6-2007");

    // The PC's date moving on as well does not count the day a second time.
    clock.SetNow(MakeLocalTime(2007, 6, 1, 0, 0, 2));
    Display(0x08, 0x20);
    EXPECT_EQ(Slot(2).date, "1-6-2007");
}

TEST_F(Recording, NothingIsRecordedAndNoExtremeTakenBeforeTheMeterClockIsKnown)
{
    controller.Run();
    Display(0x08, 0x00); // no clock yet
    state.hour = 10;     // a clock tag whose minute was bad: still no whole clock
    Display(0x09, 0x00);
    EXPECT_EQ(Count(), 0);
    EXPECT_FALSE(controller.FirstReadingTaken());
    // Max and Min wait too: they would be stamped "@ 00:00:00".
    EXPECT_DOUBLE_EQ(controller.Statistics().maximum, 30.0);
    EXPECT_DOUBLE_EQ(controller.Statistics().minimum, 130.0);
    EXPECT_EQ(controller.Statistics().maximumTime, "");
    EXPECT_EQ(controller.Statistics().minimumTime, "");
    SetMeterClock(10, 0, 0);
    Display(0x08, 0x00);
    EXPECT_EQ(Count(), 1);
    EXPECT_DOUBLE_EQ(controller.Statistics().maximum, 80.0);
    EXPECT_EQ(controller.Statistics().maximumTime, "10:00:00");
    EXPECT_EQ(controller.Statistics().minimumTime, "10:00:00");
}

// Overnight at one reading a second, with the meter's clock and the PC's
// passing midnight at different times (the meter's clock drifts): a reading
// for every meter second, dated by the meter's own day.
TEST_F(Recording, MeterClockPacingCrossesMidnightWhicheverClockPassesItFirst)
{
    const struct {
        const char* name;
        LocalDateTime pc;      // the PC's clock, still while the meter's runs
        int meterStartSecond;  // seconds after 23:59:00 on the meter
        const char* firstDate; // of the readings before the meter's midnight
    } cases[] = {
        // The meter is ahead: it passes midnight while the PC's date is still the old one.
        {"meter ahead", {2007, 5, 31, 23, 59, 50}, 56, "31-5-2007"},
        // The meter is behind: the PC's date has moved on before the meter's midnight.
        {"meter behind", {2007, 6, 1, 0, 0, 5}, 57, "31-5-2007"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        controller.Clean();
        state.dayOffset = 0;
        // The run starts on the PC's day before midnight, a few seconds before the meter's.
        clock.SetNow(MakeLocalTime(2007, 5, 31, 23, 59, 40));
        controller.SetParameters(1.0, 100);
        controller.Run();
        for (int second = c.meterStartSecond; second < 60 + 4; ++second) {
            if (second == 60)
                ++state.dayOffset; // the decoder counts the meter's midnight
            SetMeterClock(second < 60 ? 23 : 0, second < 60 ? 59 : 0, second % 60);
            Display(0x08, 0x00);
            Display(0x08, 0x10); // a second display value within the same meter second
            if (second == c.meterStartSecond)
                clock.SetNow(MakeLocalTime(c.pc.year, c.pc.month, c.pc.day, c.pc.hour, c.pc.minute, c.pc.second));
        }
        const int expected = 64 - c.meterStartSecond;
        ASSERT_EQ(Count(), expected);
        for (int i = 0; i < expected; ++i) {
            const bool beforeMidnight = c.meterStartSecond + i < 60;
            EXPECT_EQ(Slot(i).date, beforeMidnight ? c.firstDate : "1-6-2007") << Slot(i).time;
        }
        EXPECT_EQ(Slot(expected - 1).time, "0:00:03");
    }
}

TEST_F(Recording, EachRunAndEachOpeningOfThePortDateTheReadingsFromThePcAgain)
{
    SetMeterClock(10, 0, 0);
    controller.Run();
    Display(0x08, 0x00);
    EXPECT_EQ(Slot(0).date, "12-5-2007");
    controller.Stop();

    // The program stays open for three days; the next run is dated anew.
    clock.SetNow(MakeLocalTime(2007, 5, 15, 9, 0, 0));
    dialogs.QueueAnswer(MsgAnswer::Cancel);
    controller.Run();
    SetMeterClock(9, 0, 0);
    Display(0x08, 0x00);
    EXPECT_EQ(Slot(0).date, "15-5-2007");

    // The port is opened again (maybe on another meter) a day later, the run still going.
    clock.SetNow(MakeLocalTime(2007, 5, 16, 9, 0, 0));
    Display(0x08, 0x10);
    EXPECT_EQ(Slot(1).date, "15-5-2007");
    controller.LinkOpened();
    Display(0x08, 0x20);
    EXPECT_EQ(Slot(2).date, "16-5-2007");
}

} // namespace
