#pragma once

#include "graph/widgets/CGraphControl.h"
#include "graph/widgets/ChartPrinting.h"
#include "logger/DataLoggerGraph.h"
#include "logger/DataLoggerPainter.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class IDialogSeam;
class IGraphOwner;

// The data-logger graph as a control of the DataLogger window (1011): the
// graph control around CDataLoggerGraph. It reads the window's samples in
// place and never frees them: the window calls SetData or ClearData before
// it lets them go.
class CDataLoggerButton final : public CGraphControl<CDataLoggerGraph, CDataLoggerPainter> {
public:
    CDataLoggerButton(IGraphOwner& owner, IDialogSeam& dialogs, QWidget* parent = nullptr);

    void SetData(std::int64_t startTime, double pixelsPerSecond, const DataSample* samples, int count)
    {
        m_graph.SetData(startTime, pixelsPerSecond, samples, count);
    }
    void ClearData() { m_graph.ClearData(); }
    int GetPlotWidth() const { return m_graph.GetPlotWidth(); }
    void UndoZoom() { m_graph.UndoZoom(); }
    void SetVerticalScrollPos(int position) { m_graph.SetVerticalScrollPos(position); }
    void ApplyHScrollPos() { m_graph.ApplyHScrollPos(); }
    // Print Data: the view as it shows now on one page, to the printer
    // chosen in the print dialog, or to the printer or PDF file named.
    PrintOutcome PrintGraph(const std::optional<std::string>& printer = std::nullopt);
    // Called after every frame, once the graph has said whether it may be printed.
    void SetFrameDrawn(std::function<void()> frameDrawn) { m_frameDrawn = std::move(frameDrawn); }

    CDataLoggerGraph& Graph() { return m_graph; }
    const CDataLoggerGraph& Graph() const { return m_graph; }

private:
    void FrameDrawn() override
    {
        if (m_frameDrawn)
            m_frameDrawn();
    }

    std::function<void()> m_frameDrawn;
};
