#include "station/MqttClient.h"

#include <mosquitto.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

// The library is set up once for the process and never torn down: clients
// may come and go.
void InitLibrary()
{
    static const int once = mosquitto_lib_init();
    (void)once;
}

} // namespace

std::optional<std::pair<std::string, int>> ParseBrokerAddress(const std::string& text)
{
    std::string host = text;
    int port = 1883;
    const std::size_t colon = text.rfind(':');
    if (colon != std::string::npos && text.find(':') == colon) {
        host = text.substr(0, colon);
        const std::string digits = text.substr(colon + 1);
        if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        port = std::stoi(digits);
        if (port < 1 || port > 65535)
            return std::nullopt;
    }
    if (host.empty() || host.size() > 253 || host.find_first_of(" /\\#+") != std::string::npos)
        return std::nullopt;
    return std::pair{host, port};
}

CMqttClient::CMqttClient(MqttSettings settings) : m_settings(std::move(settings))
{
    InitLibrary();
    // A persistent session needs an id of its own to be found again.
    const bool clean = !m_settings.persistentSession || m_settings.clientId.empty();
    m_mosq = mosquitto_new(m_settings.clientId.empty() ? nullptr : m_settings.clientId.c_str(), clean, this);
}

CMqttClient::~CMqttClient()
{
    if (m_mosq == nullptr)
        return;
    if (m_looping) {
        mosquitto_disconnect(m_mosq);
        mosquitto_loop_stop(m_mosq, true);
    }
    mosquitto_destroy(m_mosq);
}

bool CMqttClient::Start(std::string* error)
{
    if (m_mosq == nullptr) {
        *error = "the MQTT library could not make a client";
        return false;
    }
    mosquitto_int_option(m_mosq, MOSQ_OPT_PROTOCOL_VERSION,
                         m_settings.protocolVersion == 5 ? MQTT_PROTOCOL_V5 : MQTT_PROTOCOL_V311);
    mosquitto_log_callback_set(m_mosq, &CMqttClient::OnLog);
    mosquitto_connect_callback_set(m_mosq, &CMqttClient::OnConnect);
    mosquitto_disconnect_callback_set(m_mosq, &CMqttClient::OnDisconnect);
    mosquitto_publish_callback_set(m_mosq, &CMqttClient::OnPublish);
    mosquitto_message_callback_set(m_mosq, &CMqttClient::OnMessage);
    mosquitto_reconnect_delay_set(m_mosq, 1, 30, true);
    if (!m_settings.username.empty() &&
        mosquitto_username_pw_set(m_mosq, m_settings.username.c_str(),
                                  m_settings.password.empty() ? nullptr : m_settings.password.c_str()) != MOSQ_ERR_SUCCESS) {
        *error = "the MQTT user name or password is refused";
        return false;
    }
    if (!m_settings.caFile.empty() &&
        mosquitto_tls_set(m_mosq, m_settings.caFile.c_str(), nullptr, nullptr, nullptr, nullptr) != MOSQ_ERR_SUCCESS) {
        *error = "cannot use " + m_settings.caFile + " for TLS";
        return false;
    }
    if (!m_settings.willTopic.empty() &&
        mosquitto_will_set(m_mosq, m_settings.willTopic.c_str(), 7, "offline", 1, true) != MOSQ_ERR_SUCCESS) {
        *error = "the MQTT last will is refused";
        return false;
    }
    m_started = true;
    if (!TryConnect()) {
        *error = "the MQTT library could not start its thread";
        return false;
    }
    return true;
}

// Once a connection has been started, the library's thread keeps it up and
// reconnects after a loss. A first attempt that fails at once (a broker
// refusing on its port) leaves no thread running: it is tried again from
// Take, 1 s to 30 s apart.
bool CMqttClient::TryConnect()
{
    if (mosquitto_connect_async(m_mosq, m_settings.host.c_str(), m_settings.port, 30) != MOSQ_ERR_SUCCESS) {
        m_retryDelay = m_retryDelay == std::chrono::milliseconds(0)
                           ? std::chrono::milliseconds(1000)
                           : std::min(m_retryDelay * 2, std::chrono::milliseconds(30000));
        m_retryAt = std::chrono::steady_clock::now() + m_retryDelay;
        return true;
    }
    if (mosquitto_loop_start(m_mosq) != MOSQ_ERR_SUCCESS)
        return false;
    m_looping = true;
    return true;
}

