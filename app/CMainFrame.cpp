#include "app/CMainFrame.h"

#include "app/CommandTable.h"
#include "app/ToolbarStrip.h"
#include "common/CommandTarget.h"
#include "graph/widgets/WindowPlace.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <algorithm>

namespace {

// The idle text of the message pane.
const char* const kIdleText = "Ready";

// The window's place in the program's settings.
const char* const kPlaceKey = "Main";

int CommandOf(const QAction* action)
{
    return action->data().toInt();
}

} // namespace

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent)
    , m_lockKeys(PlatformLockKey)
{
    setWindowTitle(QStringLiteral("Vexalog"));
    setWindowIcon(QIcon(ApplicationIconPixmap()));
    BuildMenus();
    BuildToolBar();
    BuildStatusBar();
    BuildAccelerators();
    setDockOptions(dockOptions() | QMainWindow::AnimatedDocks);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        ApplyInitialSize(screen->size(), screen->availableGeometry().size());
    // Inside the screen's available area, title bar and all, or where the
    // user left it last time.
    PlaceOnScreen(*this, QSize(kFixedWidth, kFixedHeight), QString::fromLatin1(kPlaceKey));

    m_idleTimer = new QTimer(this);
    m_idleTimer->setInterval(kIdleUpdateMs);
    connect(m_idleTimer, &QTimer::timeout, this, &CMainFrame::UpdateCommandUi);
    m_idleTimer->start();
    UpdateCommandUi();
}

CMainFrame::~CMainFrame()
{
    // The view dies with the frame's children: ask it nothing from here on.
    m_idleTimer->stop();
    // The view is destroyed after this class's part of the frame: its
    // destroyed signal must not reach a half-destroyed frame.
    QObject::disconnect(m_viewDestroyed);
    m_view = nullptr;
    m_app = nullptr;
}

void CMainFrame::BuildMenus()
{
    QMenuBar* bar = menuBar();
    for (const TopMenu& top : MainMenuTable()) {
        if (top.id != 0) {
            QAction* action = bar->addAction(QtMenuText(top.text));
            action->setData(top.id);
            action->setObjectName(QString::number(top.id));
            action->setStatusTip(top.prompt ? QString::fromLatin1(top.prompt) : QString());
            connect(action, &QAction::triggered, this, [this, id = top.id] { RunCommand(id); });
            m_menuActions[top.id] = action;
            m_menuBarCommands.push_back(action);
            continue;
        }
        QMenu* menu = bar->addMenu(QtMenuText(top.text));
        menu->setToolTipsVisible(false);
        m_popups.push_back(menu);
        QActionGroup* radios = nullptr;
        for (const MenuEntry& entry : top.entries) {
            if (entry.id == 0) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(QtMenuText(entry.text));
            action->setData(entry.id);
            action->setObjectName(QString::number(entry.id));
            action->setStatusTip(entry.prompt ? QString::fromLatin1(entry.prompt) : QString());
            // The View toggles show a check mark while what they show is shown.
            if (entry.check)
                action->setCheckable(true);
            if (entry.radio) {
                if (!radios) {
                    radios = new QActionGroup(menu);
                    // Marks come from the view, which may clear them all.
                    radios->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
                }
                action->setCheckable(true);
                radios->addAction(action);
            }
            connect(action, &QAction::triggered, this, [this, id = entry.id] { RunCommand(id); });
            m_menuActions[entry.id] = action;
        }
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateMenu(menu); });
    }
}

void CMainFrame::BuildToolBar()
{
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("59392"));
    m_toolBar->setMovable(true);
    m_toolBar->setFloatable(true);
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_toolBar->setIconSize(QSize(kToolbarImageWidth, kToolbarImageHeight));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const QPixmap strip = ToolbarStripPixmap();
    for (const ToolbarButton& button : ToolbarTable()) {
        if (button.id == 0) {
            m_toolBar->addSeparator();
            continue;
        }
        // The toolbar's actions carry no text, so the buttons have no tooltip.
        auto* action = new QAction(m_toolBar);
        action->setIcon(QIcon(strip.copy(button.image * kToolbarImageWidth, 0, kToolbarImageWidth,
                                         kToolbarImageHeight)));
        action->setData(button.id);
        action->setObjectName(QString::number(button.id));
        action->setStatusTip(CommandPrompt(button.id));
        connect(action, &QAction::triggered, this, [this, id = button.id] { RunCommand(id); });
        m_toolBar->addAction(action);
        m_toolbarActions[button.id] = action;
    }
    addToolBar(Qt::TopToolBarArea, m_toolBar);
}

