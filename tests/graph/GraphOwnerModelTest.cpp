// The owner side of a graph: scroll bars and their actions, zoom reset, the
// readouts, the time labels and the print and histogram flags.
#include "graph/GraphOwnerModel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class CRecordingFeed final : public IGraphFeed {
public:
    int ReadingLimit() const override { return limit; }
    void ScrollGraphTo(int firstReading) override { startIndexes.push_back(firstReading); }
    void AfterHorizontalScroll() override { ++redraws; }
    void ScrollGraphVertically(int position) override { verticalPositions.push_back(position); }
    void UndoGraphZoom() override { ++undoZooms; }
    void ExtendTimeScale() override { ++extensions; }

    int limit = 40000;
    std::vector<int> startIndexes;
    int redraws = 0;
    std::vector<int> verticalPositions;
    int undoZooms = 0;
    int extensions = 0;
};

class CRecordingOwnerView final : public IGraphOwnerView {
public:
    void ShowReadouts(const GraphReadoutTexts& texts) override
    {
        last = texts;
        ++refreshes;
    }
    void ShowHScrollBar(const HScrollBarState& bar) override { hBars.push_back(bar); }
    void ShowVScrollBar(const VScrollBarState& bar) override { vBars.push_back(bar); }
    void ShowTimeLabels(const std::string& left, const std::string& middle, const std::string& right) override
    {
        labels = {left, middle, right};
    }
    void ShowStatusMessage(const std::string& text) override { messages.push_back(text); }

    GraphReadoutTexts last;
    int refreshes = 0;
    std::vector<HScrollBarState> hBars;
    std::vector<VScrollBarState> vBars;
    std::vector<std::string> labels;
    std::vector<std::string> messages;
};

class GraphOwnerModelTest : public ::testing::Test {
protected:
    CRecordingFeed feed;
    CRecordingOwnerView views;
    CGraphOwnerModel owner{feed, &views};
};

TEST_F(GraphOwnerModelTest, HorizontalBarLinesAndThumb)
{
    EXPECT_EQ(owner.HScrollBar(), (HScrollBarState{265, 150, 0, false}));
    owner.HorizontalScroll(ScrollCode::LineBack, 0);
    EXPECT_EQ(owner.GetHScrollPos(), 0);
    owner.HorizontalScroll(ScrollCode::LineForward, 0);
    EXPECT_EQ(owner.GetHScrollPos(), 1);
    EXPECT_EQ(owner.FirstVisibleReading(), 265);
    owner.HorizontalScroll(ScrollCode::ThumbPosition, 150);
    owner.HorizontalScroll(ScrollCode::LineForward, 0);
    EXPECT_EQ(owner.GetHScrollPos(), 150);
    EXPECT_EQ(feed.startIndexes, std::vector<int>({0, 265, 150 * 265, 150 * 265}));
    ASSERT_FALSE(views.hBars.empty());
    EXPECT_EQ(views.hBars.back().position, 150);

    // Page and track codes move nothing; every code asks for a redraw.
    owner.HorizontalScroll(ScrollCode::PageBack, 0);
    owner.HorizontalScroll(ScrollCode::ThumbTrack, 3);
    EXPECT_EQ(owner.GetHScrollPos(), 150);
    EXPECT_EQ(feed.startIndexes.size(), 4u);
    EXPECT_EQ(feed.redraws, 6);
}

TEST_F(GraphOwnerModelTest, HorizontalPageAndPositionFromTheGraph)
{
    feed.limit = 1000;
    owner.SetHScrollPage(300);
    EXPECT_EQ(owner.HScrollBar(), (HScrollBarState{300, 3, 0, true}));
    owner.SetHScrollPos(700);
    EXPECT_EQ(owner.GetHScrollPos(), 2);
    owner.SetHScrollPos(5000); // beyond the range: the bar's last position
    EXPECT_EQ(owner.GetHScrollPos(), 3);
    owner.SetHScrollPage(0); // no step: ignored
    EXPECT_EQ(owner.HScrollBar().step, 300);
    EXPECT_EQ(views.hBars.back(), owner.HScrollBar());
}

TEST_F(GraphOwnerModelTest, VerticalBar)
{
    owner.SetVScroll(5.0, 20, 100.0);
    EXPECT_EQ(owner.VScrollBar(), (VScrollBarState{5.0, 20, 6, true}));
    owner.VerticalScroll(ScrollCode::LineForward, 0);
    owner.VerticalScroll(ScrollCode::LineBack, 0);
    owner.VerticalScroll(ScrollCode::LineBack, 0);
    owner.VerticalScroll(ScrollCode::ThumbPosition, 20);
    owner.VerticalScroll(ScrollCode::LineForward, 0);
    owner.VerticalScroll(ScrollCode::PageForward, 0);
    EXPECT_EQ(feed.verticalPositions, std::vector<int>({7, 6, 5, 20, 20}));

    owner.SetVScroll(2.0, 0, 50.0); // maximum 0: arrows off, nothing else
    EXPECT_EQ(owner.VScrollBar(), (VScrollBarState{5.0, 20, 20, false}));
    EXPECT_EQ(views.vBars.back(), owner.VScrollBar());
}

