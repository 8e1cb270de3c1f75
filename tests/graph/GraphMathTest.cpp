// The graph's arithmetic without a window: labels, time texts, the dB range
// a drag selects, vertical scrolling, zoom steps, coordinates.
#include "common/DataSample.h"
#include "graph/GraphMath.h"
#include "graph/OverviewWalk.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace GraphMath;

TEST(GraphMathTest, DbLabelsAtTheFifthsOfTheRange)
{
    struct Case {
        double top, bottom;
        int height;
        bool fine;
        std::vector<std::string> texts;
        std::vector<int> ys;
    };
    const Case cases[] = {
        // The lowest label 15 pixels above the bottom edge.
        {130, 30, 279, false, {" 30", " 50", " 70", " 90", "110", "130"}, {264, 223, 167, 111, 55, 0}},
        {130, 30, 150, false, {" 30", " 50", " 70", " 90", "110", "130"}, {135, 120, 90, 60, 30, 0}},
        {72.5, 69.5, 279, true, {"69.5", "70.1", "70.7", "71.3", "71.9", "72.5"}, {264, 223, 167, 111, 55, 0}},
    };
    for (const Case& c : cases) {
        const auto labels = DbLabels(c.top, c.bottom, c.height, c.fine);
        for (std::size_t i = 0; i < labels.size(); ++i) {
            EXPECT_EQ(labels[i].text, c.texts[i]) << c.top << " " << i;
            EXPECT_EQ(labels[i].y, c.ys[i]) << c.top << " " << i;
        }
    }
}

TEST(GraphMathTest, TimeLabelsKeepTheirLastSevenOrEightCharacters)
{
    const std::pair<std::string, std::string> cases[] = {
        {"10:05:31", "10:05:31"}, {"9:05:31", "9:05:31"}, {"12-5-2007 10:05:31", "10:05:31"},
        {"2007 10:05:7", "10:05:7"}, {"123:4:5", "123:4:5"}, {"1", "1"},
        {"", ""},                 {"abcdef:1", "bcdef:1"},
    };
    for (const auto& [time, label] : cases)
        EXPECT_EQ(TimeLabelText(time), label) << time;

    std::vector<DataSample> page(266);
    for (std::size_t i = 0; i < page.size(); ++i) {
        page[i].valid = 1;
        page[i].time = "10:00:" + std::to_string(10 + i % 50);
    }
    EXPECT_EQ(PageTimeLabels(page.data(), 265, true), TimeLabels());
    EXPECT_EQ(PageTimeLabels(page.data(), 265, false), (TimeLabels{"10:00:10", "10:00:42", "10:00:25"}));
    // The right label is slot n's time, shown while slot n - 1 holds a reading.
    page[265].valid = 0;
    page[265].time = "";
    EXPECT_EQ(PageTimeLabels(page.data(), 265, false).right, "");
    page[132].valid = 0;
    page[264].valid = 0;
    EXPECT_EQ(PageTimeLabels(page.data(), 265, false), (TimeLabels{"10:00:10", "", ""}));
    page[0].valid = 0;
    EXPECT_EQ(PageTimeLabels(page.data(), 265, false), TimeLabels());
}

TEST(GraphMathTest, ADragSelectsARangeOfAtLeastTwoDecibels)
{
    // From (100, 20) to (160, 40) on 130 .. 30 dB, 150 pixels high.
    const auto zoom = VerticalZoomOfDrag(20, 40, 150, 130.0, 30.0);
    ASSERT_TRUE(zoom);
    EXPECT_NEAR(zoom->topDb, 116.67, 0.01);
    EXPECT_NEAR(zoom->bottomDb, 103.33, 0.01);
    EXPECT_FALSE(zoom->fineLabels);
    const VerticalSteps steps = VerticalStepsOf(zoom->topDb, zoom->bottomDb);
    EXPECT_NEAR(steps.divisionDb, 2.67, 0.01);
    EXPECT_EQ(steps.steps, 32); // (13.33 + 73.33) / 2.67

    // 1.5 pixels per dB: 6 pixels are 4 dB (fine labels), 2 pixels not enough.
    EXPECT_TRUE(VerticalZoomOfDrag(20, 26, 150, 130.0, 30.0)->fineLabels);
    EXPECT_TRUE(VerticalZoomOfDrag(20, 24, 150, 130.0, 30.0)->fineLabels); // 2.67 dB
    EXPECT_FALSE(VerticalZoomOfDrag(20, 22, 150, 130.0, 30.0));
    EXPECT_FALSE(VerticalZoomOfDrag(20, 28, 150, 130.0, 30.0)->fineLabels); // 5.33 dB
    EXPECT_FALSE(VerticalZoomOfDrag(40, 20, 150, 130.0, 30.0)); // upwards
}

