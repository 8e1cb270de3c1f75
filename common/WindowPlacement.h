#pragma once

#include <optional>

// Where a top-level window opens: inside the screen's available area (the
// screen less its panels), at the client size it wants or at the place the
// user left it. Plain numbers, so the rule is checked without a screen.

struct WindowRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

// What the window manager adds around the client area (title bar, borders).
struct FrameMargins {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The client rectangle of a window wanting a client area of wantedWidth x
// wantedHeight. A remembered place keeps its size and position as far as the
// available area still holds it (a screen that became smaller moves and
// shrinks it); without one the window is centred. Either way the whole frame,
// title bar included, lies inside the available area, and the client area is
// never smaller than minWidth x minHeight unless the screen cannot hold that.
WindowRect PlaceWindow(const WindowRect& available, int wantedWidth, int wantedHeight, const FrameMargins& frame,
                       const std::optional<WindowRect>& remembered, int minWidth = 160, int minHeight = 120);

// The client rectangle of a window made wider by extra pixels (narrower for a
// negative extra) for a panel beside its contents. It grows to the right; a
// window that would pass the available area's right edge moves left first,
// and grows no wider than the area holds, frame included. It never becomes
// narrower than minWidth.
WindowRect WidenWindowRect(const WindowRect& client, int extra, const WindowRect& available, const FrameMargins& frame,
                           int minWidth = 160);
