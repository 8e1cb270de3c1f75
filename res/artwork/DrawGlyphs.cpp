// Seven-segment level digits, the decimal point and the key pictures.
#include "res/artwork/ArtworkPalette.h"

#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>
#include <QStringList>

namespace Artwork {

namespace {

// Segments a..g, in the usual order: top, upper right, lower right, bottom,
// lower left, upper left, middle.
constexpr unsigned char kSegmentsOf[10] = {
    0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F,
};

constexpr double kHalf = 2.4; // half the stroke of a segment

QPolygonF Horizontal(double x0, double x1, double y)
{
    return QPolygonF({QPointF(x0, y), QPointF(x0 + kHalf, y - kHalf), QPointF(x1 - kHalf, y - kHalf),
                      QPointF(x1, y), QPointF(x1 - kHalf, y + kHalf), QPointF(x0 + kHalf, y + kHalf)});
}

QPolygonF Vertical(double x, double y0, double y1)
{
    return QPolygonF({QPointF(x, y0), QPointF(x + kHalf, y0 + kHalf), QPointF(x + kHalf, y1 - kHalf),
                      QPointF(x, y1), QPointF(x - kHalf, y1 - kHalf), QPointF(x - kHalf, y0 + kHalf)});
}

} // namespace

QImage DrawDigit(int digit)
{
    QImage image(25, 53, QImage::Format_RGB32);
    image.fill(kLcdOn);
    if (digit < 0 || digit > 9)
        return image;

    // A slight forward slant, as on the meter's own glass.
    const double left = 5.5, right = 20.5, top = 5.0, middle = 26.5, bottom = 48.0;
    const QPolygonF segments[7] = {
        Horizontal(left + 0.8, right - 0.8, top),
        Vertical(right, top + 0.8, middle - 0.8),
        Vertical(right, middle + 0.8, bottom - 0.8),
        Horizontal(left + 0.8, right - 0.8, bottom),
        Vertical(left, middle + 0.8, bottom - 0.8),
        Vertical(left, top + 0.8, middle - 0.8),
        Horizontal(left + 0.8, right - 0.8, middle),
    };

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(kSegment);
    QTransform slant;
    slant.translate(2.0, 0).shear(-0.06, 0);
    p.setTransform(slant);
    for (int s = 0; s < 7; ++s)
        if (kSegmentsOf[digit] & (1u << s))
            p.drawPolygon(segments[s]);
    return image;
}

QImage DrawDecimalPoint()
{
    QImage image(7, 8, QImage::Format_RGB32);
    image.fill(kLcdOn);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(kSegment);
    p.drawRoundedRect(QRectF(1, 3, 4.6, 4.6), 1, 1);
    return image;
}

QImage DrawKey(const QImage& face, const KeyArt& key)
{
    // The key's corners show the well around it, so the picture starts as the face.
    QImage image = face.copy(key.rect);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    const QRectF cap = QRectF(0.5, 0.5, key.rect.width() - 1.0, key.rect.height() - 1.0);
    QLinearGradient shade(0, 0, 0, key.rect.height());
    shade.setColorAt(0.0, key.cap.lighter(118));
    shade.setColorAt(0.6, key.cap);
    shade.setColorAt(1.0, key.cap.darker(125));
    p.setPen(QPen(key.cap.darker(170), 1));
    p.setBrush(shade);
    if (key.round)
        p.drawEllipse(cap);
    else
        p.drawRoundedRect(cap, 5, 5);
    // Highlight along the top of the cap.
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    p.setBrush(Qt::NoBrush);
    if (key.round)
        p.drawArc(cap.adjusted(2, 2, -2, -2), 40 * 16, 100 * 16);
    else
        p.drawLine(QPointF(5, 2.5), QPointF(key.rect.width() - 5, 2.5));

    // Largest bold label that fits the cap.
    const QStringList lines = QString::fromLatin1(key.label).split('\n');
    QFont font("DejaVu Sans");
    font.setBold(true);
    const double inset = key.round ? 0.72 : 0.86;
    for (int size = 11; size >= 6; --size) {
        font.setPixelSize(size);
        const QFontMetrics metrics(font);
        int widest = 0;
        for (const QString& line : lines)
            widest = std::max(widest, metrics.horizontalAdvance(line));
        if (widest <= key.rect.width() * inset && metrics.height() * lines.size() <= key.rect.height() - 4)
            break;
    }
    p.setFont(font);
    p.setPen(key.text);
    p.drawText(QRectF(0, 0, key.rect.width(), key.rect.height()), Qt::AlignCenter, lines.join('\n'));
    return image;
}

} // namespace Artwork