TEST(GraphMathTest, VerticalScrollingMovesByDivisionsAndPinsTheLastToThirty)
{
    // 50 .. 70 dB: 4 dB a step, 20 steps.
    const VerticalSteps steps = VerticalStepsOf(70.0, 50.0);
    EXPECT_DOUBLE_EQ(steps.divisionDb, 4.0);
    EXPECT_EQ(steps.steps, 20);
    const struct {
        int position;
        double top, bottom;
    } cases[] = {{0, 130, 110}, {15, 70, 50}, {19, 54, 34}, {20, 50, 30}};
    for (const auto& c : cases) {
        const DbRange range = RangeAtScrollPosition(c.position, steps.steps, steps.divisionDb);
        EXPECT_DOUBLE_EQ(range.topDb, c.top) << c.position;
        EXPECT_DOUBLE_EQ(range.bottomDb, c.bottom) << c.position;
    }
    // A division that does not divide the span: the last step still ends at 30.
    const VerticalSteps odd = VerticalStepsOf(116.67, 103.33);
    EXPECT_DOUBLE_EQ(RangeAtScrollPosition(odd.steps, odd.steps, odd.divisionDb).bottomDb, 30.0);
}

TEST(GraphMathTest, ZoomStepsHalveThePageUpToSlotsOfSixteen)
{
    std::vector<int> pages;
    std::vector<int> slots;
    int page = kFirstPageSize;
    int slot = kFirstSlotWidth;
    while (const auto zoom = NextPageZoom(page, slot, 530)) {
        page = zoom->pageSize;
        slot = zoom->slotWidth;
        pages.push_back(page);
        slots.push_back(zoom->slotCount);
    }
    EXPECT_EQ(pages, std::vector<int>({132, 66, 33}));
    EXPECT_EQ(slots, std::vector<int>({132, 66, 33}));
    EXPECT_EQ(slot, 16);
}

