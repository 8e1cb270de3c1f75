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

CursorTarget CTrafficGraph::TargetAt(int x) const
{
    const int slot = SlotUnder(x);
    return {slot, &m_state.page[static_cast<std::size_t>(slot)]};
}

std::span<const DataSample> CTrafficGraph::ReadingsBetween(int aSlot, int bSlot) const
{
    const std::vector<DataSample>& page = m_state.page;
    const int last = std::min(bSlot, static_cast<int>(page.size()) - 1);
    if (aSlot < 0 || aSlot > last)
        return {};
    return std::span<const DataSample>(page).subspan(static_cast<std::size_t>(aSlot),
                                                     static_cast<std::size_t>(last - aSlot + 1));
}

void CTrafficGraph::DoubleClick(GraphPoint p)
{
    TrafficGraphState& s = m_state;
    if (!Inside(p) || s.overview || p.x < kLeftMargin || s.page.empty())
        return;
    s.cursors.DoubleClick(p.x, TargetAt(p.x), *this, m_owner, GraphCursors::Times::AsStored);
    // Also after a double click that moves nothing, so the lines show where the cursors are.
    Repaint();
}

void CTrafficGraph::RefreshCursors()
{
    // The cursors keep their places and read what now lies under their
    // lines, at the page's present slot width.
    if (!m_state.page.empty())
        m_state.cursors.Reread(*this, m_owner);
}

void CTrafficGraph::RightButtonDown(GraphPoint p)
{
    if (!Inside(p) || p.x < kLeftMargin)
        return;
    m_state.cursors.Hide(m_owner);
    Repaint();
}
