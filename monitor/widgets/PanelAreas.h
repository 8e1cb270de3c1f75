#pragma once

#include "meter/MeterLinkListener.h"

#include <QRect>

// Where each element of the meter panel is drawn, in the view's client pixels
// (the panel is drawn at the view's origin). When the link says an element
// changed, this is the area the view redraws.
constexpr QRect PanelAreaOf(PanelElement element)
{
    // The rectangles' right column and bottom row are redrawn too: the face,
    // the OVER and HOLD boxes are drawn up to them, and a column left out
    // would keep its old picture on the screen.
    const auto area = [](int left, int top, int right, int bottom) {
        return QRect(left, top, right - left + 1, bottom - top + 1);
    };
    switch (element) {
    case PanelElement::MeterFace:
        return area(41, 39, 166, 185); // the whole face: on, off
    case PanelElement::Limit:
        return area(45, 40, 149, 50); // OVER/UNDER
    case PanelElement::Mode:
        return area(45, 50, 149, 60); // FAST/SLOW, MAX/MIN
    case PanelElement::Range:
        return area(44, 61, 152, 88); // range, AUTO, bar graph
    case PanelElement::Clock:
        return area(41, 88, 156, 112);
    case PanelElement::Display:
        return area(41, 113, 152, 168);
    case PanelElement::Status:
        return area(44, 168, 156, 181); // REC, dBA/dBC
    case PanelElement::Hold:
        return area(120, 168, 150, 178); // HOLD
    }
    return {};
}
