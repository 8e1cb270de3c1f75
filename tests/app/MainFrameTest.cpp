// The main frame built for real: its menu bar, toolbar, accelerators and
// status bar read back and checked against the command table of the program.
#include "app/CMainFrame.h"
#include "res/PanelBitmaps.h"
#include "tests/app/FakeCommandTarget.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

namespace {

struct ExpectedItem {
    int id; // 0: separator
    const char* label;
    const char* shortcut;
    char mnemonic; // 0: none
    const char* prompt;
};

struct ExpectedMenu {
    const char* label;
    char mnemonic;
    int id; // a command on the menu bar itself
    std::vector<ExpectedItem> items;
};

const std::vector<ExpectedMenu>& Expected()
{
    static const std::vector<ExpectedMenu> menus = {
        {"File", 'F', 0,
         {{32792, "Open", "Ctrl+O", 'O', "Open DataLogger"},
          {32778, "Export Data", "", 0, "Export Data"},
          {1033, "Save as ", "Ctrl+S", 'S', "Save Data"},
          {32797, "Print", "", 'P', "Print Real-Time Graph"},
          {32800, "Report\u2026", "", 0, "Print a Measurement Report of the Recording"},
          {0, "", "", 0, ""},
          {0, "", "", 0, ""},
          {57665, "Exit", "", 'X', "Exit Application"}}},
        {"Real Time", 'R', 0,
         {{32780, "Run", "", 'R', "Run Real Time Monitoring"},
          {32781, "Stop", "", 'S', "Stop Real Time Monitoring"},
          {32782, "Setup", "", 'U', "Setting Real Time Parameter"},
          {32783, "Clean Data(C)", "", 0, "Clean Real Time Data"}}},
        {"DataLogger", 'D', 32784, {}},
        {"Graph", 'G', 0,
         {{32771, "Histogram", "", 'H', "Histogram"}, {32772, "Line(L)", "", 0, "Line"}}},
        {"Com Port", 'C', 0,
         {{32786, "Com1", "", 'C', "Port1"},
          {32787, "Com2", "", 'O', "Port2"},
          {32788, "Com3", "", 'M', "Port3"},
          {32789, "Com4", "", '4', "Port4"},
          {32790, "Com5", "", '5', "Port5"},
          {32799, "Other", "", 'O', ""}}},
        {"View", 'V', 0,
         {{59392, "ToolBar", "", 'T', "Show or Hide ToolBar"},
          {59393, "StatusBar", "", 'S', "Show or Hide StatusBar"},
          {32802, "Noise Indicators", "", 'N', "Show or Hide the Noise Indicators"}}},
        {"Help", 'H', 0,
         {{32798, "Contents", "", 'C', "Help"}, {57664, "About LX47...", "", 'A', "Show Copyright"}}},
    };
    return menus;
}

// A Qt menu text taken apart: what it shows, the shortcut column and the
// underlined letter.
struct ShownText {
    QString label;
    QString shortcut;
    QChar mnemonic;
};

ShownText Shown(const QString& text)
{
    ShownText shown;
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    const QString label = tab < 0 ? text : text.left(tab);
    shown.shortcut = tab < 0 ? QString() : text.mid(tab + 1);
    for (qsizetype i = 0; i < label.size(); ++i) {
        if (label.at(i) == QLatin1Char('&') && i + 1 < label.size()) {
            ++i;
            if (label.at(i) != QLatin1Char('&') && shown.mnemonic.isNull())
                shown.mnemonic = label.at(i);
        }
        shown.label += label.at(i);
    }
    return shown;
}

// The application's commands as the frame sees them once the app is attached.
class CFakeApp final : public ICommandTarget {
public:
    bool HandlesCommand(int id) const override
    {
        return id == 57664 || id == 32798 || id == 57600 || id == 57601 || id == 57603;
    }
    bool IsCommandEnabled(int) const override { return true; }
    bool IsCommandMarked(int) const override { return false; }
    void OnCommand(int id) override { received.push_back(id); }
    std::vector<int> received;
};

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame = std::make_unique<CMainFrame>();
        frame->SetView(new QWidget, &view);
        frame->SetAppCommands(&app);
    }

    QToolButton* ButtonOf(int id) const
    {
        return qobject_cast<QToolButton*>(frame->ToolBar()->widgetForAction(frame->ToolbarAction(id)));
    }

    CFakeCommandTarget view{ViewCommands()};
    CFakeApp app;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(MainFrameTest, MenuBarHoldsTheMenusInOrderWithTextsPromptsAndSeparators)
{
    const QList<QAction*> top = frame->menuBar()->actions();
    ASSERT_EQ(top.size(), static_cast<qsizetype>(Expected().size()));
    for (std::size_t m = 0; m < Expected().size(); ++m) {
        const ExpectedMenu& menu = Expected()[m];
        QAction* topAction = top[static_cast<qsizetype>(m)];
        const ShownText title = Shown(topAction->text());
        SCOPED_TRACE(menu.label);
        EXPECT_EQ(title.label, QString::fromLatin1(menu.label));
        EXPECT_EQ(title.mnemonic, QChar::fromLatin1(menu.mnemonic));
        if (menu.id != 0) {
            EXPECT_EQ(topAction->menu(), nullptr);
            EXPECT_EQ(topAction->data().toInt(), menu.id);
            EXPECT_EQ(topAction->statusTip(), QStringLiteral("Run DataLogger"));
            continue;
        }
        ASSERT_NE(topAction->menu(), nullptr);
        const QList<QAction*> items = topAction->menu()->actions();
        ASSERT_EQ(items.size(), static_cast<qsizetype>(menu.items.size()));
        for (std::size_t i = 0; i < menu.items.size(); ++i) {
            const ExpectedItem& want = menu.items[i];
            QAction* item = items[static_cast<qsizetype>(i)];
            SCOPED_TRACE(want.id);
            if (want.id == 0) {
                EXPECT_TRUE(item->isSeparator());
                continue;
            }
            ASSERT_FALSE(item->isSeparator());
            const ShownText text = Shown(item->text());
            EXPECT_EQ(item->data().toInt(), want.id);
            EXPECT_EQ(text.label, QString::fromUtf8(want.label));
            EXPECT_EQ(text.shortcut, QString::fromLatin1(want.shortcut));
            EXPECT_EQ(text.mnemonic.toUpper(), want.mnemonic ? QChar::fromLatin1(want.mnemonic) : QChar());
            EXPECT_EQ(item->statusTip(), QString::fromLatin1(want.prompt));
            // Shortcut texts are only shown: Ctrl+O and Ctrl+S belong to the
            // document commands.
            EXPECT_TRUE(item->shortcut().isEmpty());
            EXPECT_EQ(frame->MenuAction(want.id), item);
        }
    }
}

