#include "graph/TrafficGraphPainter.h"

#include "graph/OverviewWalk.h"
#include "graph/TraceSinks.h"
#include "graph/TrafficGraph.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <utility>
#include <cstdint>

using namespace GraphMath;

namespace {

// Where the overview's points fall on the screen. The update step has
// settled the time scale so that every time-placed point falls inside.
class CScreenMapper {
public:
    CScreenMapper(const TrafficGraphState& state, double pixelsPerDb) : m_state(state), m_pixelsPerDb(pixelsPerDb) {}

    int TimeX(std::int64_t t, bool, bool&) const
    {
        return OverviewX(t, m_state.overviewOrigin, m_state.overviewScale);
    }
    int LevelY(double value) const { return GraphMath::LevelY(value, m_state.height, m_state.bottomDb, m_pixelsPerDb); }
    int TailX(int xLast, int k) const { return xLast + k * m_state.slotWidth; }
    bool TailStops(int x) const { return x >= m_state.width; }
    static int StartX() { return kLeftMargin; }

private:
    const TrafficGraphState& m_state;
    double m_pixelsPerDb;
};

template <class Sink>
void WalkPageLine(const TrafficGraphState& s, double pixelsPerDb, Sink& sink)
{
    const int h = s.height;
    const int last = std::min(s.pageFill, static_cast<int>(s.page.size()));
    for (int i = 0; i < last; ++i) {
        const int d = LevelHeight(s.page[static_cast<std::size_t>(i)].value, s.bottomDb, pixelsPerDb);
        const int x = SlotX(i, s.slotWidth);
        if (i == 0) {
            sink.Move(x, h - d);
        } else if (i == s.slotCount - 1) {
            if (x < s.width)
                sink.Line(s.width, h - d);
        } else {
            sink.Line(x, h - d);
        }
    }
}

} // namespace

void DrawGraphGrid(QPainter& painter, int width, int height, int phaseX, int phaseY)
{
    for (int i = 0; i <= (width - kLeftMargin) / 10; ++i)
        painter.fillRect(kLeftMargin + phaseX + 10 * i, 0, 1, height, GraphColours::kGrid);
    for (int j = 0; j <= height / 10; ++j)
        painter.fillRect(kLeftMargin, height - 2 + phaseY - 10 * j, width - kLeftMargin, 1, GraphColours::kGrid);
}

void DrawDbLabels(QPainter& painter, double topDb, double bottomDb, int height, bool fineLabels)
{
    painter.setPen(GraphColours::kLabel);
    const int ascent = QFontMetrics(painter.font()).ascent();
    for (const DbLabel& label : DbLabels(topDb, bottomDb, height, fineLabels))
        painter.drawText(QPoint(0, label.y + ascent), QString::fromStdString(label.text));
}

void DrawDbLabels(QPainter& painter, const TrafficGraphState& s)
{
    DrawDbLabels(painter, s.topDb, s.bottomDb, s.height, s.fineLabels);
}

void FrameZoomRect(QPainter& painter, int x0, int y0, int x1, int y1, const QColor& colour)
{
    const int left = std::min(x0, x1);
    const int right = std::max(x0, x1);
    const int top = std::min(y0, y1);
    const int bottom = std::max(y0, y1);
    if (right <= left || bottom <= top)
        return;
    painter.fillRect(left, top, right - left, 1, colour);
    painter.fillRect(left, bottom - 1, right - left, 1, colour);
    painter.fillRect(left, top, 1, bottom - top, colour);
    painter.fillRect(right - 1, top, 1, bottom - top, colour);
}

const QImage& CTrafficGraphPainter::BarImage(int height)
{
    if (m_bars.height() != height) {
        // Row y of every bar has the same colour: the gradient is laid from
        // the plot's top, wide enough for the widest slot.
        m_bars = QImage(kWidestSlot, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y) {
            const Rgb c = BarColour(y, height);
            const QRgb rgb = qRgb(c.red, c.green, c.blue);
            auto* row = reinterpret_cast<QRgb*>(m_bars.scanLine(y));
            std::fill(row, row + kWidestSlot, rgb);
        }
    }
    return m_bars;
}

