// The panel keys: placement, pictures, the pressed position and one command
// byte per press.
#include "monitor/widgets/CMeterButton.h"
#include "monitor/widgets/MeterPanel.h"
#include "res/PanelBitmaps.h"

#include <QPainter>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

// Stands in for the view: paints the panel under its key buttons.
class PanelHost : public QWidget {
public:
    PanelHost() { resize(CMeterPanel::kWidth, CMeterPanel::kHeight); }
    MeterState state;
    bool connected = false;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        m_panel.Paint(painter, state, connected);
    }

private:
    CMeterPanel m_panel;
};

class MeterButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host = std::make_unique<PanelHost>();
        keys = CreateMeterKeys(host.get(), [this](std::uint8_t byte) { sent.push_back(byte); });
        host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(host.get()));
    }

    CMeterButton* Key(int id) const { return host->findChild<CMeterButton*>(QString::number(id)); }

    std::unique_ptr<PanelHost> host;
    std::vector<CMeterButton*> keys;
    std::vector<std::uint8_t> sent;
};

} // namespace

TEST_F(MeterButtonTest, KeysArePlacedWithTheSizeOfTheirPictures)
{
    ASSERT_EQ(keys.size(), 7u);
    for (const MeterKey& key : kMeterKeys) {
        CMeterButton* button = Key(key.id);
        ASSERT_NE(button, nullptr) << key.id;
        const QImage picture = LoadPanelBitmap(key.pictureId);
        EXPECT_EQ(button->geometry(), QRect(key.normalPos, picture.size())) << key.id;
        EXPECT_EQ(button->text(), QString::fromLatin1(key.caption));
        EXPECT_TRUE(button->isVisible());
        EXPECT_EQ(button->grab().toImage().convertToFormat(QImage::Format_RGB32), picture) << key.id;
    }
    CMeterButton* hold = Key(kHoldButtonId);
    ASSERT_NE(hold, nullptr);
    EXPECT_FALSE(hold->isVisible());
    EXPECT_FALSE(hold->isEnabled());
    EXPECT_EQ(hold->text(), "Hold");
}

TEST_F(MeterButtonTest, PressMovesOnePixelAndSendsOneByte)
{
    for (const MeterKey& key : kMeterKeys) {
        CMeterButton* button = Key(key.id);
        sent.clear();
        const QPoint middle = button->rect().center();
        QTest::mousePress(button, Qt::LeftButton, Qt::NoModifier, middle);
        EXPECT_EQ(button->pos(), key.pressedPos) << key.id;
        const QPoint off = button->pos() - key.normalPos;
        EXPECT_EQ(std::max(std::abs(off.x()), std::abs(off.y())), 1) << key.id;
        // A storm of repaints while it is held sends nothing more.
        for (int i = 0; i < 20; ++i)
            button->repaint();
        host->repaint();
        QCoreApplication::processEvents();
        ASSERT_EQ(sent.size(), 1u) << key.id;
        EXPECT_EQ(sent[0], key.command) << key.id;

        QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
        EXPECT_EQ(button->pos(), key.normalPos) << key.id;
        EXPECT_EQ(sent.size(), 1u) << key.id;
    }
}

TEST_F(MeterButtonTest, EveryPressSendsAgain)
{
    CMeterButton* rec = Key(1023);
    QTest::mouseClick(rec, Qt::LeftButton);
    QTest::mouseClick(rec, Qt::LeftButton);
    EXPECT_EQ(sent, (std::vector<std::uint8_t>{0x55, 0x55}));
    QTest::mouseClick(Key(1029), Qt::LeftButton);
    EXPECT_EQ(sent.back(), 0x33);
}

TEST_F(MeterButtonTest, OnePixelMoveUnderTheMouseDoesNotLetGo)
{
    // FASTSLOW moves right: a mouse held on its left edge is then just outside.
    CMeterButton* key = Key(1024);
    QTest::mousePress(key, Qt::LeftButton, Qt::NoModifier, QPoint(0, 10));
    ASSERT_EQ(key->pos(), QPoint(73, 243));
    QTest::mouseMove(key, QPoint(-1, 10));
    QTest::mouseMove(key, QPoint(-1, 11));
    EXPECT_TRUE(key->isDown());
    EXPECT_EQ(key->pos(), QPoint(73, 243));
    QTest::mouseRelease(key, Qt::LeftButton, Qt::NoModifier, QPoint(-1, 11));
    EXPECT_EQ(sent.size(), 1u);
    EXPECT_EQ(key->pos(), QPoint(72, 243));
}

TEST_F(MeterButtonTest, DisabledHoldAndMissingCallbackSendNothing)
{
    CMeterButton* hold = Key(kHoldButtonId);
    QTest::mouseClick(hold, Qt::LeftButton);
    EXPECT_TRUE(sent.empty());

    CMeterButton silent(kMeterKeys[0], LoadPanelBitmap(154), CMeterButton::SendCommand(), host.get());
    silent.Place();
    QTest::mousePress(&silent, Qt::LeftButton);
    EXPECT_EQ(silent.pos(), QPoint(40, 204));
    QTest::mouseRelease(&silent, Qt::LeftButton);
    EXPECT_TRUE(sent.empty());
}

TEST_F(MeterButtonTest, KeysOverThePanelLookLikeTheMeter)
{
    const QImage unlit = host->grab().toImage();
    EXPECT_TRUE(unlit.save(QStringLiteral("/tmp/vexalog-panel-unlit.png")));

    host->connected = true;
    host->state.displayDigits[1] = 6;
    host->state.displayDigits[2] = 4;
    host->state.displayDigits[3] = 8;
    host->state.displayValid = true;
    host->state.range = 1;
    host->state.barDigits[1] = 6;
    host->state.barDigits[2] = 4;
    host->state.clockValid = true;
    host->state.clockText12 = "9:41:27";
    host->state.fast = host->state.max = host->state.dBA = host->state.rec = host->state.hold = true;
    host->state.over = true;
    const QImage lit = host->grab().toImage();
    EXPECT_TRUE(lit.save(QStringLiteral("/tmp/vexalog-panel-lit.png")));

    // The keys cover their places in both, and the display changes between them.
    const QImage rec = LoadPanelBitmap(154);
    EXPECT_EQ(lit.copy(QRect(QPoint(41, 204), rec.size())).convertToFormat(QImage::Format_RGB32), rec);
    EXPECT_EQ(unlit.copy(QRect(QPoint(41, 204), rec.size())).convertToFormat(QImage::Format_RGB32), rec);
    EXPECT_NE(lit.copy(41, 39, 126, 147), unlit.copy(41, 39, 126, 147));
}
