#include "station/StationJson.h"

#include "station/IsoTime.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

QJsonValue Optional(const std::optional<double>& value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

std::string Compact(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

std::optional<QJsonObject> ObjectOf(const std::string& json)
{
    if (json.size() > 4096)
        return std::nullopt;
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray(json.data(), static_cast<qsizetype>(json.size())), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

std::optional<std::string> TextField(const QJsonObject& object, const char* name)
{
    const QJsonValue value = object.value(QLatin1String(name));
    if (!value.isString())
        return std::nullopt;
    return value.toString().toStdString();
}

std::optional<std::int64_t> TimeField(const QJsonObject& object, const char* name)
{
    const auto text = TextField(object, name);
    return text ? ParseUtc(*text) : std::nullopt;
}

// A level: a number from -50 to 200 dB, or null.
bool LevelField(const QJsonObject& object, const char* name, std::optional<double>& out)
{
    const QJsonValue value = object.value(QLatin1String(name));
    if (value.isNull() || value.isUndefined()) {
        out.reset();
        return true;
    }
    if (!value.isDouble() || !std::isfinite(value.toDouble()) || value.toDouble() < -50.0 || value.toDouble() > 200.0)
        return false;
    out = value.toDouble();
    return true;
}

} // namespace

bool IsStationName(const std::string& name)
{
    if (name.empty() || name.size() > 64)
        return false;
    for (const char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
              c == '-'))
            return false;
    return true;
}

std::string ReadingJson(const std::string& station, const StationReading& reading)
{
    return Compact({{"station", Q(station)},
                    {"t_utc", Q(FormatUtc(reading.tUtc))},
                    {"meter_time", Q(reading.meterTime)},
                    {"level", reading.level},
                    {"unit", Q(reading.unit)},
                    {"response", Q(reading.response)},
                    {"flags", Q(reading.flags)}});
}

std::string IntervalJson(const StationInterval& interval)
{
    return Compact({{"station", Q(interval.station)},
                    {"start_utc", Q(FormatUtc(interval.startUtc))},
                    {"end_utc", Q(FormatUtc(interval.endUtc))},
                    {"unit", Q(interval.unit)},
                    {"count", static_cast<qint64>(interval.count)},
                    {"coverage", interval.coverage},
                    {"leq", Optional(interval.leq)},
                    {"lmax", Optional(interval.lmax)},
                    {"lmin", Optional(interval.lmin)},
                    {"l10", Optional(interval.l10)},
                    {"l50", Optional(interval.l50)},
                    {"l90", Optional(interval.l90)}});
}

std::string GapJson(const StationGap& gap)
{
    return Compact({{"station", Q(gap.station)},
                    {"start_utc", Q(FormatUtc(gap.startUtc))},
                    {"end_utc", Q(FormatUtc(gap.endUtc))},
                    {"reason", Q(gap.reason)}});
}

std::optional<StationInterval> IntervalOfJson(const std::string& json)
{
    const auto object = ObjectOf(json);
    if (!object)
        return std::nullopt;
    StationInterval interval;
    const auto station = TextField(*object, "station");
    const auto start = TimeField(*object, "start_utc");
    const auto end = TimeField(*object, "end_utc");
    const auto unit = TextField(*object, "unit");
    const QJsonValue count = object->value(QLatin1String("count"));
    const QJsonValue coverage = object->value(QLatin1String("coverage"));
    if (!station || !IsStationName(*station) || !start || !end || *end <= *start || !unit || unit->size() > 8 ||
        !count.isDouble() || count.toDouble() < 0 || count.toDouble() > 1e12 ||
        count.toDouble() != std::floor(count.toDouble()) || !coverage.isDouble() || !(coverage.toDouble() >= 0.0) ||
        coverage.toDouble() > 1.0)
        return std::nullopt;
    interval.station = *station;
    interval.startUtc = *start;
    interval.endUtc = *end;
    interval.unit = *unit;
    interval.count = static_cast<std::int64_t>(count.toDouble());
    interval.coverage = coverage.toDouble();
    if (!LevelField(*object, "leq", interval.leq) || !LevelField(*object, "lmax", interval.lmax) ||
        !LevelField(*object, "lmin", interval.lmin) || !LevelField(*object, "l10", interval.l10) ||
        !LevelField(*object, "l50", interval.l50) || !LevelField(*object, "l90", interval.l90))
        return std::nullopt;
    interval.published = true;
    return interval;
}

std::optional<StationGap> GapOfJson(const std::string& json)
{
    const auto object = ObjectOf(json);
    if (!object)
        return std::nullopt;
    const auto station = TextField(*object, "station");
    const auto start = TimeField(*object, "start_utc");
    const auto end = TimeField(*object, "end_utc");
    const auto reason = TextField(*object, "reason");
    if (!station || !IsStationName(*station) || !start || !end || *end < *start || !reason || reason->size() > 200)
        return std::nullopt;
    return StationGap{*station, *start, *end, *reason, true};
}