void CTrafficGraphPainter::Draw(QPainter& painter, const CTrafficGraph& graph, TraceRendering rendering)
{
    const TrafficGraphState& s = graph.State();
    if (!s.ready)
        return;
    const int w = s.width;
    const int h = s.height;
    const QImage& bars = BarImage(h);
    painter.save();
    const double pixelsPerDb = PixelsPerDb(h, s.topDb, s.bottomDb);
    if (s.overview && rendering == TraceRendering::Fast && DrawKeptOverview(painter, graph, pixelsPerDb)) {
        DrawMarks(painter, s);
        painter.restore();
        return;
    }

    painter.fillRect(0, 0, w, h, GraphColours::kPlot);
    painter.fillRect(0, 0, kLeftMargin, h, GraphColours::kLabelStrip);
    DrawGraphGrid(painter, w, h, s.gridPhaseX, s.gridPhaseY);

    painter.setPen(TracePen(GraphColours::kTrace));
    if (s.overview) {
        DrawOverview(painter, graph, rendering, pixelsPerDb);
    } else if (s.style == 1 && s.pageFill >= 0) {
        if (rendering == TraceRendering::Reference) {
            CPainterSink sink(painter);
            WalkPageLine(s, pixelsPerDb, sink);
        } else {
            CLineSink sink(m_lines, m_spans);
            WalkPageLine(s, pixelsPerDb, sink);
            painter.drawLines(m_lines.data(), static_cast<int>(m_lines.size()));
        }
    } else {
        const int last = std::min(s.slotCount, static_cast<int>(s.page.size()) - 1);
        for (int i = 0; i <= last; ++i) {
            const DataSample& slot = s.page[static_cast<std::size_t>(i)];
            if (!slot.valid || !(slot.value > s.bottomDb))
                continue;
            const int x = SlotX(i, s.slotWidth);
            const int y = LevelY(slot.value, h, s.bottomDb, pixelsPerDb);
            const int top = std::max(y, 0);
            if (top < h)
                painter.drawImage(QRect(x, top, s.slotWidth, h - top), bars, QRect(0, top, s.slotWidth, h - top));
            painter.fillRect(x, y, 1, 1, GraphColours::kLabel);
        }
    }

    DrawDbLabels(painter, s);
    DrawMarks(painter, s);
    painter.restore();
}

void CTrafficGraphPainter::DrawMarks(QPainter& painter, const TrafficGraphState& s) const
{
    const int h = s.height;
    DrawCursorLines(painter, s.cursors, h);
    if (s.drag.Shows())
        FrameZoomRect(painter, s.drag.start.x, s.drag.start.y, s.drag.end.x, s.drag.end.y, GraphColours::kZoomFrame);
    // The control is drawn inside its rounded shape; the button face shows
    // at the corners.
    for (const PixelRect& corner : RoundedCorners(s.width, h))
        painter.fillRect(corner.x, corner.y, corner.width, corner.height, m_face);
}

void CTrafficGraphPainter::DrawOverview(QPainter& painter, const CTrafficGraph& graph, TraceRendering rendering,
                                        double pixelsPerDb)
{
    const TrafficGraphState& s = graph.State();
    // Only the readings the update step has taken in are drawn.
    const int count = std::min(s.overviewCount, graph.Readings().Count());
    const OverviewWalkInput input{s.overviewStore, count, s.timePlacedCount};
    CScreenMapper map(s, pixelsPerDb);
    if (rendering == TraceRendering::Reference) {
        const CReadingCache::Converter convert = graph.Converter();
        auto readingOf = [&](int i) {
            const DataSample& reading = s.overviewStore[i];
            const std::optional<std::int64_t> t = convert(reading.date, reading.time);
            return WalkReading{t.has_value(), t.value_or(0), reading.value};
        };
        CPainterSink sink(painter);
        WalkOverview(input, readingOf, map, sink);
    } else {
        UpdatePlaced(graph, count, pixelsPerDb);
        DrawGathered(painter, m_placedLines, m_placedSpans, GraphColours::kTrace);
        DrawGathered(painter, m_afterLines, m_afterSpans, GraphColours::kTrace);
        DrawTail(painter, s, count, pixelsPerDb);
    }
}

namespace {

// Passes a path on and keeps its last and leftmost points. A path that goes
// on from an earlier one (joined) has its first move drawn as a line.
template <class Sink>
struct CEndTracker {
    Sink& out;
    bool any = false;
    QPoint end;
    bool joined = false;
    int leftmost = INT32_MAX;
    void Move(int x, int y)
    {
        if (joined)
            out.Line(x, y);
        else
            out.Move(x, y);
        joined = true;
        Passed(x, y);
    }
    void Line(int x, int y)
    {
        out.Line(x, y);
        Passed(x, y);
    }
    void Passed(int x, int y)
    {
        any = true;
        end = QPoint(x, y);
        leftmost = std::min(leftmost, x);
    }
};

} // namespace

// The first reading of the last second among readings 0 .. placed - 1: the
// walk up to it gives what the walk of all of them gives up to there, so it
// can be kept while readings are placed after it.
static int SecondStart(const CReadingCache& cache, int placed)
{
    int j = placed - 1;
    while (j >= 0 && cache.Time(j) == CReadingCache::kNoTime)
        --j;
    if (j < 0)
        return 0;
    const std::int64_t last = cache.Time(j);
    int k = j;
    while (k > 0 && (cache.Time(k - 1) == CReadingCache::kNoTime || cache.Time(k - 1) == last))
        --k;
    return k;
}

