// The application object, the About box, the help window, the command line,
// the recent-file list, the menu text conversion and the Qt dialog seam.
#include "app/CAboutDlg.h"
#include "app/CHelpWindow.h"
#include "app/CMainFrame.h"
#include "app/CQtDialogs.h"
#include "app/CRecentFileList.h"
#include "app/CVexalogApp.h"
#include "app/CommandTable.h"
#include "app/StartupOptions.h"
#include "graph/widgets/CTrafficButton.h"
#include "monitor/widgets/CVexalogView.h"
#include "res/DialogUnits.h"
#include "tests/app/FakeCommandTarget.h"
#include "tests/support/ScriptedDialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(MenuText, ResourceTextsBecomeQtTextsWithMnemonicAndShortcutColumn)
{
    struct Case {
        const char* resource;
        const char* qt;
    };
    const Case cases[] = {
        {"Open\tCtrl+O(&O)", "&Open\tCtrl+O"},
        {"Save as \tCtrl+S(&S)", "&Save as \tCtrl+S"},
        {"Export Data", "Export Data"},
        {"Clean Data(C)", "Clean Data(C)"},
        {"Com2(&O)", "C&om2"},
        {"Com4(&4)", "Com&4"},
        {"Setup(&U)", "Set&up"},
        {"Exit(&X)", "E&xit"},
        {"About LX47(&A)...", "&About LX47..."},
        {"Rock & Roll(&Z)", "Rock && Roll(&Z)"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QtMenuText(c.resource), QString::fromLatin1(c.qt)) << c.resource;

    const ResourceMenuText open = SplitResourceText("Open\tCtrl+O(&O)");
    EXPECT_EQ(open.label, QStringLiteral("Open"));
    EXPECT_EQ(open.shortcut, QStringLiteral("Ctrl+O"));
    EXPECT_EQ(open.mnemonic, QLatin1Char('O'));
    EXPECT_TRUE(SplitResourceText("Line(L)").mnemonic.isNull());
}

TEST(CommandTable, PromptsAndTheToolbarStrip)
{
    EXPECT_EQ(CommandPrompt(32792), QStringLiteral("Open DataLogger"));
    EXPECT_EQ(CommandPrompt(32784), QStringLiteral("Run DataLogger"));
    EXPECT_TRUE(CommandPrompt(32799).isEmpty());
    EXPECT_TRUE(CommandPrompt(0).isEmpty());
    // Every image of the strip is used once, in order.
    int next = 0;
    for (const ToolbarButton& button : ToolbarTable()) {
        if (button.id != 0) {
            EXPECT_EQ(button.image, next++);
        }
    }
    EXPECT_EQ(next, kToolbarImageCount);
}

TEST(StartupOptions, PortAndDocumentAndErrors)
{
    const QString exe = QStringLiteral("vexalog");
    EXPECT_EQ(ParseStartupOptions({exe}).port, 0);
    EXPECT_TRUE(ParseStartupOptions({exe}).error.isEmpty());
    EXPECT_EQ(ParseStartupOptions({exe, QStringLiteral("--port"), QStringLiteral("12")}).port, 12);
    EXPECT_EQ(ParseStartupOptions({exe, QStringLiteral("--port=100")}).port, 100);
    EXPECT_EQ(ParseStartupOptions({exe, QStringLiteral("--port=1")}).port, 1);
    for (const char* bad : {"0", "101", "abc", "-3", ""}) {
        const StartupOptions options =
            ParseStartupOptions({exe, QStringLiteral("--port"), QString::fromLatin1(bad)});
        EXPECT_FALSE(options.error.isEmpty()) << bad;
        EXPECT_EQ(options.port, 0) << bad;
    }
    EXPECT_FALSE(ParseStartupOptions({exe, QStringLiteral("--port")}).error.isEmpty());
    EXPECT_FALSE(ParseStartupOptions({exe, QStringLiteral("--bogus")}).error.isEmpty());
    EXPECT_EQ(ParseStartupOptions({exe, QStringLiteral("data.txt")}).document, QStringLiteral("data.txt"));
    EXPECT_FALSE(ParseStartupOptions({exe, QStringLiteral("a"), QStringLiteral("b")}).error.isEmpty());
    const StartupOptions help = ParseStartupOptions({exe, QStringLiteral("--help")});
    EXPECT_TRUE(help.exitNow);
    EXPECT_TRUE(help.message.contains(QStringLiteral("--port")));
}

TEST(RecentFileList, KeepsFourNewestWithoutDuplicatesAndRoundTrips)
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("profile.ini")), QSettings::IniFormat);
    CRecentFileList list(4);
    for (const char* path : {"a", "b", "c", "d", "e", "c"})
        list.Add(QString::fromLatin1(path));
    list.Add(QString());
    EXPECT_EQ(list.Files(), (QStringList{"c", "e", "d", "b"}));
    list.Save(settings);

    CRecentFileList again(4);
    again.Load(settings);
    EXPECT_EQ(again.Files(), list.Files());
    EXPECT_EQ(settings.value(QStringLiteral("Recent File List/File1")).toString(), QStringLiteral("c"));

    // A shorter list removes the entries it no longer has.
    CRecentFileList shorter(4);
    shorter.Add(QStringLiteral("z"));
    shorter.Save(settings);
    EXPECT_FALSE(settings.contains(QStringLiteral("Recent File List/File2")));
}

