#pragma once

#include "CPrintJob.h"
#include "ChartPrinting.h"
#include "OffscreenFrame.h"
#include "RealTimeGraph.h"
#include "TrafficGraph.h"
#include "TrafficGraphPainter.h"

#include <QWidget>

#include <optional>
#include <string>

class IDialogSeam;
class IGraphOwner;

// The real-time graph as a control of the main form (1011): the widget
// around CTrafficGraph. It draws each frame into an off-screen image of the
// area to repaint and copies that to the screen in one block, passes the
// mouse on, and has rounded corners. Its print job asks for the printer
// through the dialog seam.
class CTrafficButton final : public QWidget, public IRealTimeGraph, private IGraphCanvas {
public:
    CTrafficButton(IGraphOwner& owner, IDialogSeam& dialogs, QWidget* parent = nullptr);

    // Takes the control's present size as its size for good: call once it
    // stands in its place.
    void Attach();

    // IRealTimeGraph
    void SetScrolling(int on) override { m_graph.SetScrolling(on); }
    void SetTimeScale(std::int64_t startTime, double pixelsPerSecond) override;
    void NewReading(const DataSample* store, int index) override { m_graph.NewReading(store, index); }
    void Clear() override { m_graph.Clear(); }
    void SetStyle(int style) override { m_graph.SetStyle(style); }
    void SetStartIndex(int index) override { m_graph.SetStartIndex(index); }
    void SetVerticalScrollPos(int position) override { m_graph.SetVerticalScrollPos(position); }
    void UndoZoom(const DataSample* store) override { m_graph.UndoZoom(store); }
    int GetPlotWidth() const override { return m_graph.GetPlotWidth(); }
    // File > Print: the graph as it shows now on one page, to the printer
    // chosen in the print dialog.
    void PrintGraph() override { PrintGraph(std::nullopt); }
    // The same to a printer or PDF file given by name, without the dialog.
    PrintOutcome PrintGraph(const std::optional<std::string>& printer);

    CTrafficGraph& Graph() { return m_graph; }
    const CTrafficGraph& Graph() const { return m_graph; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // IGraphCanvas
    void Repaint() override { update(); }
    void RepaintRect(GraphPoint a, GraphPoint b) override;

    IDialogSeam& m_dialogs;
    CTrafficGraph m_graph;
    CTrafficGraphPainter m_painter;
    COffscreenFrame m_frame;
    CPrintJob m_printJob;
};

// The control's shape: its rectangle with 5x5 rounded corners.
QRegion RoundedControlRegion(int width, int height);
