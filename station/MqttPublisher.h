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
// (QoS 1) and every gap on PREFIX/STATION/gap (QoS 1, kept in memory until
// the broker has it), "online" retained on
// PREFIX/STATION/status with "offline" as the last will, and with
// haDiscovery the Home Assistant sensors of the level and the LAeq.
//
// Intervals are stored and forwarded: they go out from the database, oldest
// first, and are marked published only once the broker acknowledged them.
// After a lost connection every unacknowledged interval is sent again, in
// order; a consumer tells a repeat by (station, start_utc).
class CMqttPublisher final : public IStationPublisher {
public:
    CMqttPublisher(MqttSettings settings, std::string prefix, std::string station, bool haDiscovery);

    bool Start(std::string* error) { return m_client.Start(error); }
    void Stop() { m_client.Stop(m_statusTopic, "offline", 2000); }

    void Level(const StationReading& reading) override;
    void Gap(const StationGap& gap) override;
    std::vector<std::int64_t> TakeAcknowledged() override;
    void Pump(CStationDatabase& database) override;

    bool Connected() const { return m_client.Connected(); }

private:
    void Announce();
    void TakeEvents();
    void SendGaps();

    struct PendingGap {
        StationGap gap;
        int mid = -1; // the message id it went out with, -1 before
    };

    CMqttClient m_client;
    std::string m_prefix;
    std::string m_station;
    std::string m_statusTopic;
    bool m_haDiscovery;
    std::uint64_t m_connections = 0;
    std::map<int, std::int64_t> m_inFlight; // message id -> interval start
    std::set<std::int64_t> m_sent;          // interval starts waiting for their acknowledgement
    std::vector<std::int64_t> m_acknowledged;
    std::vector<PendingGap> m_gaps; // until acknowledged
    bool m_saidUnreachable = false;
    int m_disconnectedPumps = 0; // in a row: the broker is said unreachable after a few
};

// Home Assistant's discovery configs: (topic, payload) of the level and the
// LAeq sensors of a station.
std::vector<std::pair<std::string, std::string>> HomeAssistantConfigs(const std::string& prefix,
                                                                      const std::string& station);
