#pragma once

#include "graph/GraphReadouts.h"

// The control ids both graph windows share: the main form and the DataLogger
// window's form place the graph, its time strip, scroll bars and Undo Zoom,
// the cursor legends and readouts and the statistics fields under the same
// ids. Each form adds its own (MainForm.h, DataLoggerForm.h).
namespace ControlId {
// Statistics of the recording (the DataLogger window: of the opened set).
inline constexpr int DataNo = 1005;
inline constexpr int Avg = 1006;
inline constexpr int Maximum = 1007;
inline constexpr int MaximumTime = 1008;
inline constexpr int Minimum = 1009;
inline constexpr int MinimumTime = 1010;
inline constexpr int StartTime = 1014;
// The graph, its time strip, scroll bars and Undo Zoom.
inline constexpr int Graph = 1011;
inline constexpr int TimeStrip = 1051;
inline constexpr int HScroll = 1030;
inline constexpr int VScroll = 1039;
inline constexpr int UndoZoom = 1037;
// The cursor legends and readouts.
inline constexpr int CursorALabel = 1035;
inline constexpr int CursorBLabel = 1036;
inline constexpr int CursorA = 1013;
inline constexpr int CursorATime = 1015;
inline constexpr int CursorB = 1016;
inline constexpr int CursorBTime = 1017;
inline constexpr int MaxBetween = 1018;
inline constexpr int MaxBetweenTime = 1022;
inline constexpr int MinBetween = 1019;
inline constexpr int MinBetweenTime = 1020;
inline constexpr int AvgBetween = 1021;
} // namespace ControlId

// The edit a readout field is shown in.
constexpr int ControlIdOf(GraphReadoutField field)
{
    switch (field) {
    case GraphReadoutField::CursorA:
        return ControlId::CursorA;
    case GraphReadoutField::CursorATime:
        return ControlId::CursorATime;
    case GraphReadoutField::CursorB:
        return ControlId::CursorB;
    case GraphReadoutField::CursorBTime:
        return ControlId::CursorBTime;
    case GraphReadoutField::MaxBetween:
        return ControlId::MaxBetween;
    case GraphReadoutField::MaxBetweenTime:
        return ControlId::MaxBetweenTime;
    case GraphReadoutField::MinBetween:
        return ControlId::MinBetween;
    case GraphReadoutField::MinBetweenTime:
        return ControlId::MinBetweenTime;
    case GraphReadoutField::AvgBetween:
        return ControlId::AvgBetween;
    }
    return -1;
}
