#include "app/CQtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include <algorithm>

CQtDialogs::CQtDialogs(QWidget* parent)
    : m_parent(parent)
{
}

CQtDialogs::~CQtDialogs() = default;

QWidget* CQtDialogs::DialogParent() const
{
    QWidget* active = QApplication::activeWindow();
    return active && active->isVisible() ? active : m_parent.data();
}

QMessageBox::Icon CQtDialogs::QtIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Warning:
        return QMessageBox::Warning;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Error:
        return QMessageBox::Critical;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

MsgAnswer CQtDialogs::MessageBox(const std::string& caption, const std::string& text, MsgButtons buttons,
                                 MsgIcon icon)
{
    const QMessageBox::StandardButtons shown =
        buttons == MsgButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok;
    QMessageBox box(QtIcon(icon), QString::fromStdString(caption), QString::fromStdString(text), shown,
                    DialogParent());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Ok);
    if (buttons == MsgButtons::OkCancel)
        box.setEscapeButton(QMessageBox::Cancel);
    const int result = box.exec();
    // A plain message has only OK, however it was closed.
    if (buttons == MsgButtons::Ok)
        return MsgAnswer::Ok;
    return result == QMessageBox::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
}

int CQtDialogs::AskChoice(const std::string& caption, const std::string& text,
                          const std::vector<std::string>& choices)
{
    QMessageBox box(QMessageBox::Question, QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::NoButton, DialogParent());
    box.setTextFormat(Qt::PlainText);
    std::vector<QPushButton*> buttons;
    for (const std::string& choice : choices)
        buttons.push_back(box.addButton(QString::fromStdString(choice), QMessageBox::ActionRole));
    if (buttons.empty())
        return 0;
    box.setDefaultButton(buttons.front());
    box.setEscapeButton(buttons.back());
    box.exec();
    const auto pressed = std::find(buttons.begin(), buttons.end(), box.clickedButton());
    return pressed == buttons.end() ? static_cast<int>(buttons.size()) - 1
                                    : static_cast<int>(pressed - buttons.begin());
}

void CQtDialogs::ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request, bool save)
{
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.filter.empty())
        dialog.setNameFilter(QString::fromStdString(request.filter));
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    // A save dialog asks before replacing a file unless the caller said not to;
    // Qt's dialogs have no read-only check box to hide.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(save && request.promptOverwrite));
    // The name field starts with the initial name, a pattern such as "*.txt"
    // included: it shows the user what kind of file is asked for.
    const QString initial = QString::fromStdString(request.initialName);
    if (!initial.isEmpty())
        dialog.selectFile(initial);
}

std::optional<std::string> CQtDialogs::RunFileDialog(const FileDialogRequest& request, bool save)
{
    QFileDialog dialog(DialogParent());
    ConfigureFileDialog(dialog, request, save);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> CQtDialogs::SaveFileName(const FileDialogRequest& request)
{
    return RunFileDialog(request, true);
}

std::optional<std::string> CQtDialogs::OpenFileName(const FileDialogRequest& request)
{
    return RunFileDialog(request, false);
}

std::optional<PrinterChoice> CQtDialogs::ChoosePrinter(int copies)
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    m_printer->setCopyCount(copies);
    QPrintDialog dialog(m_printer.get(), DialogParent());
    // A desktop on Linux has no PDF printer of its own: the dialog's file
    // target is how a printout is kept, so it stays on offer.
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;

    PrinterChoice choice;
    if (m_printer->outputFormat() == QPrinter::PdfFormat)
        choice.outputFile = m_printer->outputFileName().toStdString();
    else
        choice.printerName = m_printer->printerName().toStdString();
    choice.copies = m_printer->copyCount();
    const QPageLayout layout = m_printer->pageLayout();
    choice.pageSize = layout.pageSize().key().toStdString();
    choice.landscape = layout.orientation() == QPageLayout::Landscape;
    return choice;
}
