#pragma once

#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

// A top-level window's place on the screen: it opens inside the available
// area of its screen, at the client size it wants or where the user left it
// last, and its place is kept in the program's settings under `key`. Without
// an organisation name (tests, tools) nothing is read or kept.

// Places the window on the screen holding its remembered place, else the
// primary screen. Call before the window is first shown.
void PlaceOnScreen(QWidget& window, QSize wanted, const QString& key);

// The same inside a given available area.
void PlaceInside(QWidget& window, const QRect& available, QSize wanted, const QString& key);

// Makes a top-level window wider by extra pixels (narrower for a negative
// extra), inside the available area of its screen (WidenWindowRect).
// Returns how much wider it became: give back that much, not extra.
int WidenWindow(QWidget& window, int extra);

// Keeps the window's place (its normal geometry, even when maximised).
void RememberPlace(const QWidget& window, const QString& key);