void CMainFrame::BuildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("59393"));
    // The message pane shows "Ready" whenever no prompt covers it.
    m_messagePane = new QLabel(QString::fromLatin1(kIdleText), bar);
    bar->addWidget(m_messagePane, 1);
    const std::pair<LockKey, const char*> panes[] = {
        {LockKey::Caps, "CAP"}, {LockKey::Num, "NUM"}, {LockKey::Scroll, "SCRL"}};
    for (const auto& [key, text] : panes) {
        auto* pane = new QLabel(QString::fromLatin1(text), bar);
        pane->setObjectName(QString::fromLatin1(text));
        pane->setFrameShape(QFrame::Panel);
        pane->setFrameShadow(QFrame::Sunken);
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(pane->sizeHint().width() + 8);
        bar->addPermanentWidget(pane);
        m_indicators[key] = pane;
    }
}

void CMainFrame::BuildAccelerators()
{
    for (const Accelerator& accel : AcceleratorTable()) {
        QAction*& action = m_accelerators[accel.id];
        if (!action) {
            action = new QAction(this);
            action->setData(accel.id);
            action->setObjectName(QStringLiteral("accel") + QString::number(accel.id));
            action->setShortcutContext(Qt::WindowShortcut);
            connect(action, &QAction::triggered, this, [this, id = accel.id] { RunCommand(id); });
            addAction(action);
        }
        QList<QKeySequence> keys = action->shortcuts();
        keys.append(accel.key);
        action->setShortcuts(keys);
    }
}

void CMainFrame::SetView(QWidget* view, ICommandTarget* target)
{
    m_view = target;
    if (view) {
        auto* scroll = new QScrollArea(this);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(true);
        scroll->setWidget(view);
        setCentralWidget(scroll);
        // A view that goes away takes its commands with it.
        QObject::disconnect(m_viewDestroyed);
        m_viewDestroyed = connect(view, &QObject::destroyed, this, [this, target] {
            if (m_view == target)
                m_view = nullptr;
        });
    }
    UpdateCommandUi();
}

QWidget* CMainFrame::View() const
{
    const auto* scroll = qobject_cast<QScrollArea*>(centralWidget());
    return scroll ? scroll->widget() : nullptr;
}

void CMainFrame::SetAppCommands(ICommandTarget* app)
{
    m_app = app;
    UpdateCommandUi();
}

void CMainFrame::ApplyInitialSize(QSize screenSize, QSize availableSize)
{
    if (!availableSize.isValid())
        availableSize = screenSize;
    if (screenSize.width() > 800 && screenSize.height() > 600)
        setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                       | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // A small screen still gets as much of the form as it can show, not
    // Qt's default size with most of the form cut off.
    resize(std::min(kFixedWidth, availableSize.width()), std::min(kFixedHeight, availableSize.height()));
}

void CMainFrame::SetLockKeyProbe(LockKeyProbe probe)
{
    m_lockKeys = probe ? std::move(probe) : LockKeyProbe(PlatformLockKey);
    UpdateIndicators();
}

bool CMainFrame::FrameHandles(int id) const
{
    return id == CommandId::Exit || id == CommandId::ViewToolBar || id == CommandId::ViewStatusBar;
}

bool CMainFrame::IsCommandEnabled(int id) const
{
    if (m_view && m_view->HandlesCommand(id))
        return m_view->IsCommandEnabled(id);
    if (FrameHandles(id))
        return true;
    if (m_app && m_app->HandlesCommand(id))
        return m_app->IsCommandEnabled(id);
    return false;
}