TEST(GraphMathTest, CoordinatesAreCutTowardZeroAndHeldWithinReach)
{
    EXPECT_EQ(LevelY(85.3, 279, 30.0, 2.79), 279 - 154);
    EXPECT_EQ(LevelY(29.9, 279, 30.0, 2.79), 279); // -0.279 cuts to 0
    EXPECT_EQ(SlotX(7, 4), 58);
    EXPECT_EQ(OverviewX(1000, 990, 0.55), 35);
    EXPECT_EQ(OverviewX(980, 990, 0.55), 24);
    // Levels no meter reads: no overflow, no undefined conversion.
    EXPECT_EQ(Trunc(1e300), 1000000);
    EXPECT_EQ(Trunc(-1e300), -1000000);
    EXPECT_EQ(Trunc(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(LevelY(std::numeric_limits<double>::infinity(), 279, 30.0, 2.79), 279 - 1000000);

    // The bar gradient runs from green at the top to red at the bottom.
    EXPECT_EQ(BarColour(0, 279).red, 0);
    EXPECT_EQ(BarColour(0, 279).green, 255);
    EXPECT_EQ(BarColour(278, 279).red, 254);
    EXPECT_EQ(BarColour(278, 279).blue, 64);
}

// The overview walk with times given as numbers: x is 30 + 10 pixels per
// second (halved when the edge at 100 asks for a wider scale), y the level
// in tenths of a dB.
struct WalkLog {
    struct Mapper {
        int scale = 10;
        int extensions = 0;
        int TimeX(std::int64_t t, bool rightEdgeRule, bool& rescaled)
        {
            int x = 30 + static_cast<int>(t) * scale;
            if (rightEdgeRule && x >= 100) {
                ++extensions;
                scale = std::max(scale / 2, 1);
                x = 30 + static_cast<int>(t) * scale;
                rescaled = true;
            }
            return x;
        }
        int LevelY(double value) const { return static_cast<int>(std::lround(value * 10)); }
        int TailX(int xLast, int k) const { return xLast + 2 * k; }
        bool TailStops(int x) const { return x >= 100; }
        int StartX() const { return 30; }
    };
    std::string points;
    void Move(int x, int y) { points += "M" + std::to_string(x) + "," + std::to_string(y) + " "; }
    void Line(int x, int y) { points += "L" + std::to_string(x) + "," + std::to_string(y) + " "; }

    // readings: (second, value); the first `placed` go by their time.
    OverviewWalkResult Walk(const std::vector<std::pair<int, double>>& readings, int placed)
    {
        std::vector<DataSample> store(readings.size());
        for (std::size_t i = 0; i < readings.size(); ++i)
            store[i].value = readings[i].second;
        auto readingOf = [&](int i) {
            const auto& r = readings[static_cast<std::size_t>(i)];
            return WalkReading{r.first >= 0, r.first, r.second};
        };
        return WalkOverview(OverviewWalkInput{store.data(), static_cast<int>(store.size()), placed}, readingOf,
                            map, *this);
    }
    Mapper map;
};

TEST(OverviewWalkTest, EachSecondAtItsHighestReadingThenTheNewestAtSlotSteps)
{
    struct Case {
        std::vector<std::pair<int, double>> readings; // second -1: no calendar time
        int placed;
        std::string points;
        int timePlacedAfter;
    };
    const Case cases[] = {
        // A rise of more than 0.01 dB within a second counts, one of 0.01 does not.
        {{{0, 50.0}, {0, 50.005}, {0, 52.0}, {1, 50.0}, {1, 50.01}, {2, 60.0}}, 6, "M30,520 L40,500 L50,600 ", 6},
        // One second only: the point is moved to, no line comes in from elsewhere.
        {{{3, 50.0}, {3, 51.0}}, 2, "M60,510 ", 2},
        // A reading without calendar time is left out.
        {{{0, 50.0}, {-1, 99.0}, {1, 50.0}}, 3, "M30,500 L40,500 ", 3},
        // Not yet placed in time: 2-pixel steps from the last placed point.
        {{{0, 50.0}, {1, 51.0}, {5, 52.0}, {6, 53.0}}, 2, "M30,500 L40,510 L40,520 L42,530 ", 2},
        {{{0, 50.0}, {1, 51.0}, {2, 52.0}}, 0, "M30,500 L32,510 L34,520 ", 0},
        // The steps stop at the right edge, and the readings up to there are
        // placed by their time from the next frame on.
        {std::vector<std::pair<int, double>>(40, {0, 50.0}), 0,
         "M30,500 " + [] {
             std::string lines;
             for (int x = 32; x <= 100; x += 2)
                 lines += "L" + std::to_string(x) + ",500 ";
             return lines;
         }(), 35},
    };
    for (const Case& c : cases) {
        WalkLog log;
        const OverviewWalkResult result = log.Walk(c.readings, c.placed);
        EXPECT_EQ(log.points, c.points);
        EXPECT_EQ(result.timePlaced, c.timePlacedAfter) << c.points;
        EXPECT_FALSE(result.rescaled);
    }

    // A placed point at the edge widens the scale; then no slot steps follow.
    WalkLog log;
    const OverviewWalkResult result = log.Walk({{0, 50.0}, {5, 50.0}, {8, 50.0}, {9, 60.0}, {9, 70.0}}, 4);
    EXPECT_TRUE(result.rescaled);
    EXPECT_EQ(log.map.extensions, 1);
    // Second 5 at x 80, second 8 beyond the edge at 110 and back at 70 on the
    // widened scale; the last reading is not placed and not drawn.
    EXPECT_EQ(log.points, "M30,500 L80,500 L70,500 L75,600 ");
}

} // namespace
