// The mouse side of the real-time graph: the zoom drag, zooming in at a
// point, cursors A and B with the readings between them, and clearing them.
#include "graph/TrafficGraph.h"

#include "graph/GraphOwner.h"

#include <algorithm>
#include <cstdlib>

using namespace GraphMath;

bool CTrafficGraph::Inside(GraphPoint p) const
{
    return p.x >= 0 && p.y >= 0 && p.x < m_state.width && p.y < m_state.height;
}

void CTrafficGraph::LeftButtonDown(GraphPoint p)
{
    m_state.drag.Press(p, Inside(p));
}

void CTrafficGraph::MouseMove(GraphPoint p)
{
    m_state.drag.Move(p, Inside(p), m_canvas);
}

void CTrafficGraph::LeftButtonUp(GraphPoint p)
{
    TrafficGraphState& s = m_state;
    if (p.x < kLeftMargin) {
        s.drag.Clear();
        Repaint();
        return;
    }
    if (!s.drag.Release(p, s.width, s.height, m_canvas))
        return;
    const GraphPoint start = s.drag.start;
    if (const auto zoom = VerticalZoomOfDrag(start.y, p.y, s.height, s.topDb, s.bottomDb)) {
        s.topDb = zoom->topDb;
        s.bottomDb = zoom->bottomDb;
        s.fineLabels = zoom->fineLabels;
        SetVerticalRange();
        if (s.pageFill >= 0)
            ZoomInAt(start.x);
    }
    s.drag.Clear();
    Changed();
}

void CTrafficGraph::ZoomInAt(int x0)
{
    TrafficGraphState& s = m_state;
    const int d = x0 - kLeftMargin;
    if (!s.overview) {
        const int slot = d / s.slotWidth;
        const int position = m_owner.GetHScrollPos();
        const auto zoom = NextPageZoom(s.pageSize, s.slotWidth, s.PlotWidth());
        if (!zoom)
            return;
        const int oldPageSize = s.pageSize;
        s.pageSize = zoom->pageSize;
        s.slotWidth = zoom->slotWidth;
        s.slotCount = zoom->slotCount;
        m_owner.SetHScrollPage(s.pageSize);
        m_owner.SetHScrollPos(slot + position * oldPageSize);
    } else {
        const double pixelsPerSecond = s.overviewScale;
        const int seconds = pixelsPerSecond > 0.0 ? Trunc(d / pixelsPerSecond) : 0;
        const std::int64_t target = s.overviewOrigin + seconds;
        // The first reading at most two seconds before the clicked time, by
        // the same calendar times the overview places the readings with.
        SyncTimes();
        int first = 0;
        for (int i = 0; i < s.overviewCount && i < m_readings.Count(); ++i) {
            const std::int64_t t = m_readings.Time(i);
            if (t != CReadingCache::kNoTime && target - t < 2) {
                first = i;
                break;
            }
        }
        m_owner.SetHScrollPage(kFirstPageSize);
        m_owner.SetHScrollPos(first);
        s.overview = false;
        m_owner.SetHistogramAllowed(1);
    }
    // The page starts where the scroll bar now stands, as a scroll would set
    // it, and the reload shows readings already there: it opens no live page.
    s.startIndex = s.pageSize * m_owner.GetHScrollPos();
    m_pageReadings = LeadingValid(s.overviewStore, std::min(s.overviewCount, kStoreSlots - 1));
    NewReading(s.overviewStore, s.overviewCount);
}

int CTrafficGraph::SlotUnder(int x) const
{
    const TrafficGraphState& s = m_state;
    const int lastSlot = std::min(s.slotCount, static_cast<int>(s.page.size()) - 1);
    return std::clamp((x - kLeftMargin) / std::max(s.slotWidth, 1), 0, std::max(lastSlot, 0));
}

void CTrafficGraph::DoubleClick(GraphPoint p)
{
    TrafficGraphState& s = m_state;
    if (!Inside(p) || s.overview || p.x < kLeftMargin || s.page.empty())
        return;
    s.clickPhase = (s.clickPhase + 1) % 3;
    const int slot = SlotUnder(p.x);
    if (s.clickPhase == 1) {
        PlaceA(p.x, slot);
        m_owner.ClearBetweenReadouts();
    } else if (s.clickPhase == 2) {
        if (p.x < s.aX)
            PlaceA(p.x, slot); // A moves left; the next double-click only repaints
        else
            PlaceB(p.x, slot);
    }
    // Also after A has moved left, so the lines show where the cursors are.
    Repaint();
}

