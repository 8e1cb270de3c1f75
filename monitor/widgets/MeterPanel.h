#pragma once

#include "meter/MeterState.h"

#include <QImage>
#include <QPoint>
#include <QString>

#include <map>

class QPainter;

// Where the bar graph of one range puts its scale labels and how many
// segments it lights. A plain value so the scale rules can be checked alone.
struct BarGraphLayout {
    QString leftLabel;   // drawn at (47, 61)
    QString rightLabel;
    QPoint rightLabelPos;
    int segments = 0;    // lower-row segments at x = 52 + 2 * (k - 1), k = 1 .. segments
};

// The bar layout for `state`'s range and bar digits. A range outside 1..4
// gives no labels and no segments.
BarGraphLayout LayoutBarGraph(const MeterState& state);

// The picture of the meter on the left of the main view: the face, the level
// digits, bar graph, clock and status words, all composed from MeterState.
// All drawing goes into the lit face, an off-screen surface that keeps what was
// drawn on it (parts not redrawn keep their last picture), which is then copied
// to the screen in one block.
class CMeterPanel {
public:
    static constexpr int kWidth = 195;
    static constexpr int kHeight = 480;
    // The scale's last segment sits under the right label; a bar never runs past it.
    static constexpr int kMaxSegments = 50;

    // Loads every panel picture from the program's resources; they are kept
    // for the panel's life.
    CMeterPanel();

    // True when every picture was found at its size; a panel with a missing
    // picture leaves that area undrawn instead of failing.
    bool PicturesLoaded() const { return m_allLoaded; }

    // Draws the whole panel and copies it to `screen` at (0, 0). Not connected:
    // the unlit face only.
    void Paint(QPainter& screen, const MeterState& state, bool connected);

    // The lit face as last composed (what the screen got when connected).
    const QImage& Face() const { return m_face; }

    // The picture of resource `id` as loaded (null when unknown).
    QImage Picture(int id) const;

    // Resource id of the level digit picture for `digit` (0..9), -1 otherwise.
    static int DigitPictureId(int digit);

private:
    const QImage* Find(int id) const;
    void Blit(QPainter& face, int id, int x, int y) const;
    void Blit(QPainter& face, int id, int x, int y, int width, int height) const;
    void PaintDigits(QPainter& face, const MeterState& state) const;
    void PaintClock(QPainter& face, const MeterState& state) const;
    void PaintBarGraph(QPainter& face, const MeterState& state) const;
    void PaintStatus(QPainter& face, const MeterState& state) const;

    std::map<int, QImage> m_pictures;
    QImage m_face;     // the lit face, drawn on and kept
    bool m_allLoaded = true;
};
