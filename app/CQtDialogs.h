#pragma once

#include "common/DialogSeam.h"

#include <QMessageBox>
#include <QPointer>

#include <memory>

class QFileDialog;
class QPrinter;

// The program's dialog seam over Qt's message boxes, file dialogs and print
// dialog. Nothing else in the program calls QMessageBox, QFileDialog or
// QPrintDialog.
class CQtDialogs final : public IDialogSeam {
public:
    explicit CQtDialogs(QWidget* parent = nullptr);
    ~CQtDialogs() override;

    // The window the dialogs belong to when the user works in none of the
    // program's windows (the main frame once it exists).
    void SetParentWindow(QWidget* parent) { m_parent = parent; }
    // A dialog belongs to the window the user is working in, so it opens in
    // front of that window and leaves it in front when it closes; else to the
    // parent window.
    QWidget* DialogParent() const;

    MsgAnswer MessageBox(const std::string& caption, const std::string& text, MsgButtons buttons,
                         MsgIcon icon) override;
    int AskChoice(const std::string& caption, const std::string& text,
                  const std::vector<std::string>& choices) override;
    std::optional<std::string> SaveFileName(const FileDialogRequest& request) override;
    std::optional<std::string> OpenFileName(const FileDialogRequest& request) override;
    std::optional<PrinterChoice> ChoosePrinter(int copies) override;

    // How a request becomes a dialog; used by the two file dialogs above.
    static void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request, bool save);
    static QMessageBox::Icon QtIcon(MsgIcon icon);

private:
    std::optional<std::string> RunFileDialog(const FileDialogRequest& request, bool save);

    QPointer<QWidget> m_parent;
    // The print dialog's printer lives as long as the seam, so the next print
    // dialog opens on the printer, paper and copies chosen last.
    std::unique_ptr<QPrinter> m_printer;
};
