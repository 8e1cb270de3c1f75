#include "graph/ReadingCache.h"

#include "common/DataSample.h"
#include "common/TimeText.h"

CReadingCache::CReadingCache(Converter convert) : m_convert(convert ? convert : &TrySampleCalendarTime) {}

int CReadingCache::Sync(const DataSample* store, int count)
{
    if (store != m_store) {
        Forget();
        m_store = store;
    }
    if (store == nullptr)
        return -1;
    int firstUnplaced = -1;
    for (int i = Count(); i < count; ++i) {
        const std::optional<std::int64_t> t = m_convert(store[i].date, store[i].time);
        if (!t && firstUnplaced < 0)
            firstUnplaced = i;
        m_times.push_back(t ? *t : kNoTime);
        m_values.push_back(store[i].value);
    }
    return firstUnplaced;
}

void CReadingCache::Forget()
{
    m_times.clear();
    m_values.clear();
}
