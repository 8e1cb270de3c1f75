#include "CGraphPlaceholder.h"

#include <QPainter>

CGraphPlaceholder::CGraphPlaceholder(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CGraphPlaceholder::SetTimeScale(std::int64_t startTime, double pixelsPerSecond)
{
    m_startTime = startTime;
    m_pixelsPerSecond = pixelsPerSecond;
}

void CGraphPlaceholder::NewReading(const DataSample* /*store*/, int index)
{
    m_lastIndex = index;
}

void CGraphPlaceholder::Clear()
{
    m_lastIndex = -1;
    update();
}

void CGraphPlaceholder::UndoZoom(const DataSample* /*store*/)
{
    m_startIndex = 0;
    m_verticalPosition = 0;
}

int CGraphPlaceholder::GetPlotWidth() const
{
    return width() - kLabelStripWidth;
}

void CGraphPlaceholder::paintEvent(QPaintEvent* /*event*/)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(170, 175, 195));
    const QRect plot(kLabelStripWidth, 0, GetPlotWidth(), height());
    p.fillRect(plot, Qt::black);
    p.setPen(QColor(0, 128, 0));
    p.drawRect(plot.adjusted(0, 0, -1, -1));
}
