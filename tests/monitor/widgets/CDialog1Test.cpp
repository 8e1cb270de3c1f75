// The download's wait dialog, rendered offscreen: where its parts stand, what
// it paints, and that it neither blocks nor takes its own closing for Cancel.
#include "monitor/widgets/CDialog1.h"
#include "res/DialogUnits.h"

#include <QGuiApplication>
#include <QImage>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Dark pixels in a band of rows, left of the Cancel button: painted text.
int DarkPixels(const QImage& image, int top, int bottom)
{
    int dark = 0;
    for (int y = top; y < bottom && y < image.height(); ++y)
        for (int x = 95; x < DialogUnitsToPixelsX(215); ++x)
            dark += image.pixelColor(x, y).lightness() < 100;
    return dark;
}

TEST(WaitDialog, BorderlessCentredWithItsTextAndCancel)
{
    CDialog1 dialog;
    dialog.ShowWaiting();
    EXPECT_TRUE(dialog.isVisible()) << "shown without a local event loop";
    EXPECT_TRUE(dialog.isModal());
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(dialog.size(), QSize(DialogUnitsToPixelsX(275), DialogUnitsToPixelsY(30)));
    const QPoint offCentre = dialog.geometry().center() - QGuiApplication::primaryScreen()->geometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 2);

    QPushButton* cancel = dialog.findChild<QPushButton*>(QStringLiteral("1048"));
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text(), "Cancel");
    EXPECT_EQ(cancel->geometry(), DialogRect(218, 9, 50, 14));

    // The text from x 100, y 15 on the dialog's own background, nothing above it.
    const QImage image = dialog.grab().toImage();
    const int line = dialog.fontMetrics().height();
    EXPECT_GT(DarkPixels(image, 15, 15 + line), 40);
    EXPECT_EQ(DarkPixels(image, 0, 14), 0);
    EXPECT_EQ(image.pixelColor(98, 20), dialog.palette().color(QPalette::Window));

    // The progress line under it, once the length is known.
    EXPECT_EQ(DarkPixels(image, 15 + line, image.height()), 0);
    dialog.SetProgress(120, 4000);
    EXPECT_EQ(dialog.ProgressText(), "120 of 4000 bytes");
    EXPECT_GT(DarkPixels(dialog.grab().toImage(), 15 + line, image.height()), 20);
    dialog.SetProgress(0, 0);
    EXPECT_TRUE(dialog.ProgressText().isEmpty());
}

TEST(WaitDialog, CancelAndEscapeTellTheOwnerButFinishDoesNot)
{
    for (int way = 0; way < 3; ++way) {
        CDialog1 dialog;
        QSignalSpy cancelled(&dialog, &CDialog1::CancelPressed);
        dialog.ShowWaiting();
        if (way == 0)
            QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
        else if (way == 1)
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            dialog.Finish();
        EXPECT_FALSE(dialog.isVisible()) << way;
        EXPECT_EQ(cancelled.count(), way < 2 ? 1 : 0) << way;
    }
}

} // namespace
