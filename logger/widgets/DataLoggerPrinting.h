#pragma once

// What the data-logger graph prints: its page of points, built from the
// graph as it stands, for the page both graphs share (ChartPrinting.h).

#include "graph/widgets/ChartPrinting.h"

class CDataLoggerGraph;

inline constexpr const char* kDataLoggerTitle = "ORVANTIS LX47 DATA LOGGER";
inline constexpr int kOverviewTracePen = 3; // device pixels
inline constexpr int kZoomedTracePen = 1;

// The chart of the graph's view, laid out on the frame: the trace of the
// screen (the same samples, the same merging of equal time stamps, through
// the screen's own walk) with the span the screen shows filling the 494-point
// axis, 3 pixels wide in the overview and 1 in a zoomed view, and the three
// times of the time strip under the axis of a zoomed view only. The trace is
// not clipped to the dB window. A view of a single point prints it as a dot.
PrintedChart DataLoggerChart(const CDataLoggerGraph& graph, const PrintedFrame& frame);
