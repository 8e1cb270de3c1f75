#pragma once

#include "acoustics/Indicators.h"

#include <string>
#include <vector>

// What the Noise Indicators panel of the main window and of the DataLogger
// window shows, as texts: a table with one row per indicator, its value for
// all the readings (the run, or the set opened) in one column and for the
// readings between cursors A and B in the other, and what the two charts
// under the table draw. The panel itself only lays these out and paints.

inline constexpr const char* kIndicatorPanelTitle = "Noise Indicators";
inline constexpr const char* kWholeRunHeading = "Whole run";
inline constexpr const char* kOpenedSetHeading = "Opened set";
inline constexpr const char* kBetweenCursorsHeading = "Between A and B";
inline constexpr const char* kNoReadingsBetweenText = "no readings between cursors A and B";

// One column's readings: their indicators, one for each weighting they were
// measured in (IndicatorsByWeighting). any is false for the column between
// the cursors while A and B are not both on the graph, or hold no reading
// between them.
struct IndicatorColumn {
    std::vector<NoiseIndicators> weightings;
    bool any = true;
};

struct IndicatorPanelRow {
    enum class Kind {
        Heading, // the columns' names
        Section, // the weighting the rows below belong to, when there are several
        Value,
    };
    Kind kind = Kind::Value;
    std::string name;
    std::string whole;
    std::string between;
};

struct IndicatorPanelTexts {
    std::vector<IndicatorPanelRow> rows;
    // The charts draw the first column's weighting measured longest.
    NoiseIndicators charted;
    std::string hourlyTitle;       // "LAeq per hour"
    std::string distributionTitle; // "LAeq: share of time per dB, cumulative with L10, L50, L90"
};

// The rows for each weighting either column holds (the first column's in
// their order, then any only the second holds): LAeq (or LCeq), Lmax and Lmin
// with their times (and dates when the readings run over more than one day),
// L5 to L95, SEL, Lday, Levening and Lnight with the share of each period
// measured, Lden or why it is not given, and the time measured. A column
// without enough data for a weighting says "not enough data" in place of its
// numbers; a column between cursors that are not placed says so. Without any readings at all
// the rows are those of a weighting not yet known ("Leq").
IndicatorPanelTexts MakeIndicatorPanelTexts(const std::string& wholeHeading, const IndicatorColumn& whole,
                                            const IndicatorColumn& between);

// Why Lden is not given, naming the periods not measured whole:
// "not given: evening and night not measured whole".
std::string LdenNotGivenText(const NoiseIndicators& indicators);
