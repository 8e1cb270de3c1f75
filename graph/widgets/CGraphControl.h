#pragma once

#include "graph/GraphCanvas.h"
#include "graph/widgets/CPrintJob.h"
#include "graph/widgets/OffscreenFrame.h"

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <algorithm>

class IDialogSeam;
class IGraphOwner;

// The control's shape: its rectangle with 5x5 rounded corners.
QRegion RoundedControlRegion(int width, int height);

// What both graph controls (the real-time graph, the data-logger graph) are
// as widgets: the graph without its window (Graph), drawn by its painter
// (Painter) into an off-screen image of the area to repaint and copied to
// the screen in one block, the mouse passed on, rounded corners, and a print
// job that asks for the printer through the dialog seam.
template <class Graph, class Painter>
class CGraphControl : public QWidget, private IGraphCanvas {
public:
    CGraphControl(IGraphOwner& owner, IDialogSeam& dialogs, QWidget* parent)
        : QWidget(parent), m_dialogs(dialogs), m_graph(owner, this), m_printJob(dialogs)
    {
    }

    // Takes the control's present size as its size for good: call once it
    // stands in its place.
    void Attach()
    {
        m_graph.Attach(width(), height());
        setMask(RoundedControlRegion(width(), height()));
        // Every frame covers what it repaints.
        setAttribute(Qt::WA_OpaquePaintEvent);
        m_painter.SetFaceColour(palette().color(QPalette::Button));
        update();
    }

protected:
    // After every frame drawn on the screen.
    virtual void FrameDrawn() {}

    void paintEvent(QPaintEvent* event) override
    {
        if (!m_graph.State().ready)
            return;
        m_frame.Paint(*this, event->rect(), [this](QPainter& painter) { m_painter.Draw(painter, m_graph); });
        m_lastFrame.start();
        FrameDrawn();
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            m_graph.LeftButtonDown(PointOf(event));
        else if (event->button() == Qt::RightButton)
            m_graph.RightButtonDown(PointOf(event));
    }
    void mouseMoveEvent(QMouseEvent* event) override { m_graph.MouseMove(PointOf(event)); }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            m_graph.LeftButtonUp(PointOf(event));
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            m_graph.DoubleClick(PointOf(event));
    }

    IDialogSeam& m_dialogs;
    Graph m_graph;
    Painter m_painter;
    COffscreenFrame m_frame;
    CPrintJob m_printJob;

private:
    static GraphPoint PointOf(const QMouseEvent* event)
    {
        const QPoint p = event->position().toPoint();
        return {p.x(), p.y()};
    }
    // IGraphCanvas. Readings may arrive faster than anyone can watch (a
    // fast fill): the whole control is drawn again at most every
    // kFrameGapMs, the last change always shown.
    static constexpr int kFrameGapMs = 40;
    void Repaint() override
    {
        const qint64 since = m_lastFrame.isValid() ? m_lastFrame.elapsed() : kFrameGapMs;
        if (since >= kFrameGapMs) {
            update();
            return;
        }
        if (m_repaintDue)
            return;
        m_repaintDue = true;
        QTimer::singleShot(static_cast<int>(kFrameGapMs - since), this, [this] {
            m_repaintDue = false;
            update();
        });
    }
    void RepaintRect(GraphPoint a, GraphPoint b) override
    {
        update(QRect(QPoint(std::min(a.x, b.x), std::min(a.y, b.y)), QPoint(std::max(a.x, b.x), std::max(a.y, b.y))));
    }

    QElapsedTimer m_lastFrame;
    bool m_repaintDue = false;
};
