#include "app/CAboutDlg.h"

#include "app/ToolbarStrip.h"
#include "monitor/widgets/MainForm.h"
#include "res/DialogUnits.h"

#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Help LX47"));
    setFont(ShellDialogFont(9));
    setFixedSize(DialogRect(0, 0, 235, 55).size());
    setModal(true);

    // An icon control takes the size of its icon.
    const QPixmap icon = ApplicationIconPixmap();
    m_icon = new QLabel(this);
    m_icon->setObjectName(QStringLiteral("icon128"));
    m_icon->setPixmap(icon);
    m_icon->setGeometry(QRect(DialogRect(11, 17, 0, 0).topLeft(), icon.size()));

    m_version = new QLabel(QStringLiteral("LX47 Version 1.0"), this);
    m_version->setTextFormat(Qt::PlainText);
    m_version->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_version->setGeometry(DialogRect(40, 10, 119, 8));

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("1"));
    m_ok->setDefault(true);
    m_ok->setGeometry(DialogRect(178, 7, 50, 16));
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
}
