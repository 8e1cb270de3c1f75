#include "graph/GraphOwnerModel.h"

#include "common/TimeText.h"

#include <algorithm>
#include <cmath>

CGraphOwnerModel::CGraphOwnerModel(IGraphFeed& feed, IGraphOwnerView* view, ReadoutTimes times)
    : m_feed(feed), m_view(view), m_times(times)
{
}

std::string CGraphOwnerModel::ReadoutTime(const std::string& clockText) const
{
    // A cleared readout stays empty rather than show a midnight no reading had.
    return m_times == ReadoutTimes::Padded && !clockText.empty() ? PadTimeText(clockText) : clockText;
}

// ---- readouts ----

void CGraphOwnerModel::ShowCursorA(double value, const std::string& clockText)
{
    m_readouts.cursorA = value;
    m_readouts.noCursorA = false;
    m_readouts.cursorATime = ReadoutTime(clockText);
    PublishReadouts();
}

void CGraphOwnerModel::ShowCursorB(double value, const std::string& clockText)
{
    m_readouts.cursorB = value;
    m_readouts.noCursorB = false;
    m_readouts.cursorBTime = ReadoutTime(clockText);
    PublishReadouts();
}

void CGraphOwnerModel::ShowMaxBetween(double value, const std::string& clockText)
{
    m_readouts.maxBetween = value;
    m_readouts.noneBetween = false;
    m_readouts.maxBetweenTime = ReadoutTime(clockText);
    PublishReadouts();
}

void CGraphOwnerModel::ShowMinBetween(double value, const std::string& clockText)
{
    m_readouts.minBetween = value;
    m_readouts.noneBetween = false;
    m_readouts.minBetweenTime = ReadoutTime(clockText);
    PublishReadouts();
}

void CGraphOwnerModel::ShowAvgBetween(double value)
{
    m_readouts.avgBetween = value;
    m_readouts.noneBetween = false;
    PublishReadouts();
}

void CGraphOwnerModel::ClearBetweenReadouts()
{
    m_readouts.cursorB = 0.0;
    m_readouts.cursorBTime.clear();
    m_readouts.maxBetween = 0.0;
    m_readouts.maxBetweenTime.clear();
    m_readouts.minBetween = 0.0;
    m_readouts.minBetweenTime.clear();
    m_readouts.avgBetween = 0.0;
    m_readouts.noCursorB = false;
    m_readouts.noneBetween = false;
    PublishReadouts();
}

void CGraphOwnerModel::ShowNoReading(GraphReadout readout)
{
    switch (readout) {
    case GraphReadout::CursorA:
        m_readouts.cursorA = 0.0;
        m_readouts.cursorATime.clear();
        m_readouts.noCursorA = true;
        break;
    case GraphReadout::CursorB:
        m_readouts.cursorB = 0.0;
        m_readouts.cursorBTime.clear();
        m_readouts.noCursorB = true;
        break;
    case GraphReadout::Between:
        m_readouts.maxBetween = m_readouts.minBetween = m_readouts.avgBetween = 0.0;
        m_readouts.maxBetweenTime.clear();
        m_readouts.minBetweenTime.clear();
        m_readouts.noneBetween = true;
        break;
    }
    PublishReadouts();
}

void CGraphOwnerModel::SetTimeLabels(const std::string& left, const std::string& middle, const std::string& right)
{
    if (m_view)
        m_view->ShowTimeLabels(left, middle, right);
}

std::string UnplacedReadingText(int index, const std::string& date, const std::string& time)
{
    // Texts read from elsewhere may be anything: only their beginning is quoted.
    auto quote = [](const std::string& text) { return "\"" + text.substr(0, 24) + "\""; };
    return "Reading " + std::to_string(index + 1) + " is left out of the graph: its date " + quote(date) +
           " and time " + quote(time) + " form no calendar time.";
}

void CGraphOwnerModel::ReportUnplacedReading(int index, const std::string& date, const std::string& time)
{
    if (m_view)
        m_view->ShowStatusMessage(UnplacedReadingText(index, date, time));
}

// ---- scroll bars ----

void CGraphOwnerModel::HorizontalScroll(ScrollCode code, int thumbPosition)
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
        m_feed.ScrollGraphTo(m_firstVisibleReading);
    }
    m_feed.AfterHorizontalScroll();
}

void CGraphOwnerModel::VerticalScroll(ScrollCode code, int thumbPosition)
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
    m_feed.ScrollGraphVertically(position);
}

void CGraphOwnerModel::UndoZoom()
{
    m_feed.UndoGraphZoom();
    m_hBar.position = 0;
    m_hBar.arrowsEnabled = false;
    m_vBar.position = 0;
    m_vBar.arrowsEnabled = false;
    PublishHBar();
    PublishVBar();
}

void CGraphOwnerModel::SetHScrollPage(int step)
{
    if (step <= 0) // a page of no readings has no scroll positions
        return;
    SetHScrollRange(step, m_feed.ReadingLimit() / step);
}

void CGraphOwnerModel::SetHScrollRange(int step, int maximum)
{
    if (step <= 0)
        return;
    m_hBar.step = step;
    m_hBar.maximum = std::max(maximum, 0);
    m_hBar.position = std::min(m_hBar.position, m_hBar.maximum);
    m_hBar.arrowsEnabled = true;
    PublishHBar();
}

void CGraphOwnerModel::SetHScrollPos(int readingIndex)
{
    if (m_hBar.step <= 0)
        return;
    // The bar keeps its position inside its range.
    m_hBar.position = std::clamp(readingIndex / m_hBar.step, 0, std::max(m_hBar.maximum, 0));
    PublishHBar();
}

void CGraphOwnerModel::SetVScroll(double unit, int maximum, double topLevel)
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

// ---- publishing ----

void CGraphOwnerModel::Publish() const
{
    PublishReadouts();
    PublishHBar();
    PublishVBar();
}

void CGraphOwnerModel::PublishReadouts() const
{
    if (m_view)
        m_view->ShowReadouts(MakeReadoutTexts(m_readouts));
}

void CGraphOwnerModel::PublishHBar() const
{
    if (m_view)
        m_view->ShowHScrollBar(m_hBar);
}

void CGraphOwnerModel::PublishVBar() const
{
    if (m_view)
        m_view->ShowVScrollBar(m_vBar);
}
