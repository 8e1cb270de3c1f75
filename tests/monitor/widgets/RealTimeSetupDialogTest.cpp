// The Qt Setup dialog: its layout, rendered offscreen, the recompute on user
// changes, the range check that keeps it open, and the runner the view uses.
#include "common/Clock.h"
#include "common/ScriptedDialogs.h"
#include "common/TimeText.h"
#include "monitor/widgets/CRealTimeSetup.h"
#include "res/DialogUnits.h"

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const char* const kRange = "Please enter an integer between 0 and 20000.";
const char* const kNotInteger = "Please enter an integer.";

class SetupDialog : public ::testing::Test {
protected:
    SetupDialog() : dialog(dialogs, MakeLocalTime(2007, 5, 12, 12, 0, 0))
    {
        dialog.SetStart(2007, 5, 12, 8, 0, 0);
        dialog.SetParameters(0.5, 20000);
        dialog.show();
    }

    template <typename T> T* Control(const char* id) { return dialog.findChild<T*>(QString::fromLatin1(id)); }
    QLineEdit* Edit(const char* id) { return Control<QLineEdit>(id); }
    QLabel* Static(const char* text)
    {
        for (QLabel* label : dialog.findChildren<QLabel*>())
            if (label->text() == QString::fromLatin1(text))
                return label;
        return nullptr;
    }
    void TypeCount(const char* text)
    {
        QLineEdit* edit = Edit("1005");
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromLatin1(text));
    }

    CScriptedDialogs dialogs;
    CRealTimeSetup dialog;
};

TEST_F(SetupDialog, TemplateGeometryAndControls)
{
    EXPECT_EQ(dialog.windowTitle(), "Real-Time Setup");
    EXPECT_EQ(dialog.size(), QSize(DialogUnitsToPixelsX(213), DialogUnitsToPixelsY(134)));
    EXPECT_EQ(dialog.font().family(), "Microsoft Sans Serif");
    EXPECT_EQ(dialog.font().pointSize(), 10);
    // Where that face is missing, a narrow face of about its metrics stands in.
    EXPECT_TRUE(dialog.font().families().contains("Liberation Sans Narrow"));

    ASSERT_NE(Control<QPushButton>("1"), nullptr);
    EXPECT_EQ(Control<QPushButton>("1")->text(), "Start");
    EXPECT_TRUE(Control<QPushButton>("1")->isDefault());
    EXPECT_EQ(Control<QPushButton>("1")->geometry(), DialogRect(27, 113, 50, 14));
    EXPECT_EQ(Control<QPushButton>("2")->text(), "Cancel");
    EXPECT_EQ(Control<QPushButton>("2")->geometry(), DialogRect(106, 113, 50, 14));
    EXPECT_EQ(Edit("1005")->geometry(), DialogRect(128, 19, 41, 14));
    EXPECT_EQ(Edit("1034")->geometry(), DialogRect(102, 74, 67, 14));
    EXPECT_EQ(Edit("1047")->geometry(), DialogRect(103, 90, 66, 14));
    const QRect list = Control<QComboBox>("1033")->geometry();
    EXPECT_EQ(list.topLeft(), DialogRect(90, 52, 48, 50).topLeft());
    EXPECT_EQ(list.width(), DialogRect(90, 52, 48, 50).width());

    const struct {
        const char* text;
        QRect rect;
    } statics[] = {{"Real-Time data.no to be recorded", DialogRect(14, 20, 110, 8)},
                   {"(Adjust the number to meet your need)", DialogRect(15, 36, 132, 8)},
                   {"Real-Time Sampling Rate", DialogRect(9, 54, 80, 8)},
                   {"Second", DialogRect(143, 55, 24, 8)},
                   {"Recording Period", DialogRect(15, 76, 57, 16)},
                   {"From:", DialogRect(78, 76, 18, 8)},
                   {"To:", DialogRect(80, 94, 11, 8)}};
    for (const auto& s : statics) {
        ASSERT_NE(Static(s.text), nullptr) << s.text;
        EXPECT_EQ(Static(s.text)->geometry(), s.rect) << s.text;
        // The text, wrapped as the label wraps it, fits its rectangle: nothing clipped.
        const QLabel* label = Static(s.text);
        const QRect needed = QFontMetrics(label->font()).boundingRect(
            QRect(QPoint(0, 0), label->size()), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, label->text());
        EXPECT_LE(needed.width(), s.rect.width()) << s.text;
        EXPECT_LE(needed.height(), s.rect.height()) << s.text;
    }
}

TEST_F(SetupDialog, OpensWithTheItemsTheSelectionAndThePeriod)
{
    QComboBox* list = Control<QComboBox>("1033");
    ASSERT_EQ(list->count(), 10);
    EXPECT_EQ(list->itemText(0), "0.1");
    EXPECT_EQ(list->itemText(9), "10");
    EXPECT_EQ(list->currentIndex(), 2);
    EXPECT_EQ(Edit("1005")->text(), "20000");
    EXPECT_EQ(Edit("1034")->text(), "2007-05-12 08:00:00");
    EXPECT_EQ(Edit("1047")->text(), "2007-05-12 10:46:40");

    // Both show their text from its start, the date first, as an edit does
    // that was given its text and not typed into.
    for (const char* id : {"1034", "1047"}) {
        QLineEdit* edit = Edit(id);
        QLineEdit reference(edit->text(), &dialog);
        reference.setGeometry(QRect(QPoint(0, 0), edit->size()));
        reference.setCursorPosition(0);
        reference.show();
        EXPECT_EQ(edit->grab().toImage(), reference.grab().toImage()) << id;
        EXPECT_EQ(edit->cursorPosition(), 0) << id;
    }
}

