#pragma once

// The arithmetic of the real-time graph, free of any window: where a level,
// a slot and a second are drawn, the dB labels, the time labels, what a drag
// does to the dB range, the zoom steps and the colours of the histogram bars.
// Printing and the data-logger graph use the same functions.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

struct DataSample;

namespace GraphMath {

// Width of the dB label strip, and x of the plot's left edge.
inline constexpr int kLeftMargin = 30;
inline constexpr double kFullTopDb = 130.0;
inline constexpr double kFullBottomDb = 30.0;
inline constexpr int kFirstPageSize = 265;
inline constexpr int kFirstSlotWidth = 2;
inline constexpr int kWidestSlot = 16;

// A coordinate cut toward zero. Far beyond any screen the value is held at a
// distance drawing still handles, so wild levels cannot overflow.
int Trunc(double value);

// trunc((v - bottom) * pixels per dB): the height of a level above the plot's bottom.
int LevelHeight(double value, double bottomDb, double pixelsPerDb);
// y of a level: h - LevelHeight.
int LevelY(double value, int height, double bottomDb, double pixelsPerDb);
double PixelsPerDb(int height, double topDb, double bottomDb);
// x of page slot i.
int SlotX(int slot, int slotWidth);
// x of a calendar time in the overview: trunc((t - origin) * pixels per second + 30).
int OverviewX(std::int64_t t, std::int64_t origin, double pixelsPerSecond);

// The six dB labels from the bottom of the range to its top.
struct DbLabel {
    std::string text;
    int y = 0; // top of the text
};
std::array<DbLabel, 6> DbLabels(double topDb, double bottomDb, int height, bool fineLabels);

// A time text shortened for a label: its last 7 characters when the second
// to last character is ':', otherwise its last 8 (a shorter text whole).
std::string TimeLabelText(const std::string& time);

struct TimeLabels {
    std::string left = " ";
    std::string middle = " ";
    std::string right = " ";
    friend bool operator==(const TimeLabels&, const TimeLabels&) = default;
};
// The labels of a page of slots 0 .. n; three single spaces in the overview
// or when slot 0 is empty.
TimeLabels PageTimeLabels(const DataSample* slots, int slotCount, bool overview);

// The dB range a drag from height y0 down to y selects: none when it spans
// less than 2 dB (or runs upwards); fine labels when less than 5 dB.
struct VerticalZoom {
    double topDb = 0.0;
    double bottomDb = 0.0;
    bool fineLabels = false;
};
std::optional<VerticalZoom> VerticalZoomOfDrag(int y0, int y, int height, double topDb, double bottomDb);

// The vertical scroll of a narrowed range: one fifth of the range per step,
// as many steps as fit in the rest of 30 .. 130 dB.
struct VerticalSteps {
    double divisionDb = 0.0;
    int steps = 0;
};
VerticalSteps VerticalStepsOf(double topDb, double bottomDb);
// The range at scroll position p: 130 dB less p divisions at the top, the
// last position pinned to 30 dB at the bottom.
struct DbRange {
    double topDb = 0.0;
    double bottomDb = 0.0;
};
DbRange RangeAtScrollPosition(int position, int steps, double divisionDb);

// One zoom step in page mode: half the page, twice the slot width.
struct PageZoom {
    int pageSize = 0;
    int slotWidth = 0;
    int slotCount = 0; // n = plot width / slot width
};
std::optional<PageZoom> NextPageZoom(int pageSize, int slotWidth, int plotWidth);

// The pixels a control of w x h pixels leaves out at its four corners, cut
// round with 5 x 5 ellipses: two of each outer row, one of the rows inside.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
std::array<PixelRect, 8> RoundedCorners(int width, int height);

// The histogram bars' colour in row y of a plot h pixels high.
struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
};
Rgb BarColour(int y, int height);

} // namespace GraphMath
