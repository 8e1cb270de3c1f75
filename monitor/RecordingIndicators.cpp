#include "monitor/RecordingIndicators.h"

#include "logger/SetIndicators.h"

namespace {

bool SameReading(const DataSample& a, const DataSample& b)
{
    return a.value == b.value && a.date == b.date && a.time == b.time && a.unit == b.unit;
}

} // namespace

CRecordingIndicators::CRecordingIndicators() : m_live(0.0) {}

void CRecordingIndicators::Restart(double period)
{
    m_live = CLiveIndicators(period);
    m_count = 0;
    m_period = period;
    m_first = DataSample{};
}

bool CRecordingIndicators::Follow(const ReadingStore& store, double period)
{
    const int count = store.Count();
    bool changed = false;
    if (count < m_count || period != m_period || (m_count > 0 && !SameReading(store[0], m_first))) {
        changed = m_count > 0;
        Restart(period);
    }
    if (m_count == 0 && count > 0)
        m_first = store[0];
    for (; m_count < count; ++m_count) {
        const DataSample& sample = store[m_count];
        m_live.Add(TimedLevel{sample.value, CalendarTimeOf(sample), WeightingOfUnit(sample.unit)});
        changed = true;
    }
    return changed;
}

std::vector<NoiseIndicators> CRecordingIndicators::Results() const
{
    return IndicatorsByWeighting(m_live);
}
