#pragma once

#include <QRect>

// Dialog geometry is given in dialog units. One conversion with fixed base
// units serves every form and dialog, so the layout does not depend on the
// fonts a machine has: 321 units across (the real-time graph) are 560 pixels,
// and a unit down is 15/8 pixel.
inline int DialogUnitsToPixelsX(int du)
{
    return (du * 560 + 160) / 321;
}

inline int DialogUnitsToPixelsY(int du)
{
    return (du * 15 + 4) / 8;
}

// x, y, width and height converted each on its own, so a width converts the
// same wherever the control stands.
inline QRect DialogRect(int x, int y, int width, int height)
{
    return QRect(DialogUnitsToPixelsX(x), DialogUnitsToPixelsY(y), DialogUnitsToPixelsX(width),
                 DialogUnitsToPixelsY(height));
}