void CTrafficGraphPainter::UpdatePlaced(const CTrafficGraph& graph, int count, double pixelsPerDb)
{
    // Readings placed since the kept part went on from where it ended; it is
    // walked again only when the scene changes or they have become many.
    constexpr int kMostAfterKept = 2000;
    const TrafficGraphState& s = graph.State();
    const CReadingCache& cache = graph.Readings();
    const int placed = std::clamp(s.timePlacedCount, 0, count);
    PlacedKey key{s.overviewStore, s.overviewGeneration, m_placedKey.placed, s.overviewOrigin, s.overviewScale,
                  s.topDb, s.bottomDb, s.width, s.height};
    auto readingOf = [&](int i) {
        const std::int64_t t = cache.Time(i);
        return WalkReading{t != CReadingCache::kNoTime, t, cache.Value(i)};
    };
    const CScreenMapper map(s, pixelsPerDb);
    if (!(key == m_placedKey) || placed < key.placed || placed - key.placed > kMostAfterKept) {
        key.placed = SecondStart(cache, placed);
        CLineSink lines(m_placedLines, m_placedSpans);
        CColumnReducer<CLineSink> reducer(lines);
        CEndTracker<CColumnReducer<CLineSink>> tracker{reducer, false, QPoint(), false};
        CScreenMapper walkMap = map;
        WalkOverview(OverviewWalkInput{s.overviewStore, key.placed, key.placed}, readingOf, walkMap, tracker);
        reducer.Flush();
        m_keptAny = tracker.any;
        m_keptEnd = tracker.end;
        m_placedKey = key;
    }
    // The readings placed after the kept part, the path going on from its end.
    CLineSink lines(m_afterLines, m_afterSpans);
    CColumnReducer<CLineSink> reducer(lines);
    CEndTracker<CColumnReducer<CLineSink>> tracker{reducer, false, QPoint(), m_keptAny};
    if (m_keptAny)
        reducer.Move(m_keptEnd.x(), m_keptEnd.y());
    auto after = [&](int i) { return readingOf(key.placed + i); };
    CScreenMapper walkMap = map;
    const int n = placed - key.placed;
    WalkOverview(OverviewWalkInput{s.overviewStore, n, n}, after, walkMap, tracker);
    reducer.Flush();
    m_afterLeftmost = tracker.leftmost;
    m_placedAny = m_keptAny || tracker.any;
    m_placedEnd = tracker.any ? tracker.end : m_keptEnd;
}

void CTrafficGraphPainter::DrawTail(QPainter& painter, const TrafficGraphState& s, int count, double pixelsPerDb)
{
    // The newest readings at slot-width steps from the pending point, as the walk goes on.
    const CScreenMapper map(s, pixelsPerDb);
    CLineSink lines(m_lines, m_spans);
    CColumnReducer<CLineSink> reducer(lines);
    const int xLast = m_placedAny ? m_placedEnd.x() : kLeftMargin;
    bool started = m_placedAny;
    if (m_placedAny)
        reducer.Move(m_placedEnd.x(), m_placedEnd.y());
    for (int i = std::max(s.timePlacedCount, 0), k = 0; i < count; ++i, ++k) {
        const int x = map.TailX(xLast, k);
        const int y = map.LevelY(s.overviewStore[i].value);
        if (!started) {
            reducer.Move(x, y);
            started = true;
            continue;
        }
        reducer.Line(x, y);
        if (map.TailStops(x))
            break;
    }
    reducer.Flush();
    DrawGathered(painter, m_lines, m_spans, GraphColours::kTrace);
}

