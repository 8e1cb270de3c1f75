// The mouse side of the data-logger graph and the window's horizontal bar:
// the drag that zooms dB and time together, panning a zoomed view, cursors A
// and B with the statistics between them, and removing them.
#include "logger/DataLoggerGraph.h"

#include "common/TimeText.h"
#include "graph/GraphOwner.h"

#include <algorithm>
#include <cstdlib>

using namespace GraphMath;

namespace {

// Whole seconds from the view's origin at x: trunc((x - 30) * (1 / scale)).
int SecondsAt(int x, double pixelsPerSecond)
{
    return Trunc((x - kLeftMargin) * (1.0 / pixelsPerSecond));
}

} // namespace

// ---- the zoom drag ----

void CDataLoggerGraph::LeftButtonDown(GraphPoint p)
{
    m_state.drag.Press(p, Inside(p));
}

void CDataLoggerGraph::MouseMove(GraphPoint p)
{
    m_state.drag.Move(p, Inside(p), m_canvas);
}

void CDataLoggerGraph::LeftButtonUp(GraphPoint p)
{
    DataLoggerGraphState& s = m_state;
    if (s.sampleCount == 0) {
        s.drag.start = {};
        return;
    }
    if (p.x < kLeftMargin) {
        s.drag.Clear();
        Repaint();
        return;
    }
    if (!s.drag.Release(p, s.width, s.height, m_canvas))
        return;
    const GraphPoint anchor = s.drag.start;
    s.drag.dragging = false;
    // Less than 2 dB, or any drag upwards, zooms nothing.
    if (const auto zoom = VerticalZoomOfDrag(anchor.y, p.y, s.height, s.topDb, s.bottomDb)) {
        s.oneDecimal = zoom->fineLabels;
        s.topDb = zoom->topDb;
        s.bottomDb = zoom->bottomDb;
        SetVerticalRange(zoom->topDb, zoom->bottomDb);
        ZoomToSelection(anchor.x, p.x);
    }
    s.drag.Clear();
    Repaint();
}

// ---- the time range of a zoom ----

// The zoom runs from the first sample at most a second before the selection's
// start up to the first at most a second before its end, in the view as it
// shows. A selection without a span of time leaves view, readouts and bars.
void CDataLoggerGraph::ZoomToSelection(int x1, int x2)
{
    if (m_state.sampleCount <= 0)
        return;
    const DataLoggerView view = View();
    // A drag to the left selects the same span as one to the right.
    const int s1 = SecondsAt(std::min(x1, x2), view.scale);
    const int s2 = SecondsAt(std::max(x1, x2), view.scale);
    bool found = false;
    int first = view.first;
    int last = -1;
    std::int64_t begin = 0;
    std::int64_t end = 0;
    for (int i = view.first; i <= view.last; ++i) {
        if (!Placed(i))
            continue;
        const std::int64_t t = m_readings.Time(i);
        const std::int64_t d = t - view.origin;
        last = i;
        end = t;
        if (!found) {
            if (s1 - d <= 1) {
                found = true;
                first = i;
                begin = t;
            }
            continue;
        }
        if (s2 - d <= 1)
            break;
    }
    if (!found || end == begin)
        return;
    // A zoom from the overview keeps a scroll range of at least one.
    SetZoom(first, last, begin, end, view.zoomed ? 0 : 1);
    HideCursors();
    Repaint();
}

void CDataLoggerGraph::SetZoom(int first, int last, std::int64_t begin, std::int64_t end, int minimumRange)
{
    DataLoggerGraphState& s = m_state;
    s.zoomFirst = first;
    s.zoomLast = last;
    s.zoomCount = last - first + 1;
    s.zoomPixelsPerSecond = s.PlotWidth() / static_cast<double>(end - begin);
    s.scrollStep = std::max(s.zoomCount / 10, 1);
    const int range = (s.sampleCount - s.zoomCount) / s.scrollStep;
    m_owner.SetHScrollRange(s.scrollStep, range == 0 ? minimumRange : range);
    m_owner.SetHScrollPos(s.zoomFirst);
    s.fullView = false;
}

// ---- the horizontal bar ----

void CDataLoggerGraph::ApplyHScrollPos()
{
    DataLoggerGraphState& s = m_state;
    if (s.samples == nullptr || s.sampleCount <= 0)
        return;
    const long long position = m_owner.GetHScrollPos();
    int first = static_cast<int>(std::clamp<long long>(s.scrollStep * position, 0, s.sampleCount - 1));
    int last = first + s.zoomCount;
    if (last >= s.sampleCount) {
        last = s.sampleCount - 1;
        first = std::max(last - s.zoomCount, 0);
    }
    while (first < last && !Placed(first))
        ++first;
    if (!Placed(first))
        return;
    // The view spans at least two time stamps; a scroll that cannot is ignored.
    const std::int64_t begin = m_readings.Time(first);
    while (last < s.sampleCount && (!Placed(last) || m_readings.Time(last) == begin))
        ++last;
    if (last >= s.sampleCount)
        return;
    s.zoomFirst = first;
    s.zoomLast = last;
    s.zoomPixelsPerSecond = s.PlotWidth() / static_cast<double>(m_readings.Time(last) - begin);

    // The cursors keep their places and read what now lies under them; the
    // times are shown as the samples hold them.
    if (s.cursorAShown) {
        ReadA(SampleAtCursor(s.cursorAX), false);
        m_owner.ClearBetweenReadouts();
    }
    if (s.cursorBShown) {
        ReadB(SampleAtCursor(s.cursorBX), false);
        CollectBetween();
        ShowBetween();
    }
    Repaint();
}

