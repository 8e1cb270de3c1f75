#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct mosquitto;

// Where and how to reach the broker. The password comes from the
// environment or a file, never from the command line that ps shows.
struct MqttSettings {
    std::string host = "localhost";
    int port = 1883;
    std::string clientId;
    std::string username;
    std::string password;
    std::string caFile;    // TLS with this certificate authority when set
    std::string willTopic; // retained "offline" when the connection breaks
    int protocolVersion = 4; // MQTT 3.1.1; 5 for MQTT 5
    // The broker keeps the session of the client id while the client is away
    // (its subscriptions and the QoS 1 messages for them).
    bool persistentSession = false;
};

// Reads HOST[:PORT]; nothing for anything else.
std::optional<std::pair<std::string, int>> ParseBrokerAddress(const std::string& text);

// One connection to an MQTT 3.1.1 or 5 broker through libmosquitto, on the
// library's own thread. It connects in the background and reconnects after a
// loss with a growing delay (1 s to 30 s); what the thread learns (connected,
// acknowledged, a message) is handed over under a lock, and the owner's
// thread takes it with Take.
class CMqttClient {
public:
    struct Message {
        std::string topic;
        std::string payload;
    };
    struct Events {
        bool connected = false;          // now
        std::uint64_t connections = 0;   // connections made so far
        std::vector<int> acknowledged;   // message ids of QoS 1 publishes
        std::vector<Message> messages;   // of the subscriptions
        std::string error;               // why the last attempt failed, if the library said
    };

    explicit CMqttClient(MqttSettings settings);
    ~CMqttClient();
    CMqttClient(const CMqttClient&) = delete;
    CMqttClient& operator=(const CMqttClient&) = delete;

    // Starts connecting; false with *error only for settings the library
    // refuses (an unreachable broker is tried again and again).
    bool Start(std::string* error);
    // Topics subscribed (QoS 1) on every connection.
    void Subscribe(std::vector<std::string> topics) { m_topics = std::move(topics); }

    // The message id, or nothing when the library did not take it.
    std::optional<int> Publish(const std::string& topic, const std::string& payload, int qos, bool retain);
    Events Take();
    bool Connected() const { return m_connected; }
    const MqttSettings& Settings() const { return m_settings; }

    // Publishes a last retained message, waits up to timeoutMs for it to be
    // acknowledged, and disconnects.
    void Stop(const std::string& lastTopic, const std::string& lastPayload, int timeoutMs);

private:
    bool TryConnect();
    static void OnConnect(mosquitto*, void* self, int code);
    static void OnDisconnect(mosquitto*, void* self, int code);
    static void OnPublish(mosquitto*, void* self, int mid);
    static void OnMessage(mosquitto*, void* self, const struct mosquitto_message* message);
    static void OnLog(mosquitto*, void* self, int level, const char* text);

    MqttSettings m_settings;
    mosquitto* m_mosq = nullptr;
    bool m_started = false;
    bool m_looping = false; // the library's thread runs
    std::chrono::milliseconds m_retryDelay{0};
    std::chrono::steady_clock::time_point m_retryAt;
    std::vector<std::string> m_topics;
    std::atomic<bool> m_connected{false};
    std::mutex m_mutex;
    Events m_events;
    std::string m_lastError;
};
