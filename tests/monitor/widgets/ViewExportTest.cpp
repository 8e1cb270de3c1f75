// File > Export Data through the main view while it records from the
// simulated meter: the readings taken so far reach the workbook, recording
// goes on meanwhile, and the outcome is reported.
#include "common/CommandIds.h"
#include "tests/monitor/widgets/SimulatedViewKit.h"
#include "tests/support/XlsTool.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(ViewExportTest, ExportDataWritesTheReadingsRecordedSoFarWhileRecordingGoesOn)
{
    CSimulatedView kit("vx_viewexport", "const:85.3");
    ASSERT_TRUE(kit.Start());
    CVexalogView& view = kit.View();
    CScriptedDialogs& dialogs = kit.Dialogs();
    const CTempDir& temp = kit.Temp();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.MeterLink().Connected(); }, 5000));

    EXPECT_TRUE(view.HandlesCommand(CommandId::ExportData));
    EXPECT_TRUE(view.IsCommandEnabled(CommandId::ExportData));
    view.OnCommand(CommandId::Run);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.Controller().Store().Count() >= 3; }, 8000));

    const std::string path = temp.File("street.xls");
    dialogs.QueueSavePath(path);
    const int taken = view.Controller().Store().Count();
    view.OnCommand(CommandId::ExportData);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.Messages().empty(); }, 60000));
    EXPECT_TRUE(view.Controller().Running());
    view.OnCommand(CommandId::Stop);
    EXPECT_EQ(dialogs.MessageTexts().back(), "Export Data has finish.");
    EXPECT_TRUE(view.IsCommandEnabled(CommandId::ExportData));

    const XlsReadBack book = ReadXlsWithXlrd(path);
    ASSERT_TRUE(book.ok) << book.error;
    const XlsSheet* sheet = book.Sheet("Sheet");
    ASSERT_NE(sheet, nullptr);
    ASSERT_EQ(sheet->rows.size(), static_cast<std::size_t>(taken) + 1);
    EXPECT_EQ(sheet->rows[0], (std::vector<std::string>{"Date", "Time", "Value", "Unit"}));
    for (std::size_t r = 1; r < sheet->rows.size(); ++r) {
        EXPECT_EQ(sheet->rows[r][0], view.Controller().Store()[static_cast<int>(r - 1)].date);
        EXPECT_EQ(sheet->rows[r][1], view.Controller().Store()[static_cast<int>(r - 1)].time);
        EXPECT_EQ(sheet->rows[r][2], "85.3");
        EXPECT_EQ(sheet->rows[r][3], "dBA");
    }
}
