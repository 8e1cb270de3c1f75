// The Noise Indicators panel's texts for sets whose indicators are worked
// out by hand: the two columns, the rows of each weighting, the times with
// their dates when a set runs past midnight, Lden given or why not, and
// "not enough data" in place of the numbers.
#include "logger/IndicatorPanelText.h"
#include "logger/SetIndicators.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// Readings a second apart from 9:05:00 on 7 March 2024 (or from the time given).
std::vector<DataSample> Readings(const std::vector<double>& levels, const std::string& unit = "dBA",
                                 int firstSecond = 9 * 3600 + 5 * 60, int step = 1, const std::string& date = "7-3-2024")
{
    std::vector<DataSample> samples;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const int t = firstSecond + static_cast<int>(i) * step;
        const int day = t / 86400;
        const int s = t % 86400;
        DataSample sample;
        sample.value = levels[i];
        sample.valid = 1;
        sample.date = day == 0 ? date : std::to_string(7 + day) + "-3-2024";
        sample.time = std::to_string(s / 3600) + ":" + (s / 60 % 60 < 10 ? "0" : "") + std::to_string(s / 60 % 60) +
                      ":" + (s % 60 < 10 ? "0" : "") + std::to_string(s % 60);
        sample.unit = unit;
        samples.push_back(sample);
    }
    return samples;
}

IndicatorColumn Column(const std::vector<DataSample>& samples, double rate = 1.0)
{
    return {IndicatorsByWeighting(samples.data(), static_cast<int>(samples.size()), rate), true};
}

// name -> (whole, between) of the value rows.
std::map<std::string, std::pair<std::string, std::string>> Cells(const IndicatorPanelTexts& texts)
{
    std::map<std::string, std::pair<std::string, std::string>> cells;
    for (const IndicatorPanelRow& row : texts.rows)
        if (row.kind == IndicatorPanelRow::Kind::Value)
            cells[row.name] = {row.whole, row.between};
    return cells;
}

TEST(IndicatorPanelText, TheWholeSetAndTheReadingsBetweenTheCursorsSideBySide)
{
    // 60 dB and 80 dB for a second each: 10 lg((10^6 + 10^8) / 2) = 77.03 dB,
    // SEL 77.03 + 10 lg 2 = 80.04 dB. Between the cursors 85.3 dB throughout.
    const std::vector<DataSample> whole = Readings({60.0, 80.0});
    const std::vector<DataSample> between = Readings({85.3, 85.3, 85.3});
    const IndicatorPanelTexts texts = MakeIndicatorPanelTexts(kOpenedSetHeading, Column(whole), Column(between));
    ASSERT_FALSE(texts.rows.empty());
    EXPECT_EQ(texts.rows.front().kind, IndicatorPanelRow::Kind::Heading);
    EXPECT_EQ(texts.rows.front().whole, "Opened set");
    EXPECT_EQ(texts.rows.front().between, "Between A and B");

    const auto cells = Cells(texts);
    const std::vector<std::pair<std::string, std::pair<std::string, std::string>>> expected = {
        {"LAeq", {"77.03 dB", "85.30 dB"}},
        {"Lmax", {"80.00 dB at 09:05:01", "85.30 dB at 09:05:00"}},
        {"Lmin", {"60.00 dB at 09:05:00", "85.30 dB at 09:05:00"}},
        {"L5", {"80.00 dB", "85.30 dB"}},
        {"L10", {"80.00 dB", "85.30 dB"}},
        {"L50", {"60.00 dB", "85.30 dB"}},
        {"L90", {"60.00 dB", "85.30 dB"}},
        {"L95", {"60.00 dB", "85.30 dB"}},
        {"SEL", {"80.04 dB", "90.07 dB"}},
        {"Lday (07-19)", {"77.03 dB, 0.0 %", "85.30 dB, 0.0 %"}},
        {"Levening (19-23)", {"no data", "no data"}},
        {"Lnight (23-07)", {"no data", "no data"}},
        {"Lden", {"not given: day, evening and night not measured whole",
                  "not given: day, evening and night not measured whole"}},
        {"Measured", {"0:00:02", "0:00:03"}},
    };
    EXPECT_EQ(cells.size(), expected.size());
    for (const auto& [name, values] : expected) {
        ASSERT_TRUE(cells.count(name)) << name;
        EXPECT_EQ(cells.at(name), values) << name;
    }
    // The charts draw the whole set.
    EXPECT_NEAR(texts.charted.leq, 77.03, 0.005);
    EXPECT_EQ(texts.hourlyTitle, "LAeq per hour");
}

