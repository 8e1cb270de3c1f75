// Export Data on the user-interface side: the save dialog asked through the
// seam, the readings copied when the command runs, the worker's outcome in a
// message box, the progress bar of a large store.
#include "common/ScriptedDialogs.h"
#include "logger/ExportWorker.h"
#include "monitor/widgets/CExportCommand.h"
#include "tests/support/TempDir.h"
#include "tests/support/XlsTool.h"

#include <QSignalSpy>
#include <QPointer>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace {

std::vector<DataSample> Store(int count, double value)
{
    DataSample s;
    s.valid = 1;
    s.date = "7-3-2007";
    s.time = "9:05:00";
    s.value = value;
    s.unit = "dBA";
    return std::vector<DataSample>(static_cast<std::size_t>(count), s);
}

class ExportCommandTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_temp.IsValid()); }

    bool WaitDone() { return QTest::qWaitFor([&] { return !m_command.Busy(); }, 60000); }

    CTempDir m_temp{"vx_exportcmd"};
    QWidget m_owner;
    CScriptedDialogs m_dialogs;
    CExportCommand m_command{m_dialogs, &m_owner};
};

TEST_F(ExportCommandTest, AsksForTheFileThenWritesTheReadingsAsTheyWereWhenTheCommandRan)
{
    std::vector<DataSample> store = Store(2, 65.3);
    m_command.Run(store.data(), 2); // cancelled: nothing happens
    EXPECT_FALSE(m_command.Busy());
    ASSERT_EQ(m_dialogs.FileRequests().size(), 1u);
    const FileDialogRequest& request = m_dialogs.FileRequests().front();
    EXPECT_EQ(request.filter, "Data File(*.xls)");
    EXPECT_EQ(request.initialName, "*.xls");
    EXPECT_EQ(request.defaultExtension, "xls");
    // The command asks its own question about an existing file.
    EXPECT_FALSE(request.promptOverwrite);
    EXPECT_TRUE(m_dialogs.Messages().empty());

    const std::string path = m_temp.File("run.xls");
    m_dialogs.QueueSavePath(path);
    QSignalSpy written(&m_command, &CExportCommand::Written);
    m_command.Run(store.data(), 2);
    store = Store(5, 99.9); // Clean and a new run while the worker writes
    ASSERT_TRUE(WaitDone());
    ASSERT_EQ(written.count(), 1);
    EXPECT_EQ(written.front().front().toString(), QStringLiteral("Exported 2 readings to run.xls"));
    ASSERT_EQ(m_dialogs.Messages().size(), 1u);
    EXPECT_EQ(m_dialogs.Messages()[0].caption, "LX47");
    EXPECT_EQ(m_dialogs.Messages()[0].text, "Export Data has finish.");
    const XlsReadBack book = ReadXlsWithXlrd(path);
    ASSERT_TRUE(book.ok) << book.error;
    EXPECT_EQ(book.Sheet("Sheet")->rows, (std::vector<std::vector<std::string>>{
                                             {"Date", "Time", "Value", "Unit"},
                                             {"7-3-2007", "9:05:00", "65.3", "dBA"},
                                             {"7-3-2007", "9:05:00", "65.3", "dBA"}}));
}

