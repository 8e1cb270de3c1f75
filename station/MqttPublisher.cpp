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

void CMqttPublisher::Gap(const StationGap& gap)
{
    m_gaps.push_back({gap, -1});
    SendGaps();
}

// Gaps wait in memory until the broker has them; one recorded while the
// broker is away goes out when it is back.
void CMqttPublisher::SendGaps()
{
    if (!m_client.Connected())
        return;
    for (PendingGap& pending : m_gaps)
        if (pending.mid < 0)
            pending.mid = m_client.Publish(m_prefix + "/" + m_station + "/gap", GapJson(pending.gap), 1, false).value_or(-1);
}

void CMqttPublisher::TakeEvents()
{
    CMqttClient::Events events = m_client.Take();
    if (events.connections != m_connections) {
        // A new connection: what was in flight on the old one is sent again.
        m_connections = events.connections;
        m_inFlight.clear();
        m_sent.clear();
        for (PendingGap& pending : m_gaps)
            pending.mid = -1;
        Announce();
        SendGaps();
        if (m_saidUnreachable)
            std::fprintf(stderr, "vexalog-cli log: the broker %s:%d is back\n", m_client.Settings().host.c_str(),
                         m_client.Settings().port);
        m_saidUnreachable = false;
        m_disconnectedPumps = 0;
    } else if (!events.connected && !m_saidUnreachable && ++m_disconnectedPumps >= 3) {
        std::fprintf(stderr, "vexalog-cli log: the broker %s:%d cannot be reached: logging locally, trying again\n",
                     m_client.Settings().host.c_str(), m_client.Settings().port);
        m_saidUnreachable = true;
    }
    for (const int mid : events.acknowledged) {
        std::erase_if(m_gaps, [mid](const PendingGap& pending) { return pending.mid == mid; });
        const auto found = m_inFlight.find(mid);
        if (found == m_inFlight.end())
            continue;
        m_acknowledged.push_back(found->second);
        m_sent.erase(found->second);
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

std::vector<std::int64_t> CMqttPublisher::TakeAcknowledged()
{
    TakeEvents();
    std::vector<std::int64_t> acknowledged;
    acknowledged.swap(m_acknowledged);
    return acknowledged;
}

void CMqttPublisher::Pump(CStationDatabase& database)
{
    TakeEvents();
    if (!m_client.Connected() || m_sent.size() >= kWindow)
        return;
    std::vector<StationInterval> waiting;
    std::string error;
    if (!database.Unpublished(m_station, kWindow + m_sent.size(), waiting, &error))
        return;
    const std::string topic = m_prefix + "/" + m_station + "/interval";
    for (const StationInterval& interval : waiting) {
        if (m_sent.count(interval.startUtc) != 0)
            continue;
        const auto mid = m_client.Publish(topic, IntervalJson(interval), 1, false);
        if (!mid)
            return; // the connection broke meanwhile: sent again on the next one
        m_inFlight[*mid] = interval.startUtc;
        m_sent.insert(interval.startUtc);
    }
}
