#pragma once

#include <QImage>
#include <QString>

// The program's pictures, compiled in as Qt resources and named by resource id:
// panel picture <id> is ":/res/bmp<id>.png".

// Resource path of panel picture `resourceId`.
QString PanelBitmapPath(int resourceId);

// Panel picture `resourceId` as a 32-bit RGB image; a null image when the
// program has no picture with that id.
QImage LoadPanelBitmap(int resourceId);

// Toolbar strip (resource 128): ten 16x15 images side by side, transparent
// background. ":/res/bmp128_toolbar.png".
QImage LoadToolbarStrip();

// Image `index` (0..9) of the toolbar strip; a null image for any other index.
QImage LoadToolbarImage(int index);

// The application icon (resource 128), 32x32 with transparency. ":/res/icon128.png".
QImage LoadApplicationIcon();