bool CMainFrame::IsCommandMarked(int id) const
{
    if (id == CommandId::ViewToolBar)
        return !m_toolBar->isHidden();
    if (id == CommandId::ViewStatusBar)
        return !statusBar()->isHidden();
    if (m_view && m_view->HandlesCommand(id))
        return m_view->IsCommandMarked(id);
    if (m_app && m_app->HandlesCommand(id))
        return m_app->IsCommandMarked(id);
    return false;
}

bool CMainFrame::RunCommand(int id)
{
    // A command may have become disabled since its item was last updated.
    if (!IsCommandEnabled(id)) {
        UpdateCommandUi();
        return false;
    }
    if (m_view && m_view->HandlesCommand(id))
        m_view->OnCommand(id);
    else if (FrameHandles(id))
        OnFrameCommand(id);
    else
        m_app->OnCommand(id);
    // Marks and enable states may have changed with the command.
    for (QMenu* menu : m_popups)
        UpdateMenu(menu);
    UpdateCommandUi();
    return true;
}

void CMainFrame::OnFrameCommand(int id)
{
    switch (id) {
    case CommandId::Exit:
        close();
        break;
    case CommandId::ViewToolBar:
        m_toolBar->setVisible(m_toolBar->isHidden());
        break;
    case CommandId::ViewStatusBar:
        statusBar()->setVisible(statusBar()->isHidden());
        break;
    default:
        break;
    }
}

void CMainFrame::UpdateAction(QAction* action) const
{
    const int id = CommandOf(action);
    action->setEnabled(IsCommandEnabled(id));
    if (action->isCheckable())
        action->setChecked(IsCommandMarked(id));
    const std::string live = LivePrompt(id);
    const QString prompt = live.empty() ? CommandPrompt(id) : QString::fromStdString(live);
    if (action->statusTip() != prompt)
        action->setStatusTip(prompt);
}

std::string CMainFrame::LivePrompt(int id) const
{
    if (m_view && m_view->HandlesCommand(id))
        return m_view->LivePrompt(id);
    if (m_app && m_app->HandlesCommand(id))
        return m_app->LivePrompt(id);
    return {};
}

void CMainFrame::UpdateMenu(QMenu* menu)
{
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator())
            UpdateAction(action);
    }
}

void CMainFrame::UpdateCommandUi()
{
    for (const auto& [id, action] : m_toolbarActions)
        UpdateAction(action);
    for (QAction* action : m_menuBarCommands)
        UpdateAction(action);
    UpdateIndicators();
}

void CMainFrame::UpdateIndicators()
{
    for (const auto& [key, pane] : m_indicators) {
        const std::optional<bool> on = m_lockKeys(key);
        // Like the lock indicators of the platform: the name while the key is
        // on, a blank pane while it is off; left out where nobody can tell.
        if (pane->isHidden() == on.has_value())
            pane->setVisible(on.has_value());
        pane->setText(on.value_or(false) ? pane->objectName() : QString());
    }
}

QAction* CMainFrame::MenuAction(int id) const
{
    const auto it = m_menuActions.find(id);
    return it == m_menuActions.end() ? nullptr : it->second;
}

QAction* CMainFrame::ToolbarAction(int id) const
{
    const auto it = m_toolbarActions.find(id);
    return it == m_toolbarActions.end() ? nullptr : it->second;
}

QMenu* CMainFrame::PopupMenu(int index) const
{
    return index >= 0 && index < static_cast<int>(m_popups.size()) ? m_popups[index] : nullptr;
}

QLabel* CMainFrame::IndicatorPane(LockKey key) const
{
    const auto it = m_indicators.find(key);
    return it == m_indicators.end() ? nullptr : it->second;
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // The view may have readings to save first, or the user may stay.
    if (m_view && !m_view->QueryClose()) {
        event->ignore();
        return;
    }
    RememberPlace(*this, QString::fromLatin1(kPlaceKey));
    emit Closing();
    QMainWindow::closeEvent(event);
}