int CDataLoggerGraph::SampleAtCursor(int cursorX) const
{
    const DataLoggerView view = View();
    const int seconds = Trunc((cursorX - kLeftMargin) / view.scale);
    for (int i = view.first; i <= view.last; ++i) {
        if (Placed(i) && seconds - (m_readings.Time(i) - view.origin) <= 1)
            return i;
    }
    // Past the last sample of the view the cursor reads nothing.
    return -1;
}

// ---- cursors ----

int CDataLoggerGraph::SampleAtX(int x) const
{
    const DataLoggerView view = View();
    int index = -1;
    for (int i = view.first; i <= view.last; ++i) {
        if (Placed(i) && OverviewX(m_readings.Time(i), view.origin, view.scale) >= x) {
            index = i;
            break;
        }
    }
    if (index < 0)
        return -1; // right of the last sample: no sample under the cursor
    // Within the run of samples at that time stamp, the value the trace shows there.
    const std::int64_t t = m_readings.Time(index);
    int best = index;
    for (int i = index + 1; i <= view.last && Placed(i) && m_readings.Time(i) == t; ++i) {
        if (m_readings.Value(i) - m_readings.Value(best) > 0.01)
            best = i;
    }
    return best;
}

void CDataLoggerGraph::DoubleClick(GraphPoint p)
{
    DataLoggerGraphState& s = m_state;
    if (s.sampleCount <= 0 || !Inside(p) || p.x < kLeftMargin)
        return;
    s.cursorState = (s.cursorState + 1) % 3;
    if (s.cursorState == 1) {
        PlaceA(p.x, SampleAtX(p.x));
    } else if (s.cursorState == 2) {
        const int index = SampleAtX(p.x);
        s.cursorBShown = true;
        if (s.cursorAX > p.x) {
            PlaceA(p.x, index); // A moves left; B stays hidden
        } else {
            s.cursorBX = p.x;
            ReadB(index, true);
            CollectBetween();
            s.maxBetweenTime = PadTimeText(s.maxBetweenTime);
            s.minBetweenTime = PadTimeText(s.minBetweenTime);
            ShowBetween();
        }
    }
    Repaint();
}

void CDataLoggerGraph::PlaceA(int x, int index)
{
    DataLoggerGraphState& s = m_state;
    s.cursorBShown = false;
    s.cursorAX = x;
    ReadA(index, true);
    m_owner.ClearBetweenReadouts();
    s.cursorAShown = true;
}

// The sample under a cursor, or none (index -1: right of the last sample).
// A double click shows its time zero-filled, a scroll as stored.
void CDataLoggerGraph::ReadA(int index, bool padded)
{
    DataLoggerGraphState& s = m_state;
    s.cursorAIndex = index;
    const bool any = index >= 0 && index < s.sampleCount;
    s.cursorAValue = any ? s.samples[index].value : 0.0;
    const std::string time = any ? s.samples[index].time : std::string();
    s.maxBetween = s.minBetween = s.avgBetween = s.cursorAValue;
    s.maxBetweenTime = s.minBetweenTime = time;
    s.cursorATime = padded && any ? PadTimeText(time) : time;
    if (any)
        m_owner.ShowCursorA(s.cursorAValue, s.cursorATime);
    else
        m_owner.ShowNoReading(GraphReadout::CursorA);
}

void CDataLoggerGraph::ReadB(int index, bool padded)
{
    DataLoggerGraphState& s = m_state;
    s.cursorBIndex = index;
    const bool any = index >= 0 && index < s.sampleCount;
    s.cursorBValue = any ? s.samples[index].value : 0.0;
    const std::string time = any ? s.samples[index].time : std::string();
    s.cursorBTime = padded && any ? PadTimeText(time) : time;
}

void CDataLoggerGraph::ShowBetween()
{
    const DataLoggerGraphState& s = m_state;
    if (s.cursorBIndex >= 0)
        m_owner.ShowCursorB(s.cursorBValue, s.cursorBTime);
    else
        m_owner.ShowNoReading(GraphReadout::CursorB);
    if (s.betweenCount == 0) {
        m_owner.ShowNoReading(GraphReadout::Between);
        return;
    }
    m_owner.ShowMaxBetween(s.maxBetween, s.maxBetweenTime);
    m_owner.ShowMinBetween(s.minBetween, s.minBetweenTime);
    m_owner.ShowAvgBetween(s.avgBetween);
}

void CDataLoggerGraph::CollectBetween()
{
    DataLoggerGraphState& s = m_state;
    s.avgBetween = 0.0;
    s.betweenCount = 0;
    // A cursor right of the last sample of the view: the statistics run to
    // that sample; an A there has no sample after it.
    const int a = s.cursorAIndex;
    const int b = s.cursorBIndex >= 0 ? s.cursorBIndex : View().last;
    if (a < 0 || a > b)
        return;
    // The extremes start from the value at A; the earliest of equal ones stays.
    double sum = 0.0;
    const int last = std::min({b, s.sampleCount - 1, kStatisticsLimit - 1});
    for (int i = a; i <= last; ++i) {
        const DataSample& sample = s.samples[i];
        if (sample.value > s.maxBetween) {
            s.maxBetween = sample.value;
            s.maxBetweenTime = sample.time;
        }
        if (sample.value < s.minBetween) {
            s.minBetween = sample.value;
            s.minBetweenTime = sample.time;
        }
        sum += sample.value;
        ++s.betweenCount;
    }
    if (s.betweenCount > 0)
        s.avgBetween = sum / s.betweenCount;
}

void CDataLoggerGraph::RightButtonDown(GraphPoint p)
{
    if (!Inside(p) || p.x < kLeftMargin)
        return;
    HideCursors();
    Repaint();
}