TEST(AboutBox, TitleTextsAndPositionsInDialogUnits)
{
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Help LX47"));
    EXPECT_EQ(about.size(), DialogRect(0, 0, 235, 55).size());
    EXPECT_EQ(about.font().family(), QStringLiteral("MS Shell Dlg"));
    EXPECT_EQ(about.font().pointSize(), 9);
    EXPECT_EQ(about.IconLabel()->pos(), DialogRect(11, 17, 0, 0).topLeft());
    EXPECT_FALSE(about.IconLabel()->pixmap().isNull());
    EXPECT_EQ(about.VersionLabel()->text(), QStringLiteral("LX47 Version 1.0"));
    EXPECT_EQ(about.VersionLabel()->pos(), DialogRect(40, 10, 0, 0).topLeft());
    EXPECT_EQ(about.OkButton()->text(), QStringLiteral("OK"));
    EXPECT_EQ(about.OkButton()->objectName(), QStringLiteral("1"));
    EXPECT_EQ(about.OkButton()->geometry(), DialogRect(178, 7, 50, 16));
    EXPECT_TRUE(about.isModal());

    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    about.OkButton()->click();
    EXPECT_EQ(about.result(), QDialog::Accepted);
    EXPECT_FALSE(about.isVisible());
}

TEST(HelpWindow, OpensAtIntroductionAndFollowsLinks)
{
    ASSERT_TRUE(QFile::exists(QStringLiteral(":/help/Introduction.html")));
    EXPECT_EQ(CHelpBrowser::TopicPath(QStringLiteral("Introduction.htm")), QStringLiteral(":/help/Introduction.html"));
    EXPECT_TRUE(CHelpBrowser::TopicPath(QStringLiteral("NoSuchPage.htm")).isEmpty());
    EXPECT_TRUE(CHelpBrowser::TopicPath(QStringLiteral("../etc/passwd")).isEmpty());

    CHelpWindow help;
    help.ShowTopic(QStringLiteral("Introduction.htm"));
    EXPECT_TRUE(help.isVisible());
    EXPECT_EQ(help.CurrentPage(), QStringLiteral(":/help/Introduction.html"));
    const QString text = help.Browser()->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("LX47")));
    EXPECT_FALSE(text.contains(QStringLiteral("could not be found")));

    // Every page the contents link to exists.
    const QString html = help.Browser()->toHtml();
    for (const char* page : {"Connecting.html", "MeterPanel.html", "RealTimeMonitoring.html", "RealTimeGraph.html",
                             "SetupDialog.html", "SavingData.html", "ExportingData.html", "SimulatedMeter.html",
                             "DataLogger.html", "DataLoggerGraph.html", "NoiseIndicators.html", "Printing.html",
                             "CommandLine.html"}) {
        EXPECT_TRUE(html.contains(QString::fromLatin1(page))) << page;
        EXPECT_FALSE(CHelpBrowser::TopicPath(QString::fromLatin1(page)).isEmpty()) << page;
    }
    help.Browser()->setSource(QUrl(QStringLiteral("SetupDialog.html")));
    EXPECT_TRUE(help.Browser()->toPlainText().contains(QStringLiteral("Real-Time Setup")));
    help.Browser()->backward();
    EXPECT_EQ(help.CurrentPage(), QStringLiteral(":/help/Introduction.html"));

    help.ShowTopic(QStringLiteral("Missing.htm"));
    EXPECT_TRUE(help.Browser()->toPlainText().contains(QStringLiteral("could not be found")));
}

