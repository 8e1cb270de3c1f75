// The data-logger graph's set-up, the set it is handed, what its view
// plots, the zoom reset and the vertical range. The mouse, the zoom and the
// horizontal scroll are in DataLoggerNavigation.cpp.
#include "logger/DataLoggerGraph.h"

#include "logger/DataLoggerTrace.h"

#include "common/TimeText.h"
#include "graph/GraphOwner.h"

#include <algorithm>
#include <cmath>

using namespace GraphMath;

namespace {

// A scale that is no number (a span of no seconds divided into the plot)
// places every sample at the left edge instead.
double UsableScale(double pixelsPerSecond)
{
    return std::isfinite(pixelsPerSecond) ? pixelsPerSecond : 0.0;
}

} // namespace

CDataLoggerGraph::CDataLoggerGraph(IGraphOwner& owner, IGraphCanvas* canvas, CReadingCache::Converter convert)
    : m_owner(owner), m_canvas(canvas), m_readings(convert)
{
}

void CDataLoggerGraph::Attach(int width, int height)
{
    DataLoggerGraphState& s = m_state;
    s.width = width;
    s.height = height;
    s.topDb = kFullTopDb;
    s.bottomDb = kFullBottomDb;
    s.dbStep = 20.0;
    // A control with no plot area draws nothing.
    s.ready = width > kLeftMargin && height > 0;
    // The owner may still be setting itself up: it hears from the graph at
    // the first set or command.
    if (m_canvas)
        m_canvas->Repaint();
}

void CDataLoggerGraph::SetData(std::int64_t startTime, double pixelsPerSecond, const DataSample* samples, int count)
{
    DataLoggerGraphState& s = m_state;
    s.samples = count > 0 ? samples : nullptr;
    s.sampleCount = s.samples ? count : 0;
    s.startTime = startTime;
    s.pixelsPerSecond = UsableScale(pixelsPerSecond);
    s.fullView = true;
    // The window may hand over another set at the same address: all is taken anew.
    m_readings.Forget();
    const int unplaced = m_readings.Sync(s.samples, s.sampleCount);
    if (unplaced >= 0) {
        const DataSample& sample = s.samples[unplaced];
        m_owner.ReportUnplacedReading(unplaced, sample.date, sample.time);
    }
    Repaint();
}

void CDataLoggerGraph::ClearData()
{
    m_state.sampleCount = 0;
    m_state.samples = nullptr;
    m_state.fullView = true;
    m_readings.Forget();
    Repaint();
}

DataLoggerView CDataLoggerGraph::View() const
{
    const DataLoggerGraphState& s = m_state;
    DataLoggerView view;
    if (s.samples == nullptr || s.sampleCount <= 0)
        return view;
    if (s.fullView) {
        view.last = s.sampleCount - 1;
        view.origin = s.startTime;
        view.scale = s.pixelsPerSecond;
        return view;
    }
    view.zoomed = true;
    view.first = std::clamp(s.zoomFirst, 0, s.sampleCount - 1);
    view.last = std::min(s.zoomLast, s.sampleCount - 1);
    view.origin = Placed(view.first) ? m_readings.Time(view.first) : s.startTime;
    view.scale = s.zoomPixelsPerSecond;
    return view;
}

TimeLabels CDataLoggerGraph::TimeStripTexts() const
{
    const DataLoggerGraphState& s = m_state;
    GraphMath::TimeLabels labels;
    const DataLoggerView view = View();
    if (s.fullView || view.last < view.first)
        return labels;
    labels.left = TimeLabelText(s.samples[view.first].time);
    labels.middle = TimeLabelText(s.samples[std::min((s.zoomFirst + s.zoomLast) / 2, view.last)].time);
    labels.right = TimeLabelText(s.samples[view.last].time);
    return labels;
}

void CDataLoggerGraph::UndoZoom()
{
    DataLoggerGraphState& s = m_state;
    s.topDb = kFullTopDb;
    s.bottomDb = kFullBottomDb;
    s.oneDecimal = false;
    s.dbStep = 20.0;
    s.dbScrollMax = 0;
    m_owner.SetHScrollRange(std::max(s.scrollStep, 1), kOverviewScrollRange);
    m_owner.SetVScroll(0.0, 0, 0.0);
    s.fullView = true;
    s.cursors.Hide(m_owner);
    Repaint();
}

void CDataLoggerGraph::SetVerticalRange(double top, double bottom)
{
    const VerticalSteps steps = VerticalStepsOf(top, bottom);
    m_state.dbStep = steps.divisionDb;
    m_state.dbScrollMax = steps.steps;
    m_owner.SetVScroll(steps.divisionDb, steps.steps, top);
}

void CDataLoggerGraph::SetVerticalScrollPos(int position)
{
    // The window stays five steps high; the last position rests on 30 dB.
    const DbRange range = RangeAtScrollPosition(position, m_state.dbScrollMax, m_state.dbStep);
    m_state.topDb = range.topDb;
    m_state.bottomDb = range.bottomDb;
    Repaint();
}

bool CDataLoggerGraph::Inside(GraphPoint p) const
{
    return p.x >= 0 && p.y >= 0 && p.x < m_state.width && p.y < m_state.height;
}

// The update step after every change of state: what a frame of this state
// reports (print allowed, the time strip) goes to the owner here, so the
// drawing only reads the state.
void CDataLoggerGraph::Repaint()
{
    DataLoggerGraphState& s = m_state;
    const DataLoggerView view = View();
    s.printAllowed = true;
    if (view.zoomed) {
        // A point outside the dB window is still drawn, but the view cannot be printed.
        struct FitCheck {
            const DataLoggerGraphState& state;
            double pixelsPerDb;
            bool fits = true;
            static int TimeX(std::int64_t) { return 0; }
            int LevelY(double value)
            {
                const int d = LevelHeight(value, state.bottomDb, pixelsPerDb);
                fits = fits && d >= 0 && state.height - d >= 0;
                return 0;
            }
        } check{s, PixelsPerDb(s.height, s.topDb, s.bottomDb)};
        struct NoSink {
            static void Move(int, int) {}
            static void Line(int, int) {}
        } sink;
        WalkDataLoggerTrace(*this, view, check, sink);
        s.printAllowed = check.fits;
    }
    m_owner.SetPrintAllowed(s.printAllowed ? 1 : 0);
    const TimeLabels labels = TimeStripTexts();
    if (!m_labelsShown || !(labels == s.timeLabels)) {
        s.timeLabels = labels;
        m_labelsShown = true;
        m_owner.SetTimeLabels(labels.left, labels.middle, labels.right);
    }
    if (m_canvas)
        m_canvas->Repaint();
}
