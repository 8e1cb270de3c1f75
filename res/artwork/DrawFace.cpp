// The meter body, its display window and the wells the keys sit in.
#include "res/artwork/ArtworkPalette.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace Artwork {

namespace {

void DrawBody(QPainter& p)
{
    QPainterPath body;
    body.addRoundedRect(QRectF(3.5, 3.5, 188, 473), 26, 26);
    QLinearGradient shade(0, 0, 195, 0);
    shade.setColorAt(0.0, kCaseLight);
    shade.setColorAt(0.55, kCaseLight.darker(108));
    shade.setColorAt(1.0, kCaseDark);
    p.setPen(QPen(kCaseEdge, 2));
    p.setBrush(shade);
    p.drawPath(body);

    // A raised rim along the left edge catches the light.
    p.setPen(QPen(kCaseLight.lighter(125), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(6.5, 6.5, 182, 467), 23, 23);

    // The key plate: a slightly darker inset below the display.
    p.setPen(QPen(kCaseEdge.lighter(130), 1));
    p.setBrush(kCaseDark.lighter(112));
    p.drawRoundedRect(QRectF(20.5, 198.5, 154, 258), 14, 14);
}

void DrawMicrophone(QPainter& p)
{
    QLinearGradient metal(0, 8, 0, 26);
    metal.setColorAt(0.0, QColor(150, 154, 164));
    metal.setColorAt(1.0, QColor(70, 74, 84));
    p.setPen(QPen(kCaseEdge, 1));
    p.setBrush(metal);
    p.drawRoundedRect(QRectF(72.5, 8.5, 50, 17), 8, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(34, 36, 42));
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 8; ++col)
            p.drawEllipse(QPointF(79.5 + col * 5.3 + row * 2.5, 14.5 + row * 5), 1.2, 1.2);
}

void DrawDisplayWindow(QPainter& p, bool lcdLit)
{
    p.setPen(QPen(QColor(20, 22, 30), 1));
    p.setBrush(kBezel);
    p.drawRoundedRect(QRectF(32.5, 30.5, 143, 164), 9, 9);

    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(kLcd, lcdLit ? kLcdOn : kLcdOff);
    // A thin inner shadow along the top and left edge of the glass.
    p.setPen(lcdLit ? kLcdOn.darker(112) : kLcdOff.darker(115));
    p.drawLine(kLcd.left(), kLcd.top(), kLcd.right(), kLcd.top());
    p.drawLine(kLcd.left(), kLcd.top(), kLcd.left(), kLcd.bottom());
    p.setRenderHint(QPainter::Antialiasing, true);

    if (lcdLit) {
        // The unit legend printed on the glass beside the tenths digit.
        QFont legend("DejaVu Sans");
        legend.setPixelSize(9);
        legend.setBold(true);
        p.setFont(legend);
        p.setPen(kSegment);
        p.drawText(QRect(153, 116, 13, 12), Qt::AlignCenter, "dB");
    }

    QFont caption("DejaVu Sans");
    caption.setPixelSize(7);
    caption.setBold(true);
    p.setFont(caption);
    p.setPen(QColor(150, 158, 180));
    p.drawText(QRect(33, 186, 143, 8), Qt::AlignCenter, "SOUND LEVEL METER");
}

void DrawKeyWells(QPainter& p)
{
    for (const KeyArt& key : kKeys) {
        const QRectF well = QRectF(key.rect).adjusted(-2.5, -2.5, 2.5, 2.5);
        p.setPen(QPen(kKeyWell.darker(130), 1));
        p.setBrush(kKeyWell);
        if (key.round)
            p.drawEllipse(well);
        else
            p.drawRoundedRect(well, 6, 6);
    }
}

void DrawMaker(QPainter& p)
{
    QFont brand("DejaVu Sans");
    brand.setPixelSize(15);
    brand.setBold(true);
    brand.setItalic(true);
    p.setFont(brand);
    p.setPen(QColor(236, 238, 244));
    p.drawText(QRect(24, 420, 90, 20), Qt::AlignLeft | Qt::AlignVCenter, "LX47");

    QFont small("DejaVu Sans");
    small.setPixelSize(7);
    p.setFont(small);
    p.setPen(QColor(200, 206, 222));
    p.drawText(QRect(24, 438, 100, 10), Qt::AlignLeft | Qt::AlignVCenter, "DATALOGGING  dB");

    // Screw heads at the bottom corners.
    p.setPen(QPen(kCaseEdge, 1));
    p.setBrush(kCaseDark.lighter(130));
    p.drawEllipse(QPointF(30, 462), 3.5, 3.5);
    p.drawEllipse(QPointF(165, 462), 3.5, 3.5);
}

} // namespace

QImage DrawFace(bool lcdLit)
{
    QImage face(kFaceSize, QImage::Format_RGB32);
    face.fill(kFormColour);
    QPainter p(&face);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    DrawBody(p);
    DrawMicrophone(p);
    DrawDisplayWindow(p, lcdLit);
    DrawKeyWells(p);
    DrawMaker(p);
    return face;
}

} // namespace Artwork
