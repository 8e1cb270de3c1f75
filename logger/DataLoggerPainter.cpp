#include "logger/DataLoggerPainter.h"

#include "graph/TraceSinks.h"
#include "logger/DataLoggerGraph.h"
#include "logger/DataLoggerTrace.h"

#include <QPainter>

using namespace GraphMath;

namespace {

// Where the trace's points fall on the screen.
class CScreenPlace {
public:
    CScreenPlace(const DataLoggerGraphState& state, const DataLoggerView& view, double pixelsPerDb)
        : m_state(state), m_view(view), m_pixelsPerDb(pixelsPerDb)
    {
    }
    int TimeX(std::int64_t t) const { return OverviewX(t, m_view.origin, m_view.scale); }
    int LevelY(double value) const { return m_state.height - LevelHeight(value, m_state.bottomDb, m_pixelsPerDb); }

private:
    const DataLoggerGraphState& m_state;
    const DataLoggerView& m_view;
    double m_pixelsPerDb;
};

} // namespace

void CDataLoggerPainter::Draw(QPainter& painter, const CDataLoggerGraph& graph, TraceRendering rendering)
{
    const DataLoggerGraphState& s = graph.State();
    if (!s.ready)
        return;
    const int w = s.width;
    const int h = s.height;
    painter.save();
    const double pixelsPerDb = PixelsPerDb(h, s.topDb, s.bottomDb);

    painter.fillRect(0, 0, w, h, GraphColours::kPlot);
    painter.fillRect(0, 0, kLeftMargin, h, GraphColours::kLabelStrip);
    // A fixed lattice: it does not follow the dB window.
    DrawGraphGrid(painter, w, h, 0, 0);

    painter.setPen(TracePen(GraphColours::kTrace));
    DrawTrace(painter, graph, rendering, pixelsPerDb);

    DrawDbLabels(painter, s.topDb, s.bottomDb, h, s.oneDecimal);

    DrawCursorLines(painter, s.cursors, h);
    if (s.drag.Shows())
        FrameZoomRect(painter, s.drag.start.x, s.drag.start.y, s.drag.end.x, s.drag.end.y, GraphColours::kZoomFrame);
    for (const PixelRect& corner : RoundedCorners(w, h))
        painter.fillRect(corner.x, corner.y, corner.width, corner.height, m_face);
    painter.restore();
}

void CDataLoggerPainter::DrawTrace(QPainter& painter, const CDataLoggerGraph& graph, TraceRendering rendering,
                                   double pixelsPerDb)
{
    const DataLoggerView view = graph.View();
    CScreenPlace place(graph.State(), view, pixelsPerDb);
    GraphPoint single;
    bool singlePoint = false;
    if (rendering == TraceRendering::Reference) {
        CPainterSink sink(painter);
        CPathTally<CPainterSink> path(sink);
        WalkDataLoggerTrace(graph, view, place, path);
        singlePoint = path.SinglePoint();
        single = path.First();
    } else {
        CLineSink lines(m_lines, m_spans);
        CColumnReducer<CLineSink> reducer(lines);
        CPathTally<CColumnReducer<CLineSink>> path(reducer);
        WalkDataLoggerTrace(graph, view, place, path);
        reducer.Flush();
        DrawGathered(painter, m_lines, m_spans, GraphColours::kTrace);
        singlePoint = path.SinglePoint();
        single = path.First();
    }
    // A set at a single time stamp has no span to draw: its level shows as a point.
    if (singlePoint)
        painter.fillRect(single.x, single.y, 1, 1, GraphColours::kTrace);
}