// Help tells what the program does today: a feature that is not built yet
// is not described. Each later piece of work that builds one brings the
// pages up to date with it, and this test then lets its words through.
TEST(HelpWindow, PagesDescribeNoFeatureTheProgramDoesNotHave)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    CScriptedDialogs dialogs;
    CVexalogView::Options options;
    options.iniPath = folder.filePath(QStringLiteral("TempPort.ini")).toStdString();
    CVexalogView view(dialogs, options);
    const bool plotted = dynamic_cast<CTrafficButton*>(view.Control(1011)) != nullptr;
    const struct {
        bool built;
        std::vector<const char*> words;
    } features[] = {
        {plotted, {"cursor", "zoom", "histogram"}},
        {view.HandlesCommand(CommandId::Print), {"print"}},
        {view.HandlesCommand(CommandId::ExportData), {"export", ".xls"}},
        {view.HandlesCommand(CommandId::Open), {"import", "ctrl+o"}},
        {view.HandlesCommand(CommandId::DataLogger), {"download", "datalogger window"}},
        {view.HandlesCommand(CommandId::NoiseIndicators), {"noise indicators"}},
    };
    const QStringList pages = QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")});
    ASSERT_GE(pages.size(), 6);
    for (const QString& page : pages) {
        QFile file(QStringLiteral(":/help/") + page);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QTextDocument document;
        document.setHtml(QString::fromUtf8(file.readAll()));
        const QString text = document.toPlainText().toLower();
        for (const auto& feature : features) {
            for (const char* word : feature.words)
                EXPECT_TRUE(feature.built || !text.contains(QString::fromLatin1(word)))
                    << page.toStdString() << " describes \"" << word << "\", which the program does not have yet";
        }
    }
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
        QSettings::setDefaultFormat(QSettings::NativeFormat);
        CVexalogApp::SetApplicationNames();
    }
    void TearDown() override
    {
        QCoreApplication::setOrganizationName(QString());
        QCoreApplication::setApplicationName(QString());
    }

    QTemporaryDir dir;
    CScriptedDialogs dialogs;
    CFakeCommandTarget view{ViewCommands()};
};

TEST_F(AppTest, StartUpMakesTheFrameWithTheViewTitledLX47)
{
    EXPECT_EQ(QCoreApplication::organizationName(), QStringLiteral("LX47 Application"));
    CVexalogApp app(&dialogs);
    IDialogSeam* seenSeam = nullptr;
    QWidget* viewWidget = nullptr;
    ASSERT_TRUE(app.InitInstance([&](IDialogSeam& seam, QWidget* parent) {
        seenSeam = &seam;
        viewWidget = new QWidget(parent);
        return CVexalogApp::ViewParts{viewWidget, &view};
    }));
    CMainFrame* frame = app.MainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(seenSeam, &dialogs);
    EXPECT_EQ(frame->View(), viewWidget);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("LX47"));

    // Commands reach the view through the frame.
    frame->MenuAction(32780)->trigger();
    EXPECT_EQ(view.Received(), std::vector<int>{32780});
    // The document commands do nothing visible and leave the title alone.
    EXPECT_TRUE(frame->RunCommand(57600));
    EXPECT_TRUE(frame->RunCommand(57601));
    EXPECT_TRUE(frame->RunCommand(57603));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("LX47"));
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_TRUE(dialogs.FileRequests().empty());
}

