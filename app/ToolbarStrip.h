#pragma once

#include <QPixmap>

// The toolbar strip (bitmap 128, ten 16x15 images) and the application icon
// (icon 128) from the program's pictures; plain drawn stand-ins when the
// pictures are missing, so the frame always has buttons to show.
QPixmap ToolbarStripPixmap();
QPixmap ApplicationIconPixmap();
