// File > Print through the main view while the simulated meter is attached:
// the command's enable rule follows the graph, Cancel in the print dialog
// prints nothing, and the target chosen there gets the graph's page.
#include "common/CommandIds.h"
#include "graph/widgets/CTrafficButton.h"
#include "tests/monitor/widgets/SimulatedViewKit.h"
#include "tests/support/PdfPages.h"

#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

using namespace std::chrono_literals;

TEST(ViewPrintTest, PrintGoesThroughThePrintDialogWhileEveryPlottedReadingFits)
{
    CSimulatedView kit("vx_viewprint", "const:85.3");
    ASSERT_TRUE(kit.Start());
    CVexalogView& view = kit.View();
    CScriptedDialogs& dialogs = kit.Dialogs();
    const CTempDir& temp = kit.Temp();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.MeterLink().Connected(); }, 5000));
    view.OnCommand(CommandId::Run);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.Controller().Store().Count() >= 4; }, 8000));
    view.OnCommand(CommandId::Stop);

    ASSERT_TRUE(view.HandlesCommand(CommandId::Print));
    EXPECT_TRUE(view.IsCommandEnabled(CommandId::Print));
    const std::string pdf = temp.File("graph.pdf");
    view.OnCommand(CommandId::Print);
    EXPECT_EQ(dialogs.PrintDialogsShown(), 1);
    EXPECT_FALSE(std::filesystem::exists(pdf)) << "cancelled";

    PrinterChoice chosen;
    chosen.outputFile = pdf;
    dialogs.QueuePrinter(chosen);
    view.OnCommand(CommandId::Print);
    const PdfPage page = ReadPdfWords(pdf);
    ASSERT_TRUE(page.error.empty()) << page.error;
    EXPECT_EQ(page.pageCount, 1);
    EXPECT_NE(page.Find("Real-Time"), nullptr);
    EXPECT_TRUE(dialogs.Messages().empty());

    // A zoom into 33 .. 58 dB leaves 85.3 dB above the range: once drawn,
    // the page cannot be printed, until the zoom is undone.
    QTest::mousePress(view.Graph(), Qt::LeftButton, {}, QPoint(40, 200));
    QTest::mouseRelease(view.Graph(), Qt::LeftButton, {}, QPoint(100, 270));
    ASSERT_FALSE(view.Graph()->Graph().State().overview);
    view.Graph()->grab();
    EXPECT_FALSE(view.IsCommandEnabled(CommandId::Print));
    view.GraphOwner().UndoZoom();
    view.Graph()->grab();
    EXPECT_TRUE(view.IsCommandEnabled(CommandId::Print));
}