TEST_F(GraphOwnerModelTest, UndoZoomResetsBothBars)
{
    owner.SetHScrollPage(100);
    owner.HorizontalScroll(ScrollCode::ThumbPosition, 9);
    owner.SetVScroll(5.0, 20, 100.0);
    owner.UndoZoom();
    EXPECT_EQ(feed.undoZooms, 1);
    EXPECT_EQ(owner.HScrollBar().position, 0);
    EXPECT_FALSE(owner.HScrollBar().arrowsEnabled);
    EXPECT_EQ(owner.VScrollBar().position, 0);
    EXPECT_FALSE(owner.VScrollBar().arrowsEnabled);
    EXPECT_EQ(views.hBars.back(), owner.HScrollBar());
    EXPECT_EQ(views.vBars.back(), owner.VScrollBar());
}

TEST_F(GraphOwnerModelTest, ReadoutsAreZeroFilledAndPublished)
{
    owner.ShowCursorA(85.3, "9:05:31");
    EXPECT_EQ(views.last.cursorA, "85.3");
    EXPECT_EQ(views.last.cursorATime, "09:05:31");
    owner.ShowCursorB(70.25, "12:0:7");
    owner.ShowMaxBetween(99.9, "10:10:10");
    owner.ShowMinBetween(40.1, "1:02:03");
    owner.ShowAvgBetween(256.0 / 3);
    EXPECT_EQ(views.last.cursorBTime, "12:00:07");
    EXPECT_EQ(views.last.maxBetween, "99.9");
    EXPECT_EQ(views.last.minBetweenTime, "01:02:03");
    // Levels with one decimal, the average with two, in fields a few characters wide.
    EXPECT_EQ(views.last.avgBetween, "85.33");

    owner.ClearBetweenReadouts();
    EXPECT_EQ(views.last.cursorA, "85.3");
    EXPECT_EQ(views.last.cursorB, "0.0");
    EXPECT_EQ(views.last.cursorBTime, "");
    EXPECT_EQ(views.last.maxBetweenTime, "");
    EXPECT_EQ(views.last.minBetween, "0.0");
    EXPECT_EQ(views.last.avgBetween, "0.00");
    EXPECT_EQ(views.refreshes, 6);

    // A cursor on no reading, or no reading between them: the fields stay empty
    // until a reading is shown there again.
    owner.ShowNoReading(GraphReadout::CursorB);
    owner.ShowNoReading(GraphReadout::Between);
    for (const std::string* text : {&views.last.cursorB, &views.last.cursorBTime, &views.last.maxBetween,
                                    &views.last.minBetween, &views.last.avgBetween})
        EXPECT_EQ(*text, "");
    EXPECT_EQ(views.last.cursorA, "85.3");
    owner.ShowCursorB(64.0, "1:02:03");
    EXPECT_EQ(views.last.cursorB, "64.0");
    EXPECT_EQ(views.refreshes, 9);

    // Each text lands in its own field.
    int found = 0;
    const GraphReadoutTexts texts = owner.ReadoutTexts();
    for (const auto& [id, text] : texts.ByControlId()) {
        if (id == 1013) {
            EXPECT_EQ(*text, "85.3");
            ++found;
        }
        if (id == 1015) {
            EXPECT_EQ(*text, "09:05:31");
            ++found;
        }
    }
    EXPECT_EQ(found, 2);

    owner.SetTimeLabels("10:00:00", "10:05:00", "10:10:00");
    EXPECT_EQ(views.labels, std::vector<std::string>({"10:00:00", "10:05:00", "10:10:00"}));
}

TEST_F(GraphOwnerModelTest, PrintAndHistogramFlagsAndTheTimeScaleRequest)
{
    EXPECT_FALSE(owner.CanHistogram());
    EXPECT_TRUE(owner.CanPrint());
    owner.SetHistogramAllowed(1);
    owner.SetPrintAllowed(0);
    EXPECT_TRUE(owner.CanHistogram());
    EXPECT_FALSE(owner.CanPrint());
    owner.ExtendTimeScale();
    EXPECT_EQ(feed.extensions, 1);
}

} // namespace