TEST_F(AppTest, HelpContentsOpensTheIntroductionInItsOwnWindow)
{
    CVexalogApp app(&dialogs);
    ASSERT_TRUE(app.InitInstance({}, false));
    EXPECT_EQ(app.HelpWindow(), nullptr);
    app.MainFrame()->RunCommand(32798);
    ASSERT_NE(app.HelpWindow(), nullptr);
    EXPECT_TRUE(app.HelpWindow()->isVisible());
    EXPECT_TRUE(app.HelpWindow()->isWindow());
    EXPECT_EQ(app.HelpWindow()->parentWidget(), nullptr);
    EXPECT_EQ(app.HelpWindow()->CurrentPage(), QStringLiteral(":/help/Introduction.html"));

    // Closing the main window closes help with it.
    app.MainFrame()->close();
    EXPECT_FALSE(app.HelpWindow()->isVisible());
}

TEST_F(AppTest, RecentFileListLivesInTheProfile)
{
    {
        QSettings settings;
        settings.setValue(QStringLiteral("Recent File List/File1"), QStringLiteral("/data/one.txt"));
        settings.setValue(QStringLiteral("Recent File List/File5"), QStringLiteral("/data/five.txt"));
    }
    CVexalogApp app(&dialogs);
    ASSERT_TRUE(app.InitInstance({}, false));
    EXPECT_EQ(app.RecentFiles().Size(), 4);
    EXPECT_EQ(app.RecentFiles().Files(), QStringList{QStringLiteral("/data/one.txt")});
}

TEST(QtDialogs, FileRequestsBecomeDialogSettings)
{
    FileDialogRequest request;
    request.filter = "Data File(*.txt)";
    request.initialName = "*.txt";
    request.defaultExtension = "txt";
    request.promptOverwrite = true;

    QFileDialog save;
    CQtDialogs::ConfigureFileDialog(save, request, true);
    EXPECT_EQ(save.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(save.nameFilters(), QStringList{QStringLiteral("Data File(*.txt)")});
    EXPECT_EQ(save.defaultSuffix(), QStringLiteral("txt"));
    EXPECT_FALSE(save.testOption(QFileDialog::DontConfirmOverwrite));
    // The name field starts with the filter's pattern, as a user sees it.
    save.setOption(QFileDialog::DontUseNativeDialog);
    save.show();
    const auto* name = save.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), QStringLiteral("*.txt"));
    save.hide();

    request.promptOverwrite = false;
    request.initialName = "export.xls";
    QFileDialog quiet;
    CQtDialogs::ConfigureFileDialog(quiet, request, true);
    EXPECT_TRUE(quiet.testOption(QFileDialog::DontConfirmOverwrite));

    QFileDialog open;
    CQtDialogs::ConfigureFileDialog(open, request, false);
    EXPECT_EQ(open.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(open.fileMode(), QFileDialog::ExistingFile);

    EXPECT_EQ(CQtDialogs::QtIcon(MsgIcon::Warning), QMessageBox::Warning);
    EXPECT_EQ(CQtDialogs::QtIcon(MsgIcon::Error), QMessageBox::Critical);
    EXPECT_EQ(CQtDialogs::QtIcon(MsgIcon::None), QMessageBox::NoIcon);

    CQtDialogs seam;
    seam.SetParentWindow(nullptr);
}

} // namespace

TEST(QtDialogs, AMessageBoxBelongsToTheWindowTheUserWorksInElseToTheMainWindow)
{
    QWidget main;
    QWidget other;
    CQtDialogs seam(&main);
    // What the box belongs to, read while it is up, then it is answered.
    const auto ownerOfNextBox = [&] {
        QWidget* owner = nullptr;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                owner = box->parentWidget();
                box->close();
            }
        });
        poll.start(20);
        ShowMessage(seam, "Written.", MsgIcon::Information);
        return owner;
    };
    EXPECT_EQ(ownerOfNextBox(), &main) << "no window of the program is active";
    for (QWidget* window : {&main, &other}) {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        EXPECT_EQ(seam.DialogParent(), window);
        EXPECT_EQ(ownerOfNextBox(), window);
    }
}
