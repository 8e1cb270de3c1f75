// The meter panel rendered off screen and checked at its pixel places.
#include "monitor/widgets/MeterPanel.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

QImage Render(CMeterPanel& panel, const MeterState& state, bool connected)
{
    QImage screen(CMeterPanel::kWidth, CMeterPanel::kHeight, QImage::Format_RGB32);
    screen.fill(Qt::magenta);
    QPainter painter(&screen);
    panel.Paint(painter, state, connected);
    return screen;
}

bool HasPicture(const QImage& screen, int x, int y, const QImage& picture)
{
    return !picture.isNull() && screen.copy(x, y, picture.width(), picture.height()) == picture;
}

// Bounding box of the pixels where two renderings differ.
QRect Difference(const QImage& a, const QImage& b)
{
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                box = box.united(QRect(x, y, 1, 1));
    return box;
}

MeterState Display(int hundreds, int tens, int units, int tenths)
{
    MeterState state;
    state.displayDigits[0] = hundreds;
    state.displayDigits[1] = tens;
    state.displayDigits[2] = units;
    state.displayDigits[3] = tenths;
    state.displayValid = true;
    return state;
}

MeterState Bar(int range, int hundreds, int tens, int units)
{
    MeterState state;
    state.range = range;
    state.barDigits[0] = hundreds;
    state.barDigits[1] = tens;
    state.barDigits[2] = units;
    state.barDigits[3] = 7; // the tenths never count
    return state;
}

class MeterPanelTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(panel.PicturesLoaded()); }

    QImage Digit(int digit) const { return panel.Picture(CMeterPanel::DigitPictureId(digit)); }

    bool IsSegment(const QImage& screen, int x, int top) const
    {
        return HasPicture(screen, x, top, panel.Picture(146));
    }

    // The column (x, top .. top + rows - 1) shows the bar background only.
    bool IsBackground(const QImage& screen, int x, int top, int rows = 7) const
    {
        const QImage background = panel.Picture(153);
        for (int y = top; y < top + rows; ++y)
            if (screen.pixel(x, y) != background.pixel(x - 44, y - 61))
                return false;
        return true;
    }

    CMeterPanel panel;
};

} // namespace

TEST_F(MeterPanelTest, LevelDigitsSuppressOnlyTheHundredsZero)
{
    QImage screen = Render(panel, Display(0, 8, 5, 3), true);
    EXPECT_TRUE(HasPicture(screen, 45, 113, panel.Picture(148)));
    EXPECT_TRUE(HasPicture(screen, 70, 113, Digit(8)));
    EXPECT_TRUE(HasPicture(screen, 95, 113, Digit(5)));
    EXPECT_TRUE(HasPicture(screen, 120, 158, panel.Picture(140)));
    EXPECT_TRUE(HasPicture(screen, 127, 113, Digit(3)));

    screen = Render(panel, Display(0, 0, 5, 3), true);
    EXPECT_TRUE(HasPicture(screen, 45, 113, panel.Picture(148)));
    EXPECT_TRUE(HasPicture(screen, 70, 113, Digit(0)));
    EXPECT_TRUE(HasPicture(screen, 95, 113, Digit(5)));
    EXPECT_TRUE(HasPicture(screen, 127, 113, Digit(3)));

    screen = Render(panel, Display(1, 2, 9, 0), true);
    EXPECT_TRUE(HasPicture(screen, 45, 113, Digit(1)));
    EXPECT_TRUE(HasPicture(screen, 70, 113, Digit(2)));
    EXPECT_TRUE(HasPicture(screen, 95, 113, Digit(9)));
    EXPECT_TRUE(HasPicture(screen, 127, 113, Digit(0)));
}

TEST_F(MeterPanelTest, DigitsStayWhenTheDisplayTurnsInvalidAndBadDigitsAreSkipped)
{
    Render(panel, Display(0, 8, 5, 3), true);
    MeterState invalid = Display(1, 1, 1, 1);
    invalid.displayValid = false;
    QImage screen = Render(panel, invalid, true);
    EXPECT_TRUE(HasPicture(screen, 70, 113, Digit(8)));
    EXPECT_TRUE(HasPicture(screen, 127, 113, Digit(3)));

    // Digits outside 0..9 have no picture: that place keeps its last one.
    screen = Render(panel, Display(12, -1, 4, 15), true);
    EXPECT_TRUE(HasPicture(screen, 45, 113, panel.Picture(148)));
    EXPECT_TRUE(HasPicture(screen, 70, 113, Digit(8)));
    EXPECT_TRUE(HasPicture(screen, 95, 113, Digit(4)));
    EXPECT_TRUE(HasPicture(screen, 127, 113, Digit(3)));
}

