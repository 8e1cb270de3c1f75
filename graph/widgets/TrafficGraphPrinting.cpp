#include "graph/widgets/TrafficGraphPrinting.h"

#include "graph/OverviewWalk.h"
#include "graph/TrafficGraph.h"

#include <algorithm>

using GraphMath::Trunc;

namespace {

// Where the overview's points fall on the page, in points.
class CPageMapper {
public:
    CPageMapper(const PrintedFrame& frame, std::int64_t origin, double pointsPerSecond, double pointsPerSlot)
        : m_frame(frame), m_origin(origin), m_pointsPerSecond(pointsPerSecond), m_pointsPerSlot(pointsPerSlot)
    {
    }
    // No right-edge rule on paper: the scale stays as the screen had it.
    int TimeX(std::int64_t t, bool, bool&) const
    {
        return Trunc(static_cast<double>(t - m_origin) * m_pointsPerSecond + m_frame.x0);
    }
    int LevelY(double value) const { return m_frame.Y(value); }
    int TailX(int xLast, int k) const { return Trunc(xLast + k * m_pointsPerSlot); }
    static bool TailStops(int) { return false; }
    int StartX() const { return m_frame.x0; }

private:
    const PrintedFrame& m_frame;
    std::int64_t m_origin;
    double m_pointsPerSecond;
    double m_pointsPerSlot;
};

// The walk's moves and lines as one path: the walk moves only to its first point.
struct CPathSink {
    std::vector<QPoint>& points;
    void Move(int x, int y) { points.emplace_back(x, y); }
    void Line(int x, int y) { points.emplace_back(x, y); }
};

void OverviewTrace(const CTrafficGraph& graph, const PrintedFrame& frame, double pointsPerSlot, std::vector<QPoint>& trace)
{
    const TrafficGraphState& s = graph.State();
    // The span of seconds the plot shows fills the axis.
    const double pointsPerSecond = PrintedPage::kAxisLength * s.overviewScale / s.PlotWidth();
    const CReadingCache& cache = graph.Readings();
    auto readingOf = [&cache](int i) {
        const std::int64_t t = cache.Time(i);
        return WalkReading{t != CReadingCache::kNoTime, t, cache.Value(i)};
    };
    CPageMapper map(frame, s.overviewOrigin, pointsPerSecond, pointsPerSlot);
    CPathSink sink{trace};
    // The cache holds the readings handed over, which the walk never passes.
    const int count = std::min(s.overviewCount, cache.Count());
    WalkOverview(OverviewWalkInput{s.overviewStore, count, s.timePlacedCount}, readingOf, map, sink);
}

std::string SlotTime(const TrafficGraphState& s, int slot)
{
    if (slot < 0 || slot >= static_cast<int>(s.page.size()) || !s.page[static_cast<std::size_t>(slot)].valid)
        return {};
    return GraphMath::TimeLabelText(s.page[static_cast<std::size_t>(slot)].time);
}

} // namespace

PrintedChart TrafficGraphChart(const CTrafficGraph& graph, const PrintedFrame& frame)
{
    const TrafficGraphState& s = graph.State();
    PrintedChart chart;
    chart.title = kTrafficGraphTitle;
    chart.bottomDb = s.bottomDb;
    chart.topDb = s.topDb;
    chart.oneDecimal = s.fineLabels;
    chart.tracePenWidth = kTrafficTracePen;
    if (!s.ready)
        return chart;
    const int n = s.slotCount;
    const double pointsPerSlot = n > 0 ? static_cast<double>(PrintedPage::kAxisLength) / n : 0.0;

    if (s.overview) {
        OverviewTrace(graph, frame, pointsPerSlot, chart.trace);
        return chart;
    }
    if (s.style == 1 && s.pageFill >= 0) {
        const int last = std::min(s.pageFill, static_cast<int>(s.page.size()));
        for (int i = 0; i < last; ++i)
            chart.trace.emplace_back(Trunc(i * pointsPerSlot + frame.x0),
                                     frame.Y(s.page[static_cast<std::size_t>(i)].value));
    }
    chart.timeTexts = {{SlotTime(s, 0), SlotTime(s, n / 2), SlotTime(s, n)}};
    return chart;
}
