#include "monitor/widgets/CPortDialog.h"

#include "meter/PortEntry.h"
#include "monitor/widgets/MainForm.h"
#include "res/DialogUnits.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CPortDialog::CPortDialog(int port, IDialogSeam& dialogs, QWidget* parent)
    : QDialog(parent), m_dialogs(dialogs), m_port(port)
{
    setObjectName(QString::number(kResourceId));
    setWindowTitle(QStringLiteral("Port"));
    setFont(ShellDialogFont(8));
    setFixedSize(DialogUnitsToPixelsX(156), DialogUnitsToPixelsY(47));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setGeometry(DialogRect(91, 7, 50, 14));
    ok->setDefault(true);

    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("2"));
    cancel->setGeometry(DialogRect(91, 26, 50, 14));

    // The label has no size of its own in the resource: as wide as its text.
    auto* label = new QLabel(QStringLiteral("Port:"), this);
    label->setObjectName(QStringLiteral("-1"));
    label->move(DialogUnitsToPixelsX(15), DialogUnitsToPixelsY(22));
    label->adjustSize();

    m_edit = new QLineEdit(QString::number(port), this);
    m_edit->setObjectName(QString::number(kEditId));
    m_edit->setGeometry(DialogRect(40, 20, 40, 14));

    // The number is what the user came to change: it has the focus, selected,
    // so typing replaces it.
    m_edit->selectAll();
    m_edit->setFocus();

    connect(ok, &QPushButton::clicked, this, &CPortDialog::OnOk);
    connect(cancel, &QPushButton::clicked, this, &CPortDialog::reject);
}

void CPortDialog::OnOk()
{
    m_port = ParsePortEntry(m_edit->text().toStdString(), m_dialogs);
    accept();
}
