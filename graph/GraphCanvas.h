#pragma once

// A point in a graph control's pixels, and where a graph without its window
// asks to be drawn again. Both graphs use them.

struct GraphPoint {
    int x = 0;
    int y = 0;
    bool IsZero() const { return x == 0 && y == 0; }
    friend bool operator==(const GraphPoint&, const GraphPoint&) = default;
};

// Where the graph asks to be drawn again (its widget: update()).
class IGraphCanvas {
public:
    virtual ~IGraphCanvas() = default;
    virtual void Repaint() = 0;
    // The rectangle spanned by two corners.
    virtual void RepaintRect(GraphPoint a, GraphPoint b) = 0;
};
