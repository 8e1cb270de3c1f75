#pragma once

// Where a graph's trace goes once its points are known: straight to a
// painter, one line at a time, or gathered into lines and one-column spans
// drawn in a batch. Both graphs and their renderings use these.

#include <QColor>
#include <QLine>
#include <QPainter>
#include <QPen>
#include <QRect>

#include <vector>

// Square caps: a line covers both its end points, drawn alone or in a batch.
inline QPen TracePen(const QColor& colour)
{
    QPen pen(colour, 1);
    pen.setCapStyle(Qt::SquareCap);
    return pen;
}

// Moves and lines drawn one by one.
class CPainterSink {
public:
    explicit CPainterSink(QPainter& painter) : m_painter(painter) {}
    void Move(int x, int y)
    {
        m_at = QPoint(x, y);
        m_started = true;
    }
    void Line(int x, int y)
    {
        const QPoint to(x, y);
        if (m_started)
            m_painter.drawLine(m_at, to);
        m_at = to;
        m_started = true;
    }

private:
    QPainter& m_painter;
    QPoint m_at;
    bool m_started = false;
};

// The same lines gathered, to be drawn in one call; vertical spans of one
// pixel column apart, to be filled.
class CLineSink {
public:
    CLineSink(std::vector<QLine>& lines, std::vector<QRect>& spans) : m_lines(lines), m_spans(spans)
    {
        m_lines.clear();
        m_spans.clear();
    }
    void Segment(int x0, int y0, int x1, int y1) { m_lines.emplace_back(x0, y0, x1, y1); }
    void Span(int x, int low, int high) { m_spans.emplace_back(x, low, 1, high - low + 1); }
    void Move(int x, int y)
    {
        m_at = QPoint(x, y);
        m_started = true;
    }
    void Line(int x, int y)
    {
        const QPoint to(x, y);
        if (m_started)
            m_lines.emplace_back(m_at, to);
        m_at = to;
        m_started = true;
    }

private:
    std::vector<QLine>& m_lines;
    std::vector<QRect>& m_spans;
    QPoint m_at;
    bool m_started = false;
};

// Draws what a CLineSink gathered, with the painter's pen for the lines and
// the colour for the spans.
inline void DrawGathered(QPainter& painter, const std::vector<QLine>& lines, const std::vector<QRect>& spans,
                         const QColor& colour)
{
    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
    for (const QRect& span : spans)
        painter.fillRect(span, colour);
}
