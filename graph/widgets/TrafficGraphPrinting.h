#pragma once

// What the real-time graph prints: its page of points, built from the
// graph as it stands, for the page both graphs share (ChartPrinting.h).

#include "graph/widgets/ChartPrinting.h"

class CTrafficGraph;

inline constexpr const char* kTrafficGraphTitle = "ORVANTIS LX47 Real-Time Graph";
inline constexpr int kTrafficTracePen = 3; // device pixels

// The chart of the graph as it shows now, laid out on the frame:
// - the overview walks the same readings as the screen, with the screen's own
//   walk at the printed scale (the plot's span of seconds across 494 points).
//   The point still pending after the readings placed in time is printed,
//   and the readings not yet placed follow it at a slot's width each, all of
//   them: the page neither asks for a wider scale nor stops at its edge;
// - a page in line style puts slot i at trunc(i × 494 / n + X0);
// - a page in histogram style prints no trace;
// - only a page has times under the axis: slot 0, slot n / 2 and slot n, each
//   when it holds a reading, cut as the time strip cuts them.
// The graph takes the overview's new readings into its cache first, so a
// reading without calendar time is left out as on screen.
PrintedChart TrafficGraphChart(const CTrafficGraph& graph, const PrintedFrame& frame);
