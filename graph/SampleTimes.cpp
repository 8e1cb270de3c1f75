#include "SampleTimes.h"

#include "DataSample.h"
#include "TimeText.h"

CSampleTimes::CSampleTimes(Converter convert) : m_convert(convert ? convert : &TrySampleCalendarTime) {}

int CSampleTimes::Sync(const DataSample* store, int count)
{
    if (store != m_store) {
        Forget();
        m_store = store;
    }
    if (store == nullptr)
        return -1;
    int firstUnreadable = -1;
    for (int i = Count(); i < count; ++i) {
        const std::optional<std::int64_t> t = m_convert(store[i].date, store[i].time);
        if (!t && firstUnreadable < 0)
            firstUnreadable = i;
        m_times.push_back(t ? *t : kNoTime);
    }
    return firstUnreadable;
}

void CSampleTimes::Forget()
{
    m_times.clear();
}
