#include "app/ToolbarStrip.h"

#include "app/CommandTable.h"
#include "res/PanelBitmaps.h"

#include <QPainter>

QPixmap ToolbarStripPixmap()
{
    const QImage strip = LoadToolbarStrip();
    if (!strip.isNull())
        return QPixmap::fromImage(strip);
    QPixmap squares(kToolbarImageWidth * kToolbarImageCount, kToolbarImageHeight);
    squares.fill(Qt::transparent);
    QPainter painter(&squares);
    painter.setPen(Qt::black);
    painter.setBrush(QColor(192, 192, 192));
    for (int i = 0; i < kToolbarImageCount; ++i)
        painter.drawRect(i * kToolbarImageWidth + 2, 2, kToolbarImageWidth - 5, kToolbarImageHeight - 5);
    return squares;
}

QPixmap ApplicationIconPixmap()
{
    const QImage icon = LoadApplicationIcon();
    if (!icon.isNull())
        return QPixmap::fromImage(icon);
    QPixmap square(32, 32);
    square.fill(Qt::transparent);
    QPainter painter(&square);
    painter.setPen(Qt::black);
    painter.setBrush(QColor(170, 175, 195));
    painter.drawRect(2, 2, 27, 27);
    return square;
}
