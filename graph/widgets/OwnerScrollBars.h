#pragma once

#include "graph/GraphOwnerModel.h"

#include <functional>

class QObject;
class QScrollBar;

// A graph window's scroll bar wired to its graph-owner model. scroll hands
// the model a scroll code and the thumb's position and returns the bar's
// position afterwards: after each action the model decides and the bar shows
// what it decided. A dragged thumb moves freely and lands where it is let go.
void ConnectOwnerScrollBar(QScrollBar* bar, QObject* context, const std::function<int(ScrollCode, int)>& scroll);

// Shows the model's state of a bar without the bar reporting it back.
void ShowOwnerScrollBar(QScrollBar* bar, int maximum, int position, bool enabled);
