#pragma once

#include <string>

struct MeterState;

// One line for the meter's display: clock, level, bar, range and the status
// words that are on, e.g. "12:30:15  085.3 dB  bar 084.0  range 1 (30-80)  FAST dBA".
std::string DescribeMeterState(const MeterState& state);

// How watch prints the display: the line above, a CSV row or a JSON object,
// each after the PC's date and time.
enum class WatchFormat { Text, Csv, Json };

// The CSV columns, named in the header line printed first.
inline constexpr const char* kWatchCsvHeader = "time,clock,level_db,bar_db,range,indicators";

// The display as one line of the format, stamped with the ISO 8601 time:
//   text: 2026-03-07T14:50:19.250+01:00  14:50:19  085.3 dB  bar 084.0  ...
//   csv:  2026-03-07T14:50:19.250+01:00,14:50:19,85.3,84.0,1,FAST dBA
//   json: {"time":"2026-03-07T14:50:19.250+01:00","clock":"14:50:19","level_db":85.3,
//          "bar_db":84.0,"range":1,"indicators":["FAST","dBA"]}
// A clock or level the meter has not sent yet is empty in CSV, null in JSON.
std::string WatchLine(const MeterState& state, WatchFormat format, const std::string& stamp);

// The PC's local date and time now in ISO 8601, with milliseconds and the
// offset from UTC: "2026-03-07T14:50:19.250+01:00".
std::string PcTimeStamp();
