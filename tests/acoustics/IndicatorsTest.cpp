// The indicators against levels worked out by hand, and bad input.
#include "acoustics/IndicatorText.h"
#include "acoustics/Indicators.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace {

// Runs a test under one time zone and puts the test main's zone back.
class CZone {
public:
    explicit CZone(const char* zone)
    {
        const char* old = std::getenv("TZ");
        m_old = old ? old : "";
        setenv("TZ", zone, 1);
        tzset();
    }
    ~CZone()
    {
        setenv("TZ", m_old.c_str(), 1);
        tzset();
    }
    CZone(const CZone&) = delete;
    CZone& operator=(const CZone&) = delete;

private:
    std::string m_old;
};

std::int64_t Utc(int year, int month, int day, int hour, int minute = 0)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    return static_cast<std::int64_t>(timegm(&tm));
}

std::string LocalText(std::int64_t t, const char* format = "%Y-%m-%d %H:%M")
{
    const auto tt = static_cast<std::time_t>(t);
    std::tm tm{};
    localtime_r(&tt, &tm);
    char text[64];
    std::strftime(text, sizeof text, format, &tm);
    return text;
}

// levels[i] taken at start + i * step seconds.
std::vector<TimedLevel> Evenly(const std::vector<double>& levels, std::int64_t start, std::int64_t step,
                               Weighting weighting = Weighting::A)
{
    std::vector<TimedLevel> readings;
    for (std::size_t i = 0; i < levels.size(); ++i)
        readings.push_back({levels[i], start + static_cast<std::int64_t>(i) * step, weighting});
    return readings;
}

std::vector<double> Repeat(double level, int count)
{
    return std::vector<double>(static_cast<std::size_t>(count), level);
}

std::vector<TimedLevel> Join(std::vector<TimedLevel> a, const std::vector<TimedLevel>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::int64_t kNoon = Utc(2024, 3, 7, 12);

// The run added one reading at a time, as the recorder adds them.
NoiseIndicators OneByOne(const std::vector<TimedLevel>& readings, double period, Weighting weighting)
{
    CLiveIndicators live(period);
    for (const TimedLevel& reading : readings)
        live.Add(reading);
    return live.Result(weighting);
}

// A run handed over whole takes a faster road: it must end in the same place.
void ExpectSameAsOneByOne(const NoiseIndicators& n, const std::vector<TimedLevel>& readings, double period)
{
    const NoiseIndicators one = OneByOne(readings, period, n.weighting);
    ASSERT_EQ(one.enough, n.enough);
    EXPECT_EQ(one.readings, n.readings);
    EXPECT_EQ(one.readingsLeftOut, n.readingsLeftOut);
    EXPECT_NEAR(one.leq, n.leq, 1e-9);
    EXPECT_NEAR(one.measured, n.measured, 1e-9);
    EXPECT_EQ(one.start, n.start);
    EXPECT_DOUBLE_EQ(one.end, n.end);
    EXPECT_EQ(one.maximum.time, n.maximum.time);
    EXPECT_EQ(one.minimum.time, n.minimum.time);
    EXPECT_EQ(one.exceeded, n.exceeded);
    ASSERT_EQ(one.hourly.size(), n.hourly.size());
    for (std::size_t i = 0; i < n.hourly.size(); ++i) {
        EXPECT_EQ(one.hourly[i].hourStart, n.hourly[i].hourStart);
        EXPECT_NEAR(one.hourly[i].leq, n.hourly[i].leq, 1e-9);
        EXPECT_NEAR(one.hourly[i].coverage, n.hourly[i].coverage, 1e-12);
    }
}

} // namespace

