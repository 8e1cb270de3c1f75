#include "CDataLoggerButton.h"

#include "CTrafficButton.h"
#include "DataLoggerPrinting.h"

#include <QMouseEvent>
#include <QPaintEvent>

#include <algorithm>

namespace {

GraphPoint PointOf(const QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    return {p.x(), p.y()};
}

} // namespace

CDataLoggerButton::CDataLoggerButton(IGraphOwner& owner, IDialogSeam& dialogs, QWidget* parent)
    : QWidget(parent), m_dialogs(dialogs), m_graph(owner, this), m_printJob(dialogs)
{
    setObjectName(QStringLiteral("CDataLoggerButton"));
}

void CDataLoggerButton::Attach()
{
    m_graph.Attach(width(), height());
    setMask(RoundedControlRegion(width(), height()));
    // Every frame covers what it repaints.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_painter.SetFaceColour(palette().color(QPalette::Button));
    update();
}

void CDataLoggerButton::RepaintRect(GraphPoint a, GraphPoint b)
{
    update(QRect(QPoint(std::min(a.x, b.x), std::min(a.y, b.y)), QPoint(std::max(a.x, b.x), std::max(a.y, b.y))));
}

void CDataLoggerButton::paintEvent(QPaintEvent* event)
{
    if (!m_graph.State().ready)
        return;
    m_frame.Paint(*this, event->rect(), [this](QPainter& painter) { m_painter.Draw(painter, m_graph); });
    if (m_frameDrawn)
        m_frameDrawn();
}

PrintOutcome CDataLoggerButton::PrintGraph(const std::optional<std::string>& printer)
{
    const DataLoggerGraphState& s = m_graph.State();
    const PrintedChart chart = DataLoggerChart(m_graph, MakePrintedFrame(m_printJob, s.bottomDb, s.topDb));
    return PrintChartCommand(m_printJob, m_dialogs, printer, chart);
}

void CDataLoggerButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_graph.LeftButtonDown(PointOf(event));
    else if (event->button() == Qt::RightButton)
        m_graph.RightButtonDown(PointOf(event));
}

void CDataLoggerButton::mouseMoveEvent(QMouseEvent* event)
{
    m_graph.MouseMove(PointOf(event));
}

void CDataLoggerButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_graph.LeftButtonUp(PointOf(event));
}

void CDataLoggerButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_graph.DoubleClick(PointOf(event));
}
