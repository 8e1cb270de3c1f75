#pragma once

#include <string>

// A readout the graph can leave empty: a cursor on an empty slot, or no
// reading at all between the cursors.
enum class GraphReadout { CursorA, CursorB, Between };

// How a graph control reports to the window that owns it: the cursor readouts,
// the readouts between the cursors, the time labels, the scroll bars, and a
// reading it cannot place in time.
class IGraphOwner {
public:
    virtual ~IGraphOwner() = default;

    virtual void ShowCursorA(double value, const std::string& clockText) = 0;
    virtual void ShowCursorB(double value, const std::string& clockText) = 0;
    virtual void ShowMaxBetween(double value, const std::string& clockText) = 0;
    virtual void ShowMinBetween(double value, const std::string& clockText) = 0;
    virtual void ShowAvgBetween(double value) = 0;
    virtual void ClearBetweenReadouts() = 0;
    // No reading lies under the cursor (or between the cursors): its fields are empty.
    virtual void ShowNoReading(GraphReadout readout) = 0;
    virtual void SetTimeLabels(const std::string& left, const std::string& middle, const std::string& right) = 0;
    virtual void SetPrintAllowed(int allowed) = 0;
    virtual void SetHistogramAllowed(int allowed) = 0;

    virtual void SetHScrollPage(int step) = 0;
    // The horizontal bar spans positions 0 .. maximum of step readings each,
    // its arrows enabled.
    virtual void SetHScrollRange(int step, int maximum) = 0;
    virtual void SetHScrollPos(int readingIndex) = 0;
    virtual int GetHScrollPos() const = 0;
    virtual void SetVScroll(double unit, int maximum, double topLevel) = 0;
    virtual void ExtendTimeScale() = 0;

    // Reading index (0 first) has date and time texts that form no calendar
    // time, so the graph leaves it out of the time axis. Said once per reading.
    virtual void ReportUnplacedReading(int index, const std::string& date, const std::string& time) = 0;
};
