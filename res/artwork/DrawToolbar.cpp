// The toolbar strip (ten 16x15 images) and the application icon, on a
// transparent background so they sit on any toolbar colour.
#include "res/artwork/ArtworkPalette.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>

#include <functional>

namespace Artwork {

namespace {

const QColor kOutline(40, 44, 56);

void Open(QPainter& p)
{
    p.setPen(QPen(QColor(120, 90, 10), 1));
    p.setBrush(QColor(236, 196, 72));
    p.drawPolygon(QPolygonF({QPointF(1.5, 3.5), QPointF(5.5, 3.5), QPointF(6.5, 4.5), QPointF(12.5, 4.5),
                             QPointF(12.5, 12.5), QPointF(1.5, 12.5)}));
    p.setBrush(QColor(252, 224, 120));
    p.drawPolygon(QPolygonF({QPointF(3.5, 7.5), QPointF(15.0, 7.5), QPointF(12.5, 12.5), QPointF(1.5, 12.5)}));
}

void Save(QPainter& p)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(60, 90, 170));
    p.drawRect(QRectF(1.5, 1.5, 13, 12));
    p.setBrush(QColor(240, 242, 248));
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(40, 50, 80));
    p.drawRect(QRectF(4.5, 9.5, 7, 4));
}

void ExportData(QPainter& p)
{
    p.setPen(QPen(QColor(30, 100, 50), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 1.5, 13, 12));
    p.fillRect(QRectF(2, 2, 12.5, 3), QColor(60, 150, 80));
    for (double x : {5.5, 9.5})
        p.drawLine(QPointF(x, 2), QPointF(x, 13.5));
    for (double y : {5.5, 8.5, 11.0})
        p.drawLine(QPointF(2, y), QPointF(14.5, y));
}

void Run(QPainter& p)
{
    p.setPen(QPen(QColor(20, 110, 30), 1));
    p.setBrush(QColor(40, 190, 60));
    p.drawPolygon(QPolygonF({QPointF(4, 1.5), QPointF(13.5, 7.5), QPointF(4, 13.5)}));
}

void Stop(QPainter& p)
{
    p.setPen(QPen(QColor(110, 20, 20), 1));
    p.setBrush(QColor(200, 40, 40));
    p.drawRect(QRectF(3.5, 3.5, 9, 9));
}

void Print(QPainter& p)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(160, 164, 176));
    p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.5, 1.5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 10.5, 7, 3.5));
    p.setPen(QPen(QColor(40, 190, 60), 1));
    p.drawPoint(QPointF(12.5, 8.5));
}

void Help(QPainter& p)
{
    p.setPen(QPen(QColor(20, 50, 130), 1));
    p.setBrush(QColor(60, 110, 210));
    p.drawEllipse(QRectF(1.5, 1, 13, 13));
    QFont font("DejaVu Sans");
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(1.5, 1, 13, 13), Qt::AlignCenter, "?");
}

void Page(QPainter& p)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({QPointF(3.5, 1.5), QPointF(9.5, 1.5), QPointF(12.5, 4.5), QPointF(12.5, 13.5),
                             QPointF(3.5, 13.5)}));
}

void Diamond(QPainter& p)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(150, 150, 170));
    p.drawPolygon(QPolygonF({QPointF(8, 1.5), QPointF(14, 7.5), QPointF(8, 13.5), QPointF(2, 7.5)}));
}

void Disc(QPainter& p)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(150, 150, 170));
    p.drawEllipse(QRectF(2.5, 2, 11, 11));
}

} // namespace

QImage DrawToolbarStrip()
{
    const std::function<void(QPainter&)> images[10] = {Open, Save, ExportData, Run, Stop,
                                                       Print, Help, Page, Diamond, Disc};
    QImage strip(160, 15, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing, true);
    for (int i = 0; i < 10; ++i) {
        p.save();
        p.setClipRect(16 * i, 0, 16, 15);
        p.translate(16 * i, 0);
        images[i](p);
        p.restore();
    }
    return strip;
}

QImage DrawApplicationIcon(int size)
{
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    // Drawn on a 32-unit grid, at any size.
    p.scale(size / 32.0, size / 32.0);
    QLinearGradient shade(0, 0, 32, 0);
    shade.setColorAt(0, kCaseLight);
    shade.setColorAt(1, kCaseDark);
    p.setPen(QPen(kCaseEdge, 1));
    p.setBrush(shade);
    p.drawRoundedRect(QRectF(6.5, 0.5, 19, 31), 5, 5);
    p.setBrush(QColor(34, 36, 42));
    p.drawRoundedRect(QRectF(12.5, 1.5, 7, 3), 1.5, 1.5);
    p.setBrush(kBezel);
    p.drawRect(QRectF(8.5, 6.5, 15, 11));
    p.fillRect(QRectF(9.5, 7.5, 13, 9), kLcdOn);
    QFont font("DejaVu Sans");
    font.setPixelSize(7);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kSegment);
    p.drawText(QRectF(9.5, 7.5, 13, 9), Qt::AlignCenter, "dB");
    p.setPen(QPen(kKeyWell, 1));
    p.setBrush(QColor(214, 218, 226));
    p.drawEllipse(QRectF(10.5, 20.5, 4, 4));
    p.drawEllipse(QRectF(17.5, 20.5, 4, 4));
    p.setBrush(QColor(190, 56, 52));
    p.drawEllipse(QRectF(14, 25.5, 4, 4));
    return icon;
}

} // namespace Artwork
