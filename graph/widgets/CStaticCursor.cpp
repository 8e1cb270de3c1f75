#include "graph/widgets/CStaticCursor.h"

#include "graph/TrafficGraphPainter.h"

#include <QFontMetrics>
#include <QPainter>

CStaticCursor::CStaticCursor(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("CStaticCursor"));
    // The form's colour behind the text, as behind any static text.
    setAutoFillBackground(true);
}

void CStaticCursor::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int baseline = 2 + QFontMetrics(font()).ascent();
    if (m_isA) {
        painter.setPen(GraphColours::kCursorA);
        painter.drawText(QPoint(0, baseline), QStringLiteral("CursorA"));
    }
    if (m_isB) {
        painter.setPen(GraphColours::kCursorB);
        painter.drawText(QPoint(0, baseline), QStringLiteral("CursorB"));
    }
}
