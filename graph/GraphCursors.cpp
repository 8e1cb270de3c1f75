#include "graph/GraphCursors.h"

#include "common/TimeText.h"
#include "graph/GraphOwner.h"

namespace {

std::string ShownTime(const std::string& time, GraphCursors::Times times)
{
    return times == GraphCursors::Times::Padded ? PadTimeText(time) : time;
}

} // namespace

void GraphCursors::DoubleClick(int x, CursorTarget target, const ICursorSource& source, IGraphOwner& owner,
                               Times times)
{
    m_step = (m_step + 1) % 3;
    if (m_step == 1) {
        PlaceA(x, target, owner, times);
    } else if (m_step == 2) {
        if (x < m_a.x) {
            PlaceA(x, target, owner, times); // the next double click changes nothing
            return;
        }
        m_b.shown = true;
        m_b.x = x;
        Read(m_b, target, times);
        Collect(source, times);
        ShowBetween(owner);
    }
}

void GraphCursors::Reread(const ICursorSource& source, IGraphOwner& owner)
{
    if (!m_a.shown)
        return;
    Read(m_a, source.TargetAt(m_a.x), Times::AsStored);
    m_between = {};
    ShowA(owner);
    owner.ClearBetweenReadouts();
    if (m_b.shown) {
        Read(m_b, source.TargetAt(m_b.x), Times::AsStored);
        Collect(source, Times::AsStored);
        ShowBetween(owner);
    }
}

void GraphCursors::Hide(IGraphOwner& owner)
{
    m_step = 0;
    m_a.shown = false;
    m_b.shown = false;
    m_between = {};
    owner.ShowCursorA(0.0, "");
    owner.ShowCursorB(0.0, "");
    owner.ShowMaxBetween(0.0, "");
    owner.ShowMinBetween(0.0, "");
    owner.ShowAvgBetween(0.0);
}

void GraphCursors::Read(CursorLine& line, CursorTarget target, Times times)
{
    // An empty slot is no reading: the readout stays empty.
    line.at = target.at;
    line.onReading = target.reading != nullptr && target.reading->valid != 0;
    line.value = line.onReading ? target.reading->value : 0.0;
    line.time = line.onReading ? ShownTime(target.reading->time, times) : std::string();
}

void GraphCursors::PlaceA(int x, CursorTarget target, IGraphOwner& owner, Times times)
{
    m_a.shown = true;
    m_a.x = x;
    m_b.shown = false;
    Read(m_a, target, times);
    m_between = {};
    ShowA(owner);
    owner.ClearBetweenReadouts();
}

void GraphCursors::Collect(const ICursorSource& source, Times times)
{
    // Empty slots are no readings and count for nothing.
    m_between = {};
    CursorStatistics& s = m_between;
    double sum = 0.0;
    for (const DataSample& reading : source.ReadingsBetween(m_a.at, m_b.at)) {
        if (!reading.valid)
            continue;
        if (s.count == 0 || reading.value > s.maximum) {
            s.maximum = reading.value;
            s.maximumTime = reading.time;
        }
        if (s.count == 0 || reading.value < s.minimum) {
            s.minimum = reading.value;
            s.minimumTime = reading.time;
        }
        sum += reading.value;
        ++s.count;
    }
    if (s.count == 0)
        return;
    s.average = sum / s.count;
    s.maximumTime = ShownTime(s.maximumTime, times);
    s.minimumTime = ShownTime(s.minimumTime, times);
}

void GraphCursors::ShowA(IGraphOwner& owner) const
{
    if (m_a.onReading)
        owner.ShowCursorA(m_a.value, m_a.time);
    else
        owner.ShowNoReading(GraphReadout::CursorA);
}

void GraphCursors::ShowBetween(IGraphOwner& owner) const
{
    if (m_b.onReading)
        owner.ShowCursorB(m_b.value, m_b.time);
    else
        owner.ShowNoReading(GraphReadout::CursorB);
    if (m_between.count == 0) {
        owner.ShowNoReading(GraphReadout::Between);
        return;
    }
    owner.ShowMaxBetween(m_between.maximum, m_between.maximumTime);
    owner.ShowMinBetween(m_between.minimum, m_between.minimumTime);
    owner.ShowAvgBetween(m_between.average);
}
