#pragma once

#include "CliOptions.h"

#include <optional>
#include <string>

// The station's name from --station, or the host's name: letters, digits,
// '.', '_' and '-' only, since it names topics and the database file.
std::optional<std::string> StationName(const CliOptions& options, std::string* error);
