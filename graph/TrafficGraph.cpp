// The real-time graph's messages and the view's calls: taking new readings,
// the page, clearing, the style, the time scale, vertical scrolling and the
// zoom reset. The mouse side is in TrafficGraphNavigation.cpp.
#include "TrafficGraph.h"

#include "GraphOwner.h"
#include "TimeText.h"

#include <algorithm>

using namespace GraphMath;

namespace {

DataSample EmptySlot()
{
    DataSample slot;
    slot.time.clear();
    return slot;
}

} // namespace

CTrafficGraph::CTrafficGraph(IGraphOwner& owner, IGraphCanvas* canvas, CReadingCache::Converter convert)
    : m_owner(owner), m_canvas(canvas), m_convert(convert ? convert : &TrySampleCalendarTime), m_readings(m_convert)
{
}

void CTrafficGraph::Attach(int width, int height)
{
    TrafficGraphState& s = m_state;
    s.width = width;
    s.height = height;
    s.slotCount = std::max((width - kLeftMargin) / kFirstSlotWidth, 0);
    s.page.assign(static_cast<std::size_t>(s.slotCount) + 1, EmptySlot());
    s.topDb = kFullTopDb;
    s.bottomDb = kFullBottomDb;
    s.divisionDb = 20.0;
    s.style = 1;
    s.pageFill = -10;
    // A control with no plot area draws nothing.
    s.ready = width > kLeftMargin && height > 0;
}

int CTrafficGraph::NewReading(const DataSample* store, int index)
{
    TrafficGraphState& s = m_state;
    index = store ? std::clamp(index, 0, kStoreSlots) : 0;
    if (s.overview) {
        s.overviewStore = store;
        s.overviewCount = index;
        s.pageFill = index;
        SyncTimes();
        Repaint();
        return 1;
    }

    const int m = LeadingValid(store, std::min(index, kStoreSlots - 1));
    s.lastPage = std::max(s.lastPage, m / s.pageSize);
    int start = s.startIndex;
    // The live data open a new page when they have just filled the last one.
    // A reload with the same readings (a scroll while idle, a zoom) stays
    // where the scroll bar stands, even when the readings fill whole pages.
    if (m == s.lastPage * s.pageSize && m != m_pageReadings) {
        start = m;
        m_owner.SetHScrollPos(m);
    } else if (m >= s.lastPage * s.pageSize) {
        start = s.pageSize * m_owner.GetHScrollPos();
    }
    m_pageReadings = m;
    LoadPage(store, start);
    RefreshCursors();
    Repaint();
    return 0;
}

int CTrafficGraph::LeadingValid(const DataSample* store, int last) const
{
    if (store == nullptr)
        return 0;
    int m = 0;
    while (m <= last && m < kStoreSlots && store[m].valid)
        ++m;
    return m;
}

void CTrafficGraph::LoadPage(const DataSample* store, int start)
{
    TrafficGraphState& s = m_state;
    const int last = std::min(s.slotCount, static_cast<int>(s.page.size()) - 1);
    for (int j = 0; j <= last; ++j) {
        const int at = start + j;
        DataSample& slot = s.page[static_cast<std::size_t>(j)];
        if (store && at >= 0 && at < kStoreSlots) {
            slot = store[at];
        } else {
            slot = EmptySlot();
        }
    }
    s.pageFill = last;
    for (int j = 0; j <= last; ++j) {
        if (!s.page[static_cast<std::size_t>(j)].valid) {
            s.pageFill = j;
            break;
        }
    }
}

int CTrafficGraph::SetStyle(int style)
{
    if (style == 0 || style == 1)
        m_state.style = style;
    return m_state.style;
}

int CTrafficGraph::Clear()
{
    TrafficGraphState& s = m_state;
    for (int j = 0; j <= s.slotCount && j < static_cast<int>(s.page.size()); ++j) {
        s.page[static_cast<std::size_t>(j)].value = 0.0;
        s.page[static_cast<std::size_t>(j)].valid = 0;
    }
    s.pageFill = -10;
    // The store belongs to the recorder, which has emptied it already; the
    // graph only forgets how much of it it had drawn.
    s.overviewCount = 0;
    s.timePlacedCount = 0;
    // The pages the live data had reached are gone with them.
    s.lastPage = 1;
    m_pageReadings = -1;
    m_readings.Forget();
    Repaint();
    return 1;
}

void CTrafficGraph::SetTimeScale(std::int64_t origin, double pixelsPerSecond)
{
    m_state.overviewOrigin = origin;
    m_state.overviewScale = pixelsPerSecond;
}

void CTrafficGraph::SetVerticalScrollPos(int position)
{
    const DbRange range = RangeAtScrollPosition(position, m_state.verticalSteps, m_state.divisionDb);
    m_state.topDb = range.topDb;
    m_state.bottomDb = range.bottomDb;
    Repaint();
}

void CTrafficGraph::SetVerticalRange()
{
    const VerticalSteps steps = VerticalStepsOf(m_state.topDb, m_state.bottomDb);
    m_state.divisionDb = steps.divisionDb;
    m_state.verticalSteps = steps.steps;
    m_owner.SetVScroll(steps.divisionDb, steps.steps, m_state.topDb);
}

void CTrafficGraph::UndoZoom(const DataSample* store)
{
    TrafficGraphState& s = m_state;
    s.topDb = kFullTopDb;
    s.bottomDb = kFullBottomDb;
    s.fineLabels = false;
    s.slotWidth = kFirstSlotWidth;
    s.pageSize = kFirstPageSize;
    s.slotCount = std::max(s.PlotWidth() / kFirstSlotWidth, 0);
    m_owner.SetHScrollPage(kFirstPageSize);
    s.lastPage = LeadingValid(store, kStoreSlots - 1) / kFirstPageSize;
    m_owner.SetHScrollPos(s.lastPage * kFirstPageSize);
    m_owner.SetVScroll(0.0, 0, 0.0);
    s.overview = true;
    HideCursors();
    m_owner.SetHistogramAllowed(0);
    Repaint();
}

void CTrafficGraph::SyncTimes()
{
    const TrafficGraphState& s = m_state;
    const int unplaced = m_readings.Sync(s.overviewStore, s.overviewCount);
    if (unplaced >= 0) {
        const DataSample& reading = s.overviewStore[unplaced];
        m_owner.ReportUnplacedReading(unplaced, reading.date, reading.time);
    }
}

void CTrafficGraph::Repaint()
{
    if (m_canvas)
        m_canvas->Repaint();
}
