#pragma once

// The walk of the overview trace over the store: each second is drawn at its
// highest reading, the readings not yet placed in time follow at slot-width
// steps, and the screen asks for a wider time scale when a point reaches the
// right edge. Templates over where the times come from, how points map to
// the drawing and where the points go, so the screen (both renderings) and
// printing share one walk.

#include "DataSample.h"

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

// TimeOf:  std::optional<std::int64_t> operator()(int index): the reading's calendar time, if any.
// Mapper:  int TimeX(std::int64_t t, bool rightEdgeRule, bool& rescaled); int LevelY(double value);
//          int TailX(int xLast, int k); bool TailStops(int x); int StartX();
// Sink:    void Move(int x, int y); void Line(int x, int y).
template <class TimeOf, class Mapper, class Sink>
OverviewWalkResult WalkOverview(const OverviewWalkInput& in, TimeOf&& timeOf, Mapper& map, Sink& sink)
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
        const std::optional<std::int64_t> t = timeOf(i);
        if (!t) // a reading without calendar time is left out
            continue;
        const double v = in.store[i].value;
        if (state == 0) {
            kept = v;
            keptTime = *t;
            state = 1;
        } else if (*t == keptTime) {
            // Each second is drawn at its highest reading.
            if (v - kept > 0.01)
                kept = v;
        } else if (state == 1) {
            sink.Move(map.TimeX(keptTime, false, result.rescaled), map.LevelY(kept));
            kept = v;
            keptTime = *t;
            state = 2;
        } else {
            const int x = map.TimeX(keptTime, true, result.rescaled);
            sink.Line(x, map.LevelY(kept));
            kept = v;
            keptTime = *t;
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

// Collapses the points that fall into one pixel column to those that decide
// its pixels: the first, the lowest, the highest and the last (the M4
// reduction of line charts). A 1-pixel path through the reduced points covers
// the same pixels as through all of them: inside a column the path covers
// every row between its lowest and highest point, and the segments into and
// out of the column keep their ends.
template <class Sink>
class CColumnReducer {
public:
    explicit CColumnReducer(Sink& out) : m_out(out) {}

    void Move(int x, int y)
    {
        Flush();
        Start(x, y, true);
    }

    void Line(int x, int y)
    {
        if (m_count == 0) {
            Start(x, y, false);
            return;
        }
        if (x != m_x) {
            Flush();
            Start(x, y, false);
            return;
        }
        ++m_count;
        if (y < m_low) {
            m_low = y;
            m_lowAt = m_count;
        }
        if (y > m_high) {
            m_high = y;
            m_highAt = m_count;
        }
        m_last = y;
    }

    // Hands on the column in progress; call once the walk is done.
    void Flush()
    {
        if (m_count == 0)
            return;
        if (m_startsWithMove)
            m_out.Move(m_x, m_first);
        else
            m_out.Line(m_x, m_first);
        if (m_count > 1) {
            // The extremes in the order they came, then the last point.
            const bool lowFirst = m_lowAt < m_highAt;
            Emit(lowFirst ? m_lowAt : m_highAt, lowFirst ? m_low : m_high);
            Emit(lowFirst ? m_highAt : m_lowAt, lowFirst ? m_high : m_low);
            m_out.Line(m_x, m_last);
        }
        m_count = 0;
    }

private:
    void Start(int x, int y, bool move)
    {
        m_x = x;
        m_first = m_low = m_high = m_last = y;
        m_lowAt = m_highAt = 1;
        m_count = 1;
        m_startsWithMove = move;
    }

    // An extreme that is neither the first nor the last point of the column.
    void Emit(int at, int y)
    {
        if (at > 1 && at < m_count)
            m_out.Line(m_x, y);
    }

    Sink& m_out;
    int m_x = 0;
    int m_first = 0;
    int m_low = 0;
    int m_high = 0;
    int m_last = 0;
    int m_lowAt = 1;
    int m_highAt = 1;
    int m_count = 0;
    bool m_startsWithMove = false;
};
