#pragma once

// The drawing routines of the real-time graph. They take a painter and the
// graph (its state and its owner), not the widget, so the widget's off-screen
// image, the tests, the benchmark and printing all draw with them.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLine>
#include <QPoint>
#include <QRect>

#include <cstdint>
#include <vector>

struct DataSample;

class CTrafficGraph;
class GraphCursors;
class QPainter;
struct TrafficGraphState;

namespace GraphColours {
inline const QColor kLabel(0, 255, 255);
inline const QColor kPlot(0, 0, 75);
inline const QColor kLabelStrip(128, 0, 128);
inline const QColor kGrid(32, 64, 32);
inline const QColor kTrace(255, 0, 0);
inline const QColor kCursorA(0, 255, 0);
inline const QColor kCursorB(32, 64, 255);
inline const QColor kZoomFrame(255, 255, 255);
} // namespace GraphColours

// How the overview trace is drawn. Reference: as the walk reads, one line per
// point, every reading's date and time converted on every frame. Fast: times
// converted once when the readings arrive, the points of each pixel column
// collapsed to first, lowest, highest and last. Both give the same pixels.
enum class TraceRendering { Reference, Fast };

// Draws one frame of the graph from its state, which it leaves as it is: the
// same state draws the same frame, however often it is exposed. The
// painter's coordinates are the control's; what lies outside its device is
// simply not seen.
class CTrafficGraphPainter {
public:
    void Draw(QPainter& painter, const CTrafficGraph& graph, TraceRendering rendering = TraceRendering::Fast);

    // The system's button face, under the control's rounded corners.
    void SetFaceColour(const QColor& colour) { m_face = colour; }

private:
    // What the kept part of the time-placed readings (up to the first
    // reading of a second, placed) was walked with: while it stays the same,
    // its lines are drawn again as they were gathered and only the readings
    // after it are walked.
    struct PlacedKey {
        const DataSample* store = nullptr;
        int generation = -1;
        int placed = -1;
        std::int64_t origin = 0;
        double scale = 0.0;
        double topDb = 0.0;
        double bottomDb = 0.0;
        int width = 0;
        int height = 0;
        friend bool operator==(const PlacedKey&, const PlacedKey&) = default;
    };

    // The overview with all but the newest readings and without the grid's
    // vertical lines, which move with every reading.
    struct KeptKey {
        PlacedKey placed;
        bool fineLabels = false;
        QFont font;
        int phaseY = 0;
        friend bool operator==(const KeptKey&, const KeptKey&) = default;
    };

    void DrawOverview(QPainter& painter, const CTrafficGraph& graph, TraceRendering rendering, double pixelsPerDb);
    void UpdatePlaced(const CTrafficGraph& graph, int count, double pixelsPerDb);
    void DrawTail(QPainter& painter, const TrafficGraphState& state, int count, double pixelsPerDb);
    bool DrawKeptOverview(QPainter& painter, const CTrafficGraph& graph, double pixelsPerDb);
    // The kept frame with the grid's vertical lines where it still shows
    // the plot's colour (the trace and the horizontal lines lie over them).
    void DrawKeptFrame(QPainter& painter, int phaseX);
    // Cursor lines, the zoom rectangle and the rounded corners, over everything.
    void DrawMarks(QPainter& painter, const TrafficGraphState& state) const;
    const QImage& BarImage(int height);

    QColor m_face = QColor(240, 240, 240);
    QImage m_bars;              // the histogram's gradient, built on first use
    // Reused from frame to frame.
    std::vector<QLine> m_lines;
    std::vector<QRect> m_spans;
    PlacedKey m_placedKey;
    std::vector<QLine> m_placedLines;
    std::vector<QRect> m_placedSpans;
    bool m_keptAny = false;   // the kept part of the placed readings has a point
    QPoint m_keptEnd;         // its last point
    std::vector<QLine> m_afterLines; // the placed readings after the kept part
    std::vector<QRect> m_afterSpans;
    int m_afterLeftmost = 0;
    bool m_placedAny = false; // the placed readings have a point
    QPoint m_placedEnd;       // their last point, where the newest readings start
    KeptKey m_keptKey;
    bool m_keptLabelsFit = false;
    bool m_keptDrawn = false; // m_kept holds the frame of m_keptKey
    QImage m_kept;
    // Where the vertical lines of each grid phase met so far show on m_kept:
    // the columns of row y are x[start[y] .. start[y + 1]).
    struct GridColumns {
        int phaseX = 0;
        std::vector<int> start;
        std::vector<int> x;
    };
    std::vector<GridColumns> m_columns;
};

// Parts shared with printing and the data-logger graph.
void DrawGraphGrid(QPainter& painter, int width, int height, int phaseX, int phaseY);
void DrawDbLabels(QPainter& painter, double topDb, double bottomDb, int height, bool fineLabels);
void DrawDbLabels(QPainter& painter, const TrafficGraphState& state);
// A 1-pixel frame inside the rectangle spanned by two corners, as the
// platform frames a rectangle (right and bottom edges exclusive).
void FrameZoomRect(QPainter& painter, int x0, int y0, int x1, int y1, const QColor& colour);
// The lines of cursors A and B, the whole height of the plot.
void DrawCursorLines(QPainter& painter, const GraphCursors& cursors, int height);