TEST_F(MeterPanelTest, UnlitFaceWhileNotConnectedEvenWithKeptValues)
{
    const QImage unlit = panel.Picture(176);
    MeterState state = Display(0, 8, 5, 3);
    state.range = 1;
    state.fast = state.dBA = state.over = true;
    EXPECT_EQ(Render(panel, MeterState(), false), unlit);

    const QImage lit = Render(panel, state, true);
    EXPECT_TRUE(HasPicture(lit, 70, 113, Digit(8)));
    // The link is lost: MeterState keeps its values, the panel goes dark.
    EXPECT_EQ(Render(panel, state, false), unlit);
    // And it comes back with them.
    EXPECT_EQ(Render(panel, state, true), lit);
}

TEST_F(MeterPanelTest, RangeOneBarOfFiftyFive)
{
    const QImage screen = Render(panel, Bar(1, 0, 5, 5), true);
    EXPECT_TRUE(IsSegment(screen, 50, 72));
    EXPECT_TRUE(IsSegment(screen, 50, 81));
    for (int k = 1; k <= 25; ++k) {
        const int x = 52 + 2 * (k - 1);
        EXPECT_TRUE(IsSegment(screen, x, 81)) << "k " << k;
        EXPECT_TRUE(IsBackground(screen, x + 1, 81)) << "gap after k " << k;
        // The scale label may reach into the top rows of the upper row; look below it.
        const bool upper = !IsBackground(screen, x, 75, 4);
        EXPECT_EQ(upper, k % 5 == 0) << "k " << k;
        if (k % 5 == 0) {
            EXPECT_TRUE(IsSegment(screen, x, 72)) << "k " << k;
        }
    }
    for (int x = 102; x < 166; ++x)
        EXPECT_TRUE(IsBackground(screen, x, 81)) << x;
    EXPECT_TRUE(IsBackground(screen, 51, 81));
}

TEST_F(MeterPanelTest, BarIsClampedAndStopsAtTheEndOfTheScale)
{
    // Range 4: 135 clamps to 130, less 30 is 100, halved: 50 segments.
    QImage screen = Render(panel, Bar(4, 1, 3, 5), true);
    for (int k = 1; k <= 50; ++k)
        EXPECT_TRUE(IsSegment(screen, 52 + 2 * (k - 1), 81)) << k;
    EXPECT_TRUE(IsBackground(screen, 152, 81));

    // Range 1 at 130 would be 100 segments, running over the case: the bar stops at 50.
    screen = Render(panel, Bar(1, 1, 3, 0), true);
    EXPECT_TRUE(IsSegment(screen, 150, 81));
    for (int x = 151; x < 195; ++x)
        EXPECT_TRUE(IsBackground(screen, x, 81)) << x;

    // Below the range's start: only the zero mark.
    screen = Render(panel, Bar(2, 0, 4, 9), true);
    EXPECT_TRUE(IsSegment(screen, 50, 81));
    for (int x = 51; x < 195; ++x)
        EXPECT_TRUE(IsBackground(screen, x, 81)) << x;
}

TEST_F(MeterPanelTest, BarAreaKeepsItsPictureWhenTheRangeIsNone)
{
    Render(panel, Bar(1, 0, 5, 5), true);
    const QImage screen = Render(panel, Bar(0, 0, 0, 0), true);
    EXPECT_TRUE(IsSegment(screen, 100, 81));
}

TEST(BarGraphLayoutTest, LabelsAndSegmentsPerRange)
{
    BarGraphLayout layout = LayoutBarGraph(Bar(1, 0, 5, 5));
    EXPECT_EQ(layout.leftLabel, "30");
    EXPECT_EQ(layout.rightLabel, "80");
    EXPECT_EQ(layout.rightLabelPos, QPoint(138, 61));
    EXPECT_EQ(layout.segments, 25);

    layout = LayoutBarGraph(Bar(2, 0, 7, 3));
    EXPECT_EQ(layout.leftLabel, "50");
    EXPECT_EQ(layout.rightLabel, "100");
    EXPECT_EQ(layout.rightLabelPos, QPoint(132, 61));
    EXPECT_EQ(layout.segments, 23);

    layout = LayoutBarGraph(Bar(3, 1, 0, 0));
    EXPECT_EQ(layout.leftLabel, "80");
    EXPECT_EQ(layout.rightLabel, "130");
    EXPECT_EQ(layout.segments, 20);

    layout = LayoutBarGraph(Bar(4, 0, 6, 5));
    EXPECT_EQ(layout.leftLabel, "30");
    EXPECT_EQ(layout.rightLabel, "130");
    EXPECT_EQ(layout.segments, 17); // 35 halved

    // Unchecked nibbles from the meter are clamped like any high value.
    EXPECT_EQ(LayoutBarGraph(Bar(3, 15, 15, 15)).segments, 50);
    EXPECT_EQ(LayoutBarGraph(Bar(1, 0, 0, 0)).segments, 0);
    EXPECT_TRUE(LayoutBarGraph(Bar(0, 1, 0, 0)).leftLabel.isEmpty());
    EXPECT_EQ(LayoutBarGraph(Bar(7, 1, 0, 0)).segments, 0);
}

