#pragma once

// The drawing routine of the data-logger graph. It takes a painter and the
// graph, not the widget, so the widget's off-screen image, the tests and the
// benchmark draw with it.

#include "graph/TrafficGraphPainter.h"

#include <QColor>
#include <QLine>
#include <QRect>

#include <vector>

class CDataLoggerGraph;
class QPainter;

// Draws one frame of the data-logger graph in the control's coordinates:
// background, label strip, the fixed grid, the trace, the dB labels, the
// cursor lines and the drag's band. It only reads the graph: the same state
// draws the same frame, however often it is exposed.
// Fast gathers the trace's points column by column into lines and spans;
// Reference draws every line of the walk; both give the same pixels.
class CDataLoggerPainter {
public:
    void Draw(QPainter& painter, const CDataLoggerGraph& graph, TraceRendering rendering = TraceRendering::Fast);

    // The system's button face, under the control's rounded corners.
    void SetFaceColour(const QColor& colour) { m_face = colour; }

private:
    void DrawTrace(QPainter& painter, const CDataLoggerGraph& graph, TraceRendering rendering, double pixelsPerDb);

    QColor m_face = QColor(240, 240, 240);
    // Reused from frame to frame.
    std::vector<QLine> m_lines;
    std::vector<QRect> m_spans;
};
