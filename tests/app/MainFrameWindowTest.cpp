// The main frame as a window: a view that goes away, the size it opens at
// on screens large and small, and the lock-key panes of its status bar.
#include "app/CMainFrame.h"
#include "tests/app/FakeCommandTarget.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QStatusBar>
#include <QToolBar>
#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

TEST(MainFrameView, ADestroyedViewTakesItsCommandsWithIt)
{
    auto target = std::make_unique<CFakeCommandTarget>(ViewCommands());
    CMainFrame frame;
    auto* view = new QWidget;
    frame.SetView(view, target.get());
    EXPECT_TRUE(frame.IsCommandEnabled(32780));
    delete view;
    target.reset();
    frame.UpdateCommandUi();
    EXPECT_FALSE(frame.IsCommandEnabled(32780));
    EXPECT_FALSE(frame.RunCommand(32780));
    EXPECT_FALSE(frame.ToolbarAction(32780)->isEnabled());
}

bool HasMaximiseBox(Qt::WindowFlags flags)
{
    // Without customised hints the window manager shows its usual buttons.
    return !(flags & Qt::CustomizeWindowHint) || (flags & Qt::WindowMaximizeButtonHint);
}

TEST(MainFrameSize, OpensAt820x620AsFarAsTheScreenHasRoomAndOnlySmallScreensKeepTheMaximiseBox)
{
    const struct {
        QSize screen;
        QSize available;
        QSize expected;
    } cases[] = {
        {QSize(1024, 768), QSize(1024, 768), QSize(820, 620)},  {QSize(1920, 1080), QSize(1920, 1050), QSize(820, 620)},
        {QSize(800, 600), QSize(800, 570), QSize(800, 570)},    {QSize(1024, 600), QSize(1024, 560), QSize(820, 560)},
        {QSize(800, 768), QSize(800, 740), QSize(800, 620)},    {QSize(640, 480), QSize(640, 480), QSize(640, 480)},
    };
    for (const auto& c : cases) {
        CMainFrame frame;
        frame.ApplyInitialSize(c.screen, c.available);
        EXPECT_EQ(frame.size(), c.expected) << c.screen.width() << "x" << c.screen.height();
        const bool large = c.screen.width() > 800 && c.screen.height() > 600;
        EXPECT_EQ(HasMaximiseBox(frame.windowFlags()), !large) << c.screen.width() << "x" << c.screen.height();
        EXPECT_TRUE(!large || (frame.windowFlags() & Qt::WindowCloseButtonHint));
        EXPECT_TRUE(!large || (frame.windowFlags() & Qt::WindowMinimizeButtonHint));
    }
}

TEST(MainFrameStatusBar, LockPanesShowTheKeysAndAreLeftOutWhereThePlatformCannotTell)
{
    CMainFrame frame;
    QLabel* caps = frame.IndicatorPane(LockKey::Caps);
    QLabel* num = frame.IndicatorPane(LockKey::Num);
    QLabel* scroll = frame.IndicatorPane(LockKey::Scroll);
    ASSERT_TRUE(caps && num && scroll);
    // The panes follow the message pane, in this order.
    const QList<QLabel*> labels = frame.statusBar()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    EXPECT_LT(labels.indexOf(frame.MessagePane()), labels.indexOf(caps));
    EXPECT_LT(labels.indexOf(caps), labels.indexOf(num));
    EXPECT_LT(labels.indexOf(num), labels.indexOf(scroll));

    frame.SetLockKeyProbe([](LockKey key) -> std::optional<bool> {
        if (key == LockKey::Caps)
            return true;
        if (key == LockKey::Num)
            return false;
        return std::nullopt;
    });
    frame.show();
    EXPECT_EQ(caps->text(), QStringLiteral("CAP"));
    EXPECT_TRUE(caps->isVisible());
    EXPECT_TRUE(num->text().isEmpty());
    EXPECT_TRUE(num->isVisible());
    EXPECT_FALSE(scroll->isVisible());

    // The offscreen platform of the tests cannot tell at all: no pane stays.
    frame.SetLockKeyProbe({});
    for (QLabel* pane : {caps, num, scroll})
        EXPECT_FALSE(pane->isVisible()) << pane->objectName().toStdString();
    // Rendered: nothing of a pane's frame or name right of the message pane.
    const QImage bar = frame.statusBar()->grab().toImage();
    const QColor background = bar.pixelColor(bar.width() - 40, bar.height() / 2);
    for (int x = bar.width() - 150; x < bar.width() - 20; ++x)
        EXPECT_EQ(bar.pixelColor(x, bar.height() / 2), background) << x;
}

} // namespace
