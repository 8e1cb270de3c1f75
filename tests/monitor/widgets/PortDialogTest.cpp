#include "common/ScriptedDialogs.h"
#include "meter/PortEntry.h"
#include "monitor/widgets/CPortDialog.h"
#include "monitor/widgets/MainForm.h"
#include "res/DialogUnits.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const std::string kRangeMessage = "Please insert an integer between 1 and 100";

TEST(PortEntry, WholeNumbersFromOneToHundredAreTaken)
{
    CScriptedDialogs dialogs;
    EXPECT_EQ(ParsePortEntry("1", dialogs), 1);
    EXPECT_EQ(ParsePortEntry("100", dialogs), 100);
    EXPECT_EQ(ParsePortEntry(" 12 ", dialogs), 12);
    EXPECT_EQ(ParsePortEntry("+7", dialogs), 7);
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST(PortEntry, AnythingElseIsRefusedAndGivesPort99)
{
    for (const char* text : {"0", "101", "abc", "", "-3", "12abc", "3.5", "99999999999999999999999"}) {
        CScriptedDialogs dialogs;
        EXPECT_EQ(ParsePortEntry(text, dialogs), 99) << text;
        ASSERT_EQ(dialogs.Messages().size(), 1u) << text;
        EXPECT_EQ(dialogs.Messages()[0].caption, "LX47");
        EXPECT_EQ(dialogs.Messages()[0].text, kRangeMessage);
        EXPECT_EQ(dialogs.Messages()[0].buttons, MsgButtons::Ok);
    }
}

template <typename T>
T* Control(const QWidget& dialog, const char* id)
{
    T* control = dialog.findChild<T*>(QString::fromLatin1(id));
    EXPECT_NE(control, nullptr) << id;
    return control;
}

TEST(PortDialog, ControlsStandWhereTheResourcePutsThem)
{
    CScriptedDialogs dialogs;
    CPortDialog dialog(3, dialogs);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Port");
    EXPECT_EQ(dialog.size(), QSize(DialogUnitsToPixelsX(156), DialogUnitsToPixelsY(47)));
    // The form's face, with the same narrow fallback where it is missing.
    EXPECT_EQ(dialog.font().families(), ShellDialogFont(8).families());
    EXPECT_EQ(dialog.font().pointSize(), 8);

    auto* ok = Control<QPushButton>(dialog, "1");
    auto* cancel = Control<QPushButton>(dialog, "2");
    auto* edit = Control<QLineEdit>(dialog, "1001");
    ASSERT_TRUE(ok && cancel && edit);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_EQ(cancel->text(), "Cancel");
    EXPECT_EQ(ok->geometry(), DialogRect(91, 7, 50, 14));
    EXPECT_EQ(cancel->geometry(), DialogRect(91, 26, 50, 14));
    EXPECT_EQ(edit->geometry(), DialogRect(40, 20, 40, 14));
    EXPECT_EQ(edit->text(), "3");
    const auto labels = dialog.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0]->text(), "Port:");
    EXPECT_EQ(labels[0]->pos(), QPoint(DialogUnitsToPixelsX(15), DialogUnitsToPixelsY(22)));

    // Rendered: the edit's field shows in the base colour inside its rectangle,
    // the dialog's background just left of it.
    const QImage image = dialog.grab().toImage();
    const QRect field = DialogRect(40, 20, 40, 14);
    const QColor base = edit->palette().color(QPalette::Base);
    const QColor window = dialog.palette().color(QPalette::Window);
    ASSERT_NE(base, window);
    EXPECT_EQ(image.pixelColor(field.right() - 4, field.center().y()), base);
    EXPECT_EQ(image.pixelColor(field.left() - 3, field.center().y()), window);
    // The OK button is drawn over its rectangle, not over the background.
    const QRect button = DialogRect(91, 7, 50, 14);
    int differing = 0;
    for (int x = button.left() + 1; x < button.right(); ++x) {
        if (image.pixelColor(x, button.top() + 1) != window)
            ++differing;
    }
    EXPECT_GT(differing, button.width() / 2);
    EXPECT_EQ(image.pixelColor(button.right() + 3, button.center().y()), window);
}

TEST(PortDialog, OpensOnTheSelectedNumberSoTypingReplacesItAndOkReadsIt)
{
    CScriptedDialogs dialogs;
    CPortDialog dialog(3, dialogs);
    dialog.show();
    auto* edit = Control<QLineEdit>(dialog, "1001");
    ASSERT_NE(edit, nullptr);
    ASSERT_EQ(dialog.focusWidget(), edit);
    EXPECT_EQ(edit->selectedText(), "3");
    QTest::keyClicks(dialog.focusWidget(), "42");
    EXPECT_EQ(edit->text(), "42");
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    QTest::mouseClick(Control<QPushButton>(dialog, "1"), Qt::LeftButton);
    EXPECT_EQ(accepted.count(), 1);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Port(), 42);
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST(PortDialog, OkWithABadEntryWarnsAndGives99)
{
    for (const char* text : {"0", "101", "abc"}) {
        CScriptedDialogs dialogs;
        CPortDialog dialog(5, dialogs);
        dialog.show();
        auto* edit = Control<QLineEdit>(dialog, "1001");
        ASSERT_NE(edit, nullptr);
        edit->setText(QString::fromLatin1(text));
        QTest::keyClick(edit, Qt::Key_Return); // Enter presses the default button
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << text;
        EXPECT_EQ(dialog.Port(), 99) << text;
        EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>{kRangeMessage}) << text;
    }
}

TEST(PortDialog, CancelKeepsThePort)
{
    CScriptedDialogs dialogs;
    CPortDialog dialog(5, dialogs);
    dialog.show();
    Control<QLineEdit>(dialog, "1001")->setText("abc");
    QTest::mouseClick(Control<QPushButton>(dialog, "2"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.Port(), 5);
    EXPECT_TRUE(dialogs.Messages().empty());
}

} // namespace
