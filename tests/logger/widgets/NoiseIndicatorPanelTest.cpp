// View > Noise Indicators of the DataLogger window: the panel beside the
// form for the set opened, its column between cursors A and B following
// the cursors, and the table and the two charts as they are painted.
#include "common/Clock.h"
#include "common/TimeText.h"
#include "logger/DataFile.h"
#include "logger/widgets/CDataLoggerDlg.h"
#include "logger/widgets/CNoiseIndicatorPanel.h"
#include "logger/widgets/DataLoggerForm.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempDir.h"

#include <QAction>
#include <QMenu>
#include <QScrollArea>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The value cells (whole, between) of the row named.
std::pair<std::string, std::string> CellsOf(const CNoiseIndicatorPanel& panel, const std::string& name)
{
    for (const IndicatorPanelRow& row : panel.Texts().rows)
        if (row.kind == IndicatorPanelRow::Kind::Value && row.name == name)
            return {row.whole, row.between};
    return {"(no row)", "(no row)"};
}

int RowIndex(const CNoiseIndicatorPanel& panel, const std::string& name)
{
    const auto& rows = panel.Texts().rows;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].name == name)
            return static_cast<int>(i);
    return -1;
}

TEST(NoiseIndicatorPanel, ShowsTheOpenedSetBesideTheFormAndFollowsTheCursors)
{
    CManualClock clock{MakeLocalTime(2024, 5, 6, 7, 8, 9)};
    CScriptedDialogs dialogs;
    CTempDir temp{"vx_panel"};
    ASSERT_TRUE(temp.IsValid());
    // 60 and 80 dB in turn, a second each: 77.03 dB over the set.
    std::vector<DataSample> samples;
    for (int k = 0; k < 6; ++k)
        samples.push_back({k % 2 == 0 ? 60.0 : 80.0, 1, "7-3-2024", "9:05:0" + std::to_string(k), "dBA"});
    const std::string path = temp.File("street.txt");
    dialogs.QueueSavePath(path);
    ASSERT_TRUE(SaveDataFile(dialogs, samples.data(), static_cast<int>(samples.size()), 1.0));

    CDataLoggerDlg window{dialogs, clock, QFont(QStringLiteral("DejaVu Sans"), 8)};
    dialogs.QueueOpenPath(path);
    window.ImportData();
    window.OpenRow(0);

    QAction* item = window.Command(CDataLoggerDlg::kNoiseIndicatorsId);
    ASSERT_NE(item, nullptr);
    const auto* menu = qobject_cast<QMenu*>(item->parent());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), QStringLiteral("View(&V)"));
    EXPECT_EQ(item->text(), QStringLiteral("Noise Indicators(&N)"));
    EXPECT_TRUE(item->isCheckable());
    EXPECT_FALSE(item->isChecked());

    // The window grows by the panel as far as the screen lets it (the
    // offscreen screen is small: the form then scrolls); the form keeps its size.
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const int before = window.width();
    item->trigger();
    CNoiseIndicatorPanel* panel = window.NoiseIndicatorPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(item->isChecked());
    EXPECT_GE(window.width(), before);
    EXPECT_EQ(window.maximumWidth(), CDataLoggerForm::FormSize().width() + CNoiseIndicatorPanel::kWidth);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->isVisible(); }, 10000));
    EXPECT_EQ(window.Form()->size(), CDataLoggerForm::FormSize());
    EXPECT_EQ(panel->geometry().left(), window.ScrollArea()->geometry().right() + 1) << "beside the form";
    EXPECT_EQ(panel->width(), CNoiseIndicatorPanel::kWidth);
    ASSERT_TRUE(QTest::qWaitFor([&] { return CellsOf(*panel, "LAeq").first == "77.03 dB"; }, 10000));
    EXPECT_EQ(CellsOf(*panel, "LAeq").second, kNoReadingsBetweenText);
    EXPECT_EQ(CellsOf(*panel, "Lmax").first, "80.00 dB at 09:05:01");

    // Cursor A on the second sample, B on the fourth: 80, 60, 80 dB,
    // 10 lg((2 * 10^8 + 10^6) / 3) = 78.26 dB.
    const DataLoggerView view = window.Graph()->Graph().View();
    const auto xOf = [&](int k) { return static_cast<int>(k * view.scale + 30); };
    QTest::mouseDClick(window.Graph(), Qt::LeftButton, {}, QPoint(xOf(1), 150));
    QTest::mouseDClick(window.Graph(), Qt::LeftButton, {}, QPoint(xOf(3), 150));
    ASSERT_TRUE(QTest::qWaitFor([&] { return CellsOf(*panel, "LAeq").second == "78.26 dB"; }, 10000))
        << CellsOf(*panel, "LAeq").second;
    EXPECT_EQ(CellsOf(*panel, "Measured").second, "0:00:03");
    // The cursors taken away, then A alone: nothing between them until B follows.
    QTest::mousePress(window.Graph(), Qt::RightButton, {}, QPoint(xOf(2), 150));
    ASSERT_TRUE(QTest::qWaitFor([&] { return CellsOf(*panel, "LAeq").second == kNoReadingsBetweenText; }, 10000));
    QTest::mouseDClick(window.Graph(), Qt::LeftButton, {}, QPoint(xOf(3), 150));
    EXPECT_EQ(CellsOf(*panel, "LAeq").second, kNoReadingsBetweenText);
    QTest::mouseDClick(window.Graph(), Qt::LeftButton, {}, QPoint(xOf(4), 150));
    ASSERT_TRUE(QTest::qWaitFor([&] { return CellsOf(*panel, "LAeq").second == "77.03 dB"; }, 10000))
        << CellsOf(*panel, "LAeq").second;

    // As painted: the table's texts, one hourly bar at 77.03 dB on a scale
    // from 70 to 90 dB (lighter: the hour is measured only in part), and the
    // distribution's bars at 60 and 80 dB, none between.
    const QImage image = panel->Canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRectF cell = panel->RowRects().at(static_cast<std::size_t>(RowIndex(*panel, "LAeq")));
    int dark = 0;
    for (int y = static_cast<int>(cell.top()); y < static_cast<int>(cell.bottom()); ++y)
        for (int x = static_cast<int>(cell.center().x()) - 60; x < static_cast<int>(cell.center().x()); ++x)
            dark += qGray(image.pixel(x, y)) < 100;
    EXPECT_GT(dark, 10) << "the whole set's LAeq is written in its cell";

    const QRectF hourly = panel->HourlyChartBox();
    const int barX = static_cast<int>(hourly.left() + hourly.width() * 0.15);
    const QRgb lightBar = qRgb(150, 180, 220);
    int barTop = -1;
    for (int y = static_cast<int>(hourly.top()); y < static_cast<int>(hourly.bottom()) && barTop < 0; ++y)
        if (image.pixel(barX, y) == lightBar)
            barTop = y;
    const double expectedTop = hourly.bottom() - (77.0329 - 70.0) / 20.0 * hourly.height();
    EXPECT_NEAR(barTop, expectedTop, 1.5);
    EXPECT_EQ(image.pixel(barX, static_cast<int>(hourly.bottom()) - 3), lightBar);

    const QRectF distribution = panel->DistributionChartBox();
    const auto levelX = [&](double level) {
        return static_cast<int>(distribution.left() + (level - 60.0) / 21.0 * distribution.width());
    };
    const QRgb bar = qRgb(40, 90, 160);
    const int low = static_cast<int>(distribution.bottom()) - 4;
    EXPECT_EQ(image.pixel(levelX(60.5), low), bar);
    EXPECT_EQ(image.pixel(levelX(80.5), low), bar);
    EXPECT_NE(image.pixel(levelX(70.5), low), bar);

    // Closed again: the window gives the panel's width back.
    item->trigger();
    EXPECT_FALSE(item->isChecked());
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(window.width(), before);
}

} // namespace
