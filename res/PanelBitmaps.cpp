#include "res/PanelBitmaps.h"

namespace {

constexpr int kToolbarImages = 10;
constexpr int kToolbarImageWidth = 16;
constexpr int kToolbarImageHeight = 15;

} // namespace

QString PanelBitmapPath(int resourceId)
{
    return QStringLiteral(":/res/bmp%1.png").arg(resourceId);
}

QImage LoadPanelBitmap(int resourceId)
{
    QImage image(PanelBitmapPath(resourceId));
    if (image.isNull())
        return image;
    // One format for all pictures, so copying them onto the face is a plain block copy.
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage LoadToolbarStrip()
{
    return QImage(QStringLiteral(":/res/bmp128_toolbar.png")).convertToFormat(QImage::Format_ARGB32);
}

QImage LoadToolbarImage(int index)
{
    if (index < 0 || index >= kToolbarImages)
        return QImage();
    const QImage strip = LoadToolbarStrip();
    if (strip.isNull())
        return strip;
    return strip.copy(index * kToolbarImageWidth, 0, kToolbarImageWidth, kToolbarImageHeight);
}

QImage LoadApplicationIcon()
{
    return QImage(QStringLiteral(":/res/icon128.png")).convertToFormat(QImage::Format_ARGB32);
}