TEST_F(ExportCommandTest, AnExistingFileIsOnlyAddedToAfterAQuestionThatSaysSo)
{
    const std::string path = m_temp.File("run.xls");
    const std::vector<DataSample> store = Store(1, 65.3);
    m_dialogs.QueueSavePath(path);
    m_command.Run(store.data(), 1);
    ASSERT_TRUE(WaitDone());
    m_dialogs.ClearLog();

    // Cancel on the question: nothing is written.
    m_dialogs.QueueSavePath(path);
    m_dialogs.QueueAnswer(MsgAnswer::Cancel);
    m_command.Run(store.data(), 1);
    EXPECT_FALSE(m_command.Busy());
    ASSERT_EQ(m_dialogs.Messages().size(), 1u);
    EXPECT_EQ(m_dialogs.Messages()[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(m_dialogs.Messages()[0].text, ExportOverwriteQuestion(path));
    EXPECT_NE(m_dialogs.Messages()[0].text.find("added below the rows of its sheet \"Sheet\""), std::string::npos);
    EXPECT_NE(m_dialogs.Messages()[0].text.find("\"CSpreadSheetBackup\""), std::string::npos);
    EXPECT_EQ(m_dialogs.Messages()[0].text.find("replace"), std::string::npos);

    m_dialogs.QueueSavePath(path);
    m_dialogs.QueueAnswer(MsgAnswer::Ok);
    m_command.Run(store.data(), 1);
    ASSERT_TRUE(WaitDone());
    const XlsReadBack book = ReadXlsWithXlrd(path);
    ASSERT_TRUE(book.ok) << book.error;
    EXPECT_EQ(book.Sheet("Sheet")->rows.size(), 3u);
    EXPECT_NE(ExportOverwriteQuestion(m_temp.File("run.csv")).find("run.csv.bak"), std::string::npos);
}

TEST_F(ExportCommandTest, CancelOnTheProgressBarStopsTheExportAndSaysTheFileWasLeftAlone)
{
    m_command.SetProgressDelay(0);
    const std::vector<DataSample> store = Store(40000, 65.3);
    const std::string path = m_temp.File("cancelled.xls");
    m_dialogs.QueueSavePath(path);
    m_command.Run(store.data(), 40000);
    QProgressDialog* progress = m_command.ProgressDialog();
    ASSERT_NE(progress, nullptr);
    progress->cancel();
    ASSERT_TRUE(WaitDone());
    ASSERT_EQ(m_dialogs.Messages().size(), 1u);
    // The worker may have reached the writing before the cancel: then the
    // file is whole and the export says it finished.
    if (m_dialogs.Messages()[0].text == "Export Data has finish.") {
        EXPECT_TRUE(ReadXlsWithXlrd(path).ok);
    } else {
        EXPECT_EQ(m_dialogs.Messages()[0].text, "Export Data was cancelled: \"" + path + "\" was left as it was.");
        EXPECT_FALSE(std::ifstream(path).good());
    }
}

TEST_F(ExportCommandTest, AFailureIsReportedWithItsReason)
{
    const std::string path = m_temp.File("notes.xls");
    std::ofstream(path) << "my notes";
    m_dialogs.QueueSavePath(path);
    const std::vector<DataSample> store = Store(1, 65.3);
    m_command.Run(store.data(), 1);
    ASSERT_TRUE(WaitDone());
    // The question about the existing file (answered OK), then the failure.
    ASSERT_EQ(m_dialogs.Messages().size(), 2u);
    EXPECT_EQ(m_dialogs.Messages()[0].text, ExportOverwriteQuestion(path));
    EXPECT_EQ(m_dialogs.Messages()[1].text.rfind("The readings were not exported to \"" + path + "\".\n", 0), 0u)
        << m_dialogs.Messages()[1].text;
    EXPECT_EQ(m_dialogs.Messages()[1].icon, MsgIcon::Warning);
}

TEST_F(ExportCommandTest, ALargeStoreShowsItsProgressUntilTheExportEnds)
{
    m_command.SetProgressDelay(0);
    const std::vector<DataSample> store = Store(40000, 65.3);
    m_dialogs.QueueSavePath(m_temp.File("full.xls"));
    m_command.Run(store.data(), 40000);
    const QPointer<QProgressDialog> progress = m_command.ProgressDialog();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->isVisible());
    // A second Export Data while one is writing is turned away.
    m_dialogs.QueueSavePath(m_temp.File("other.xls"));
    m_command.Run(store.data(), 40000);
    // The bar takes the total once the worker has counted it, and goes with the export.
    int maximum = 0;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        if (progress)
            maximum = std::max(maximum, progress->maximum());
        return !progress || maximum >= 40000;
    }, 60000));
    EXPECT_GE(maximum, 40000);
    ASSERT_TRUE(WaitDone());
    EXPECT_EQ(m_command.ProgressDialog(), nullptr);
    EXPECT_EQ(m_dialogs.MessageTexts(), (std::vector<std::string>{"Export Data is still writing \"" +
                                                                      m_temp.File("full.xls") + "\".",
                                                                  "Export Data has finish."}));
    EXPECT_FALSE(std::ifstream(m_temp.File("other.xls")).good());
}

} // namespace
