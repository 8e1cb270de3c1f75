#include "report/ReportContent.h"

#include "logger/SetIndicators.h"

#include "acoustics/IndicatorText.h"
#include "acoustics/LocalClock.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace {

constexpr const char* kClockFormat = "%Y-%m-%d %H:%M:%S";

std::string Db(double level)
{
    return FixedText(level, 2) + " dB";
}

std::string Period(const PeriodLevel& period)
{
    if (!period.measured)
        return "no data";
    return Db(period.leq) + " (" + FixedText(period.coverage * 100.0, 1) + " % of the period measured)";
}

std::string Duration(double seconds)
{
    const long long whole = std::llround(seconds);
    char text[64];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    return text;
}

std::string SamplingText(double rate)
{
    if (!(rate > 0.0 && rate <= kLongestPeriod))
        return kNotRecordedText;
    return FixedText(rate, 1) + " s";
}

} // namespace

std::vector<std::pair<std::string, std::string>> IndicatorTableRows(const NoiseIndicators& in)
{
    const std::string leq = LeqName(in.weighting);
    if (!in.enough)
        return {{leq, kNotEnoughDataText}};
    std::vector<std::pair<std::string, std::string>> rows;
    rows.emplace_back(leq, Db(in.leq));
    rows.emplace_back("Lmax", Db(in.maximum.level) + " at " + FormatLocal(in.maximum.time, kClockFormat));
    rows.emplace_back("Lmin", Db(in.minimum.level) + " at " + FormatLocal(in.minimum.time, kClockFormat));
    for (std::size_t i = 0; i < kExceedancePercents.size(); ++i)
        rows.emplace_back("L" + std::to_string(kExceedancePercents[i]), Db(in.exceeded[i]));
    rows.emplace_back("SEL", Db(in.sel));
    rows.emplace_back("Lday (07-19)", Period(in.day));
    rows.emplace_back("Levening (19-23)", Period(in.evening));
    rows.emplace_back("Lnight (23-07)", Period(in.night));
    rows.emplace_back("Lden", in.lden ? Db(*in.lden) : "not given (" + in.ldenMissing + ")");
    rows.emplace_back("Measured time", Duration(in.measured));
    return rows;
}

ReportContent MakeReportContent(const ReportRequest& request, const std::vector<DataSample>& samples,
                                const std::string& unit, double rate, const std::string& sha256)
{
    ReportContent content;
    content.title = request.title.empty() ? kReportDefaultTitle : request.title;
    content.location = request.location.empty() ? std::string("not given") : request.location;
    content.indicators = IndicatorsOfSamples(samples.data(), static_cast<int>(samples.size()), rate, unit);
    const NoiseIndicators& in = content.indicators;

    content.settings.emplace_back("Weighting", unit.empty() ? kNotRecordedText : unit);
    // The data file keeps the sampling interval but not the meter's time
    // weighting, so FAST or SLOW cannot be told from it.
    content.settings.emplace_back("Time weighting (FAST/SLOW)", kNotRecordedText);
    content.settings.emplace_back("Sampling", SamplingText(rate));
    content.settings.emplace_back("Record set", std::to_string(request.setNumber) + ", " +
                                                    std::to_string(samples.size()) + " readings");
    if (in.enough)
        content.period = FormatLocal(in.start, kClockFormat) + " to " +
                         FormatLocal(static_cast<std::int64_t>(std::floor(in.end)), kClockFormat);
    else
        content.period = kNotEnoughDataText;
    content.table = IndicatorTableRows(in);

    std::string footer = std::string("Vexalog ") + VEXALOG_VERSION;
    if (request.dataPath.empty()) {
        footer += " - data not saved to a file";
    } else {
        footer += " - " + QFileInfo(QString::fromStdString(request.dataPath)).fileName().toStdString();
        footer += " - SHA-256 " + (sha256.empty() ? std::string("not readable") : sha256);
    }
    content.footer = footer;
    return content;
}

std::optional<std::string> FileSha256(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return std::nullopt;
    return hash.result().toHex().toStdString();
}

std::string PageNumberText(int page, int pages)
{
    return "Page " + std::to_string(page) + " of " + std::to_string(pages);
}
