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
    m_state.cursors.Hide(m_owner);
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
    s.cursors.Reread(*this, m_owner);
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

CursorTarget CDataLoggerGraph::TargetOf(int index) const
{
    const DataLoggerGraphState& s = m_state;
    if (index < 0 || index >= s.sampleCount)
        return {index, nullptr};
    return {index, &s.samples[index]};
}

std::span<const DataSample> CDataLoggerGraph::ReadingsBetween(int a, int b) const
{
    // A cursor right of the last sample of the view: the statistics run to
    // that sample; an A there has no sample after it.
    const DataLoggerGraphState& s = m_state;
    if (b < 0)
        b = View().last;
    if (a < 0 || a > b)
        return {};
    const int last = std::min({b, s.sampleCount - 1, kStatisticsLimit - 1});
    if (last < a)
        return {};
    return {s.samples + a, static_cast<std::size_t>(last - a + 1)};
}

void CDataLoggerGraph::DoubleClick(GraphPoint p)
{
    DataLoggerGraphState& s = m_state;
    if (s.sampleCount <= 0 || !Inside(p) || p.x < kLeftMargin)
        return;
    // A double click reads the sample drawn at or right of it, its time zero-filled.
    s.cursors.DoubleClick(p.x, TargetOf(SampleAtX(p.x)), *this, m_owner, GraphCursors::Times::Padded);
    Repaint();
}

void CDataLoggerGraph::RightButtonDown(GraphPoint p)
{
    if (!Inside(p) || p.x < kLeftMargin)
        return;
    m_state.cursors.Hide(m_owner);
    Repaint();
}
