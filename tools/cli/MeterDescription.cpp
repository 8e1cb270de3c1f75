#include "tools/cli/MeterDescription.h"

#include "meter/MeterState.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

std::string Digits(const int (&d)[4])
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d%d%d.%d", d[0], d[1], d[2], d[3]);
    return buf;
}

// The same digits as a number: "085.3" is 85.3.
std::string Number(const int (&d)[4])
{
    return std::to_string(d[0] * 100 + d[1] * 10 + d[2]) + "." + std::to_string(d[3]);
}

const char* RangeText(int range)
{
    switch (range) {
    case 1: return "range 1 (30-80)";
    case 2: return "range 2 (50-100)";
    case 3: return "range 3 (80-130)";
    case 4: return "range 4 (30-130 auto)";
    default: return "range -";
    }
}

std::vector<const char*> Indicators(const MeterState& s)
{
    const struct {
        bool on;
        const char* word;
    } words[] = {{s.fast, "FAST"}, {s.slow, "SLOW"}, {s.max, "MAX"},     {s.min, "MIN"},   {s.dBA, "dBA"},
                 {s.dBC, "dBC"},   {s.rec, "REC"},   {s.autoRange, "AUTO"}, {s.hold, "HOLD"}, {s.over, "OVER"},
                 {s.under, "UNDER"}};
    std::vector<const char*> on;
    for (const auto& w : words)
        if (w.on)
            on.push_back(w.word);
    return on;
}

bool RangeKnown(int range)
{
    return range >= 1 && range <= 4;
}

std::string CsvLine(const MeterState& s, const std::string& stamp)
{
    std::string line = stamp + ",";
    line += s.clockValid ? s.clockText24 : std::string();
    line += ",";
    line += s.displayValid ? Number(s.displayDigits) : std::string();
    line += "," + Number(s.barDigits) + ",";
    line += RangeKnown(s.range) ? std::to_string(s.range) : std::string();
    line += ",";
    bool first = true;
    for (const char* word : Indicators(s)) {
        line += first ? "" : " ";
        line += word;
        first = false;
    }
    return line;
}

// The clock and the words are the decoder's own texts (digits, colons,
// letters), so they need no escaping.
std::string JsonLine(const MeterState& s, const std::string& stamp)
{
    std::string line = "{\"time\":\"" + stamp + "\",\"clock\":";
    line += s.clockValid ? "\"" + s.clockText24 + "\"" : std::string("null");
    line += ",\"level_db\":";
    line += s.displayValid ? Number(s.displayDigits) : std::string("null");
    line += ",\"bar_db\":" + Number(s.barDigits) + ",\"range\":";
    line += RangeKnown(s.range) ? std::to_string(s.range) : std::string("null");
    line += ",\"indicators\":[";
    bool first = true;
    for (const char* word : Indicators(s)) {
        line += first ? "\"" : ",\"";
        line += word;
        line += "\"";
        first = false;
    }
    return line + "]}";
}

} // namespace

std::string DescribeMeterState(const MeterState& s)
{
    std::string line = s.clockValid ? s.clockText24 : std::string("--:--:--");
    line += "  ";
    line += s.displayValid ? Digits(s.displayDigits) + " dB" : std::string("---.- dB");
    line += "  bar " + Digits(s.barDigits);
    line += "  ";
    line += RangeText(s.range);
    bool first = true;
    for (const char* word : Indicators(s)) {
        line += first ? "  " : " ";
        line += word;
        first = false;
    }
    return line;
}

std::string WatchLine(const MeterState& state, WatchFormat format, const std::string& stamp)
{
    switch (format) {
    case WatchFormat::Csv: return CsvLine(state, stamp);
    case WatchFormat::Json: return JsonLine(state, stamp);
    case WatchFormat::Text: break;
    }
    return stamp + "  " + DescribeMeterState(state);
}

std::string PcTimeStamp()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char date[32];
    char zone[8];
    if (std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local) == 0 ||
        std::strftime(zone, sizeof zone, "%z", &local) != 5)
        return "0000-00-00T00:00:00.000+00:00";
    char out[48];
    std::snprintf(out, sizeof out, "%s.%03d%.3s:%.2s", date, static_cast<int>(millis < 0 ? 0 : millis), zone,
                  zone + 3);
    return out;
}
