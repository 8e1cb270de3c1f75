#pragma once

#include <cstdint>

struct DataSample;

// What the real-time recorder asks of the real-time graph. The graph reads the
// recorder's store through the pointer it is handed and never frees it.
class IRealTimeGraph {
public:
    virtual ~IRealTimeGraph() = default;

    virtual void SetScrolling(int on) = 0;
    virtual void SetTimeScale(std::int64_t startTime, double pixelsPerSecond) = 0;
    virtual void NewReading(const DataSample* store, int index) = 0;
    virtual void Clear() = 0;
    virtual void SetStyle(int style) = 0; // 0 histogram, 1 line
    virtual void SetStartIndex(int index) = 0;
    virtual void SetVerticalScrollPos(int position) = 0;
    virtual void UndoZoom(const DataSample* store) = 0;
    virtual int GetPlotWidth() const = 0;
    virtual void PrintGraph() = 0;
};
