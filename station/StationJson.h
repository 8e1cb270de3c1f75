#pragma once

#include "station/StationRecords.h"

#include <optional>
#include <string>

// The station's messages: one JSON object each, with the names of the
// database's columns (a reading, an interval without its published mark, a
// gap). Numbers are written and read the same way whatever the locale.
std::string ReadingJson(const std::string& station, const StationReading& reading);
std::string IntervalJson(const StationInterval& interval);
std::string GapJson(const StationGap& gap);

// Nothing for a message that is not such an object: not JSON, a field
// missing or of the wrong type, a time that is not ISO 8601 UTC, a station
// name that could not be a station's, numbers out of range.
std::optional<StationInterval> IntervalOfJson(const std::string& json);
std::optional<StationGap> GapOfJson(const std::string& json);

// Letters, digits, '.', '_' and '-', 1 to 64 of them: a station's name names
// topics and files.
bool IsStationName(const std::string& name);
