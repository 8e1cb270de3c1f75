// Cursors A and B as both graphs share them: which line a double click
// moves, what a line reads where the view under it changes, and the
// statistics between them over readings with empty slots among them.
#include "graph/GraphCursors.h"
#include "graph/GraphOwnerModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

namespace {

// Slots 10 pixels wide from x = 30; a slot with no level is empty.
class CSlotSource final : public ICursorSource {
public:
    explicit CSlotSource(const std::vector<double>& levels)
    {
        for (std::size_t i = 0; i < levels.size(); ++i) {
            DataSample& s = slots.emplace_back();
            s.valid = levels[i] > 0.0 ? 1 : 0;
            s.value = levels[i] > 0.0 ? levels[i] : 0.0;
            s.time = "8:0:" + std::to_string(i);
        }
    }
    CursorTarget TargetAt(int x) const override
    {
        const int slot = (x - 30) / 10;
        return {slot, slot < static_cast<int>(slots.size()) ? &slots[static_cast<std::size_t>(slot)] : nullptr};
    }
    std::span<const DataSample> ReadingsBetween(int a, int b) const override
    {
        const int last = std::min(b, static_cast<int>(slots.size()) - 1);
        return a > last ? std::span<const DataSample>()
                        : std::span<const DataSample>(slots).subspan(static_cast<std::size_t>(a),
                                                                     static_cast<std::size_t>(last - a + 1));
    }
    std::vector<DataSample> slots;
};

class CNoFeed final : public IGraphFeed {
public:
    int ReadingLimit() const override { return 0; }
    void ScrollGraphTo(int) override {}
    void AfterHorizontalScroll() override {}
    void ScrollGraphVertically(int) override {}
    void UndoGraphZoom() override {}
    void ExtendTimeScale() override {}
};

class CLatestReadouts final : public IGraphOwnerView {
public:
    void ShowReadouts(const GraphReadoutTexts& texts) override { last = texts; }
    void ShowHScrollBar(const HScrollBarState&) override {}
    void ShowVScrollBar(const VScrollBarState&) override {}
    void ShowTimeLabels(const std::string&, const std::string&, const std::string&) override {}
    void ShowStatusMessage(const std::string&) override {}
    GraphReadoutTexts last;
};

struct Cursors {
    CNoFeed feed;
    CLatestReadouts view;
    CGraphOwnerModel owner{feed, &view};
    GraphCursors cursors;