std::optional<int> CMqttClient::Publish(const std::string& topic, const std::string& payload, int qos, bool retain)
{
    int mid = 0;
    if (mosquitto_publish(m_mosq, &mid, topic.c_str(), static_cast<int>(payload.size()), payload.data(), qos, retain) !=
        MOSQ_ERR_SUCCESS)
        return std::nullopt;
    return mid;
}

CMqttClient::Events CMqttClient::Take()
{
    if (m_started && !m_looping && std::chrono::steady_clock::now() >= m_retryAt)
        TryConnect();
    std::lock_guard lock(m_mutex);
    Events events = std::move(m_events);
    m_events = {};
    m_events.connections = events.connections;
    events.connected = m_connected;
    events.error = m_lastError;
    return events;
}

void CMqttClient::Stop(const std::string& lastTopic, const std::string& lastPayload, int timeoutMs)
{
    if (!m_started)
        return;
    if (m_connected && !lastTopic.empty()) {
        const auto mid = Publish(lastTopic, lastPayload, 1, true);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        bool acknowledged = !mid.has_value();
        while (!acknowledged && m_connected && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::lock_guard lock(m_mutex);
            for (const int id : m_events.acknowledged)
                acknowledged = acknowledged || id == *mid;
        }
    }
    mosquitto_disconnect(m_mosq);
    if (m_looping)
        mosquitto_loop_stop(m_mosq, false);
    m_looping = false;
    m_started = false;
}

void CMqttClient::OnConnect(mosquitto* mosq, void* self, int code)
{
    auto* client = static_cast<CMqttClient*>(self);
    if (code != 0) {
        std::lock_guard lock(client->m_mutex);
        client->m_lastError = std::string("the broker refused the connection: ") + mosquitto_connack_string(code);
        return;
    }
    for (const std::string& topic : client->m_topics)
        mosquitto_subscribe(mosq, nullptr, topic.c_str(), 1);
    std::lock_guard lock(client->m_mutex);
    client->m_connected = true;
    client->m_lastError.clear();
    ++client->m_events.connections;
}

// The library's errors (a certificate it does not trust, a refused
// connection) tell the user why the broker is not reached; the rest is noise.
void CMqttClient::OnLog(mosquitto*, void* self, int level, const char* text)
{
    if (level != MOSQ_LOG_ERR || text == nullptr)
        return;
    auto* client = static_cast<CMqttClient*>(self);
    std::string line = text;
    if (line.find("certificate verify failed") != std::string::npos)
        line = "its TLS certificate is not signed by the certificate authority in " + client->m_settings.caFile;
    if (line.size() > 300)
        line.resize(300);
    std::lock_guard lock(client->m_mutex);
    client->m_lastError = line;
}

void CMqttClient::OnDisconnect(mosquitto*, void* self, int)
{
    static_cast<CMqttClient*>(self)->m_connected = false;
}

void CMqttClient::OnPublish(mosquitto*, void* self, int mid)
{
    auto* client = static_cast<CMqttClient*>(self);
    std::lock_guard lock(client->m_mutex);
    client->m_events.acknowledged.push_back(mid);
}

void CMqttClient::OnMessage(mosquitto*, void* self, const mosquitto_message* message)
{
    auto* client = static_cast<CMqttClient*>(self);
    // A message larger than any of ours is not kept: it counts as malformed.
    const int length = message->payloadlen > 65536 ? 0 : message->payloadlen;
    std::lock_guard lock(client->m_mutex);
    client->m_events.messages.push_back(
        {message->topic, std::string(static_cast<const char*>(message->payload), static_cast<std::size_t>(length))});
}
