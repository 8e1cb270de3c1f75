// The program started in a working folder where an earlier run left a
// recovery journal, and the end of the program: the readings are offered back,
// Exit with unsaved readings asks, and a port file that cannot be written says so.
#include "app/CMainFrame.h"
#include "app/CVexalogApp.h"
#include "common/Clock.h"
#include "common/CommandIds.h"
#include "common/PrivateProfile.h"
#include "common/ScriptedDialogs.h"
#include "logger/DataFileReader.h"
#include "monitor/RecordingJournal.h"
#include "monitor/widgets/CVexalogView.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

#include <sys/stat.h>

namespace {

const std::string kJournal = "ORVANTIS LX47 DATA LOGGER SamplingRate:1.0;\r\r\n"
                             "12-5-2007, 10:00:00, 85.30, dBA\r\r\n"
                             "12-5-2007, 10:00:01, 91.20, dBA\r\r\n"
                             "12-5-2007, 10:00:02, 70.10, dBA\r\r\n"
                             "12-5-2007, 10:00:0";

class RecoveryAndExit : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_work.IsValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(m_work.File("")));
        CVexalogApp::SetApplicationNames();
    }
    void TearDown() override
    {
        m_app.reset();
        QCoreApplication::setOrganizationName(QString());
        QCoreApplication::setApplicationName(QString());
    }

    // The program as main() starts it, its port file in the working folder.
    void Start(int port = 0)
    {
        m_app = std::make_unique<CVexalogApp>(&m_dialogs);
        ASSERT_TRUE(m_app->InitInstance([this, port](IDialogSeam& seam, QWidget* parent) {
            CVexalogView::Options options;
            options.iniPath = m_ini;
            m_view = new CVexalogView(seam, options, parent);
            m_view->SetStartupPort(port);
            return CVexalogApp::ViewParts{m_view, m_view};
        }));
    }
    // A journal whose program ended without saving.
    void LeaveJournal(const std::string& text) const
    {
        std::ofstream(m_work.File("vexalog-recording.4000000.1.journal"), std::ios::binary) << text;
    }
    std::vector<std::string> Journals() const
    {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(m_work.Path())) {
            if (entry.path().extension() == ".journal")
                found.push_back(entry.path().string());
        }
        return found;
    }
    // The first question with buttons of its own, once asked.
    std::optional<CScriptedDialogs::Shown> WaitForChoice()
    {
        std::optional<CScriptedDialogs::Shown> found;
        (void)QTest::qWaitFor(
            [&] {
                for (const CScriptedDialogs::Shown& shown : m_dialogs.Messages()) {
                    if (!shown.choices.empty())
                        found = shown;
                }
                return found.has_value();
            },
            10000);
        return found;
    }
    std::string Field(int id) const { return m_view->Edit(id)->text().toStdString(); }

    CTempDir m_work{"vx_recover"};
    const std::string m_ini = m_work.File("TempPort.ini");
    CScriptedDialogs m_dialogs;
    std::unique_ptr<CVexalogApp> m_app;
    CVexalogView* m_view = nullptr;
};

