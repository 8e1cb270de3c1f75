// The save dialog of Export Data as the user meets it (a real QFileDialog on
// the offscreen platform): a name typed without an extension gets ".xls",
// one with an extension keeps it.
#include "app/CQtDialogs.h"
#include "logger/ExportWorker.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Types name into the file dialog once it is up, then accepts it.
void TypeIntoTheDialog(const QString& name)
{
    QTimer::singleShot(50, [name] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            TypeIntoTheDialog(name);
            return;
        }
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(name);
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept, as the Save button does
    });
}

TEST(ExportDialogTest, ANameWithoutExtensionGetsXls)
{
    const CTempDir temp("vx_exportdialog");
    ASSERT_TRUE(temp.IsValid());
    CQtDialogs dialogs;
    const struct {
        const char* typed;
        const char* chosen;
    } cases[] = {{"run", "run.xls"}, {"RUN.XLS", "RUN.XLS"}, {"run.csv", "run.csv"}};
    for (const auto& c : cases) {
        TypeIntoTheDialog(QString::fromStdString(temp.File(c.typed)));
        EXPECT_EQ(dialogs.SaveFileName(ExportDialogRequest()), temp.File(c.chosen)) << c.typed;
    }
}

} // namespace
