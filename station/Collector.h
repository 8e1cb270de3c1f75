#pragma once

#include "station/CollectorStore.h"
#include "station/MqttClient.h"

#include <cstdint>
#include <string>
#include <vector>

// The central collector's logic: the messages of every station's interval
// and gap topics become upserts; a message that is not a station's interval
// or gap (not JSON, fields missing, the station not the topic's) is counted
// and skipped.
class CCollector {
public:
    CCollector(ICollectorStore& store, std::string prefix) : m_store(store), m_prefix(std::move(prefix)) {}

    // The topics to subscribe to.
    std::vector<std::string> Topics() const { return {m_prefix + "/+/interval", m_prefix + "/+/gap"}; }
    // Stores the messages in one transaction; false with *error when the
    // store failed, and then nothing of them is counted: they may be handed
    // in again.
    bool Handle(const std::vector<CMqttClient::Message>& messages, std::string* error);

    std::int64_t Intervals() const { return m_intervals; }
    std::int64_t Gaps() const { return m_gaps; }
    std::int64_t Malformed() const { return m_malformed; }

private:
    ICollectorStore& m_store;
    std::string m_prefix;
    std::int64_t m_intervals = 0;
    std::int64_t m_gaps = 0;
    std::int64_t m_malformed = 0;
};
