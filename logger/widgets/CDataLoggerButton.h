#pragma once

#include "CPrintJob.h"
#include "ChartPrinting.h"
#include "DataLoggerGraph.h"
#include "DataLoggerPainter.h"
#include "OffscreenFrame.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class IDialogSeam;
class IGraphOwner;

// The data-logger graph as a control of the DataLogger window (1011): the
// widget around CDataLoggerGraph. It draws off-screen, passes the mouse on
// and has rounded corners. It reads the window's samples in place and never
// frees them: the window calls SetData or ClearData before it lets them go.
// Its print job asks for the printer through the dialog seam.
class CDataLoggerButton final : public QWidget, private IGraphCanvas {
public:
    CDataLoggerButton(IGraphOwner& owner, IDialogSeam& dialogs, QWidget* parent = nullptr);

    // Takes the control's present size as its size for good: call once it
    // stands in its place.
    void Attach();

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
    CDataLoggerGraph m_graph;
    CDataLoggerPainter m_painter;
    COffscreenFrame m_frame;
    CPrintJob m_printJob;
    std::function<void()> m_frameDrawn;
};
