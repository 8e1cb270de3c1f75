#include "monitor/widgets/CDialog1.h"

#include "monitor/widgets/MainForm.h"
#include "res/DialogUnits.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace {

// Where the text is painted, in pixels from the dialog's top-left corner.
constexpr int kTextLeft = 100;
constexpr int kTextTop = 15;

} // namespace

CDialog1::CDialog1(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QString::number(kResourceId));
    setFont(ShellDialogFont(8));
    setFixedSize(DialogUnitsToPixelsX(275), DialogUnitsToPixelsY(30));

    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QString::number(kCancelId));
    m_cancel->setGeometry(DialogRect(218, 9, 50, 14));
    connect(m_cancel, &QPushButton::clicked, this, &CDialog1::reject);
}

void CDialog1::ShowWaiting()
{
    m_progress.clear();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    setWindowModality(Qt::ApplicationModal);
    show();
}

void CDialog1::SetProgress(int received, int expected)
{
    const QString text =
        expected > 0 ? QStringLiteral("%1 of %2 bytes").arg(received).arg(expected) : QString();
    if (text == m_progress)
        return;
    m_progress = text;
    update();
}

void CDialog1::Finish()
{
    accept();
}

void CDialog1::reject()
{
    emit CancelPressed();
    QDialog::reject();
}

void CDialog1::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(palette().color(QPalette::WindowText));
    const int baseline = kTextTop + painter.fontMetrics().ascent();
    painter.drawText(kTextLeft, baseline, QString::fromLatin1(kWaitingText));
    if (!m_progress.isEmpty())
        painter.drawText(kTextLeft, baseline + painter.fontMetrics().height(), m_progress);
}
