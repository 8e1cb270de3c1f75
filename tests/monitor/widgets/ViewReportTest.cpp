// The measurement report from the windows: Report… of the DataLogger window
// for the set opened from a data file, and File > Report… of the main window
// for the recording, both through the print dialog.
#include "common/CommandIds.h"
#include "common/ScriptedDialogs.h"
#include "monitor/widgets/CVexalogView.h"
#include "tests/support/FastClock.h"
#include "tests/support/PdfPages.h"
#include "tests/support/TempDir.h"

#include <QAction>
#include <QCryptographicHash>
#include <QFile>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

std::string WordsOf(const PdfPage& page)
{
    std::string text;
    for (const PdfWord& word : page.words)
        text += word.text + " ";
    return text;
}

TEST(ViewReportTest, ReportOfTheOpenedSetGoesThroughThePrintDialogAndNamesItsFile)
{
    const CTempDir temp("vx_viewreport");
    ASSERT_TRUE(temp.IsValid());
    const std::string data = temp.File("street.txt");
    std::ofstream(data, std::ios::binary) << "ORVANTIS LX47 DATA LOGGER SamplingRate:1.0;\r\r\n"
                                             "7-3-2024, 9:05:00, 65.30, dBA\r\r\n"
                                             "7-3-2024, 9:05:01, 70.00, dBA\r\r\n"
                                             "7-3-2024, 9:06:00, 60.00, dBC\r\r\n"
                                             "7-3-2024, 9:06:01, 80.00, dBC\r\r\n";
    QFile file(QString::fromStdString(data));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::string sha = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex().toStdString();

    CScriptedDialogs dialogs;
    CFastClock clock;
    CVexalogView::Options options;
    options.iniPath = temp.File("TempPort.ini");
    options.clock = &clock;
    CVexalogView view(dialogs, options);
    // Nothing recorded: nothing to report.
    ASSERT_TRUE(view.HandlesCommand(CommandId::Report));
    EXPECT_FALSE(view.IsCommandEnabled(CommandId::Report));

    dialogs.QueueOpenPath(data);
    view.OnCommand(CommandId::Open);
    CDataLoggerDlg* window = view.DataLoggerWindow();
    ASSERT_NE(window, nullptr);
    QAction* report = window->Command(CDataLoggerDlg::kReportId);
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->text(), QString::fromUtf8("Report\u2026"));
    EXPECT_FALSE(report->isEnabled()) << "no set opened";

    window->OpenRow(1);
    EXPECT_TRUE(report->isEnabled());
    report->trigger(); // the print dialog is cancelled
    EXPECT_EQ(dialogs.PrintDialogsShown(), 1);
    EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>{"Data has been imported."}) << "Cancel says nothing";

    PrinterChoice chosen;
    chosen.outputFile = temp.File("report.pdf");
    dialogs.QueuePrinter(chosen);
    report->trigger();
    const PdfPage page = ReadPdfWords(chosen.outputFile);
    ASSERT_TRUE(page.error.empty()) << page.error;
    EXPECT_EQ(page.pageCount, 2);
    const std::string words = WordsOf(page);
    for (const std::string& expected : {std::string("dBC"), std::string("LCeq"), std::string("77.03"),
                                        std::string("street.txt"), sha, std::string("2, 2 readings")})
        EXPECT_NE(words.find(expected), std::string::npos) << expected << "\n" << words;
}

} // namespace