TEST(Indicators, MatchTheLevelsWorkedOutByHand)
{
    std::vector<double> ramp;
    for (int i = 0; i < 100; ++i)
        ramp.push_back(30.0 + i);
    using Get = std::function<double(const NoiseIndicators&)>;
    const Get leq = [](const NoiseIndicators& n) { return n.leq; };
    const Get sel = [](const NoiseIndicators& n) { return n.sel; };
    const Get measured = [](const NoiseIndicators& n) { return n.measured; };
    const auto ln = [](int percent) { return Get([percent](const NoiseIndicators& n) { return n.Exceeded(percent); }); };
    struct Case {
        const char* what;
        std::vector<TimedLevel> readings;
        double period;
        std::vector<std::pair<Get, double>> expected;
    };
    const Case cases[] = {
        // 10 lg((10^6 + 10^8) / 2)
        {"60 and 80 dB for equal times", Evenly({60.0, 80.0}, kNoon, 1), 1.0, {{leq, 77.03}, {measured, 2.0}}},
        {"85.3 dB throughout", Evenly(Repeat(85.3, 50), kNoon, 2), 2.0,
         {{leq, 85.3}, {ln(5), 85.3}, {ln(95), 85.3}, {measured, 100.0}}},
        // 60 + 10 lg 3600
        {"one hour at 60 dB", Evenly(Repeat(60.0, 3600), kNoon, 1), 1.0, {{sel, 95.56}, {leq, 60.0}}},
        // Nearest rank of 100 equal times: the 90th, 50th, 10th level from below.
        {"30.0 .. 129.0", Evenly(ramp, kNoon, 1), 1.0,
         {{ln(5), 124.0}, {ln(10), 119.0}, {ln(50), 79.0}, {ln(90), 39.0}, {ln(95), 34.0}, {leq, 115.87}}},
        // The reading before a break stands for one period; the break is no data.
        {"60 dB, a break, 80 dB", Join(Evenly(Repeat(60.0, 10), kNoon, 1), Evenly(Repeat(80.0, 10), kNoon + 600, 1)),
         1.0, {{leq, 77.03}, {measured, 20.0}}},
        // Three periods apart is no break yet.
        {"readings three periods apart", Evenly({60.0, 80.0, 80.0}, kNoon, 3), 1.0, {{leq, 77.60}, {measured, 7.0}}},
        // Two readings a second share it: 0.5 s each.
        {"two readings a second", Join(Evenly({60.0, 60.0}, kNoon, 0), Evenly({80.0, 80.0}, kNoon + 1, 0)), 0.5,
         {{leq, 77.03}, {measured, 2.0}}},
        // The clock going back leaves the reading before it one period.
        {"the clock going back", Join(Evenly({60.0, 60.0}, kNoon, 5), Evenly({80.0, 80.0}, kNoon - 100, 5)), 5.0,
         {{leq, 77.03}, {measured, 20.0}}},
        // Nothing worked out by hand: every rule at once, for both roads.
        {"a rough run",
         {{60.0, kNoon, Weighting::A}, {61.0, kNoon + 1, Weighting::A}, {62.0, kNoon + 1, Weighting::A},
          {-3.0, kNoon + 2, Weighting::A}, {70.0, kNoCalendarTime, Weighting::A}, {90.0, kNoon + 3, Weighting::C},
          {64.0, kNoon + 4, Weighting::A}, {65.0, kNoon + 3590, Weighting::A}, {66.0, kNoon + 3599, Weighting::A},
          {67.0, kNoon + 3601, Weighting::A}, {68.0, kNoon + 3500, Weighting::A}, {1e9, kNoon + 3501, Weighting::A},
          {69.0, kNoon + 3502, Weighting::A}, {70.0, kNoon + 3503, Weighting::A}},
         1.0,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const NoiseIndicators n = ComputeIndicators(c.readings, c.period, Weighting::A);
        ASSERT_TRUE(n.enough);
        for (const auto& [get, value] : c.expected)
            EXPECT_NEAR(get(n), value, 0.005);
        ExpectSameAsOneByOne(n, c.readings, c.period);
    }

    // The distribution of the ramp: a hundredth of the time in each decibel,
    // half of it at or below 79 dB, where L50 lies.
    const NoiseIndicators r = ComputeIndicators(cases[3].readings, 1.0, Weighting::A);
    ASSERT_EQ(r.distribution.size(), 100u);
    EXPECT_EQ(r.distribution.front().level, 30);
    EXPECT_EQ(r.distribution.back().level, 129);
    for (const LevelShare& share : r.distribution)
        EXPECT_NEAR(share.share, 0.01, 1e-12) << share.level;
    EXPECT_NEAR(r.distribution[49].cumulative, 0.5, 1e-12);
    EXPECT_NEAR(r.distribution.back().cumulative, 1.0, 1e-12);
    // Levels below zero fall in the decibel below: -0.1 dB in -1 dB.
    const NoiseIndicators low = ComputeIndicators(Evenly({-0.1, 0.0, 0.9}, kNoon, 1), 1.0, Weighting::A);
    ASSERT_EQ(low.distribution.size(), 2u);
    EXPECT_EQ(low.distribution[0].level, -1);
    EXPECT_NEAR(low.distribution[1].share, 2.0 / 3, 1e-12);
}

TEST(Indicators, DayEveningAndNightFollowTheLocalClockAcrossMidnight)
{
    // India's clock is 5:30 off UTC: its hours do not start on UTC's.
    const CZone zone("Asia/Kolkata");
    const std::int64_t tenPm = Utc(2024, 3, 7, 16, 30); // 22:00 local
    // One reading a minute: 60 dB to 23:00, 50 dB to 07:00, 70 dB to 08:00.
    const std::vector<TimedLevel> readings =
        Join(Join(Evenly(Repeat(60.0, 60), tenPm, 60), Evenly(Repeat(50.0, 480), tenPm + 3600, 60)),
             Evenly(Repeat(70.0, 60), tenPm + 9 * 3600, 60));
    const NoiseIndicators n = ComputeIndicators(readings, 60.0, Weighting::A);
    ASSERT_TRUE(n.enough);
    ExpectSameAsOneByOne(n, readings, 60.0);
    EXPECT_NEAR(n.evening.leq, 60.0, 1e-9);
    EXPECT_NEAR(n.night.leq, 50.0, 1e-9);
    EXPECT_NEAR(n.day.leq, 70.0, 1e-9);
    EXPECT_NEAR(n.evening.coverage, 0.25, 1e-9);
    EXPECT_NEAR(n.night.coverage, 1.0, 1e-9);
    EXPECT_NEAR(n.day.coverage, 1.0 / 12, 1e-9);
    EXPECT_FALSE(n.lden.has_value());
    EXPECT_NE(n.ldenMissing.find("evening 25.0 %"), std::string::npos) << n.ldenMissing;
    ASSERT_EQ(n.hourly.size(), 10u);
    EXPECT_EQ(LocalText(n.hourly.front().hourStart), "2024-03-07 22:00");
    EXPECT_EQ(LocalText(n.hourly[2].hourStart), "2024-03-08 00:00");
    EXPECT_EQ(LocalText(n.hourly.back().hourStart), "2024-03-08 07:00");
    for (const HourlyLevel& hour : n.hourly)
        EXPECT_NEAR(hour.coverage, 1.0, 1e-9);
    EXPECT_NEAR(n.hourly[1].leq, 50.0, 1e-9);
    EXPECT_NEAR(n.hourly.back().leq, 70.0, 1e-9);
}

TEST(Indicators, LdenNeedsEveryPeriodWhole)
{
    const CZone zone("Europe/Berlin");
    const std::int64_t seven = Utc(2024, 3, 7, 6); // 07:00 CET
    // 65 dB by day, 60 dB in the evening, 50 dB at night, a reading a minute
    // for 24 hours: 10 lg((12 * 10^6.5 + 4 * 10^6.5 + 8 * 10^6) / 24) = 63.88.
    const std::vector<TimedLevel> whole =
        Join(Join(Evenly(Repeat(65.0, 720), seven, 60), Evenly(Repeat(60.0, 240), seven + 12 * 3600, 60)),
             Evenly(Repeat(50.0, 480), seven + 16 * 3600, 60));
    const NoiseIndicators n = ComputeIndicators(whole, 60.0, Weighting::A);
    ASSERT_TRUE(n.lden.has_value()) << n.ldenMissing;
    EXPECT_NEAR(*n.lden, 63.88, 0.005);
    EXPECT_EQ(n.hourly.size(), 24u);

    // One minute short of the night: no Lden, and the reason says which.
    const std::vector<TimedLevel> shortNight(whole.begin(), whole.end() - 1);
    const NoiseIndicators s = ComputeIndicators(shortNight, 60.0, Weighting::A);
    EXPECT_FALSE(s.lden.has_value());
    EXPECT_NE(s.ldenMissing.find("night 99.8 %"), std::string::npos) << s.ldenMissing;
}

TEST(Indicators, ClockHoursAcrossTheDaylightSavingChanges)
{
    const CZone zone("Europe/Berlin");
    struct Case {
        const char* what;
        std::int64_t start;
        std::vector<std::string> hours;
    };
    const Case cases[] = {
        // 02:00 CET becomes 03:00 CEST: four real hours, no 02:00.
        {"spring", Utc(2024, 3, 30, 23), {"00:00", "01:00", "03:00", "04:00"}},
        // 03:00 CEST becomes 02:00 CET: 02:00 comes twice, as two hours.
        {"autumn", Utc(2024, 10, 26, 23), {"01:00", "02:00", "02:00", "03:00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // A level of its own in each real hour: 50, 60, 70, 80 dB.
        std::vector<TimedLevel> readings;
        for (int hour = 0; hour < 4; ++hour)
            readings = Join(readings, Evenly(Repeat(50.0 + 10 * hour, 60), c.start + hour * 3600, 60));
        const NoiseIndicators n = ComputeIndicators(readings, 60.0, Weighting::A);
        ExpectSameAsOneByOne(n, readings, 60.0);
        ASSERT_EQ(n.hourly.size(), c.hours.size());
        for (std::size_t i = 0; i < c.hours.size(); ++i) {
            EXPECT_EQ(LocalText(n.hourly[i].hourStart, "%H:%M"), c.hours[i]);
            EXPECT_NEAR(n.hourly[i].leq, 50.0 + 10.0 * static_cast<double>(i), 1e-9);
            EXPECT_NEAR(n.hourly[i].coverage, 1.0, 1e-9);
        }
        EXPECT_NEAR(n.measured, 4 * 3600.0, 1e-6);
    }
    // Night hours of the short night: 00, 01, 03 and 04 of eight.
    const NoiseIndicators spring = ComputeIndicators(Evenly(Repeat(50.0, 240), cases[0].start, 60), 60.0, Weighting::A);
    EXPECT_NEAR(spring.night.coverage, 0.5, 1e-9);
}

TEST(Indicators, BothWeightingsInOneRunGiveOneValueEach)
{
    // A and C readings in turn, a second apart: each stands until the next.
    const std::vector<TimedLevel> run = {{60.0, kNoon, Weighting::A}, {100.0, kNoon + 1, Weighting::C},
                                         {80.0, kNoon + 2, Weighting::A}, {100.0, kNoon + 3, Weighting::C},
                                         {80.0, kNoon + 4, Weighting::A}};
    CLiveIndicators live(1.0);
    for (const TimedLevel& reading : run)
        live.Add(reading);
    ASSERT_EQ(live.Weightings(), (std::vector<Weighting>{Weighting::A, Weighting::C}));
    const NoiseIndicators a = live.Result(Weighting::A);
    const NoiseIndicators c = live.Result(Weighting::C);
    // 10 lg((10^6 + 2 * 10^8) / 3)
    EXPECT_NEAR(a.leq, 78.26, 0.005);
    EXPECT_NEAR(a.maximum.level, 80.0, 1e-9);
    EXPECT_EQ(a.maximum.time, kNoon + 2);
    EXPECT_NEAR(c.leq, 100.0, 1e-9);
    EXPECT_NEAR(c.minimum.level, 100.0, 1e-9);
    EXPECT_STREQ(LeqName(a.weighting), "LAeq");
    EXPECT_STREQ(LeqName(c.weighting), "LCeq");
    // A result taken halfway leaves the rest untouched.
    CLiveIndicators half(1.0);
    for (std::size_t i = 0; i < run.size(); ++i) {
        half.Add(run[i]);
        (void)half.Result(Weighting::A);
    }
    EXPECT_DOUBLE_EQ(half.Result(Weighting::A).leq, a.leq);
}

TEST(Indicators, TooLittleDataSaysSoAndNeverGivesANumber)
{
    const std::vector<TimedLevel> noTime = {{60.0, kNoCalendarTime, Weighting::A}, {70.0, kNoCalendarTime, Weighting::A}};
    struct Case {
        const char* what;
        std::vector<TimedLevel> readings;
        double period;
    };
    const Case cases[] = {
        {"no readings", {}, 1.0},
        {"one reading", Evenly({60.0}, kNoon, 1), 1.0},
        {"no calendar time", noTime, 1.0},
        {"all at one instant", Evenly(Repeat(60.0, 5), kNoon, 0), 1.0},
        {"no sampling interval", Evenly({60.0, 70.0}, kNoon, 1), 0.0},
        {"a sampling interval no meter has", Evenly({60.0, 70.0}, kNoon, 1), 1e300},
        {"times no calendar holds", Evenly({60.0, 70.0}, INT64_MAX - 1, -7), 1.0},
        {"levels that are no levels", Evenly({std::nan(""), 1e300, -HUGE_VAL}, kNoon, 1), 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const NoiseIndicators n = ComputeIndicators(c.readings, c.period, Weighting::A);
        EXPECT_FALSE(n.enough);
        EXPECT_EQ(n.readings, static_cast<std::int64_t>(c.readings.size()));
        const std::vector<std::string> lines = IndicatorLines(n);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front(), "  LAeq: not enough data");
        const std::string json = IndicatorsJson({{1, "dBA", n.readings, n}});
        for (const char* number : {"nan", "inf"})
            EXPECT_EQ(json.find(number), std::string::npos) << json;
        const QJsonObject set =
            QJsonDocument::fromJson(QByteArray::fromStdString(json)).object()["sets"].toArray()[0].toObject();
        for (const char* key : {"start", "leq", "lmax", "l50", "sel", "lden"})
            EXPECT_TRUE(set[key].isNull()) << key << " " << json;
    }
}

TEST(Indicators, JsonHoldsTheSetsLevelsAndHoursAsAReaderSeesThem)
{
    const CZone zone("Europe/Berlin");
    const std::int64_t start = Utc(2024, 3, 7, 10, 5); // 11:05 CET
    std::vector<double> levels;
    for (int i = 0; i < 3600; ++i)
        levels.push_back(i % 2 == 0 ? 60.0 : 80.0);
    const NoiseIndicators n = ComputeIndicators(Evenly(levels, start, 1), 1.0, Weighting::A);
    const std::string json = IndicatorsJson({{1, "dBA", 3600, n}, {2, "d\"B\x01", 0, NoiseIndicators{}}});
    // The fields in the order the format gives them.
    EXPECT_EQ(json.rfind(R"({"sets":[{"set":1,"unit":"dBA","count":3600,"start":"2024-03-07T11:05:00",)"
                         R"("end":"2024-03-07T12:05:00","duration_s":3600.0,"leq":77.03,"lmax":80.00,)"
                         R"("lmin":60.00,"l5":80.00,"l10":80.00,"l50":60.00,"l90":60.00,"l95":60.00,)"
                         R"("sel":112.60,"lden":null,"hourly":[{"hour":"2024-03-07T11:00","leq":77.03,)"
                         R"("coverage":0.917},{"hour":"2024-03-07T12:00","leq":77.03,"coverage":0.083}]})",
                         0),
              0u)
        << json;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json;
    const QJsonArray sets = document.object()["sets"].toArray();
    ASSERT_EQ(sets.size(), 2);
    EXPECT_EQ(sets[1].toObject()["unit"].toString(), QString("d\"B\x01"));
    EXPECT_EQ(sets[1].toObject()["hourly"].toArray().size(), 0);
}