TEST_F(MainFrameTest, ToolbarHoldsTheButtonsInOrderWithoutTooltips)
{
    const std::vector<int> order = {32792, 1033, 32778, 0, 32780, 32781, 32797, 0, 32798, 32775, 32793, 32794};
    const QList<QAction*> actions = frame->ToolBar()->actions();
    ASSERT_EQ(actions.size(), static_cast<qsizetype>(order.size()));
    for (std::size_t i = 0; i < order.size(); ++i) {
        QAction* action = actions[static_cast<qsizetype>(i)];
        SCOPED_TRACE(order[i]);
        if (order[i] == 0) {
            EXPECT_TRUE(action->isSeparator());
            continue;
        }
        EXPECT_EQ(action->data().toInt(), order[i]);
        EXPECT_FALSE(action->icon().isNull());
        EXPECT_EQ(action->icon().availableSizes().value(0), QSize(16, 15));
        QToolButton* button = ButtonOf(order[i]);
        ASSERT_NE(button, nullptr);
        EXPECT_TRUE(button->toolTip().isEmpty());
        // The same prompt as the menu item; the three unhandled buttons have none.
        if (QAction* item = frame->MenuAction(order[i]))
            EXPECT_EQ(action->statusTip(), item->statusTip());
        else
            EXPECT_TRUE(action->statusTip().isEmpty());
    }
    EXPECT_EQ(frame->ToolBar()->iconSize(), QSize(16, 15));

    // The buttons show the strip's images in order.
    int image = 0;
    for (int id : order) {
        if (id == 0)
            continue;
        const QImage shown = frame->ToolbarAction(id)->icon().pixmap(QSize(16, 15)).toImage().convertToFormat(
            QImage::Format_ARGB32);
        const QImage want = LoadToolbarImage(image++).convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(want.isNull());
        EXPECT_EQ(shown, want) << id;
    }
}

