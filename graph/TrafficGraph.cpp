// The real-time graph's messages and the view's calls: taking new readings,
// the page, clearing, the style, the time scale, vertical scrolling and the
// zoom reset. The mouse side is in TrafficGraphNavigation.cpp.
#include "graph/TrafficGraph.h"

#include "common/TimeText.h"
#include "graph/GraphOwner.h"

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
    Changed();
}

int CTrafficGraph::NewReading(const DataSample* store, int index)
{
    TrafficGraphState& s = m_state;
    index = store ? std::clamp(index, 0, kStoreSlots) : 0;
    // The grid moves on with every reading while recording.
    if (s.scrolling) {
        s.gridPhaseX -= 2;
        if (s.gridPhaseX < 0)
            s.gridPhaseX = 10;
    }
    if (s.overview) {
        s.overviewStore = store;
        s.overviewCount = index;
        s.pageFill = index;
        SyncTimes();
        PlaceOverview();
        Changed();
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
    Changed();
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
    // Slots past the last one of a narrower page keep nothing of the wider one.
    for (std::size_t j = static_cast<std::size_t>(std::max(last + 1, 0)); j < s.page.size(); ++j)
        s.page[j] = EmptySlot();
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
    if ((style == 0 || style == 1) && style != m_state.style) {
        m_state.style = style;
        // The change shows at once, also while nothing is recorded.
        Changed();
    }
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
    ++s.overviewGeneration;
    // The pages the live data had reached are gone with them.
    s.lastPage = 1;
    m_pageReadings = -1;
    m_readings.Forget();
    m_placedScanned = 0;
    m_anyPlaced = false;
    Changed();
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
    Changed();
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
    s.cursors.Hide(m_owner);
    m_owner.SetHistogramAllowed(0);
    PlaceOverview();
    Changed();
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

// ---- the update step ----

void CTrafficGraph::Changed()
{
    TrafficGraphState& s = m_state;
    // A line point outside the dB range is still drawn, but the page cannot be printed.
    s.printAllowed = true;
    if (!s.overview && s.style == 1 && s.pageFill >= 0) {
        const double pixelsPerDb = PixelsPerDb(s.height, s.topDb, s.bottomDb);
        const int last = std::min(s.pageFill, static_cast<int>(s.page.size()));
        for (int i = 0; i < last && s.printAllowed; ++i) {
            const int d = LevelHeight(s.page[static_cast<std::size_t>(i)].value, s.bottomDb, pixelsPerDb);
            s.printAllowed = d >= 0 && s.height - d >= 0;
        }
    }
    m_owner.SetPrintAllowed(s.printAllowed ? 1 : 0);
    const TimeLabels labels = PageTimeLabels(s.page.data(), s.slotCount, s.overview);
    if (!m_labelsShown || !(labels == s.timeLabels)) {
        s.timeLabels = labels;
        m_labelsShown = true;
        m_owner.SetTimeLabels(labels.left, labels.middle, labels.right);
    }
    Repaint();
}

void CTrafficGraph::ScanPlaced()
{
    // The time-placed readings only grow between clearings: each is looked at once.
    const int placed = std::min(m_state.timePlacedCount, m_readings.Count());
    if (m_placedScanned > placed) {
        m_placedScanned = 0;
        m_anyPlaced = false;
    }
    for (; m_placedScanned < placed; ++m_placedScanned) {
        const std::int64_t t = m_readings.Time(m_placedScanned);
        if (t == CReadingCache::kNoTime)
            continue;
        m_latestPlaced = m_anyPlaced ? std::max(m_latestPlaced, t) : t;
        m_lastPlaced = t;
        m_anyPlaced = true;
    }
}

bool CTrafficGraph::PlaceTail()
{
    // The newest readings follow the time-placed ones at slot-width steps;
    // once one of them reaches the right edge, those before it go by their time.
    TrafficGraphState& s = m_state;
    const int count = std::min(s.overviewCount, m_readings.Count());
    const int first = std::max(s.timePlacedCount, 0);
    if (first >= count)
        return false;
    const int xLast = m_anyPlaced ? OverviewX(m_lastPlaced, s.overviewOrigin, s.overviewScale) : kLeftMargin;
    // Without a placed reading the first of the tail is only moved to.
    const int firstLine = m_anyPlaced ? 0 : 1;
    const int step = std::max(s.slotWidth, 1);
    const int k = std::max((s.width - xLast + step - 1) / step, firstLine);
    if (xLast + k * step < s.width || first + k >= count)
        return false;
    s.timePlacedCount = first + k;
    return true;
}

void CTrafficGraph::PlaceOverview()
{
    // Settles where the overview's readings go before it is drawn: the tail
    // that has reached the edge joins the time-placed readings, and a
    // time-placed reading at or past the right edge widens the time scale,
    // first as the owner reckons it, then, should that still leave it out,
    // from the time the stored readings span.
    TrafficGraphState& s = m_state;
    for (int round = 0; round <= s.overviewCount; ++round) {
        ScanPlaced();
        if (m_anyPlaced && OverviewX(m_latestPlaced, s.overviewOrigin, s.overviewScale) >= s.width) {
            m_owner.ExtendTimeScale();
            if (OverviewX(m_latestPlaced, s.overviewOrigin, s.overviewScale) >= s.width) {
                const double span = static_cast<double>(m_latestPlaced - s.overviewOrigin);
                s.overviewScale = s.PlotWidth() / (1.5 * span + 1.0);
            }
        }
        if (!PlaceTail())
            break;
    }
}

void CTrafficGraph::Repaint()
{
    if (m_canvas)
        m_canvas->Repaint();
}
