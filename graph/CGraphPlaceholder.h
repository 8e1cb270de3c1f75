#pragma once

#include "RealTimeGraph.h"

#include <QWidget>

// Stands in the place of the real-time graph (control 1011) until the plotting
// control exists: it draws the empty plot area and its label strip, reports the
// plot width the recorder scales time by, and remembers how many readings it
// has been handed so the view can tell that recording goes on. It draws no trace.
class CGraphPlaceholder final : public QWidget, public IRealTimeGraph {
public:
    static constexpr int kLabelStripWidth = 30;

    explicit CGraphPlaceholder(QWidget* parent = nullptr);

    void SetScrolling(int on) override { m_scrolling = on != 0; }
    void SetTimeScale(std::int64_t startTime, double pixelsPerSecond) override;
    void NewReading(const DataSample* store, int index) override;
    void Clear() override;
    void SetStyle(int style) override { m_style = style; }
    void SetStartIndex(int index) override { m_startIndex = index; }
    void SetVerticalScrollPos(int position) override { m_verticalPosition = position; }
    void UndoZoom(const DataSample* store) override;
    int GetPlotWidth() const override;
    void PrintGraph() override {}

    bool Scrolling() const { return m_scrolling; }
    int LastIndex() const { return m_lastIndex; }
    double PixelsPerSecond() const { return m_pixelsPerSecond; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_scrolling = false;
    int m_style = 1;
    int m_startIndex = 0;
    int m_verticalPosition = 0;
    int m_lastIndex = -1;
    std::int64_t m_startTime = 0;
    double m_pixelsPerSecond = 0.0;
};
