#include "CTrafficButton.h"

#include "TrafficGraphPrinting.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace {

GraphPoint PointOf(const QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    return {p.x(), p.y()};
}

} // namespace

QRegion RoundedControlRegion(int width, int height)
{
    QRegion region(0, 0, width, height);
    for (const GraphMath::PixelRect& corner : GraphMath::RoundedCorners(width, height))
        region -= QRegion(corner.x, corner.y, corner.width, corner.height);
    return region;
}

CTrafficButton::CTrafficButton(IGraphOwner& owner, IDialogSeam& dialogs, QWidget* parent)
    : QWidget(parent), m_dialogs(dialogs), m_graph(owner, this), m_printJob(dialogs)
{
    setObjectName(QStringLiteral("CTrafficButton"));
}

void CTrafficButton::Attach()
{
    m_graph.Attach(width(), height());
    setMask(RoundedControlRegion(width(), height()));
    // Every frame covers what it repaints.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_painter.SetFaceColour(palette().color(QPalette::Button));
    update();
}

void CTrafficButton::SetTimeScale(std::int64_t startTime, double pixelsPerSecond)
{
    m_graph.SetTimeScale(startTime, pixelsPerSecond);
}

PrintOutcome CTrafficButton::PrintGraph(const std::optional<std::string>& printer)
{
    const PrintedChart chart = TrafficGraphChart(m_graph, MakePrintedFrame(m_printJob, m_graph.State().bottomDb,
                                                                           m_graph.State().topDb));
    return PrintChartCommand(m_printJob, m_dialogs, printer, chart);
}

void CTrafficButton::RepaintRect(GraphPoint a, GraphPoint b)
{
    const QRect r(QPoint(std::min(a.x, b.x), std::min(a.y, b.y)), QPoint(std::max(a.x, b.x), std::max(a.y, b.y)));
    update(r);
}

void CTrafficButton::paintEvent(QPaintEvent* event)
{
    if (!m_graph.State().ready)
        return;
    m_frame.Paint(*this, event->rect(), [this](QPainter& painter) { m_painter.Draw(painter, m_graph); });
}

void CTrafficButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_graph.LeftButtonDown(PointOf(event));
    else if (event->button() == Qt::RightButton)
        m_graph.RightButtonDown(PointOf(event));
}

void CTrafficButton::mouseMoveEvent(QMouseEvent* event)
{
    m_graph.MouseMove(PointOf(event));
}

void CTrafficButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_graph.LeftButtonUp(PointOf(event));
}

void CTrafficButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_graph.DoubleClick(PointOf(event));
}
