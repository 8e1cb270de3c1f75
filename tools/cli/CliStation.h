#pragma once

#include "tools/cli/CliOptions.h"

#include <optional>
#include <string>
#include <vector>

// The station's name from --station, or the host's name: letters, digits,
// '.', '_' and '-' only, since it names topics and the database file.
std::optional<std::string> StationName(const CliOptions& options, std::string* error);

struct MqttSettings;

// The broker options of log and collect.
inline const std::vector<std::string> kMqttOptionNames = {"mqtt", "topic", "mqtt-username", "mqtt-password-file",
                                                          "mqtt-cafile", "mqtt-version"};

// Reads --mqtt HOST[:PORT], --topic PREFIX (default "vexalog") and the
// credentials: the user name from --mqtt-username or VEXALOG_MQTT_USERNAME,
// the password from the first line of --mqtt-password-file or from
// VEXALOG_MQTT_PASSWORD, never from the command line; --mqtt-cafile FILE
// (TLS) and --mqtt-version 3.1.1 or 5.
bool ReadMqttOptions(const CliOptions& options, MqttSettings& settings, std::string& prefix, std::string* error);