TEST_F(MeterPanelTest, StatusWordsAppearOnlyInTheirLine)
{
    struct Word {
        bool MeterState::*flag;
        QRect line; // the status line's background
        int x;
        int y;
    };
    const QRect upper(45, 50, 104, 10);
    const QRect lower(42, 168, 112, 13);
    const Word words[] = {
        {&MeterState::max, upper, 45, 50},  {&MeterState::min, upper, 70, 50},
        {&MeterState::fast, upper, 95, 50}, {&MeterState::slow, upper, 114, 50},
        {&MeterState::rec, lower, 65, 168}, {&MeterState::dBA, lower, 95, 168},
        {&MeterState::dBC, lower, 95, 168},
    };
    const QImage plain = Render(panel, MeterState(), true);
    for (const Word& word : words) {
        MeterState state;
        state.*word.flag = true;
        const QImage shown = Render(panel, state, true);
        const QRect changed = Difference(plain, shown);
        ASSERT_FALSE(changed.isEmpty()) << word.x << "," << word.y;
        EXPECT_TRUE(word.line.contains(changed)) << word.x << "," << word.y;
        EXPECT_GE(changed.left(), word.x) << word.x;
        EXPECT_LE(changed.left(), word.x + 3) << word.x;
        // Drawn over the line's background, so turning it off removes it again.
        EXPECT_EQ(Render(panel, MeterState(), true), plain);
    }

    MeterState a;
    a.dBA = true;
    MeterState c;
    c.dBC = true;
    EXPECT_NE(Render(panel, a, true), Render(panel, c, true));
}

TEST_F(MeterPanelTest, InverseWordsAndErasers)
{
    const QImage eraser = panel.Picture(163);
    QImage screen = Render(panel, MeterState(), true);
    EXPECT_TRUE(HasPicture(screen, 45, 40, eraser));
    EXPECT_TRUE(HasPicture(screen, 98, 40, eraser.copy(0, 0, 51, 10)));

    MeterState state;
    state.over = true;
    state.under = true;
    state.autoRange = true;
    screen = Render(panel, state, true);
    EXPECT_EQ(screen.pixel(120, 40), qRgb(0, 0, 0)); // OVER's cell
    EXPECT_EQ(screen.pixel(45, 40), qRgb(0, 0, 0));  // UNDER's cell
    EXPECT_EQ(screen.pixel(120, 168), qRgb(0, 0, 0)); // AUTO's cell
    auto whitePixels = [&](const QRect& area) {
        int white = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                white += qGray(screen.pixel(x, y)) > 200;
        return white;
    };
    EXPECT_GT(whitePixels(QRect(120, 40, 24, 10)), 5);
    EXPECT_GT(whitePixels(QRect(45, 40, 30, 10)), 5);
    const QImage autoOnly = screen.copy(120, 168, 30, 10);

    state.hold = true; // drawn after AUTO, it covers it
    screen = Render(panel, state, true);
    const QImage hold = screen.copy(120, 168, 30, 10);
    EXPECT_NE(hold, autoOnly);
    state.autoRange = false;
    EXPECT_EQ(Render(panel, state, true).copy(120, 168, 30, 10), hold);

    // Both off: the erasers wipe them.
    screen = Render(panel, MeterState(), true);
    EXPECT_TRUE(HasPicture(screen, 45, 40, eraser));
    EXPECT_TRUE(HasPicture(screen, 98, 40, eraser.copy(0, 0, 51, 10)));
}

TEST_F(MeterPanelTest, ClockTextOnItsBackground)
{
    const QImage plain = Render(panel, MeterState(), true);
    MeterState state;
    state.clockValid = true;
    state.clockText12 = "12:30:15";
    QImage screen = Render(panel, state, true);
    const QRect changed = Difference(plain, screen);
    ASSERT_FALSE(changed.isEmpty());
    EXPECT_GE(changed.left(), 66);
    EXPECT_GE(changed.top(), 90);
    EXPECT_TRUE(QRect(41, 88, 125, 27).contains(changed));
    // "TIME" stands on its own even without clock text.
    state.clockText12.clear();
    screen = Render(panel, state, true);
    EXPECT_GE(Difference(plain, screen).left(), 121); // a glyph may lean a pixel left

    // The next clock text replaces the previous one entirely.
    state.clockText12 = "1:00:00";
    const QImage one = Render(panel, state, true);
    state.clockText12 = "12:30:15";
    Render(panel, state, true);
    state.clockText12 = "1:00:00";
    EXPECT_EQ(Render(panel, state, true), one);
}

TEST_F(MeterPanelTest, FaceIsWhatTheScreenGot)
{
    MeterState state = Display(0, 7, 2, 1);
    state.range = 4;
    state.barDigits[1] = 9;
    state.clockValid = true;
    state.clockText12 = "10:42:07";
    state.fast = state.max = state.dBA = state.rec = state.autoRange = true;
    const QImage screen = Render(panel, state, true);
    EXPECT_EQ(screen, panel.Face());
    EXPECT_TRUE(screen.save(QStringLiteral("/tmp/vexalog-panel-face-lit.png")));
    EXPECT_TRUE(Render(panel, state, false).save(QStringLiteral("/tmp/vexalog-panel-face-unlit.png")));
}
