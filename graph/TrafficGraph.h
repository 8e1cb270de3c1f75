#pragma once

#include "common/DataSample.h"
#include "graph/GraphCanvas.h"
#include "graph/GraphCursors.h"
#include "graph/GraphMath.h"
#include "graph/ReadingCache.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class IGraphOwner;

// Everything the real-time graph knows, as the drawing routines and printing
// read it.
struct TrafficGraphState {
    int width = 0;  // w
    int height = 0; // h
    bool ready = false; // set by Attach; nothing is drawn before

    // Page mode: readings copied into slots 0 .. slotCount.
    std::vector<DataSample> page; // (w - 30) / 2 + 1 slots
    int pageFill = -10;           // leading valid slots; -10 before any page
    int style = 1;                // 1 line, 0 histogram
    int slotWidth = GraphMath::kFirstSlotWidth;
    int pageSize = GraphMath::kFirstPageSize; // P
    int slotCount = 0;                        // n: index of the last slot
    int startIndex = 0;
    int lastPage = 1;

    // The dB range.
    double topDb = GraphMath::kFullTopDb;
    double bottomDb = GraphMath::kFullBottomDb;
    bool fineLabels = false;
    double divisionDb = 20.0;
    int verticalSteps = 0;

    // The overview.
    bool overview = true;
    const DataSample* overviewStore = nullptr; // the view's store, not owned
    int overviewCount = 0;
    int timePlacedCount = 0;
    int overviewGeneration = 0; // counts the clearings: the same store holds other readings
    std::int64_t overviewOrigin = 0;
    double overviewScale = 0.0; // pixels per second

    // The moving grid.
    bool scrolling = false;
    int gridPhaseX = 0;
    int gridPhaseY = 0;

    // Cursors A and B and the readings between them.
    GraphCursors cursors;

    // What the drawing reports, settled by the update step: whether the whole
    // line fits the dB range, and the time strip's texts.
    bool printAllowed = true;
    GraphMath::TimeLabels timeLabels;

    ZoomDrag drag;

    int PlotWidth() const { return width - GraphMath::kLeftMargin; }
};

// The real-time graph without its window: the readings it is handed, the
// page, the dB range, zoom and scrolling, the cursors and the drag. Every
// change of state happens here, in the update step of a reading or a
// command, which also reports to the owner (print allowed, time labels, a
// wider time scale) and asks the canvas for a repaint; the drawing routines
// (TrafficGraphPainter.h) only read the state.
class CTrafficGraph final : private ICursorSource {
public:
    // Slots of the store the graph is handed; no page reads past them.
    static constexpr int kStoreSlots = 40000;

    CTrafficGraph(IGraphOwner& owner, IGraphCanvas* canvas = nullptr,
                  CReadingCache::Converter convert = nullptr);

    // Takes the control's size once: the page buffer, the dB range.
    void Attach(int width, int height);

    // The messages of the view.
    int NewReading(const DataSample* store, int index); // 1 in the overview, 0 in page mode
    int SetStyle(int style);                            // 1 line, 0 histogram, other: no change
    int Clear();

    // The view's calls.
    void SetStartIndex(int index) { m_state.startIndex = index; }
    int GetPlotWidth() const { return m_state.PlotWidth(); }
    void SetTimeScale(std::int64_t origin, double pixelsPerSecond);
    void SetScrolling(int on) { m_state.scrolling = on != 0; }
    void SetVerticalScrollPos(int position);
    void UndoZoom(const DataSample* store);

    // The mouse, in the control's pixels.
    void LeftButtonDown(GraphPoint p);
    void MouseMove(GraphPoint p);
    void LeftButtonUp(GraphPoint p);
    void DoubleClick(GraphPoint p);
    void RightButtonDown(GraphPoint p);

    // Takes the overview's new readings into the reading cache; a reading
    // without calendar time is reported to the owner once.
    void SyncTimes();

    // Cursors A and B: where their lines stand, what they read, the statistics between them.
    const GraphCursors& Cursors() const { return m_state.cursors; }
    TrafficGraphState& State() { return m_state; }
    const TrafficGraphState& State() const { return m_state; }
    // The page's slots from cursor A to cursor B, as the readouts between
    // them count them (empty slots among them), while both cursors stand and
    // readings lie between them; empty otherwise.
    std::span<const DataSample> ReadingsBetweenCursors() const
    {
        const GraphCursors& c = m_state.cursors;
        if (!c.A().shown || !c.B().shown || c.Between().count == 0)
            return {};
        return ReadingsBetween(c.A().at, c.B().at);
    }
    IGraphOwner& Owner() { return m_owner; }
    const CReadingCache& Readings() const { return m_readings; }
    CReadingCache::Converter Converter() const { return m_convert; }

private:
    bool Inside(GraphPoint p) const;
    void Repaint();
    void SetVerticalRange();
    void ZoomInAt(int x0);
    int LeadingValid(const DataSample* store, int last) const;
    void LoadPage(const DataSample* store, int start);
    void RefreshCursors();
    int SlotUnder(int x) const;
    // ICursorSource: the page's slots.
    CursorTarget TargetAt(int x) const override;
    std::span<const DataSample> ReadingsBetween(int aSlot, int bSlot) const override;
    void Changed();
    void PlaceOverview();
    bool PlaceTail();
    void ScanPlaced();

    IGraphOwner& m_owner;
    IGraphCanvas* m_canvas;
    CReadingCache::Converter m_convert;
    CReadingCache m_readings;
    TrafficGraphState m_state;
    // Leading valid readings at the last page load: the live data open a new
    // page only when this has grown.
    int m_pageReadings = -1;
    // The time-placed readings seen so far (the first m_placedScanned of
    // them): the latest and the last time among them.
    int m_placedScanned = 0;
    bool m_anyPlaced = false;
    std::int64_t m_latestPlaced = 0;
    std::int64_t m_lastPlaced = 0;
    bool m_labelsShown = false;
};
