#pragma once

#include "logger/IndicatorPanelText.h"

#include <QElapsedTimer>
#include <QRectF>
#include <QScrollArea>

#include <functional>
#include <vector>

class QTimer;

// The Noise Indicators panel that View > Noise Indicators opens beside the
// form of the main window and of the DataLogger window: the table of
// MakeIndicatorPanelTexts, and under it the hourly bars and the level
// distribution. It asks its source for the texts when told that something
// changed, at most once every kRefreshMs however often it is told, and
// scrolls when the window is too low for all of it. It only lays out and
// paints; what it shows is the source's.
class CNoiseIndicatorPanel final : public QScrollArea {
    Q_OBJECT
public:
    using Source = std::function<IndicatorPanelTexts()>;

    static constexpr int kWidth = 400;
    // At most four refreshes a second: a reading a second, or ten, repaints
    // no more often than a reader can follow.
    static constexpr int kRefreshMs = 250;

    explicit CNoiseIndicatorPanel(Source source, QWidget* parent = nullptr);

    // What the panel shows may have changed: the source is asked again when
    // kRefreshMs have passed since the last time (at once when they have).
    // While the panel is hidden it waits until it is shown.
    void Invalidate();
    // Asks the source now.
    void Refresh();

    const IndicatorPanelTexts& Texts() const { return m_texts; }
    // How many times the source was asked.
    int Refreshes() const { return m_refreshes; }
    // Where the table's rows and the charts' plot boxes lie on the canvas.
    QWidget* Canvas() const { return widget(); }
    const std::vector<QRectF>& RowRects() const { return m_rowRects; }
    QRectF HourlyChartBox() const { return m_hourlyBox; }
    QRectF DistributionChartBox() const { return m_distributionBox; }

    // Paints the panel's contents (the canvas calls it).
    void PaintContents(QPainter& painter) const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Layout();

    Source m_source;
    IndicatorPanelTexts m_texts;
    QTimer* m_timer;
    QElapsedTimer m_lastRefresh;
    bool m_stale = true;
    int m_refreshes = 0;
    // The layout in the canvas's pixels.
    double m_nameWidth = 0.0;
    double m_columnWidth = 0.0;
    std::vector<QRectF> m_rowRects;
    QRectF m_hourlyTitle;
    QRectF m_hourlyBox;
    QRectF m_distributionTitle;
    QRectF m_distributionBox;
};
