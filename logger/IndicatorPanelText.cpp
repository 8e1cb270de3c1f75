#include "logger/IndicatorPanelText.h"

#include "acoustics/IndicatorText.h"
#include "acoustics/LocalClock.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Coverage that counts as whole, as the indicators decide it for Lden.
constexpr double kWhole = 1.0 - 1e-9;

constexpr const char* kUnitNames[] = {"dBA", "dBC", "dB"};

std::string Db(double level)
{
    return FixedText(level, 2) + " dB";
}

std::string Duration(double seconds)
{
    const long long whole = std::llround(seconds);
    char text[64];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    return text;
}

std::string Period(const PeriodLevel& period)
{
    if (!period.measured)
        return "no data";
    return Db(period.leq) + ", " + FixedText(period.coverage * 100.0, 1) + " %";
}

const NoiseIndicators* Find(const IndicatorColumn& column, Weighting weighting)
{
    for (const NoiseIndicators& indicators : column.weightings)
        if (indicators.weighting == weighting)
            return &indicators;
    return nullptr;
}

// The cells of one column for one weighting, in the order of the rows.
std::vector<std::string> Cells(const IndicatorColumn& column, Weighting weighting, std::size_t rows)
{
    std::vector<std::string> cells(rows);
    const NoiseIndicators* found = Find(column, weighting);
    if (!column.any) {
        cells[0] = kNoReadingsBetweenText;
        return cells;
    }
    if (!found || !found->enough) {
        cells[0] = kNotEnoughDataText;
        return cells;
    }
    const NoiseIndicators& in = *found;
    // Times alone while the readings lie within one day, with their dates otherwise.
    const auto day = [](std::int64_t t) { return FormatLocal(t, "%Y-%m-%d"); };
    const char* clock = day(in.start) == day(static_cast<std::int64_t>(std::floor(in.end))) ? "%H:%M:%S"
                                                                                            : "%Y-%m-%d %H:%M:%S";
    std::size_t row = 0;
    cells[row++] = Db(in.leq);
    cells[row++] = Db(in.maximum.level) + " at " + FormatLocal(in.maximum.time, clock);
    cells[row++] = Db(in.minimum.level) + " at " + FormatLocal(in.minimum.time, clock);
    for (const double level : in.exceeded)
        cells[row++] = Db(level);
    cells[row++] = Db(in.sel);
    cells[row++] = Period(in.day);
    cells[row++] = Period(in.evening);
    cells[row++] = Period(in.night);
    cells[row++] = in.lden ? Db(*in.lden) : LdenNotGivenText(in);
    cells[row++] = Duration(in.measured);
    return cells;
}

std::vector<std::string> RowNames(Weighting weighting)
{
    std::vector<std::string> names = {LeqName(weighting), "Lmax", "Lmin"};
    for (const int percent : kExceedancePercents)
        names.push_back("L" + std::to_string(percent));
    for (const char* name : {"SEL", "Lday (07-19)", "Levening (19-23)", "Lnight (23-07)", "Lden", "Measured"})
        names.emplace_back(name);
    return names;
}

} // namespace

std::string LdenNotGivenText(const NoiseIndicators& in)
{
    std::vector<const char*> notWhole;
    if (in.day.coverage < kWhole)
        notWhole.push_back("day");
    if (in.evening.coverage < kWhole)
        notWhole.push_back("evening");
    if (in.night.coverage < kWhole)
        notWhole.push_back("night");
    std::string which;
    for (std::size_t i = 0; i < notWhole.size(); ++i) {
        if (i > 0)
            which += i + 1 == notWhole.size() ? " and " : ", ";
        which += notWhole[i];
    }
    if (which.empty())
        return "not given";
    return "not given: " + which + " not measured whole";
}

IndicatorPanelTexts MakeIndicatorPanelTexts(const std::string& wholeHeading, const IndicatorColumn& whole,
                                            const IndicatorColumn& between)
{
    std::vector<Weighting> weightings;
    for (const IndicatorColumn* column : {&whole, &between})
        for (const NoiseIndicators& indicators : column->weightings)
            if (std::find(weightings.begin(), weightings.end(), indicators.weighting) == weightings.end())
                weightings.push_back(indicators.weighting);
    if (weightings.empty())
        weightings.push_back(Weighting::Other);

    IndicatorPanelTexts texts;
    texts.rows.push_back({IndicatorPanelRow::Kind::Heading, "", wholeHeading, kBetweenCursorsHeading});
    for (const Weighting weighting : weightings) {
        if (weightings.size() > 1)
            texts.rows.push_back({IndicatorPanelRow::Kind::Section,
                                  std::string(kUnitNames[static_cast<int>(weighting)]) + " readings", "", ""});
        const std::vector<std::string> names = RowNames(weighting);
        const std::vector<std::string> first = Cells(whole, weighting, names.size());
        const std::vector<std::string> second = Cells(between, weighting, names.size());
        for (std::size_t i = 0; i < names.size(); ++i)
            texts.rows.push_back({IndicatorPanelRow::Kind::Value, names[i], first[i], second[i]});
    }

    const NoiseIndicators* charted = nullptr;
    for (const NoiseIndicators& indicators : whole.weightings)
        if (indicators.enough && (!charted || indicators.measured > charted->measured))
            charted = &indicators;
    if (charted)
        texts.charted = *charted;
    else
        texts.charted.weighting = weightings.front();
    const int unit = static_cast<int>(texts.charted.weighting);
    texts.hourlyTitle = std::string(LeqName(texts.charted.weighting)) + " per hour";
    texts.distributionTitle = std::string("Level distribution (") + kUnitNames[unit] +
                              "): share of time per dB, cumulative";
    return texts;
}
