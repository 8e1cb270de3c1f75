#pragma once

#include "graph/GraphOwner.h"
#include "graph/GraphReadouts.h"

#include <string>

// The horizontal bar under a graph (1030); its range is always 0..maximum.
struct HScrollBarState {
    int step = 265; // readings per scroll position
    int maximum = 150;
    int position = 0;
    bool arrowsEnabled = false;
    friend bool operator==(const HScrollBarState&, const HScrollBarState&) = default;
};

// The vertical bar beside a graph (1039); its range is always 0..maximum.
struct VScrollBarState {
    double unit = 0.0; // dB per scroll position
    int maximum = 0;
    int position = 0;
    bool arrowsEnabled = false;
    friend bool operator==(const VScrollBarState&, const VScrollBarState&) = default;
};

// What a scroll bar reports, in the window system's terms.
enum class ScrollCode { LineBack, LineForward, PageBack, PageForward, ThumbPosition, ThumbTrack, ToStart, ToEnd, EndScroll };

// The window that shows what its graph reports: the readout fields, both
// scroll bars, the time strip and the status line.
class IGraphOwnerView {
public:
    virtual ~IGraphOwnerView() = default;
    virtual void ShowReadouts(const GraphReadoutTexts& texts) = 0;
    virtual void ShowHScrollBar(const HScrollBarState& bar) = 0;
    virtual void ShowVScrollBar(const VScrollBarState& bar) = 0;
    virtual void ShowTimeLabels(const std::string& left, const std::string& middle, const std::string& right) = 0;
    virtual void ShowStatusMessage(const std::string& text) = 0;
};

// The side that hands the graph its readings (for the real-time graph, the
// recorder with its store and run state): what the owner's scroll bars and
// UnDo Zoom button ask of the graph go through it.
class IGraphFeed {
public:
    virtual ~IGraphFeed() = default;
    // Readings the horizontal bar spans (its maximum is this over the step).
    virtual int ReadingLimit() const = 0;
    // The horizontal bar moved: the graph's page starts at this reading.
    virtual void ScrollGraphTo(int firstReading) = 0;
    // After every action of the horizontal bar, moved or not.
    virtual void AfterHorizontalScroll() = 0;
    virtual void ScrollGraphVertically(int position) = 0;
    virtual void UndoGraphZoom() = 0;
    // The graph's overview has reached its right edge.
    virtual void ExtendTimeScale() = 0;
};

// What the status line says about a reading the graph cannot place in time.
std::string UnplacedReadingText(int index, const std::string& date, const std::string& time);

// How the owner shows the cursor readouts' times. The real-time graph hands
// over its readings' clock texts and the owner zero-fills them; the
// data-logger graph zero-fills them itself after a double click and shows a
// scroll's re-read times as stored.
enum class ReadoutTimes { Padded, AsHanded };

// The owner side of a graph: keeps what the graph reports (readouts, scroll
// bars, time labels, print and histogram allowed), shows it through its view
// and turns the bars' actions into calls on the feed. The main view owns one
// for the real-time graph; the DataLogger window owns another for its graph.
class CGraphOwnerModel final : public IGraphOwner {
public:
    explicit CGraphOwnerModel(IGraphFeed& feed, IGraphOwnerView* view = nullptr,
                              ReadoutTimes times = ReadoutTimes::Padded);

    void SetView(IGraphOwnerView* view) { m_view = view; }

    // IGraphOwner
    void ShowCursorA(double value, const std::string& clockText) override;
    void ShowCursorB(double value, const std::string& clockText) override;
    void ShowMaxBetween(double value, const std::string& clockText) override;
    void ShowMinBetween(double value, const std::string& clockText) override;
    void ShowAvgBetween(double value) override;
    void ClearBetweenReadouts() override;
    void ShowNoReading(GraphReadout readout) override;
    void SetTimeLabels(const std::string& left, const std::string& middle, const std::string& right) override;
    void SetPrintAllowed(int allowed) override { m_printAllowed = allowed; }
    void SetHistogramAllowed(int allowed) override { m_histogramAllowed = allowed; }
    void SetHScrollPage(int step) override;
    void SetHScrollRange(int step, int maximum) override;
    void SetHScrollPos(int readingIndex) override;
    int GetHScrollPos() const override { return m_hBar.position; }
    void SetVScroll(double unit, int maximum, double topLevel) override;
    void ExtendTimeScale() override { m_feed.ExtendTimeScale(); }
    void ReportUnplacedReading(int index, const std::string& date, const std::string& time) override;

    // The owner's controls.
    void HorizontalScroll(ScrollCode code, int thumbPosition); // bar 1030 only
    void VerticalScroll(ScrollCode code, int thumbPosition);   // bar 1039 only
    void UndoZoom();                                           // button 1037

    // Shows everything at once (the window's first layout).
    void Publish() const;

    bool CanHistogram() const { return m_histogramAllowed != 0; }
    bool CanPrint() const { return m_printAllowed != 0; }
    GraphReadoutTexts ReadoutTexts() const { return MakeReadoutTexts(m_readouts); }
    const HScrollBarState& HScrollBar() const { return m_hBar; }
    const VScrollBarState& VScrollBar() const { return m_vBar; }
    int FirstVisibleReading() const { return m_firstVisibleReading; }

private:
    void PublishReadouts() const;
    void PublishHBar() const;
    void PublishVBar() const;
    std::string ReadoutTime(const std::string& clockText) const;

    IGraphFeed& m_feed;
    IGraphOwnerView* m_view;
    ReadoutTimes m_times;
    GraphReadouts m_readouts;
    HScrollBarState m_hBar;
    VScrollBarState m_vBar;
    int m_firstVisibleReading = 0;
    int m_histogramAllowed = 0;
    int m_printAllowed = 1;
};
