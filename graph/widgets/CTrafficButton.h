#pragma once

#include "graph/RealTimeGraph.h"
#include "graph/TrafficGraph.h"
#include "graph/TrafficGraphPainter.h"
#include "graph/widgets/CGraphControl.h"
#include "graph/widgets/ChartPrinting.h"

#include <optional>
#include <string>

class IDialogSeam;
class IGraphOwner;

// The real-time graph as a control of the main form (1011): the graph
// control around CTrafficGraph, and what the recorder asks of it.
class CTrafficButton final : public CGraphControl<CTrafficGraph, CTrafficGraphPainter>, public IRealTimeGraph {
public:
    CTrafficButton(IGraphOwner& owner, IDialogSeam& dialogs, QWidget* parent = nullptr);

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
};
