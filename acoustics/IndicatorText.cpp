#include "acoustics/IndicatorText.h"

#include "acoustics/LocalClock.h"

#include <charconv>
#include <cmath>

namespace {

constexpr const char* kClockFormat = "%Y-%m-%d %H:%M:%S";
constexpr const char* kIsoFormat = "%Y-%m-%dT%H:%M:%S";
constexpr const char* kIsoHourFormat = "%Y-%m-%dT%H:%M";

std::int64_t WholeSeconds(double t)
{
    return static_cast<std::int64_t>(std::floor(t));
}

std::string Db(double level)
{
    return FixedText(level, 2) + " dB";
}

std::string Share(double share)
{
    return FixedText(share * 100.0, 1) + " %";
}

std::string Duration(double seconds)
{
    const long long whole = std::llround(seconds);
    return std::to_string(whole / 3600) + ":" + (whole / 60 % 60 < 10 ? "0" : "") + std::to_string(whole / 60 % 60) +
           ":" + (whole % 60 < 10 ? "0" : "") + std::to_string(whole % 60);
}

std::string PeriodLine(const char* name, const PeriodLevel& period)
{
    if (!period.measured)
        return std::string("  ") + name + ": no data";
    return std::string("  ") + name + ": " + Db(period.leq) + ", " + Share(period.coverage) + " of the period measured";
}

// A text from the file as a JSON string: quotes, backslashes, control
// characters and bytes outside ASCII escaped, so any file gives valid JSON.
std::string JsonString(const std::string& text)
{
    static const char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out + "\"";
}

void Field(std::string& out, const char* name, const std::string& value)
{
    out += ",\"";
    out += name;
    out += "\":";
    out += value;
}

} // namespace

std::string FixedText(double value, int decimals)
{
    if (!std::isfinite(value))
        return "null";
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    std::string out(text, result.ptr);
    // A level that rounds to zero from below is written as zero.
    if (out.find_first_not_of("-0.") == std::string::npos && out.front() == '-')
        out.erase(0, 1);
    return out;
}

std::vector<std::string> IndicatorLines(const NoiseIndicators& in)
{
    std::vector<std::string> lines;
    const std::string leq = LeqName(in.weighting);
    if (!in.enough) {
        lines.push_back("  " + leq + ": " + kNotEnoughDataText);
    } else {
        lines.push_back("  " + leq + ": " + Db(in.leq) + ", " + Duration(in.measured) + " measured from " +
                        FormatLocal(in.start, kClockFormat) + " to " + FormatLocal(WholeSeconds(in.end), kClockFormat));
        lines.push_back("  Lmax: " + Db(in.maximum.level) + " @ " + FormatLocal(in.maximum.time, kClockFormat));
        lines.push_back("  Lmin: " + Db(in.minimum.level) + " @ " + FormatLocal(in.minimum.time, kClockFormat));
        std::string exceeded = " ";
        for (std::size_t i = 0; i < kExceedancePercents.size(); ++i)
            exceeded += " L" + std::to_string(kExceedancePercents[i]) + ": " + FixedText(in.exceeded[i], 2);
        lines.push_back(exceeded + " dB");
        lines.push_back("  SEL: " + Db(in.sel));
        lines.push_back(PeriodLine("Lday", in.day));
        lines.push_back(PeriodLine("Levening", in.evening));
        lines.push_back(PeriodLine("Lnight", in.night));
        lines.push_back(in.lden ? "  Lden: " + Db(*in.lden) : "  Lden: not given (" + in.ldenMissing + ")");
        for (const HourlyLevel& hour : in.hourly)
            lines.push_back("  " + leq + " " + FormatLocal(hour.hourStart, "%Y-%m-%d %H:00") + ": " + Db(hour.leq) +
                            ", " + Share(hour.coverage) + " of the hour measured");
    }
    if (in.readingsLeftOut > 0)
        lines.push_back("  Readings left out (no calendar time, a level out of range, or no sampling interval): " +
                        std::to_string(in.readingsLeftOut));
    return lines;
}

std::string IndicatorsJson(const std::vector<SetIndicators>& sets)
{
    std::string out = "{\"sets\":[";
    for (std::size_t s = 0; s < sets.size(); ++s) {
        const SetIndicators& set = sets[s];
        const NoiseIndicators& in = set.indicators;
        const bool ok = in.enough;
        const auto level = [ok](double value) { return ok ? FixedText(value, 2) : std::string("null"); };
        out += s == 0 ? "{" : ",{";
        out += "\"set\":" + std::to_string(set.set);
        Field(out, "unit", JsonString(set.unit));
        Field(out, "count", std::to_string(set.count));
        Field(out, "start", ok ? JsonString(FormatLocal(in.start, kIsoFormat)) : "null");
        Field(out, "end", ok ? JsonString(FormatLocal(WholeSeconds(in.end), kIsoFormat)) : "null");
        Field(out, "duration_s", ok ? FixedText(in.measured, 1) : "null");
        Field(out, "leq", level(in.leq));
        Field(out, "lmax", level(in.maximum.level));
        Field(out, "lmin", level(in.minimum.level));
        for (std::size_t i = 0; i < kExceedancePercents.size(); ++i) {
            const std::string name = "l" + std::to_string(kExceedancePercents[i]);
            Field(out, name.c_str(), level(in.exceeded[i]));
        }
        Field(out, "sel", level(in.sel));
        Field(out, "lden", ok && in.lden ? FixedText(*in.lden, 2) : "null");
        out += ",\"hourly\":[";
        for (std::size_t h = 0; h < in.hourly.size(); ++h) {
            const HourlyLevel& hour = in.hourly[h];
            out += h == 0 ? "{" : ",{";
            out += "\"hour\":" + JsonString(FormatLocal(hour.hourStart, kIsoHourFormat));
            Field(out, "leq", FixedText(hour.leq, 2));
            Field(out, "coverage", FixedText(hour.coverage, 3));
            out += "}";
        }
        out += "]}";
    }
    return out + "]}";
}
