#pragma once

#include "common/DataSample.h"
#include "graph/GraphCanvas.h"
#include "graph/GraphCursors.h"
#include "graph/GraphMath.h"
#include "graph/GraphOwnerModel.h"
#include "graph/ReadingCache.h"

#include <cstdint>
#include <span>
#include <string>

class IGraphOwner;

// Everything the data-logger graph knows, as its drawing routine (and
// printing) read it. Coordinates are the control's pixels.
struct DataLoggerGraphState {
    int width = 0;
    int height = 0;
    bool ready = false; // set by Attach; nothing is drawn before

    // The dB window shown.
    double topDb = GraphMath::kFullTopDb;
    double bottomDb = GraphMath::kFullBottomDb;
    bool oneDecimal = false; // labels "%3.1f" after a narrow zoom
    double dbStep = 20.0;    // one fifth of the window: one vertical scroll step
    int dbScrollMax = 0;

    // The record set, owned by the window.
    const DataSample* samples = nullptr;
    int sampleCount = 0;
    bool fullView = true; // the overview; a zoomed index range otherwise
    std::int64_t startTime = 0;
    double pixelsPerSecond = 0.0;
    int zoomFirst = 0;
    int zoomLast = 0;
    int zoomCount = 0;
    int scrollStep = 1; // samples per horizontal scroll position
    double zoomPixelsPerSecond = 0.0;

    // Cursors A and B and the statistics between them.
    GraphCursors cursors;

    // What the drawing reports, settled by the update step: whether every
    // point fits the dB window, and the time strip's texts.
    bool printAllowed = true;
    GraphMath::TimeLabels timeLabels;

    ZoomDrag drag;

    int PlotWidth() const { return width - GraphMath::kLeftMargin; }
};

// The samples the current view plots and where their times fall: sample i
// is at x = trunc((time - origin) * scale + 30).
struct DataLoggerView {
    int first = 0;
    int last = -1; // inclusive; below first when there is nothing to plot
    std::int64_t origin = 0;
    double scale = 0.0;
    bool zoomed = false;
};

// The data-logger graph without its window: one record set against time,
// the dB window, the drag zoom over dB and time together, the scroll bars'
// panning, cursors A and B with the statistics between them. Every change of
// state happens here and is reported to its owner (the DataLogger window's
// graph-owner model), print allowed and the time strip included, before the
// canvas is asked for a repaint; the drawing routine (DataLoggerPainter.h)
// only reads the state.
//
// The samples' calendar times are taken once, when the set is handed over:
// the drawing, the zoom and the cursors all read them from the cache.
class CDataLoggerGraph final : private ICursorSource {
public:
    // The statistics stop before this index, the size of a record store.
    static constexpr int kStatisticsLimit = 40000;
    // UndoZoom's horizontal range: the bar is disabled right after it.
    static constexpr int kOverviewScrollRange = 265;

    CDataLoggerGraph(IGraphOwner& owner, IGraphCanvas* canvas = nullptr,
                     CReadingCache::Converter convert = nullptr);

    // Takes the control's size once (its set-up when the window attaches it).
    void Attach(int width, int height);

    // The window's calls.
    void SetData(std::int64_t startTime, double pixelsPerSecond, const DataSample* samples, int count);
    void ClearData();
    int GetPlotWidth() const { return m_state.PlotWidth(); }
    void UndoZoom();
    void SetVerticalScrollPos(int position);
    void ApplyHScrollPos();

    // The mouse, in the control's pixels.
    void LeftButtonDown(GraphPoint p);
    void MouseMove(GraphPoint p);
    void LeftButtonUp(GraphPoint p);
    void DoubleClick(GraphPoint p);
    void RightButtonDown(GraphPoint p);

    // What is plotted now, and the three texts of the time strip under it.
    DataLoggerView View() const;
    GraphMath::TimeLabels TimeStripTexts() const;

    // Cursors A and B: where their lines stand, what they read, the statistics between them.
    const GraphCursors& Cursors() const { return m_state.cursors; }
    const DataLoggerGraphState& State() const { return m_state; }
    // The samples from cursor A to cursor B, as the readouts between them
    // count them, while both cursors stand; empty otherwise.
    std::span<const DataSample> SamplesBetweenCursors() const
    {
        const GraphCursors& c = m_state.cursors;
        if (!c.A().shown || !c.B().shown || c.Between().count == 0)
            return {};
        return ReadingsBetween(c.A().at, c.B().at);
    }
    IGraphOwner& Owner() { return m_owner; }
    // The samples' calendar times and values; kNoTime for a sample without one.
    const CReadingCache& Readings() const { return m_readings; }
    bool Placed(int index) const { return m_readings.Time(index) != CReadingCache::kNoTime; }

private:
    bool Inside(GraphPoint p) const;
    void Repaint();
    void SetVerticalRange(double top, double bottom);
    void ZoomToSelection(int x1, int x2);
    void SetZoom(int first, int last, std::int64_t begin, std::int64_t end, int minimumRange);
    int SampleAtX(int x) const;
    int SampleAtCursor(int cursorX) const;
    CursorTarget TargetOf(int index) const;
    // ICursorSource: a line that stays while the view moves reads the sample of its second.
    CursorTarget TargetAt(int x) const override { return TargetOf(SampleAtCursor(x)); }
    std::span<const DataSample> ReadingsBetween(int a, int b) const override;

    IGraphOwner& m_owner;
    IGraphCanvas* m_canvas;
    CReadingCache m_readings;
    DataLoggerGraphState m_state;
    bool m_labelsShown = false;
};

// What the DataLogger window's scroll bars and UnDoZoom button ask of its
// graph, through the window's graph-owner model.
class CDataLoggerFeed final : public IGraphFeed {
public:
    void SetGraph(CDataLoggerGraph* graph) { m_graph = graph; }

    int ReadingLimit() const override { return m_graph ? m_graph->State().sampleCount : 0; }
    void ScrollGraphTo(int) override
    {
        if (m_graph)
            m_graph->ApplyHScrollPos();
    }
    void AfterHorizontalScroll() override {}
    void ScrollGraphVertically(int position) override
    {
        if (m_graph)
            m_graph->SetVerticalScrollPos(position);
    }
    void UndoGraphZoom() override
    {
        if (m_graph)
            m_graph->UndoZoom();
    }
    void ExtendTimeScale() override {}

private:
    CDataLoggerGraph* m_graph = nullptr;
};
