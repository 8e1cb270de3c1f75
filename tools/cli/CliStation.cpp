#include "tools/cli/CliStation.h"

#include "station/MqttClient.h"
#include "station/StationJson.h"

#include <cstdlib>
#include <fstream>

#include <unistd.h>


std::optional<std::string> StationName(const CliOptions& options, std::string* error)
{
    if (auto given = options.Value("station")) {
        if (!IsStationName(*given)) {
            *error = "--station wants a name of 1 to 64 letters, digits, '.', '_' or '-', not '" + *given + "'";
            return std::nullopt;
        }
        return given;
    }
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || !IsStationName(host))
        return std::string("station");
    return std::string(host);
}

bool ReadMqttOptions(const CliOptions& options, MqttSettings& settings, std::string& prefix, std::string* error)
{
    const auto address = ParseBrokerAddress(options.Value("mqtt").value_or(""));
    if (!address) {
        *error = "--mqtt wants HOST or HOST:PORT, not '" + options.Value("mqtt").value_or("") + "'";
        return false;
    }
    settings.host = address->first;
    settings.port = address->second;
    prefix = options.Value("topic").value_or("vexalog");
    if (prefix.empty() || prefix.size() > 128 || prefix.front() == '/' || prefix.back() == '/' ||
        prefix.find_first_of("#+") != std::string::npos) {
        *error = "--topic wants a topic prefix without '#', '+' or a '/' at either end, not '" + prefix + "'";
        return false;
    }
    if (const char* user = std::getenv("VEXALOG_MQTT_USERNAME"))
        settings.username = user;
    settings.username = options.Value("mqtt-username").value_or(settings.username);
    if (const char* password = std::getenv("VEXALOG_MQTT_PASSWORD"))
        settings.password = password;
    if (const auto file = options.Value("mqtt-password-file")) {
        std::ifstream in(*file);
        if (!in || !std::getline(in, settings.password)) {
            *error = "cannot read the password from " + *file;
            return false;
        }
        if (!settings.password.empty() && settings.password.back() == '\r')
            settings.password.pop_back();
    }
    settings.caFile = options.Value("mqtt-cafile").value_or("");
    if (!settings.caFile.empty() && ::access(settings.caFile.c_str(), R_OK) != 0) {
        *error = "cannot read the certificate authority " + settings.caFile;
        return false;
    }
    const std::string version = options.Value("mqtt-version").value_or("3.1.1");
    if (version != "3.1.1" && version != "5") {
        *error = "--mqtt-version wants 3.1.1 or 5, not '" + version + "'";
        return false;
    }
    settings.protocolVersion = version == "5" ? 5 : 4;
    return true;
}