TEST(IndicatorPanelText, DatesWithTheTimesPastMidnightAndLdenOnceADayIsMeasuredWhole)
{
    // A reading a minute at 60 dB for a whole day: Lden =
    // 10 lg((12 * 10^6 + 4 * 10^6.5 + 8 * 10^7) / 24) = 66.40 dB.
    const std::vector<double> day(1440, 60.0);
    const std::vector<DataSample> whole = Readings(day, "dBC", 0, 60);
    // Across midnight: the times carry their dates.
    const std::vector<DataSample> between = Readings({70.0, 72.0}, "dBC", 86399);
    const auto cells = Cells(MakeIndicatorPanelTexts(kWholeRunHeading, Column(whole, 60.0), Column(between)));
    EXPECT_EQ(cells.at("Lden").first, "66.40 dB");
    EXPECT_EQ(cells.at("Lday (07-19)").first, "60.00 dB, 100.0 %");
    EXPECT_EQ(cells.at("Lnight (23-07)").first, "60.00 dB, 100.0 %");
    EXPECT_EQ(cells.at("Lmax").first, "60.00 dB at 2024-03-07 00:00:00") << "a day to its end at midnight";
    EXPECT_EQ(cells.at("Lmax").second, "72.00 dB at 2024-03-08 00:00:00");
    EXPECT_EQ(cells.at("Lmin").second, "70.00 dB at 2024-03-07 23:59:59");
    EXPECT_EQ(cells.at("Measured").first, "24:00:00");
    ASSERT_TRUE(cells.count("LCeq")) << "a dBC set";
}

TEST(IndicatorPanelText, NotEnoughDataInPlaceOfTheNumbersAndOneBlockPerWeighting)
{
    const IndicatorColumn none{{}, false};
    const struct {
        const char* what;
        IndicatorColumn whole;
        IndicatorColumn between;
        std::vector<IndicatorPanelRow> expectedFirst; // the heading, then what follows it
    } cases[] = {
        {"nothing recorded, no cursors", IndicatorColumn{}, none,
         {{IndicatorPanelRow::Kind::Value, "Leq", "not enough data", "no readings between cursors A and B"},
          {IndicatorPanelRow::Kind::Value, "Lmax", "", ""}}},
        {"one reading, and all readings at one instant", Column(Readings({70.0})),
         Column(Readings({70.0, 71.0}, "dBA", 100, 0)),
         {{IndicatorPanelRow::Kind::Value, "LAeq", "not enough data", "not enough data"},
          {IndicatorPanelRow::Kind::Value, "Lmax", "", ""}}},
    };
    for (const auto& c : cases) {
        const IndicatorPanelTexts texts = MakeIndicatorPanelTexts(kWholeRunHeading, c.whole, c.between);
        ASSERT_EQ(texts.rows.size(), 15u) << c.what;
        for (std::size_t i = 0; i < c.expectedFirst.size(); ++i) {
            const IndicatorPanelRow& row = texts.rows[i + 1];
            EXPECT_EQ(row.name, c.expectedFirst[i].name) << c.what;
            EXPECT_EQ(row.whole, c.expectedFirst[i].whole) << c.what;
            EXPECT_EQ(row.between, c.expectedFirst[i].between) << c.what;
        }
        for (std::size_t i = 2; i < texts.rows.size(); ++i)
            EXPECT_EQ(texts.rows[i].whole + texts.rows[i].between, "") << c.what << " " << texts.rows[i].name;
        EXPECT_FALSE(texts.charted.enough) << c.what;
    }

    // A run that changed weighting: one block each, never a mix; the charts
    // take the weighting measured longer.
    std::vector<DataSample> run = Readings({60.0, 60.0, 60.0, 80.0, 80.0});
    for (std::size_t i = 3; i < run.size(); ++i)
        run[i].unit = "dBC";
    const IndicatorPanelTexts mixed = MakeIndicatorPanelTexts(kWholeRunHeading, Column(run), Column(Readings({90.0, 90.0}, "dBC")));
    std::vector<std::string> sections;
    std::vector<std::pair<std::string, std::string>> leqs;
    for (const IndicatorPanelRow& row : mixed.rows) {
        if (row.kind == IndicatorPanelRow::Kind::Section)
            sections.push_back(row.name);
        if (row.name == "LAeq" || row.name == "LCeq")
            leqs.emplace_back(row.whole, row.between);
    }
    EXPECT_EQ(sections, (std::vector<std::string>{"dBA readings", "dBC readings"}));
    const std::vector<std::pair<std::string, std::string>> expectedLeqs = {{"60.00 dB", "not enough data"},
                                                                           {"80.00 dB", "90.00 dB"}};
    EXPECT_EQ(leqs, expectedLeqs);
    EXPECT_EQ(mixed.charted.weighting, Weighting::A);
    EXPECT_EQ(mixed.hourlyTitle, "LAeq per hour");
}

} // namespace
