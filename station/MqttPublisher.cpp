#include "station/MqttPublisher.h"

#include "station/StationJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

// Intervals handed to the library at a time; more follow as they are acknowledged.
constexpr std::size_t kWindow = 200;

} // namespace

std::vector<std::pair<std::string, std::string>> HomeAssistantConfigs(const std::string& prefix,
                                                                      const std::string& station)
{
    const QString base = QString::fromStdString(prefix + "/" + station);
    const QString id = QString::fromStdString("vexalog_" + station);
    const QJsonObject device{{"identifiers", QJsonArray{id}},
                             {"name", QString::fromStdString("Vexalog " + station)},
                             {"model", "LX47"},
                             {"manufacturer", "Vexalog"}};
    std::vector<std::pair<std::string, std::string>> configs;
    const struct {
        const char* key;
        const char* name;
        const char* topic;
        const char* value;
    } sensors[] = {{"level", "level", "/level", "{{ value_json.level }}"},
                   {"laeq", "LAeq", "/interval", "{{ value_json.leq }}"}};
    for (const auto& sensor : sensors) {
        const QJsonObject config{{"name", QString::fromStdString(station + " " + sensor.name)},
                                 {"unique_id", id + "_" + sensor.key},
                                 {"state_topic", base + sensor.topic},
                                 {"value_template", sensor.value},
                                 {"device_class", "sound_pressure"},
                                 {"unit_of_measurement", "dB"},
                                 {"state_class", "measurement"},
                                 {"availability_topic", base + "/status"},
                                 {"payload_available", "online"},
                                 {"payload_not_available", "offline"},
                                 {"device", device}};
        configs.emplace_back("homeassistant/sensor/vexalog_" + station + "/" + sensor.key + "/config",
                             QJsonDocument(config).toJson(QJsonDocument::Compact).toStdString());
    }
    return configs;
}

CMqttPublisher::CMqttPublisher(MqttSettings settings, std::string prefix, std::string station, bool haDiscovery)
    : m_client([&] {
          settings.willTopic = prefix + "/" + station + "/status";
          if (settings.clientId.empty())
              settings.clientId = "vexalog-" + station;
          return settings;
      }()),
      m_prefix(std::move(prefix)), m_station(std::move(station)), m_statusTopic(m_prefix + "/" + m_station + "/status"),
      m_haDiscovery(haDiscovery)
{
}

void CMqttPublisher::Level(const StationReading& reading)
{
    if (m_client.Connected())
        m_client.Publish(m_prefix + "/" + m_station + "/level", ReadingJson(m_station, reading), 0, false);
}

void CMqttPublisher::TakeEvents()
{
    CMqttClient::Events events = m_client.Take();
    if (events.connections != m_connections) {
        // A new connection: what was in flight on the old one is sent again.
        m_connections = events.connections;
        m_inFlight.clear();
        m_sent.clear();
        m_sentGaps.clear();
        Announce();
        if (m_saidUnreachable)
            std::fprintf(stderr, "vexalog-cli log: the broker %s:%d is back\n", m_client.Settings().host.c_str(),
                         m_client.Settings().port);
        m_saidUnreachable = false;
        m_saidReason.clear();
        m_disconnectedPumps = 0;
    } else if (!events.connected && !m_saidUnreachable && ++m_disconnectedPumps >= 3) {
        std::fprintf(stderr, "vexalog-cli log: the broker %s:%d cannot be reached: logging locally, trying again%s%s\n",
                     m_client.Settings().host.c_str(), m_client.Settings().port, events.error.empty() ? "" : "; ",
                     events.error.c_str());
        m_saidUnreachable = true;
        m_saidReason = events.error;
    } else if (!events.connected && m_saidUnreachable && m_saidReason.empty() && !events.error.empty()) {
        // The library told why only after the station said it: said once then.
        std::fprintf(stderr, "vexalog-cli log: the broker %s:%d: %s\n", m_client.Settings().host.c_str(),
                     m_client.Settings().port, events.error.c_str());
        m_saidReason = events.error;
    }
    for (const int mid : events.acknowledged) {
        const auto found = m_inFlight.find(mid);
        if (found == m_inFlight.end())
            continue;
        const InFlight& what = found->second;
        if (what.gap) {
            m_acknowledgedGaps.push_back({m_station, what.start, what.end, {}, true});
            m_sentGaps.erase(what.start);
        } else {
            m_acknowledged.push_back(what.start);
            m_sent.erase(what.start);
        }
        m_inFlight.erase(found);
    }
}

void CMqttPublisher::Announce()
{
    m_client.Publish(m_statusTopic, "online", 1, true);
    if (m_haDiscovery)
        for (const auto& [topic, payload] : HomeAssistantConfigs(m_prefix, m_station))
            m_client.Publish(topic, payload, 1, true);
}

void CMqttPublisher::TakeAcknowledged(CStationDatabase::Batch& batch)
{
    TakeEvents();
    batch.publishedStarts.insert(batch.publishedStarts.end(), m_acknowledged.begin(), m_acknowledged.end());
    batch.publishedGaps.insert(batch.publishedGaps.end(), m_acknowledgedGaps.begin(), m_acknowledgedGaps.end());
    m_acknowledged.clear();
    m_acknowledgedGaps.clear();
}

void CMqttPublisher::Pump(CStationDatabase& database)
{
    TakeEvents();
    if (!m_client.Connected() || m_inFlight.size() >= kWindow)
        return;
    std::vector<StationGap> gaps;
    std::vector<StationInterval> intervals;
    std::string error;
    if (!database.UnpublishedGaps(m_station, kWindow + m_sentGaps.size(), gaps, &error) ||
        !database.Unpublished(m_station, kWindow + m_sent.size(), intervals, &error))
        return;
    const std::string base = m_prefix + "/" + m_station;
    // Oldest first whatever the kind: a gap goes before the intervals after it.
    auto gap = gaps.begin();
    auto interval = intervals.begin();
    while (gap != gaps.end() || interval != intervals.end()) {
        std::optional<int> mid;
        InFlight what;
        if (interval == intervals.end() || (gap != gaps.end() && gap->startUtc <= interval->startUtc)) {
            const StationGap& next = *gap++;
            if (m_sentGaps.count(next.startUtc) != 0)
                continue;
            mid = m_client.Publish(base + "/gap", GapJson(next), 1, false);
            what = {true, next.startUtc, next.endUtc};
            if (mid)
                m_sentGaps.insert(next.startUtc);
        } else {
            const StationInterval& next = *interval++;
            if (m_sent.count(next.startUtc) != 0)
                continue;
            mid = m_client.Publish(base + "/interval", IntervalJson(next), 1, false);
            what = {false, next.startUtc, next.endUtc};
            if (mid)
                m_sent.insert(next.startUtc);
        }
        if (!mid)
            return; // the connection broke meanwhile: sent again on the next one
        m_inFlight[*mid] = what;
    }
}