bool CTrafficGraphPainter::DrawKeptOverview(QPainter& painter, const CTrafficGraph& graph, double pixelsPerDb)
{
    // While recording, each reading moves the grid and adds to the tail: the
    // frame with all but the newest readings and without the grid's moving
    // lines is kept, so a reading costs one copy of it, the grid's vertical
    // lines and the few lines of the newest.
    const TrafficGraphState& s = graph.State();
    const int count = std::min(s.overviewCount, graph.Readings().Count());
    UpdatePlaced(graph, count, pixelsPerDb);
    const KeptKey key{m_placedKey, s.fineLabels, painter.font(), s.gridPhaseY};
    if (!(key == m_keptKey)) {
        m_keptDrawn = false;
        m_keptKey = key;
        // The tail is drawn after the dB labels here, before them on a frame
        // drawn whole: the same pixels only while they stay apart.
        const QFontMetrics metrics(painter.font());
        int widest = 0;
        for (const DbLabel& label : DbLabels(s.topDb, s.bottomDb, s.height, s.fineLabels))
            widest = std::max(widest, metrics.boundingRect(QString::fromStdString(label.text)).right());
        m_keptLabelsFit = widest < kLeftMargin - 2;
    }
    if (!m_keptLabelsFit || (m_placedAny && m_placedEnd.x() < kLeftMargin + 1) || m_afterLeftmost < kLeftMargin + 1)
        return false;
    if (!m_keptDrawn) {
        m_kept = QImage(s.width, s.height, QImage::Format_RGB32);
        QPainter p(&m_kept);
        p.setFont(painter.font());
        p.fillRect(0, 0, s.width, s.height, GraphColours::kPlot);
        p.fillRect(0, 0, kLeftMargin, s.height, GraphColours::kLabelStrip);
        // The horizontal lines only: a width of 0 leaves no vertical line in the plot.
        for (int j = 0; j <= s.height / 10; ++j)
            p.fillRect(kLeftMargin, s.height - 2 + s.gridPhaseY - 10 * j, s.width - kLeftMargin, 1, GraphColours::kGrid);
        p.setPen(TracePen(GraphColours::kTrace));
        DrawGathered(p, m_placedLines, m_placedSpans, GraphColours::kTrace);
        DrawDbLabels(p, s);
        p.end();
        m_keptDrawn = true;
        m_columns.clear();
    }
    DrawKeptFrame(painter, s.gridPhaseX);
    painter.setPen(TracePen(GraphColours::kTrace));
    DrawGathered(painter, m_afterLines, m_afterSpans, GraphColours::kTrace);
    DrawTail(painter, s, count, pixelsPerDb);
    return true;
}

void CTrafficGraphPainter::DrawKeptFrame(QPainter& painter, int phaseX)
{
    // A frame drawn whole lays the vertical lines first and the rest over
    // them: a line shows wherever the kept frame has the plot's colour.
    const QRgb plot = GraphColours::kPlot.rgb();
    const QRgb grid = GraphColours::kGrid.rgb();
    const int w = m_kept.width();
    const int h = m_kept.height();
    auto columns = std::find_if(m_columns.begin(), m_columns.end(), [&](const GridColumns& c) { return c.phaseX == phaseX; });
    if (columns == m_columns.end()) {
        GridColumns c{phaseX, {0}, {}};
        for (int y = 0; y < h; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(m_kept.constScanLine(y));
            for (int x = kLeftMargin + phaseX; x < w; x += 10)
                if (row[x] == plot)
                    c.x.push_back(x);
            c.start.push_back(static_cast<int>(c.x.size()));
        }
        m_columns.push_back(std::move(c));
        columns = m_columns.end() - 1;
    }
    const QTransform& t = painter.transform();
    QPaintDevice* device = painter.device();
    const bool direct = device && device->devType() == QInternal::Image && !painter.hasClipping() &&
                        t.type() <= QTransform::TxTranslate && t.dx() == 0.0 && t.dy() == 0.0 &&
                        static_cast<QImage*>(device)->format() == QImage::Format_RGB32 &&
                        static_cast<QImage*>(device)->width() >= w && static_cast<QImage*>(device)->height() >= h;
    if (direct) {
        // Copied row by row straight into the image the painter draws on
        // (its raster engine has drawn all it was given), each row's lines
        // set while the row is at hand.
        QImage& image = *static_cast<QImage*>(device);
        auto* bits = const_cast<uchar*>(std::as_const(image).constBits());
        const qsizetype stride = image.bytesPerLine();
        for (int y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<QRgb*>(bits + y * stride);
            std::memcpy(row, m_kept.constScanLine(y), static_cast<std::size_t>(w) * sizeof(QRgb));
            const auto ys = static_cast<std::size_t>(y);
            for (int i = columns->start[ys]; i < columns->start[ys + 1]; ++i)
                row[columns->x[static_cast<std::size_t>(i)]] = grid;
        }
        return;
    }
    // Any other device or a part of the control: the frame, then each line in runs.
    painter.drawImage(0, 0, m_kept);
    for (int x = kLeftMargin + phaseX; x < w; x += 10) {
        int y = 0;
        while (y < h) {
            while (y < h && reinterpret_cast<const QRgb*>(m_kept.constScanLine(y))[x] != plot)
                ++y;
            const int top = y;
            while (y < h && reinterpret_cast<const QRgb*>(m_kept.constScanLine(y))[x] == plot)
                ++y;
            if (y > top)
                painter.fillRect(x, top, 1, y - top, GraphColours::kGrid);
        }
    }
}

void DrawCursorLines(QPainter& painter, const GraphCursors& cursors, int height)
{
    if (cursors.A().shown && cursors.A().x > kLeftMargin)
        painter.fillRect(cursors.A().x, 0, 1, height, GraphColours::kCursorA);
    if (cursors.B().shown)
        painter.fillRect(cursors.B().x, 0, 1, height, GraphColours::kCursorB);
}