TEST_F(MainFrameTest, ToolbarIsMovableFloatableDockableEverywhereAndStartsAtTheTop)
{
    QToolBar* bar = frame->ToolBar();
    EXPECT_TRUE(bar->isMovable());
    EXPECT_TRUE(bar->isFloatable());
    EXPECT_EQ(bar->allowedAreas(), Qt::AllToolBarAreas);
    EXPECT_EQ(frame->toolBarArea(bar), Qt::TopToolBarArea);
    frame->addToolBar(Qt::LeftToolBarArea, bar);
    EXPECT_EQ(frame->toolBarArea(bar), Qt::LeftToolBarArea);
}

TEST_F(MainFrameTest, CtrlOAndCtrlSRunOpenAndSaveAsAsTheMenuShowsTheOtherKeysTheFrameworkCommands)
{
    const std::vector<std::pair<QKeySequence, int>> keys = {
        {QKeySequence(Qt::CTRL | Qt::Key_N), 57600},       {QKeySequence(Qt::CTRL | Qt::Key_O), 32792},
        {QKeySequence(Qt::CTRL | Qt::Key_S), 1033},        {QKeySequence(Qt::CTRL | Qt::Key_Z), 57643},
        {QKeySequence(Qt::ALT | Qt::Key_Backspace), 57643}, {QKeySequence(Qt::CTRL | Qt::Key_X), 57635},
        {QKeySequence(Qt::SHIFT | Qt::Key_Delete), 57635}, {QKeySequence(Qt::CTRL | Qt::Key_C), 57634},
        {QKeySequence(Qt::CTRL | Qt::Key_Insert), 57634},  {QKeySequence(Qt::CTRL | Qt::Key_V), 57637},
        {QKeySequence(Qt::SHIFT | Qt::Key_Insert), 57637}, {QKeySequence(Qt::Key_F6), 57680},
        {QKeySequence(Qt::SHIFT | Qt::Key_F6), 57681},
    };
    int bound = 0;
    for (QAction* action : frame->findChildren<QAction*>()) {
        for (const QKeySequence& key : action->shortcuts()) {
            ++bound;
            const auto it = std::find_if(keys.begin(), keys.end(), [&](const auto& k) { return k.first == key; });
            ASSERT_NE(it, keys.end()) << key.toString().toStdString();
            EXPECT_EQ(action->data().toInt(), it->second) << key.toString().toStdString();
        }
    }
    EXPECT_EQ(bound, static_cast<int>(keys.size()));

    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    QTest::keyClick(frame.get(), Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(frame.get(), Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(frame.get(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(view.Received(), (std::vector<int>{32792, 1033}));
    EXPECT_EQ(app.received, (std::vector<int>{57600}));
    // An Open that cannot be used (as long as the view has none) leaves Ctrl+O doing nothing.
    view.SetEnabled(32792, false);
    QTest::keyClick(frame.get(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(view.Received().size(), 2u);
    // Nobody handles the edit and pane commands: their keys do nothing.
    QTest::keyClick(frame.get(), Qt::Key_F6);
    QTest::keyClick(frame.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(app.received.size(), 1u);
    EXPECT_FALSE(frame->IsCommandEnabled(57680));
    EXPECT_FALSE(frame->IsCommandEnabled(57643));
}

TEST_F(MainFrameTest, EnableStatesReachMenuAndToolbarAndDisabledCommandsAreIgnored)
{
    // Not running: Stop disabled, Run and Setup enabled; print not allowed.
    view.SetEnabled(32781, false);
    view.SetEnabled(32797, false);
    view.SetEnabled(32784, false);
    frame->UpdateCommandUi();
    frame->UpdateMenu(frame->PopupMenu(0));
    frame->UpdateMenu(frame->PopupMenu(1));
    EXPECT_FALSE(frame->ToolbarAction(32781)->isEnabled());
    EXPECT_FALSE(frame->MenuAction(32781)->isEnabled());
    EXPECT_TRUE(frame->ToolbarAction(32780)->isEnabled());
    EXPECT_TRUE(frame->MenuAction(32782)->isEnabled());
    EXPECT_FALSE(frame->ToolbarAction(32797)->isEnabled());
    EXPECT_FALSE(frame->MenuAction(32797)->isEnabled());
    EXPECT_FALSE(frame->MenuAction(32784)->isEnabled()); // on the menu bar, idle-updated

    // Running: the other way round.
    view.SetEnabled(32781, true);
    view.SetEnabled(32780, false);
    view.SetEnabled(32782, false);
    view.SetEnabled(32797, true);
    view.SetEnabled(32784, true);
    frame->UpdateCommandUi();
    EXPECT_TRUE(frame->ToolbarAction(32781)->isEnabled());
    EXPECT_FALSE(frame->ToolbarAction(32780)->isEnabled());
    EXPECT_TRUE(frame->ToolbarAction(32797)->isEnabled());
    EXPECT_TRUE(frame->MenuAction(32784)->isEnabled());
    // A menu is brought up to date when it opens.
    EXPECT_TRUE(frame->MenuAction(32780)->isEnabled());
    emit frame->PopupMenu(1)->aboutToShow();
    EXPECT_FALSE(frame->MenuAction(32780)->isEnabled());
    EXPECT_FALSE(frame->MenuAction(32782)->isEnabled());

    // A command that became disabled since the last update does not run.
    EXPECT_FALSE(frame->RunCommand(32780));
    frame->MenuAction(32780)->setEnabled(true);
    frame->MenuAction(32780)->trigger();
    frame->ToolbarAction(32781)->trigger();
    EXPECT_EQ(view.Received(), std::vector<int>{32781});
}

TEST_F(MainFrameTest, IdleTimerUpdatesTheToolbar)
{
    view.SetEnabled(32781, false);
    EXPECT_TRUE(frame->ToolbarAction(32781)->isEnabled());
    // Nothing but the frame's own timer updates it while the loop runs.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frame->ToolbarAction(32781)->isEnabled(); }, 10000));
}

TEST_F(MainFrameTest, UnhandledToolbarButtonsAreAlwaysDisabled)
{
    for (int id : {32775, 32793, 32794}) {
        frame->UpdateCommandUi();
        EXPECT_FALSE(frame->ToolbarAction(id)->isEnabled()) << id;
        EXPECT_FALSE(frame->RunCommand(id));
    }
    // Without any view the view's commands are disabled too, the frame's and
    // the application's are not.
    CMainFrame bare;
    bare.SetAppCommands(&app);
    bare.UpdateCommandUi();
    EXPECT_FALSE(bare.ToolbarAction(32780)->isEnabled());
    EXPECT_TRUE(bare.ToolbarAction(32798)->isEnabled());
    EXPECT_TRUE(bare.IsCommandEnabled(57665));
    EXPECT_TRUE(bare.IsCommandEnabled(59392));
}

TEST_F(MainFrameTest, PortItemsShowExclusiveRadioMarksFromTheView)
{
    QActionGroup* group = frame->MenuAction(32786)->actionGroup();
    ASSERT_NE(group, nullptr);
    EXPECT_TRUE(group->isExclusive());
    for (int id = 32786; id <= 32790; ++id) {
        EXPECT_TRUE(frame->MenuAction(id)->isCheckable());
        EXPECT_EQ(frame->MenuAction(id)->actionGroup(), group);
    }
    EXPECT_FALSE(frame->MenuAction(32799)->isCheckable());

    view.SetMarked(32788, true);
    frame->UpdateMenu(frame->PopupMenu(3));
    for (int id = 32786; id <= 32790; ++id)
        EXPECT_EQ(frame->MenuAction(id)->isChecked(), id == 32788) << id;

    // The view clears every mark ("Other"): no item stays marked.
    view.SetMarked(32788, false);
    frame->UpdateMenu(frame->PopupMenu(3));
    for (int id = 32786; id <= 32790; ++id)
        EXPECT_FALSE(frame->MenuAction(id)->isChecked()) << id;

    // Choosing an item shows the view's mark afterwards, not just Qt's toggle.
    frame->MenuAction(32787)->trigger();
    EXPECT_EQ(view.Received().back(), 32787);
    EXPECT_FALSE(frame->MenuAction(32787)->isChecked());
    view.SetMarked(32787, true);
    frame->MenuAction(32787)->trigger();
    EXPECT_TRUE(frame->MenuAction(32787)->isChecked());
}

TEST_F(MainFrameTest, PortItemsTakeTheirPromptFromTheViewWhenTheMenuOpens)
{
    view.SetPrompt(32786, "Port1: /dev/ttyUSB0 (present)");
    view.SetPrompt(32799, "Another port by number, 1 to 100");
    emit frame->PopupMenu(3)->aboutToShow();
    EXPECT_EQ(frame->MenuAction(32786)->statusTip(), QStringLiteral("Port1: /dev/ttyUSB0 (present)"));
    EXPECT_EQ(frame->MenuAction(32787)->statusTip(), QStringLiteral("Port2"));
    EXPECT_EQ(frame->MenuAction(32799)->statusTip(), QStringLiteral("Another port by number, 1 to 100"));
    frame->MenuAction(32786)->showStatusText(frame.get());
    EXPECT_EQ(frame->statusBar()->currentMessage(), QStringLiteral("Port1: /dev/ttyUSB0 (present)"));

    // The adapter goes: the next opening of the menu says so; no prompt of
    // the view's leaves the table's.
    view.SetPrompt(32786, "Port1: /dev/ttyUSB0 (not present)");
    view.SetPrompt(32799, "");
    emit frame->PopupMenu(3)->aboutToShow();
    EXPECT_EQ(frame->MenuAction(32786)->statusTip(), QStringLiteral("Port1: /dev/ttyUSB0 (not present)"));
    EXPECT_TRUE(frame->MenuAction(32799)->statusTip().isEmpty());
}

TEST_F(MainFrameTest, ViewTogglesShowAndHideTheBarsWithCheckMarks)
{
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    QAction* toolbarItem = frame->MenuAction(59392);
    QAction* statusItem = frame->MenuAction(59393);
    frame->UpdateMenu(frame->PopupMenu(4));
    EXPECT_TRUE(toolbarItem->isChecked());
    EXPECT_TRUE(statusItem->isChecked());

    toolbarItem->trigger();
    EXPECT_FALSE(frame->ToolBar()->isVisible());
    emit frame->PopupMenu(4)->aboutToShow();
    EXPECT_FALSE(toolbarItem->isChecked());

    // Prompts still reach the status bar with the toolbar hidden.
    frame->MenuAction(32780)->showStatusText(frame->menuBar());
    EXPECT_EQ(frame->statusBar()->currentMessage(), QStringLiteral("Run Real Time Monitoring"));

    statusItem->trigger();
    EXPECT_FALSE(frame->statusBar()->isVisible());
    emit frame->PopupMenu(4)->aboutToShow();
    EXPECT_FALSE(statusItem->isChecked());

    toolbarItem->trigger();
    statusItem->trigger();
    emit frame->PopupMenu(4)->aboutToShow();
    EXPECT_TRUE(frame->ToolBar()->isVisible());
    EXPECT_TRUE(frame->statusBar()->isVisible());
    EXPECT_TRUE(toolbarItem->isChecked());
    EXPECT_TRUE(statusItem->isChecked());
}

TEST_F(MainFrameTest, HighlightedMenuItemsAndHoveredButtonsShowTheirPrompt)
{
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    EXPECT_TRUE(frame->statusBar()->currentMessage().isEmpty());
    EXPECT_EQ(frame->MessagePane()->text(), QStringLiteral("Ready"));
    EXPECT_TRUE(frame->MessagePane()->isVisible());

    // Highlight "Setup" in an open Real Time menu.
    QMenu* realTime = frame->PopupMenu(1);
    frame->menuBar()->setActiveAction(realTime->menuAction());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(realTime));
    realTime->setActiveAction(frame->MenuAction(32782));
    EXPECT_EQ(frame->statusBar()->currentMessage(), QStringLiteral("Setting Real Time Parameter"));
    realTime->close();

    QToolButton* run = ButtonOf(32797);
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(run, &enter);
    EXPECT_EQ(frame->statusBar()->currentMessage(), QStringLiteral("Print Real-Time Graph"));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(run, &leave);
    EXPECT_TRUE(frame->statusBar()->currentMessage().isEmpty());
    EXPECT_TRUE(frame->MessagePane()->isVisible());
}

TEST_F(MainFrameTest, ExitClosesTheFrame)
{
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    bool closing = false;
    QObject::connect(frame.get(), &CMainFrame::Closing, [&] { closing = true; });
    frame->MenuAction(57665)->trigger();
    EXPECT_TRUE(closing);
    EXPECT_FALSE(frame->isVisible());
}

TEST_F(MainFrameTest, ApplicationCommandsGoToTheApplication)
{
    frame->MenuAction(57664)->setEnabled(true);
    frame->RunCommand(32798);
    frame->RunCommand(57664);
    EXPECT_EQ(app.received, (std::vector<int>{32798, 57664}));
}

} // namespace
