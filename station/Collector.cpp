#include "station/Collector.h"

#include "station/StationJson.h"

bool CCollector::Handle(const std::vector<CMqttClient::Message>& messages, std::string* error)
{
    std::vector<StationInterval> intervals;
    std::vector<StationGap> gaps;
    std::int64_t malformed = 0;
    for (const CMqttClient::Message& message : messages) {
        // PREFIX/STATION/interval or PREFIX/STATION/gap, the station as in the message.
        const std::string head = m_prefix + "/";
        const std::size_t slash = message.topic.rfind('/');
        const std::string station = slash > head.size() && message.topic.compare(0, head.size(), head) == 0
                                        ? message.topic.substr(head.size(), slash - head.size())
                                        : std::string();
        const std::string kind = slash == std::string::npos ? std::string() : message.topic.substr(slash + 1);
        if (kind == "interval") {
            if (auto interval = IntervalOfJson(message.payload); interval && interval->station == station) {
                intervals.push_back(std::move(*interval));
                continue;
            }
        } else if (kind == "gap") {
            if (auto gap = GapOfJson(message.payload); gap && gap->station == station) {
                gaps.push_back(std::move(*gap));
                continue;
            }
        }
        ++malformed;
    }
    if (!m_store.Store(intervals, gaps, error))
        return false;
    m_malformed += malformed;
    m_intervals += static_cast<std::int64_t>(intervals.size());
    m_gaps += static_cast<std::int64_t>(gaps.size());
    return true;
}