void CTrafficGraph::PlaceA(int x, int slot)
{
    TrafficGraphState& s = m_state;
    s.aX = x;
    s.aSlot = slot;
    s.bShown = false;
    s.aShown = true;
    ReadA();
    s.between.clear();
    s.betweenCount = 0;
    if (s.aOnReading) {
        s.between.push_back(s.page[static_cast<std::size_t>(slot)]);
        s.betweenCount = 1;
    }
}

void CTrafficGraph::ReadA()
{
    // A cursor on an empty slot reads nothing: its readout stays empty.
    TrafficGraphState& s = m_state;
    const DataSample& reading = s.page[static_cast<std::size_t>(s.aSlot)];
    s.aOnReading = reading.valid != 0;
    s.aValue = s.aOnReading ? reading.value : 0.0;
    s.aTime = s.aOnReading ? reading.time : std::string();
    s.maximum = s.minimum = s.average = s.aValue;
    s.maximumTime = s.minimumTime = s.aTime;
    if (s.aOnReading)
        m_owner.ShowCursorA(s.aValue, s.aTime);
    else
        m_owner.ShowNoReading(GraphReadout::CursorA);
}

void CTrafficGraph::PlaceB(int x, int slot)
{
    TrafficGraphState& s = m_state;
    s.bShown = true;
    s.bX = x;
    s.bSlot = slot;
    CollectBetween();
}

void CTrafficGraph::CollectBetween()
{
    // The statistics cover the readings between the cursors; empty slots
    // are no readings and count for nothing.
    TrafficGraphState& s = m_state;
    const DataSample& b = s.page[static_cast<std::size_t>(s.bSlot)];
    s.bOnReading = b.valid != 0;
    s.bValue = s.bOnReading ? b.value : 0.0;
    s.bTime = s.bOnReading ? b.time : std::string();
    s.between.clear();
    s.betweenCount = 0;
    const int last = std::min(s.bSlot, static_cast<int>(s.page.size()) - 1);
    for (int i = s.aSlot; i <= last && s.betweenCount < kBetweenCapacity; ++i) {
        const DataSample& reading = s.page[static_cast<std::size_t>(i)];
        if (!reading.valid)
            continue;
        // The extremes keep the earliest of equal readings.
        if (s.betweenCount == 0 || reading.value > s.maximum) {
            s.maximum = reading.value;
            s.maximumTime = reading.time;
        }
        if (s.betweenCount == 0 || reading.value < s.minimum) {
            s.minimum = reading.value;
            s.minimumTime = reading.time;
        }
        s.average = s.betweenCount == 0 ? reading.value
                                        : (s.betweenCount * s.average + reading.value) / (s.betweenCount + 1);
        s.between.push_back(reading);
        ++s.betweenCount;
    }
    if (s.bOnReading)
        m_owner.ShowCursorB(s.bValue, s.bTime);
    else
        m_owner.ShowNoReading(GraphReadout::CursorB);
    if (s.betweenCount == 0) {
        s.maximum = s.minimum = s.average = 0.0;
        s.maximumTime.clear();
        s.minimumTime.clear();
        m_owner.ShowNoReading(GraphReadout::Between);
        return;
    }
    m_owner.ShowMaxBetween(s.maximum, s.maximumTime);
    m_owner.ShowMinBetween(s.minimum, s.minimumTime);
    m_owner.ShowAvgBetween(s.average);
}

void CTrafficGraph::RefreshCursors()
{
    TrafficGraphState& s = m_state;
    if (!s.aShown || s.page.empty())
        return;
    // The cursors keep their places and read what now lies under their
    // lines, at the page's present slot width.
    s.aSlot = SlotUnder(s.aX);
    ReadA();
    m_owner.ClearBetweenReadouts();
    if (s.bShown) {
        s.bSlot = SlotUnder(s.bX);
        if (s.aSlot <= s.bSlot)
            CollectBetween();
    }
}

void CTrafficGraph::RightButtonDown(GraphPoint p)
{
    if (!Inside(p) || p.x < kLeftMargin)
        return;
    HideCursors();
    Repaint();
}

void CTrafficGraph::HideCursors()
{
    TrafficGraphState& s = m_state;
    s.clickPhase = 0;
    s.aShown = false;
    s.bShown = false;
    m_owner.ShowCursorA(0.0, "");
    m_owner.ShowCursorB(0.0, "");
    m_owner.ShowMaxBetween(0.0, "");
    m_owner.ShowMinBetween(0.0, "");
    m_owner.ShowAvgBetween(0.0);
    s.between.clear();
    s.betweenCount = 0;
}
