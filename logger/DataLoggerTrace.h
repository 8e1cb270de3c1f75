#pragma once

// The data-logger trace: the samples of the graph's view in order, each time
// stamp drawn at its highest sample (a rise of 0.01 dB or less ignored), a
// move to the first point and lines to the others. It is the real-time
// overview's walk over the set's cached times, with every sample placed by
// its time: no right-edge rule and no tail. The screen and printing place
// the points each in their own units.

#include "graph/GraphCanvas.h"
#include "graph/OverviewWalk.h"
#include "logger/DataLoggerGraph.h"

#include <cstdint>

// Place: int TimeX(std::int64_t t); int LevelY(double value).
// Sink:  void Move(int x, int y); void Line(int x, int y).
template <class Place, class Sink>
void WalkDataLoggerTrace(const CDataLoggerGraph& graph, const DataLoggerView& view, Place& place, Sink& sink)
{
    // A zoomed view of one sample ends without its point.
    if (view.last < view.first || (view.zoomed && view.last == view.first))
        return;
    struct Mapper {
        Place& place;
        int TimeX(std::int64_t t, bool, bool&) { return place.TimeX(t); }
        int LevelY(double value) { return place.LevelY(value); }
        static int TailX(int xLast, int) { return xLast; }
        static bool TailStops(int) { return true; }
        static int StartX() { return GraphMath::kLeftMargin; }
    } mapper{place};
    const CReadingCache& cache = graph.Readings();
    const int count = view.last - view.first + 1;
    const OverviewWalkInput input{graph.State().samples + view.first, count, count};
    auto readingOf = [&](int i) {
        const int at = view.first + i;
        const std::int64_t t = cache.Time(at);
        return WalkReading{t != CReadingCache::kNoTime, t, cache.Value(at)};
    };
    WalkOverview(input, readingOf, mapper, sink);
}

// Passes a path on and remembers its shape: a path of a single point (one
// sample, or all samples at one time stamp) has no line to show it.
template <class Sink>
class CPathTally {
public:
    explicit CPathTally(Sink& out) : m_out(out) {}
    void Move(int x, int y)
    {
        if (m_points++ == 0)
            m_first = {x, y};
        m_out.Move(x, y);
    }
    void Line(int x, int y)
    {
        ++m_points;
        m_out.Line(x, y);
    }
    bool SinglePoint() const { return m_points == 1; }
    GraphPoint First() const { return m_first; }

private:
    Sink& m_out;
    int m_points = 0;
    GraphPoint m_first;
};
