// The program as it starts: the application, its frame and the real main view,
// with commands going through the frame's menus and toolbar.
#include "app/CMainFrame.h"
#include "app/CVexalogApp.h"
#include "common/CommandIds.h"
#include "common/PrivateProfile.h"
#include "common/ScriptedDialogs.h"
#include "monitor/widgets/CVexalogView.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

namespace {

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
        CVexalogApp::SetApplicationNames();
        iniPath = dir.filePath(QStringLiteral("TempPort.ini")).toStdString();
    }
    void TearDown() override
    {
        QCoreApplication::setOrganizationName(QString());
        QCoreApplication::setApplicationName(QString());
    }

    bool Start(CVexalogApp& app)
    {
        return app.InitInstance([this](IDialogSeam& dialogs, QWidget* parent) {
            CVexalogView::Options options;
            options.iniPath = iniPath;
            view = new CVexalogView(dialogs, options, parent);
            return CVexalogApp::ViewParts{view, view};
        });
    }

    QTemporaryDir dir;
    std::string iniPath;
    CScriptedDialogs dialogs;
    CVexalogView* view = nullptr;
};

TEST_F(ProgramTest, ShowingTheFrameLaysTheViewOutAndItsEnableRulesReachMenuAndToolbar)
{
    CVexalogApp app(&dialogs);
    ASSERT_TRUE(Start(app));
    CMainFrame* frame = app.MainFrame();
    ASSERT_EQ(frame->View(), view);
    // Shown, the view had its first layout: the rate box is filled.
    EXPECT_EQ(view->RateBox()->count(), 10);
    EXPECT_EQ(view->RateBox()->currentText(), QStringLiteral("0.5"));

    frame->UpdateCommandUi();
    // The empty graph may be printed. DataLogger waits for the meter.
    EXPECT_TRUE(frame->ToolbarAction(CommandId::Print)->isEnabled());
    EXPECT_TRUE(frame->ToolbarAction(CommandId::Open)->isEnabled());
    EXPECT_FALSE(frame->IsCommandEnabled(CommandId::DataLogger));
    EXPECT_TRUE(frame->ToolbarAction(CommandId::SaveAs)->isEnabled());
    EXPECT_TRUE(frame->ToolbarAction(CommandId::ExportData)->isEnabled());
    EXPECT_TRUE(frame->ToolbarAction(CommandId::Run)->isEnabled());
    EXPECT_FALSE(frame->ToolbarAction(CommandId::Stop)->isEnabled());

    // Run from the toolbar: Stop takes over, Run and Setup go grey.
    frame->ToolbarAction(CommandId::Run)->trigger();
    EXPECT_TRUE(view->Controller().Running());
    frame->UpdateCommandUi();
    EXPECT_FALSE(frame->ToolbarAction(CommandId::Run)->isEnabled());
    EXPECT_TRUE(frame->ToolbarAction(CommandId::Stop)->isEnabled());
    EXPECT_FALSE(frame->IsCommandEnabled(CommandId::Setup));
    EXPECT_FALSE(frame->RunCommand(CommandId::Run)); // disabled: ignored however it comes

    frame->MenuAction(CommandId::Stop)->trigger();
    EXPECT_FALSE(view->Controller().Running());

    // No port is remembered: none is marked, and nothing was said at start.
    for (int id = CommandId::Com1; id <= CommandId::Com5; ++id)
        EXPECT_FALSE(frame->IsCommandMarked(id)) << id;
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(ProgramTest, AChosenPortIsWrittenBackWhenTheProgramEnds)
{
    {
        CVexalogApp app(&dialogs);
        ASSERT_TRUE(Start(app));
        // Port 77 has no device here: the open fails with a message, but the
        // number chosen is still the one remembered.
        view->SetPortQuestion([](int) { return std::optional<int>(77); });
        app.MainFrame()->MenuAction(CommandId::OtherPort)->trigger();
        ASSERT_FALSE(dialogs.Messages().empty());
        EXPECT_EQ(dialogs.Messages().back().text.rfind("Invalid port number.", 0), 0u);
        app.MainFrame()->close();
    }
    EXPECT_EQ(CPrivateProfile(iniPath).ReadString("Port Record", "Port"), "77");
}

} // namespace
