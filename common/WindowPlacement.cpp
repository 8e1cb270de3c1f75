#include "common/WindowPlacement.h"

#include <algorithm>

namespace {

// The start of a span of length `length` inside [low, low + room): `wanted`
// where that fits, else moved in from the far end, else the near end.
int FitStart(int wanted, int length, int low, int room)
{
    return std::max(low, std::min(wanted, low + room - length));
}

} // namespace

WindowRect PlaceWindow(const WindowRect& available, int wantedWidth, int wantedHeight, const FrameMargins& frame,
                       const std::optional<WindowRect>& remembered, int minWidth, int minHeight)
{
    // The largest client area whose frame still lies inside the available area.
    const int roomWidth = std::max(1, available.width - frame.left - frame.right);
    const int roomHeight = std::max(1, available.height - frame.top - frame.bottom);
    const int left = available.x + frame.left;
    const int top = available.y + frame.top;

    const bool useRemembered = remembered && remembered->width > 0 && remembered->height > 0;
    const int width = useRemembered ? remembered->width : wantedWidth;
    const int height = useRemembered ? remembered->height : wantedHeight;

    WindowRect place;
    place.width = std::clamp(width, std::min(minWidth, roomWidth), roomWidth);
    place.height = std::clamp(height, std::min(minHeight, roomHeight), roomHeight);
    if (useRemembered) {
        place.x = FitStart(remembered->x, place.width, left, roomWidth);
        place.y = FitStart(remembered->y, place.height, top, roomHeight);
    } else {
        place.x = left + (roomWidth - place.width) / 2;
        place.y = top + (roomHeight - place.height) / 2;
    }
    return place;
}

WindowRect WidenWindowRect(const WindowRect& client, int extra, const WindowRect& available, const FrameMargins& frame,
                           int minWidth)
{
    const int roomWidth = std::max(1, available.width - frame.left - frame.right);
    const int left = available.x + frame.left;
    WindowRect place = client;
    place.width = std::max(client.width + extra, std::min(minWidth, client.width));
    if (extra > 0) {
        // A window already wider than the area keeps its width.
        place.width = std::max(client.width, std::min(place.width, roomWidth));
        place.x = FitStart(client.x, place.width, left, roomWidth);
    }
    return place;
}
