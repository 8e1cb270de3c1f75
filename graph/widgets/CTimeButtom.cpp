#include "graph/widgets/CTimeButtom.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>

namespace {
const QColor kBackground(128, 0, 128);
const QColor kText(0, 255, 255);
} // namespace

CTimeButtom::CTimeButtom(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("CTimeButtom"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CTimeButtom::Attach()
{
    m_strip = rect();
    m_left.clear();
    m_middle.clear();
    m_right.clear();
    update();
}

void CTimeButtom::SetLabels(const std::string& left, const std::string& middle, const std::string& right)
{
    // The graph hands its labels over at every frame; most frames change nothing.
    if (left == m_left && middle == m_middle && right == m_right)
        return;
    m_left = left;
    m_middle = middle;
    m_right = right;
    update();
}

void CTimeButtom::Draw(QPainter& painter, const QRect& strip, const std::string& left, const std::string& middle,
                       const std::string& right)
{
    painter.fillRect(strip, kBackground);
    painter.setPen(kText);
    // The strip's right edge as the platform counts it: one past its last pixel.
    const int stripRight = strip.x() + strip.width();
    const int baseline = strip.top() + 2 + QFontMetrics(painter.font()).ascent();
    painter.drawText(QPoint(strip.left() + 30, baseline), QString::fromStdString(left));
    painter.drawText(QPoint(stripRight / 2 - 30, baseline), QString::fromStdString(middle));
    painter.drawText(QPoint(stripRight - 60, baseline), QString::fromStdString(right));
}

void CTimeButtom::paintEvent(QPaintEvent* event)
{
    m_frame.Paint(*this, event->rect(), [this](QPainter& painter) {
        Draw(painter, m_strip.isNull() ? rect() : m_strip, m_left, m_middle, m_right);
    });
}
