#pragma once

// The walk of the overview trace over the store: each second is drawn at its
// highest reading, the readings not yet placed in time follow at slot-width
// steps, and the screen asks for a wider time scale when a point reaches the
// right edge. Templates over where the times come from, how points map to
// the drawing and where the points go, so the screen (both renderings) and
// printing share one walk.

#include "common/DataSample.h"

#include <algorithm>
#include <cstdint>
#include <optional>

// What one walk covers.
struct OverviewWalkInput {
    const DataSample* store = nullptr;
    int count = 0;       // N: readings 0 .. N - 1 are drawn
    int timePlaced = 0;  // T: readings 0 .. T - 1 go by their time
};

struct OverviewWalkResult {
    int timePlaced = 0;     // T after the walk (moves on when the tail reaches the edge)
    bool rescaled = false;  // the time scale was widened during the walk
};

// A reading as the walk takes it: its calendar time, if it has one, and its value.
struct WalkReading {
    bool placed = false; // it has a calendar time
    std::int64_t time = 0;
    double value = 0.0;
};

// ReadingOf: WalkReading operator()(int index), for the readings placed in time.
// Mapper:  int TimeX(std::int64_t t, bool rightEdgeRule, bool& rescaled); int LevelY(double value);
//          int TailX(int xLast, int k); bool TailStops(int x); int StartX();
// Sink:    void Move(int x, int y); void Line(int x, int y).
template <class ReadingOf, class Mapper, class Sink>
OverviewWalkResult WalkOverview(const OverviewWalkInput& in, ReadingOf&& readingOf, Mapper& map, Sink& sink)
{
    OverviewWalkResult result;
    result.timePlaced = in.timePlaced;
    if (in.store == nullptr)
        return result;
    int state = 0;
    double kept = 0.0;
    std::int64_t keptTime = 0;
    const int placed = std::min(in.timePlaced, in.count);
    for (int i = 0; i < placed; ++i) {
        const WalkReading reading = readingOf(i);
        if (!reading.placed) // a reading without calendar time is left out
            continue;
        const std::int64_t t = reading.time;
        const double v = reading.value;
        if (state == 0) {
            kept = v;
            keptTime = t;
            state = 1;
        } else if (t == keptTime) {
            // Each second is drawn at its highest reading.
            if (v - kept > 0.01)
                kept = v;
        } else if (state == 1) {
            sink.Move(map.TimeX(keptTime, false, result.rescaled), map.LevelY(kept));
            kept = v;
            keptTime = t;
            state = 2;
        } else {
            const int x = map.TimeX(keptTime, true, result.rescaled);
            sink.Line(x, map.LevelY(kept));
            kept = v;
            keptTime = t;
        }
    }

    int xLast = map.StartX();
    if (state != 0) {
        // The pending second. When it is the only one, nothing has been drawn
        // yet: it is moved to, so no line comes in from elsewhere.
        xLast = map.TimeX(keptTime, true, result.rescaled);
        if (state == 1) {
            sink.Move(xLast, map.LevelY(kept));
            state = 2;
        } else {
            sink.Line(xLast, map.LevelY(kept));
        }
    }
    if (result.rescaled)
        return result;

    // The newest readings follow at slot-width steps until they reach the edge.
    for (int i = std::max(in.timePlaced, 0), k = 0; i < in.count; ++i, ++k) {
        const int x = map.TailX(xLast, k);
        const int y = map.LevelY(in.store[i].value);
        if (state == 0) {
            sink.Move(x, y);
            state = 1;
            continue;
        }
        sink.Line(x, y);
        if (map.TailStops(x)) {
            result.timePlaced = i;
            break;
        }
    }
    return result;
}

// Collapses the points of a path that fall into one pixel column to what
// decides the column's pixels (the M4 reduction of line charts: first,
// lowest, highest, last). With lines that cover both their end points, the
// path covers every row of a column between its lowest and highest point and
// the segment into the column joins the last point of the one before to the
// first of this one; so the column becomes one vertical span from lowest to
// highest, and the path one segment per column change. The output:
// Segment(x0, y0, x1, y1) and Span(x, low, high), both covering their ends.
template <class SegmentSink>
class CColumnReducer {
public:
    explicit CColumnReducer(SegmentSink& out) : m_out(out) {}

    void Move(int x, int y)
    {
        Flush();
        Start(x, y);
    }

    void Line(int x, int y)
    {
        if (!m_open) {
            // Nothing to draw from: the point only starts the path.
            Start(x, y);
            return;
        }
        if (x != m_x) {
            Flush();
            m_out.Segment(m_x, m_last, x, y);
            Start(x, y);
            return;
        }
        m_several = true;
        m_low = y < m_low ? y : m_low;
        m_high = y > m_high ? y : m_high;
        m_last = y;
    }

    // Hands on the column in progress; call once the path is done.
    void Flush()
    {
        // A column of several points, even all on one row, draws its span.
        if (m_open && m_several)
            m_out.Span(m_x, m_low, m_high);
        m_several = false;
    }

private:
    void Start(int x, int y)
    {
        m_x = x;
        m_low = m_high = m_last = y;
        m_open = true;
        m_several = false;
    }

    SegmentSink& m_out;
    int m_x = 0;
    int m_low = 0;
    int m_high = 0;
    int m_last = 0;
    bool m_open = false;    // a point has been placed
    bool m_several = false; // the open column has more than one point
};
