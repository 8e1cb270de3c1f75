#pragma once

// A point in a graph control's pixels, and where a graph without its window
// asks to be drawn again. Both graphs use them.

#include <cstdlib>

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

// The zoom rectangle a left-button drag spans on a graph, from the point
// pressed (zero: no drag) to the point the mouse is at. Both graphs zoom
// with it; what a finished drag zooms is each graph's own.
struct ZoomDrag {
    GraphPoint start;
    GraphPoint end;
    bool dragging = false;

    // A press inside the graph starts a drag; anywhere else ends one.
    void Press(GraphPoint p, bool inside)
    {
        Clear();
        if (inside) {
            start = p;
            dragging = true;
        }
    }
    // The rectangle follows the mouse while it stays inside the graph.
    void Move(GraphPoint p, bool inside, IGraphCanvas* canvas)
    {
        if (!inside || start.IsZero())
            return;
        if (canvas)
            canvas->RepaintRect(start, end);
        end = p;
        if (canvas)
            canvas->RepaintRect(start, end);
    }
    // The release at p, held to a graph of width × height: the point the drag
    // started from, or none when there was no drag or it moved less than 7
    // pixels (a click).
    bool Release(GraphPoint& p, int width, int height, IGraphCanvas* canvas)
    {
        if (p.x > width)
            p.x = width - 1;
        if (p.y > height)
            p.y = height;
        if (start.IsZero())
            return false;
        if (std::abs(p.x - start.x) + std::abs(p.y - start.y) < 7) {
            start = {};
            return false;
        }
        end = p;
        if (canvas)
            canvas->RepaintRect(start, p);
        return true;
    }
    void Clear()
    {
        start = {};
        end = {};
    }
    // Whether the rectangle is drawn.
    bool Shows() const { return dragging && start.x != 0 && start.y != 0; }
};