    void Click(const CSlotSource& source, int x, GraphCursors::Times times = GraphCursors::Times::AsStored)
    {
        cursors.DoubleClick(x, source.TargetAt(x), source, owner, times);
    }
};

struct ClickCase {
    const char* what;
    std::vector<int> clicks;
    bool aShown;
    int aX;
    bool bShown;
    int bX;
    int step;
};

TEST(GraphCursors, DoubleClicksPlaceAThenBOrMoveALeftThenRest)
{
    const ClickCase cases[] = {
        {"the first places A", {100}, true, 100, false, 0, 1},
        {"the second places B", {100, 200}, true, 100, true, 200, 2},
        {"B may stand on A's column", {100, 100}, true, 100, true, 100, 2},
        {"the third changes nothing", {100, 200, 300}, true, 100, true, 200, 0},
        {"the fourth places A again and hides B", {100, 200, 300, 250}, true, 250, false, 200, 1},
        {"the second left of A moves A", {100, 60}, true, 60, false, 0, 2},
        {"... and the one after changes nothing", {100, 60, 300}, true, 60, false, 0, 0},
    };
    const CSlotSource source({50, 60, 70, 80, 90, 55, 65, 75, 85, 95, 51, 61, 71, 81, 91, 52, 62, 72, 82, 92, 53, 63,
                              73, 83, 93, 54, 64, 74, 84, 94});
    for (const ClickCase& c : cases) {
        SCOPED_TRACE(c.what);
        Cursors k;
        for (int x : c.clicks)
            k.Click(source, x);
        const GraphCursors& g = k.cursors;
        EXPECT_EQ(g.A().shown, c.aShown);
        EXPECT_EQ(g.A().x, c.aX);
        EXPECT_EQ(g.B().shown, c.bShown);
        if (c.bShown) {
            EXPECT_EQ(g.B().x, c.bX);
        }
        EXPECT_EQ(g.Step(), c.step);
        // A reads the slot under its line; placing A empties what lay between.
        const DataSample& underA = source.slots[static_cast<std::size_t>((c.aX - 30) / 10)];
        EXPECT_DOUBLE_EQ(g.A().value, underA.value);
        EXPECT_EQ(g.A().time, underA.time);
        if (!c.bShown) {
            EXPECT_EQ(g.Between().count, 0) << "no statistics without B";
        }
    }
}

struct BetweenCase {
    const char* what;
    std::vector<double> levels; // 0: an empty slot
    int slotA;
    int slotB;
    std::string cursorB, maximum, maximumTime, minimum, minimumTime, average;
};

TEST(GraphCursors, StatisticsCountTheReadingsBetweenTheLinesAndNoEmptySlot)
{
    const BetweenCase cases[] = {
        {"readings only", {70, 80, 60, 80, 60}, 0, 4, "60.0", "80.0", "08:00:01", "60.0", "08:00:02", "70.00"},
        {"empty slots among them", {70, 0, 90, 0, 0}, 0, 3, "", "90.0", "08:00:02", "70.0", "08:00:00", "80.00"},
        {"B past the data", {66, 67}, 1, 6, "", "67.0", "08:00:01", "67.0", "08:00:01", "67.00"},
        {"nothing but empty slots", {66, 0, 0, 0}, 1, 3, "", "", "", "", "", ""},
    };
    for (const BetweenCase& c : cases) {
        SCOPED_TRACE(c.what);
        const CSlotSource source(c.levels);
        Cursors k;
        k.Click(source, 30 + 10 * c.slotA);
        k.Click(source, 30 + 10 * c.slotB);
        const GraphReadoutTexts& r = k.view.last;
        EXPECT_EQ(r.cursorB, c.cursorB);
        EXPECT_EQ(r.maxBetween, c.maximum);
        EXPECT_EQ(r.maxBetweenTime, c.maximumTime);
        EXPECT_EQ(r.minBetween, c.minimum);
        EXPECT_EQ(r.minBetweenTime, c.minimumTime);
        EXPECT_EQ(r.avgBetween, c.average);
    }
}

TEST(GraphCursors, LinesKeepTheirColumnsAndReadWhatTheViewNowHoldsUnderThem)
{
    Cursors k;
    CSlotSource source({40, 50, 60, 70, 80, 90});
    k.Click(source, 40, GraphCursors::Times::Padded);
    k.Click(source, 70, GraphCursors::Times::Padded);
    ASSERT_EQ(k.cursors.Between().maximumTime, "08:00:04");
    ASSERT_EQ(k.cursors.B().time, "08:00:04");

    // The view moves on by two slots: the lines read slots 3 and 6 of the old
    // view, with the times as stored; B lands past the data.
    source.slots.erase(source.slots.begin(), source.slots.begin() + 2);
    k.cursors.Reread(source, k.owner);
    EXPECT_EQ(k.cursors.A().x, 40);
    EXPECT_EQ(k.cursors.B().x, 70);
    EXPECT_EQ(k.cursors.A().time, "8:0:3");
    EXPECT_DOUBLE_EQ(k.cursors.A().value, 70.0);
    EXPECT_FALSE(k.cursors.B().onReading);
    EXPECT_EQ(k.view.last.cursorB, "");
    EXPECT_EQ(k.cursors.Between().count, 3);
    EXPECT_EQ(k.view.last.maxBetweenTime, "08:00:05") << "the owner pads as it always does";
    EXPECT_EQ(k.cursors.Between().maximumTime, "8:0:5");

    // Hidden lines read nothing on a reread, and their readouts stay zero.
    k.cursors.Hide(k.owner);
    k.cursors.Reread(source, k.owner);
    EXPECT_FALSE(k.cursors.A().shown);
    EXPECT_EQ(k.view.last.cursorA, "0.0");
    EXPECT_EQ(k.view.last.cursorATime, "");
    EXPECT_EQ(k.cursors.Step(), 0);
}

} // namespace
