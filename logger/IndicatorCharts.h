#pragma once

#include "acoustics/Indicators.h"

#include <QRectF>

class QPainter;

// The two small charts of the noise indicators, drawn in the painter's units
// (points on the report's pages, pixels in the Noise Indicators panel).
// Without enough data each says so in place of the chart.

// LAeq of each clock hour as a bar, the hour of day under it; hours measured
// only in part are drawn lighter.
void DrawHourlyBars(QPainter& painter, const QRectF& box, const NoiseIndicators& indicators);

// The share of the measured time at each whole decibel as bars (left axis),
// the cumulative share as a curve (right axis) and L10, L50 and L90 marked
// where the curve crosses 90, 50 and 10 %.
void DrawLevelDistribution(QPainter& painter, const QRectF& box, const NoiseIndicators& indicators);

// Draws text with its top-left corner at (x, y) points in the painter's font.
void DrawTextAt(QPainter& painter, double x, double y, const QString& text);
