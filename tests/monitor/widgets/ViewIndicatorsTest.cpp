// View > Noise Indicators of the main window over a pseudo-terminal to the
// simulated meter: the panel beside the form follows the recording reading
// by reading, repaints no more than four times a second, ends where the
// indicators of the saved readings are, and its column between cursors A
// and B follows the cursors; the program ends with it closed.
#include "common/CommandIds.h"
#include "graph/widgets/CTrafficButton.h"
#include "logger/widgets/CNoiseIndicatorPanel.h"

#include "logger/SetIndicators.h"
#include "tests/monitor/widgets/SimulatedViewKit.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace std::chrono_literals;

namespace {

// One column of the panel: the whole run's, or the one between the cursors.
std::vector<std::string> ColumnOf(const IndicatorPanelTexts& texts, bool between)
{
    std::vector<std::string> cells;
    for (const IndicatorPanelRow& row : texts.rows)
        if (row.kind != IndicatorPanelRow::Kind::Heading)
            cells.push_back(row.name + ": " + (between ? row.between : row.whole));
    return cells;
}

// The same column worked out afresh from the readings.
std::vector<std::string> Expected(const DataSample* readings, int count, double period, bool between)
{
    const IndicatorColumn column{IndicatorsByWeighting(readings, count, period), true};
    return ColumnOf(MakeIndicatorPanelTexts(kWholeRunHeading, column, column), between);
}

TEST(ViewIndicators, ThePanelFollowsTheRecordingAndTheCursors)
{
    CSimulatedView kit("vx_viewpanel", "ramp:40:120:6");
    ASSERT_TRUE(kit.Start());
    CVexalogView& view = kit.View();
    CScriptedDialogs& dialogs = kit.Dialogs();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.MeterLink().Connected(); }, 10000));

    // Opened beside the form, which keeps its controls where they were.
    const QRect graph = view.Graph()->geometry();
    const int formWidth = view.minimumWidth();
    ASSERT_TRUE(view.HandlesCommand(CommandId::NoiseIndicators));
    EXPECT_FALSE(view.IsCommandMarked(CommandId::NoiseIndicators));
    view.OnCommand(CommandId::NoiseIndicators);
    EXPECT_TRUE(view.IsCommandMarked(CommandId::NoiseIndicators));
    CNoiseIndicatorPanel* panel = view.NoiseIndicatorPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(view.Graph()->geometry(), graph);
    EXPECT_EQ(panel->geometry().left(), formWidth);
    EXPECT_GE(view.width(), formWidth + CNoiseIndicatorPanel::kWidth);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->Refreshes() > 0; }, 10000));
    EXPECT_EQ(ColumnOf(panel->Texts(), false).front(), "Leq: not enough data");

    // Recording: every reading goes into the run's indicators as it comes,
    // the panel shows them while the run goes on, at most every 250 ms.
    view.RateBox()->setCurrentIndex(0);
    emit view.RateBox()->activated(0);
    const ReadingStore& store = view.Controller().Store();
    const int refreshesBefore = panel->Refreshes();
    QElapsedTimer running;
    running.start();
    view.OnCommand(CommandId::Run);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return store.Count() >= 30 && view.RecordingIndicators().Count() == store.Count() &&
                   ColumnOf(panel->Texts(), false).front().find(" dB") != std::string::npos;
        },
        20000));
    EXPECT_TRUE(view.Controller().Running());
    const int refreshes = panel->Refreshes() - refreshesBefore;
    EXPECT_LE(refreshes, running.elapsed() / CNoiseIndicatorPanel::kRefreshMs + 2);
    view.OnCommand(CommandId::Stop);

    // Stopped: the panel ends where the readings' indicators worked out afresh are.
    const double period = view.Controller().SamplingPeriod();
    const std::vector<std::string> whole = Expected(store.Data(), store.Count(), period, false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ColumnOf(panel->Texts(), false) == whole; }, 10000))
        << ColumnOf(panel->Texts(), false).front() << " / " << whole.front();

    // A page of readings, cursor A on reading 5 and B on reading 15; then B
    // on 20 after A on 8: the column between them follows.
    CTrafficButton* trace = view.Graph();
    QTest::mousePress(trace, Qt::LeftButton, {}, QPoint(31, 1));
    QTest::mouseRelease(trace, Qt::LeftButton, {}, QPoint(60, trace->height() - 1));
    QTest::mouseDClick(trace, Qt::LeftButton, {}, QPoint(30 + 2 * 5, 100));
    QTest::mouseDClick(trace, Qt::LeftButton, {}, QPoint(30 + 2 * 15, 100));
    const std::vector<std::string> first = Expected(store.Data() + 5, 11, period, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ColumnOf(panel->Texts(), true) == first; }, 10000))
        << ColumnOf(panel->Texts(), true).front() << " / " << first.front();
    QTest::mousePress(trace, Qt::RightButton, {}, QPoint(100, 100));
    QTest::mouseDClick(trace, Qt::LeftButton, {}, QPoint(30 + 2 * 8, 100));
    QTest::mouseDClick(trace, Qt::LeftButton, {}, QPoint(30 + 2 * 20, 100));
    const std::vector<std::string> second = Expected(store.Data() + 8, 13, period, true);
    ASSERT_NE(first, second);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ColumnOf(panel->Texts(), true) == second; }, 10000))
        << ColumnOf(panel->Texts(), true).front() << " / " << second.front();

    // Closed: the view gives the panel's width back.
    view.OnCommand(CommandId::NoiseIndicators);
    EXPECT_FALSE(view.IsCommandMarked(CommandId::NoiseIndicators));
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(view.minimumWidth(), formWidth);

    // Open when the program ends: closed first, so the window's place is
    // kept without it.
    view.OnCommand(CommandId::NoiseIndicators);
    EXPECT_TRUE(view.IsCommandMarked(CommandId::NoiseIndicators));
    dialogs.QueueChoice(1); // discard the readings
    EXPECT_TRUE(view.QueryClose());
    EXPECT_FALSE(view.IsCommandMarked(CommandId::NoiseIndicators));
    EXPECT_EQ(view.minimumWidth(), formWidth);
}

} // namespace