TEST_F(SetupDialog, RendersTheEditsWhereTheirRectanglesAre)
{
    const QImage image = dialog.grab().toImage();
    ASSERT_EQ(image.size(), dialog.size());
    const QColor background = image.pixelColor(DialogUnitsToPixelsX(185), DialogUnitsToPixelsY(60));
    // Inside the count edit, right of its text: the edit's base colour.
    const QRect count = DialogRect(128, 19, 41, 14);
    const QColor inside = image.pixelColor(count.right() - 4, count.center().y());
    EXPECT_EQ(inside, dialog.palette().color(QPalette::Base));
    EXPECT_NE(inside, background);
    // Just left of it: the dialog's own background.
    EXPECT_EQ(image.pixelColor(count.left() - 3, count.center().y()), background);
    // The From edit shows its text: dark pixels on its row.
    const QRect from = DialogRect(102, 74, 67, 14);
    int dark = 0;
    for (int x = from.left() + 3; x < from.right() - 3; ++x)
        if (image.pixelColor(x, from.center().y()).lightness() < 100)
            ++dark;
    EXPECT_GT(dark, 5);
}

TEST_F(SetupDialog, SelectionAndCountChangesRecompute)
{
    Control<QComboBox>("1033")->setCurrentIndex(0);
    EXPECT_EQ(Edit("1047")->text(), "2007-05-12 08:33:20");
    TypeCount("3");
    EXPECT_EQ(Edit("1047")->text(), "2007-05-12 08:00:00");
    TypeCount("600");
    EXPECT_EQ(Edit("1047")->text(), "2007-05-12 08:01:00");
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(SetupDialog, CountOutOfRangeBringsTheRangeMessageAndStartStaysOpen)
{
    TypeCount("30000"); // the last key makes it out of range
    EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>({kRange}));
    EXPECT_EQ(dialogs.Messages()[0].caption, "LX47");
    dialogs.ClearLog();

    QTest::mouseClick(Control<QPushButton>("1"), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>({kRange}));

    TypeCount("250");
    QTest::mouseClick(Control<QPushButton>("1"), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    double interval = 0;
    int count = 0;
    int choice = -5;
    dialog.GetParameters(interval, count, choice);
    EXPECT_DOUBLE_EQ(interval, 0.5);
    EXPECT_EQ(count, 250);
    EXPECT_EQ(choice, 2);
}

TEST_F(SetupDialog, TextThatIsNotANumberIsReportedAndReplacedButAnEmptiedFieldWaits)
{
    TypeCount("12");
    dialogs.ClearLog();
    QTest::keyClicks(Edit("1005"), "x");
    EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>({kNotInteger}));
    EXPECT_EQ(Edit("1005")->text(), "12");

    // Clearing the field to type another number asks nothing and leaves it empty.
    dialogs.ClearLog();
    Edit("1005")->selectAll();
    QTest::keyClick(Edit("1005"), Qt::Key_Backspace);
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_EQ(Edit("1005")->text(), "");
    // Start with nothing in it is refused with the message for a non-integer.
    QTest::mouseClick(Control<QPushButton>("1"), Qt::LeftButton);
    EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>({kNotInteger}));
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(SetupDialog, EnterPressesStart)
{
    TypeCount("10");
    QTest::keyClick(Edit("1005"), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(SetupRunner, RunsAFreshModalDialogAndReturnsItsValues)
{
    CScriptedDialogs dialogs;
    CManualClock clock(MakeLocalTime(2007, 5, 12, 12, 0, 0));
    CRealTimeSetupRunner runner(nullptr, dialogs, clock);

    for (int attempt = 0; attempt < 2; ++attempt) {
        runner.SetStart(2007, 5, 12, 8, 0, 0);
        runner.SetParameters(1.0, 500);
        QString toText;
        int selected = -2;
        QTimer::singleShot(0, [&] {
            auto* modal = qobject_cast<CRealTimeSetup*>(QApplication::activeModalWidget());
            ASSERT_NE(modal, nullptr);
            selected = modal->findChild<QComboBox*>("1033")->currentIndex();
            toText = modal->findChild<QLineEdit*>("1047")->text();
            modal->findChild<QPushButton*>(attempt == 0 ? "1" : "2")->click();
        });
        const bool started = runner.Run();
        EXPECT_EQ(selected, 3); // "1", not "10"
        EXPECT_EQ(toText, "2007-05-12 08:08:20");
        EXPECT_EQ(started, attempt == 0);
    }
    double interval = 0;
    int count = 0;
    int choice = 0;
    runner.SetStart(2007, 5, 12, 8, 0, 0);
    runner.SetParameters(1.0, 500);
    runner.GetParameters(interval, count, choice);
    EXPECT_DOUBLE_EQ(interval, 1.0);
    EXPECT_EQ(count, 500);
}

} // namespace
