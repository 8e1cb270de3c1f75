// Where a window opens: inside the available area, frame and all, centred or
// where the user left it, shrunk to fit a smaller screen.
#include "common/WindowPlacement.h"

#include <gtest/gtest.h>

TEST(WindowPlacement, TheWholeFrameLiesInsideTheAvailableAreaAtTheWantedOrRememberedPlace)
{
    const FrameMargins frame{4, 30, 4, 4};
    const WindowRect small{0, 0, 800, 570};     // 800x600 less a 30-pixel panel
    const WindowRect large{0, 0, 1920, 1050};
    const WindowRect right{1920, 24, 1280, 1000}; // a second screen with a top panel
    const struct {
        const char* what;
        WindowRect available;
        int width, height;
        std::optional<WindowRect> remembered;
        WindowRect expected;
    } cases[] = {
        {"too large for a small screen: as large as it goes", small, 918, 599, std::nullopt, {4, 30, 792, 536}},
        {"fits: centred", large, 918, 599, std::nullopt, {501, 238, 918, 599}},
        {"centred on a screen that does not start at 0", right, 918, 599, std::nullopt, {2101, 237, 918, 599}},
        {"remembered and still inside: kept", large, 918, 599, WindowRect{100, 200, 700, 500}, {100, 200, 700, 500}},
        {"remembered off the right and bottom: moved in", large, 918, 599, WindowRect{1500, 900, 700, 500},
         {1216, 546, 700, 500}},
        {"remembered with the title bar above the top: moved down", small, 918, 599, WindowRect{-59, 0, 700, 400},
         {4, 30, 700, 400}},
        {"remembered larger than a screen that shrank", small, 918, 599, WindowRect{50, 50, 1200, 900},
         {4, 30, 792, 536}},
        {"remembered too small to use: the least usable size", large, 918, 599, WindowRect{10, 40, 20, 10},
         {10, 40, 160, 120}},
        {"a remembered place without a size does not count", large, 918, 599, WindowRect{10, 40, 0, 0},
         {501, 238, 918, 599}},
        {"a screen smaller than the least size: the screen wins", WindowRect{0, 0, 100, 100}, 918, 599, std::nullopt,
         {4, 30, 92, 66}},
    };
    for (const auto& c : cases) {
        const WindowRect place = PlaceWindow(c.available, c.width, c.height, frame, c.remembered);
        EXPECT_EQ(place, c.expected) << c.what << ": " << place.x << "," << place.y << " " << place.width << "x"
                                     << place.height;
        // Frame and all inside the available area.
        EXPECT_GE(place.x - frame.left, c.available.x) << c.what;
        EXPECT_GE(place.y - frame.top, c.available.y) << c.what;
        EXPECT_LE(place.x + place.width + frame.right, c.available.x + c.available.width) << c.what;
        EXPECT_LE(place.y + place.height + frame.bottom, c.available.y + c.available.height) << c.what;
    }
}

TEST(WindowPlacement, APanelBesideTheContentsWidensTheWindowWithinTheAvailableArea)
{
    const FrameMargins frame{4, 30, 4, 4};
    const WindowRect large{0, 0, 1920, 1050};
    const WindowRect small{0, 0, 800, 570};
    const struct {
        const char* what;
        WindowRect available;
        WindowRect client;
        int extra;
        WindowRect expected;
    } cases[] = {
        {"room on the right: grows there", large, {100, 60, 820, 620}, 400, {100, 60, 1220, 620}},
        {"near the right edge: moves left to grow", large, {1000, 60, 820, 620}, 400, {696, 60, 1220, 620}},
        {"a full small screen: stays as it is", small, {4, 30, 792, 536}, 400, {4, 30, 792, 536}},
        {"narrowed again: keeps its place", large, {696, 60, 1220, 620}, -400, {696, 60, 820, 620}},
        {"never narrower than the least width", large, {4, 30, 300, 200}, -400, {4, 30, 160, 200}},
    };
    for (const auto& c : cases) {
        const WindowRect place = WidenWindowRect(c.client, c.extra, c.available, frame);
        EXPECT_EQ(place, c.expected) << c.what << ": " << place.x << "," << place.y << " " << place.width << "x"
                                     << place.height;
    }
}
