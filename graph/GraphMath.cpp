#include "graph/GraphMath.h"

#include "common/DataSample.h"

#include <cmath>
#include <cstdio>

namespace GraphMath {

namespace {
// Far outside any plot, yet small enough for the rasteriser's fixed point.
constexpr double kFar = 1.0e6;
} // namespace

int Trunc(double value)
{
    if (std::isnan(value))
        return 0;
    if (value > kFar)
        return static_cast<int>(kFar);
    if (value < -kFar)
        return static_cast<int>(-kFar);
    return static_cast<int>(value);
}

int LevelHeight(double value, double bottomDb, double pixelsPerDb)
{
    return Trunc((value - bottomDb) * pixelsPerDb);
}

int LevelY(double value, int height, double bottomDb, double pixelsPerDb)
{
    return height - LevelHeight(value, bottomDb, pixelsPerDb);
}

double PixelsPerDb(int height, double topDb, double bottomDb)
{
    return height / (topDb - bottomDb);
}

int SlotX(int slot, int slotWidth)
{
    return kLeftMargin + slot * slotWidth;
}

int OverviewX(std::int64_t t, std::int64_t origin, double pixelsPerSecond)
{
    return Trunc(static_cast<double>(t - origin) * pixelsPerSecond + kLeftMargin);
}

std::array<DbLabel, 6> DbLabels(double topDb, double bottomDb, int height, bool fineLabels)
{
    std::array<DbLabel, 6> labels;
    const double span = topDb - bottomDb;
    const double pixelsPerDb = PixelsPerDb(height, topDb, bottomDb);
    for (int i = 0; i < 6; ++i) {
        const double value = bottomDb + span * 0.2 * i;
        double y = height - span * 0.2 * i * pixelsPerDb;
        // The lowest label stands above the bottom edge.
        if (i == 0)
            y -= 15;
        char text[64];
        std::snprintf(text, sizeof text, fineLabels ? "%3.1f" : "%3.0f", value);
        labels[static_cast<std::size_t>(i)] = {text, Trunc(y)};
    }
    return labels;
}

std::string TimeLabelText(const std::string& time)
{
    const std::size_t size = time.size();
    const std::size_t keep = size >= 2 && time[size - 2] == ':' ? 7 : 8;
    return size <= keep ? time : time.substr(size - keep);
}

TimeLabels PageTimeLabels(const DataSample* slots, int slotCount, bool overview)
{
    TimeLabels labels;
    if (overview || slots == nullptr || slotCount < 1 || !slots[0].valid)
        return labels;
    labels.left = TimeLabelText(slots[0].time);
    const DataSample& middle = slots[slotCount / 2];
    labels.middle = middle.valid ? TimeLabelText(middle.time) : std::string();
    labels.right = slots[slotCount - 1].valid ? TimeLabelText(slots[slotCount].time) : std::string();
    return labels;
}

std::optional<VerticalZoom> VerticalZoomOfDrag(int y0, int y, int height, double topDb, double bottomDb)
{
    const double pixelsPerDb = PixelsPerDb(height, topDb, bottomDb);
    const double high = (height - y0) / pixelsPerDb + bottomDb;
    const double low = (height - y) / pixelsPerDb + bottomDb;
    if (high - low >= 5.0)
        return VerticalZoom{high, low, false};
    if (high - low >= 2.0)
        return VerticalZoom{high, low, true};
    return std::nullopt;
}

VerticalSteps VerticalStepsOf(double topDb, double bottomDb)
{
    VerticalSteps steps;
    steps.divisionDb = (topDb - bottomDb) * 0.2;
    steps.steps = Trunc((1.0 / steps.divisionDb) * ((kFullTopDb - topDb) + (bottomDb - kFullBottomDb)));
    return steps;
}

DbRange RangeAtScrollPosition(int position, int steps, double divisionDb)
{
    if (position == steps)
        return {kFullBottomDb + 5 * divisionDb, kFullBottomDb};
    const double top = kFullTopDb - position * divisionDb;
    return {top, top - 5 * divisionDb};
}

std::optional<PageZoom> NextPageZoom(int pageSize, int slotWidth, int plotWidth)
{
    if (slotWidth >= kWidestSlot || slotWidth <= 0)
        return std::nullopt;
    PageZoom zoom;
    zoom.pageSize = pageSize / 2;
    zoom.slotWidth = slotWidth * 2;
    zoom.slotCount = plotWidth / zoom.slotWidth;
    return zoom;
}

std::array<PixelRect, 8> RoundedCorners(int width, int height)
{
    const int right = width - 1;
    const int bottom = height - 1;
    return {{{0, 0, 2, 1},
             {right - 1, 0, 2, 1},
             {0, 1, 1, 1},
             {right, 1, 1, 1},
             {0, bottom, 2, 1},
             {right - 1, bottom, 2, 1},
             {0, bottom - 1, 1, 1},
             {right, bottom - 1, 1, 1}}};
}

Rgb BarColour(int y, int height)
{
    const int p = height > 0 ? Trunc(y * (255.0 / height)) : 0;
    return {p, 255 - p, 64};
}

} // namespace GraphMath
