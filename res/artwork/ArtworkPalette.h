#pragma once

#include "res/PictureIds.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

// Colours and geometry shared by the artwork generator's drawing files. The
// panel pictures are cut from the drawn face, so every background picture fits
// seamlessly where the panel painter puts it.
namespace Artwork {

inline const QColor kFormColour(170, 175, 195);  // the main form's background
inline const QColor kCaseLight(118, 132, 164);
inline const QColor kCaseDark(78, 90, 120);
inline const QColor kCaseEdge(48, 56, 78);
inline const QColor kBezel(36, 40, 52);
inline const QColor kLcdOn(198, 210, 176);       // lit display
inline const QColor kLcdOff(64, 72, 66);         // meter off: dark, blank display
inline const QColor kSegment(26, 32, 28);        // seven-segment glyphs and bar segments
inline const QColor kKeyWell(50, 58, 82);

inline constexpr QSize kFaceSize(195, 480);
inline constexpr QRect kLcd(41, 39, 126, 147);   // x 41..166, y 39..185

// Where each key picture sits on the face (normal position and picture size).
struct KeyArt {
    int pictureId;
    QRect rect;
    const char* label;     // '\n' separates lines
    QColor cap;            // key cap colour
    QColor text;
    bool round;
};

inline const KeyArt kKeys[] = {
    {PictureId::KeyRec, QRect(41, 204, 40, 30), "REC", QColor(190, 56, 52), Qt::white, false},
    {PictureId::KeyFastSlow, QRect(72, 243, 50, 40), "FAST\nSLOW", QColor(214, 218, 226), QColor(30, 34, 46), false},
    {PictureId::KeyAC, QRect(79, 291, 39, 39), "A/C", QColor(214, 218, 226), QColor(30, 34, 46), true},
    {PictureId::KeyMaxMin, QRect(56, 327, 26, 53), "MAX\nMIN", QColor(214, 218, 226), QColor(30, 34, 46), false},
    {PictureId::KeyLevel, QRect(79, 373, 45, 28), "LEVEL", QColor(214, 218, 226), QColor(30, 34, 46), false},
    {PictureId::KeyStop, QRect(129, 416, 34, 34), "STOP", QColor(60, 66, 84), Qt::white, true},
};

// Drawing routines, one file each.
QImage DrawFace(bool lcdLit);
QImage DrawDigit(int digit);          // digit < 0: the blank digit
QImage DrawDecimalPoint();
QImage DrawKey(const QImage& face, const KeyArt& key);
QImage DrawToolbarStrip();
QImage DrawApplicationIcon(int size = 32); // size x size pixels

} // namespace Artwork
