#pragma once

#include <QDialog>

class IDialogSeam;
class QLineEdit;

// The "Other" port dialog (resource 177): an edit with the current port
// number; OK reads the entry (a refused entry is reported through the dialog
// seam and gives port 99) and closes the dialog.
class CPortDialog final : public QDialog {
    Q_OBJECT

public:
    static constexpr int kResourceId = 177;
    static constexpr int kEditId = 1001;

    CPortDialog(int port, IDialogSeam& dialogs, QWidget* parent = nullptr);

    // The port read when OK was pressed; the opening number before that.
    int Port() const { return m_port; }

    QLineEdit* Edit() const { return m_edit; }

private:
    void OnOk();

    IDialogSeam& m_dialogs;
    QLineEdit* m_edit = nullptr;
    int m_port;
};
