#pragma once

#include "graph/widgets/OffscreenFrame.h"

#include <QWidget>

#include <string>

class QPainter;

// The strip under a graph (1051) with the times of the first, middle and last
// slot of the page shown, in the graph's label colours. Drawn off-screen like
// the graph.
class CTimeButtom final : public QWidget {
public:
    explicit CTimeButtom(QWidget* parent = nullptr);

    // Takes the control's present rectangle as the strip.
    void Attach();
    // Copies the three labels and repaints when they changed.
    void SetLabels(const std::string& left, const std::string& middle, const std::string& right);

    const std::string& Left() const { return m_left; }
    const std::string& Right() const { return m_right; }

    // The strip's drawing, for any painter: the background over strip and
    // the labels at left + 30, right / 2 - 30 and right - 60, 2 pixels down.
    static void Draw(QPainter& painter, const QRect& strip, const std::string& left, const std::string& middle,
                     const std::string& right);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect m_strip;
    std::string m_left;
    std::string m_middle;
    std::string m_right;
    COffscreenFrame m_frame;
};
