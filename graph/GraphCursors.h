#pragma once

#include "common/DataSample.h"

#include <span>
#include <string>

class IGraphOwner;

// What lies under a cursor line: the slot or sample there as its graph counts
// them (at), and its reading; none past the data or on an empty slot.
struct CursorTarget {
    int at = -1;
    const DataSample* reading = nullptr;
};

// One cursor line and what it reads.
struct CursorLine {
    bool shown = false;
    int x = 0;              // the line's column, in the control's pixels
    int at = -1;            // the slot or sample under it
    bool onReading = false; // a reading lies under it: its readout is not empty
    double value = 0.0;     // 0 without a reading
    std::string time;       // as the readout shows it; empty without a reading
};

// The readings between the cursors: the extremes keep the earliest of equal
// readings; count 0 leaves them all at zero.
struct CursorStatistics {
    int count = 0;
    double maximum = 0.0;
    std::string maximumTime;
    double minimum = 0.0;
    std::string minimumTime;
    double average = 0.0;
};

// What a graph tells its cursors: what lies under a line at column x, and the
// readings from the slot or sample under A to the one under B, in order.
class ICursorSource {
public:
    virtual CursorTarget TargetAt(int x) const = 0;
    virtual std::span<const DataSample> ReadingsBetween(int aAt, int bAt) const = 0;

protected:
    ~ICursorSource() = default;
};

// Cursors A and B of a graph, the same in both graph windows. Double clicks
// go round three steps: the first places A (and hides B), the second places
// B, or moves A when it lands left of A, the third changes nothing. A line
// keeps its column while the view under it changes and then reads what lies
// there now. Every change is reported to the graph's owner at once.
class GraphCursors {
public:
    // A readout's times as the readings hold them, or zero-filled ("09:05:07").
    enum class Times { AsStored, Padded };

    // A double click on the plot at column x, over target.
    void DoubleClick(int x, CursorTarget target, const ICursorSource& source, IGraphOwner& owner, Times times);
    // The view under the lines has changed (a scroll, a zoom step, a new page).
    void Reread(const ICursorSource& source, IGraphOwner& owner);
    // Removes both lines and zeroes their readouts.
    void Hide(IGraphOwner& owner);

    const CursorLine& A() const { return m_a; }
    const CursorLine& B() const { return m_b; }
    // 1: A was placed last, 2: B (or A again, left of where it was), 0: the
    // next double click places A.
    int Step() const { return m_step; }
    const CursorStatistics& Between() const { return m_between; }

private:
    static void Read(CursorLine& line, CursorTarget target, Times times);
    void PlaceA(int x, CursorTarget target, IGraphOwner& owner, Times times);
    void Collect(const ICursorSource& source, Times times);
    void ShowA(IGraphOwner& owner) const;
    void ShowBetween(IGraphOwner& owner) const;

    int m_step = 0;
    CursorLine m_a;
    CursorLine m_b;
    CursorStatistics m_between;
};