TEST_F(RecoveryAndExit, AJournalLeftByAKilledRunIsRecoveredAndExitAsksBeforeLosingIt)
{
    LeaveJournal(kJournal);
    m_dialogs.QueueChoice(0); // Recover
    Start();
    const std::optional<CScriptedDialogs::Shown> asked = WaitForChoice();
    ASSERT_TRUE(asked);
    const CScriptedDialogs::Shown& question = *asked;
    EXPECT_EQ(question.choices, (std::vector<std::string>{"Recover", "Discard"}));
    EXPECT_NE(question.text.find("3 readings from 12-5-2007 10:00:00 to 12-5-2007 10:00:02"), std::string::npos)
        << question.text;
    EXPECT_NE(question.text.find("1 damaged line was left out."), std::string::npos) << question.text;

    // The readings are back as recorded, with their statistics, and journalled by this program.
    const CRealTimeController& controller = m_view->Controller();
    ASSERT_EQ(controller.Store().Count(), 3);
    EXPECT_DOUBLE_EQ(controller.Store()[1].value, 91.2);
    EXPECT_EQ(controller.Store()[2].time, "10:00:02");
    EXPECT_DOUBLE_EQ(controller.SamplingPeriod(), 1.0);
    EXPECT_EQ(Field(1014), "10:00:00");
    EXPECT_EQ(Field(1005), "3");
    EXPECT_EQ(Field(1007), "91.2");
    EXPECT_EQ(Field(1009), "70.1");
    const std::vector<std::string> journals = Journals();
    ASSERT_EQ(journals.size(), 1u);
    EXPECT_EQ(journals[0].find("vexalog-recording.4000000."), std::string::npos);

    CMainFrame* frame = m_app->MainFrame();
    const std::vector<std::string> exitChoices{"Save", "Discard", "Cancel"};
    // Cancel stays; a Save as that fails stays with the readings still unsaved.
    m_dialogs.ClearLog();
    m_dialogs.QueueChoice(2);
    EXPECT_FALSE(frame->close());
    m_dialogs.QueueChoice(0);
    m_dialogs.QueueSavePath(m_work.Path().string()); // a folder: the save fails
    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(controller.HasUnsavedReadings());
    ASSERT_EQ(m_dialogs.Messages().size(), 3u);
    EXPECT_EQ(m_dialogs.Messages()[0].choices, exitChoices);
    EXPECT_NE(m_dialogs.Messages()[0].text.find("has not been saved"), std::string::npos);
    EXPECT_NE(m_dialogs.Messages()[2].text.find("could not be saved"), std::string::npos);
    EXPECT_EQ(Journals(), journals);

    // File > Exit asks too; saved, the program ends and the journal with it.
    const std::string saved = m_work.File("street.txt");
    m_dialogs.QueueChoice(0);
    m_dialogs.QueueSavePath(saved);
    EXPECT_TRUE(frame->RunCommand(CommandId::Exit));
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(ReadDataFile(saved).data.count, 3);
    EXPECT_TRUE(Journals().empty());
}

TEST_F(RecoveryAndExit, DiscardedOrHeldJournalsAreNotRecoveredAndAPortFileThatCannotBeWrittenIsSaid)
{
    // A journal another running program holds is left alone; an orphan discarded is gone.
    CSystemClock clock;
    CRecordingJournal living(clock);
    ASSERT_TRUE(living.BeginInFolder(m_work.Path().string(), 0.5));
    LeaveJournal(kJournal);
    m_dialogs.QueueChoice(1); // Discard
    ASSERT_TRUE(CPrivateProfile(m_ini).WriteString("Port Record", "Port", "1"));
    ASSERT_EQ(::chmod(m_ini.c_str(), 0444), 0);
    Start(3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Journals().size() == 1; }, 10000));
    EXPECT_EQ(Journals(), std::vector<std::string>{living.Path()});
    EXPECT_EQ(m_view->Controller().Store().Count(), 0);

    // Nothing unsaved: Exit asks nothing, but the port it could not remember is said, once.
    m_dialogs.ClearLog();
    EXPECT_TRUE(m_app->MainFrame()->close());
    m_app.reset();
    const std::vector<std::string> texts = m_dialogs.MessageTexts();
    ASSERT_EQ(std::count_if(texts.begin(), texts.end(),
                            [](const std::string& t) { return t.find("TempPort.ini") != std::string::npos; }),
              1)
        << ::testing::PrintToString(texts);
    EXPECT_EQ(texts.size(), 1u) << ::testing::PrintToString(texts);
    EXPECT_NE(texts[0].find("(Com3)"), std::string::npos) << texts[0];
    EXPECT_NE(texts[0].find("write-protected"), std::string::npos) << texts[0];
    EXPECT_EQ(CPrivateProfile(m_ini).ReadString("Port Record", "Port"), "1");
}

} // namespace
