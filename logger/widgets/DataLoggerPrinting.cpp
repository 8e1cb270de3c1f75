#include "logger/widgets/DataLoggerPrinting.h"

#include "logger/DataLoggerTrace.h"

using GraphMath::Trunc;

namespace {

// Where the trace's points fall on the page, in points.
class CPagePlace {
public:
    CPagePlace(const PrintedFrame& frame, std::int64_t origin, double pointsPerSecond)
        : m_frame(frame), m_origin(origin), m_pointsPerSecond(pointsPerSecond)
    {
    }
    int TimeX(std::int64_t t) const
    {
        return Trunc(static_cast<double>(t - m_origin) * m_pointsPerSecond + m_frame.x0);
    }
    int LevelY(double value) const { return m_frame.Y(value); }

private:
    const PrintedFrame& m_frame;
    std::int64_t m_origin;
    double m_pointsPerSecond;
};

struct CPathSink {
    std::vector<QPoint>& points;
    void Move(int x, int y) { points.emplace_back(x, y); }
    void Line(int x, int y) { points.emplace_back(x, y); }
};

} // namespace

PrintedChart DataLoggerChart(const CDataLoggerGraph& graph, const PrintedFrame& frame)
{
    const DataLoggerGraphState& s = graph.State();
    const DataLoggerView view = graph.View();
    PrintedChart chart;
    chart.title = kDataLoggerTitle;
    chart.bottomDb = s.bottomDb;
    chart.topDb = s.topDb;
    chart.oneDecimal = s.oneDecimal;
    chart.tracePenWidth = view.zoomed ? kZoomedTracePen : kOverviewTracePen;
    if (!s.fullView) {
        const GraphMath::TimeLabels times = graph.TimeStripTexts();
        chart.timeTexts = {{times.left, times.middle, times.right}};
    }
    if (s.PlotWidth() <= 0)
        return chart;

    // The span of seconds the screen shows fills the axis.
    const double pointsPerSecond = PrintedPage::kAxisLength * view.scale / s.PlotWidth();
    CPagePlace place(frame, view.origin, pointsPerSecond);
    CPathSink sink{chart.trace};
    WalkDataLoggerTrace(graph, view, place, sink);
    if (chart.trace.size() == 1)
        chart.trace.push_back(chart.trace.front());
    return chart;
}
