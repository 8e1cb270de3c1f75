// The graph area's scroll bars, zoom reset and time scale, and the readouts
// the real-time graph reports back to the view.
#include "RealTimeController.h"

#include "RealTimeGraph.h"

#include <algorithm>
#include <cmath>

void CRealTimeController::HorizontalScroll(ScrollCode code, int thumbPosition)
{
    int position = m_hBar.position;
    bool moved = true;
    switch (code) {
    case ScrollCode::LineBack:
        position = std::max(position - 1, 0);
        break;
    case ScrollCode::LineForward:
        position = std::min(position + 1, m_hBar.maximum);
        break;
    case ScrollCode::ThumbPosition:
        position = std::clamp(thumbPosition, 0, std::max(m_hBar.maximum, 0));
        break;
    default:
        moved = false;
        break;
    }
    if (moved) {
        m_hBar.position = position;
        m_firstVisibleReading = m_hBar.step * position;
        PublishHBar();
        m_graph.SetStartIndex(m_firstVisibleReading);
    }
    // While nothing is recorded the graph repaints only when told.
    if (!m_running)
        m_graph.NewReading(m_store.Data(), m_store.Count());
}

void CRealTimeController::VerticalScroll(ScrollCode code, int thumbPosition)
{
    int position = m_vBar.position;
    switch (code) {
    case ScrollCode::LineForward:
        position = std::min(position + 1, m_vBar.maximum);
        break;
    case ScrollCode::LineBack:
        position = std::max(position - 1, 0);
        break;
    case ScrollCode::ThumbPosition:
        position = std::clamp(thumbPosition, 0, std::max(m_vBar.maximum, 0));
        break;
    default:
        return;
    }
    m_vBar.position = position;
    PublishVBar();
    m_graph.SetVerticalScrollPos(position);
}

void CRealTimeController::UndoZoom()
{
    m_graph.UndoZoom(m_store.Data());
    m_hBar.position = 0;
    m_hBar.arrowsEnabled = false;
    m_vBar.position = 0;
    m_vBar.arrowsEnabled = false;
    PublishHBar();
    PublishVBar();
}

void CRealTimeController::SetHScrollPage(int step)
{
    if (step <= 0) // a page of no readings has no scroll positions
        return;
    m_hBar.step = step;
    m_hBar.maximum = m_limit / step;
    m_hBar.position = std::min(m_hBar.position, m_hBar.maximum);
    m_hBar.arrowsEnabled = true;
    PublishHBar();
}

void CRealTimeController::SetHScrollPos(int readingIndex)
{
    if (m_hBar.step <= 0)
        return;
    // The bar keeps its position inside its range.
    m_hBar.position = std::clamp(readingIndex / m_hBar.step, 0, std::max(m_hBar.maximum, 0));
    PublishHBar();
}

void CRealTimeController::SetVScroll(double unit, int maximum, double topLevel)
{
    if (maximum == 0) {
        m_vBar.arrowsEnabled = false;
        PublishVBar();
        return;
    }
    if (!(unit > 0.0) || maximum < 0)
        return;
    m_vBar.unit = unit;
    m_vBar.maximum = maximum;
    const double position = std::trunc((130.0 - topLevel) / unit);
    m_vBar.position = static_cast<int>(std::clamp(position, 0.0, static_cast<double>(maximum)));
    m_vBar.arrowsEnabled = true;
    PublishVBar();
}

void CRealTimeController::ExtendTimeScale()
{
    ApplyTimeScale(3.0 * m_limit - 2.0 * m_statistics.dataNo);
}

void CRealTimeController::PublishHBar() const
{
    if (m_views.controls)
        m_views.controls->ShowHScrollBar(m_hBar);
}

void CRealTimeController::PublishVBar() const
{
    if (m_views.controls)
        m_views.controls->ShowVScrollBar(m_vBar);
}

// ---- readouts ----

void CRealTimeController::ShowCursorA(double value, const std::string& clockText)
{
    m_statistics.cursorA = value;
    m_statistics.cursorATime = PadTimeText(clockText);
    RefreshStatistics();
}

void CRealTimeController::ShowCursorB(double value, const std::string& clockText)
{
    m_statistics.cursorB = value;
    m_statistics.cursorBTime = PadTimeText(clockText);
    RefreshStatistics();
}

void CRealTimeController::ShowMaxBetween(double value, const std::string& clockText)
{
    m_statistics.maxBetween = value;
    m_statistics.maxBetweenTime = PadTimeText(clockText);
    RefreshStatistics();
}

void CRealTimeController::ShowMinBetween(double value, const std::string& clockText)
{
    m_statistics.minBetween = value;
    m_statistics.minBetweenTime = PadTimeText(clockText);
    RefreshStatistics();
}

void CRealTimeController::ShowAvgBetween(double value)
{
    m_statistics.avgBetween = value;
    RefreshStatistics();
}

void CRealTimeController::ClearBetweenReadouts()
{
    m_statistics.cursorB = 0.0;
    m_statistics.cursorBTime.clear();
    m_statistics.maxBetween = 0.0;
    m_statistics.maxBetweenTime.clear();
    m_statistics.minBetween = 0.0;
    m_statistics.minBetweenTime.clear();
    m_statistics.avgBetween = 0.0;
    RefreshStatistics();
}

void CRealTimeController::SetTimeLabels(const std::string& left, const std::string& middle, const std::string& right)
{
    if (m_views.timeLabels)
        m_views.timeLabels->SetTimeLabels(left, middle, right);
}
