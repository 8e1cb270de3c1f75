#pragma once

#include "station/MqttClient.h"
#include "station/StationLogger.h"

#include <cstdint>
#include <map>
#include <set>
#include <vector>
#include <string>

// A station's messages to the broker: every reading on PREFIX/STATION/level
// (QoS 0, only while connected), every interval on PREFIX/STATION/interval
// (QoS 1) and every gap on PREFIX/STATION/gap (QoS 1), "online" retained on
// PREFIX/STATION/status with "offline" as the last will, and with
// haDiscovery the Home Assistant sensors of the level and the LAeq.
//
// Intervals and gaps are stored and forwarded: they go out from the
// database, oldest first, and are marked published only once the broker
// acknowledged them, so a restarted station sends what the last run could
// not. After a lost connection everything unacknowledged is sent again, in
// order; a consumer tells a repeat by (station, start_utc).
class CMqttPublisher final : public IStationPublisher {
public:
    CMqttPublisher(MqttSettings settings, std::string prefix, std::string station, bool haDiscovery);

    bool Start(std::string* error) { return m_client.Start(error); }
    void Stop() { m_client.Stop(m_statusTopic, "offline", 2000); }

    void Level(const StationReading& reading) override;
    void TakeAcknowledged(CStationDatabase::Batch& batch) override;
    void Pump(CStationDatabase& database) override;

    bool Connected() const { return m_client.Connected(); }

private:
    void Announce();
    void TakeEvents();

    // What a message id carried: an interval (its start) or a gap as sent.
    struct InFlight {
        bool gap = false;
        std::int64_t start = 0;
        std::int64_t end = 0;
    };

    CMqttClient m_client;
    std::string m_prefix;
    std::string m_station;
    std::string m_statusTopic;
    bool m_haDiscovery;
    std::uint64_t m_connections = 0;
    std::map<int, InFlight> m_inFlight;
    std::set<std::int64_t> m_sent;     // interval starts waiting for their acknowledgement
    std::set<std::int64_t> m_sentGaps; // gap starts waiting for theirs
    std::vector<std::int64_t> m_acknowledged;
    std::vector<StationGap> m_acknowledgedGaps;
    bool m_saidUnreachable = false;
    std::string m_saidReason; // why, as the library said it
    int m_disconnectedPumps = 0; // in a row: the broker is said unreachable after a few
};

// Home Assistant's discovery configs: (topic, payload) of the level and the
// LAeq sensors of a station.
std::vector<std::pair<std::string, std::string>> HomeAssistantConfigs(const std::string& prefix,
                                                                      const std::string& station);
