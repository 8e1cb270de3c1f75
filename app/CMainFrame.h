#pragma once

#include "app/LockKeys.h"

#include <QMainWindow>

#include <functional>
#include <string>
#include <map>
#include <optional>

class ICommandTarget;
class QAction;
class QLabel;
class QMenu;
class QTimer;
class QToolBar;

// Whether a lock key is on; nothing when the platform cannot tell.
using LockKeyProbe = std::function<std::optional<bool>(LockKey)>;

// The main frame: menus, toolbar and status bar built from the command table.
// Commands go first to the view, then to the frame's own handlers (Exit, the
// View toggles), then to the application (About, help, the document commands).
// A command nobody handles is disabled, and a disabled command is ignored
// however it arrives (menu, toolbar or accelerator).
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The view fills the frame's scroll area (the frame owns it); target receives
    // its commands. Either may be null.
    void SetView(QWidget* view, ICommandTarget* target);
    // The view inside the frame's scroll area: a window smaller than the
    // view's least size shows it through scroll bars.
    QWidget* View() const;
    // Application-level commands, asked after the view and the frame.
    void SetAppCommands(ICommandTarget* app);
    // The frame opens at 820x620, never larger than the room the screen has
    // for it (availableSize, the whole screen when not given). On a screen
    // wider than 800 and taller than 600 it has no maximise box.
    void ApplyInitialSize(QSize screenSize, QSize availableSize = {});
    void SetLockKeyProbe(LockKeyProbe probe);

    // Routes a command the way the menu and the toolbar do; false when it was
    // disabled or nobody handles it.
    bool RunCommand(int id);
    bool IsCommandEnabled(int id) const;
    bool IsCommandMarked(int id) const;
    // The status-bar prompt the view or the application gives for a command now (empty: the table's).
    std::string LivePrompt(int id) const;

    // The idle update: toolbar buttons, commands on the menu bar and the lock
    // indicators. Also run every kIdleUpdateMs by a timer.
    void UpdateCommandUi();
    // Brings the items of one popup menu up to date (done when it opens).
    void UpdateMenu(QMenu* menu);

    QAction* MenuAction(int id) const;
    QAction* ToolbarAction(int id) const;
    QAction* AcceleratorAction(int id) const;
    QMenu* PopupMenu(int index) const;
    QToolBar* ToolBar() const { return m_toolBar; }
    QLabel* MessagePane() const { return m_messagePane; }
    QLabel* IndicatorPane(LockKey key) const;

    static constexpr int kIdleUpdateMs = 200;
    static constexpr int kFixedWidth = 820;
    static constexpr int kFixedHeight = 620;

signals:
    // The main window is being closed (Exit or its close box).
    void Closing();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void BuildAccelerators();
    void UpdateAction(QAction* action) const;
    void UpdateIndicators();
    bool FrameHandles(int id) const;
    void OnFrameCommand(int id);

    ICommandTarget* m_view = nullptr;
    ICommandTarget* m_app = nullptr;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_messagePane = nullptr;
    std::map<LockKey, QLabel*> m_indicators;
    std::map<int, QAction*> m_menuActions;
    std::map<int, QAction*> m_toolbarActions;
    std::map<int, QAction*> m_accelerators;
    std::vector<QMenu*> m_popups;
    std::vector<QAction*> m_menuBarCommands;
    QTimer* m_idleTimer = nullptr;
    QMetaObject::Connection m_viewDestroyed;
    LockKeyProbe m_lockKeys;
};
