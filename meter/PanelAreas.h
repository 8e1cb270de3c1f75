#pragma once

// A panel rectangle in the view's client pixels (right and bottom exclusive).
struct PanelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const PanelRect&, const PanelRect&) = default;
};

// The areas of the meter panel that the link asks to redraw when what they
// show changes.
namespace PanelArea {
inline constexpr PanelRect MeterFace{41, 39, 166, 185}; // the whole face: on, off
inline constexpr PanelRect Limit{45, 40, 149, 50};      // OVER/UNDER
inline constexpr PanelRect Mode{45, 50, 149, 60};       // FAST/SLOW, MAX/MIN
inline constexpr PanelRect Range{44, 61, 152, 88};      // range, AUTO, bar graph
inline constexpr PanelRect Clock{41, 88, 156, 112};
inline constexpr PanelRect Display{41, 113, 152, 168};
inline constexpr PanelRect Status{44, 168, 156, 181}; // REC, dBA/dBC
inline constexpr PanelRect Hold{120, 168, 150, 178};  // HOLD
} // namespace PanelArea
