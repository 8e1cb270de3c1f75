#pragma once

// The control ids of the main form and of the DataLogger window's form, which
// shares the graph's and the readouts' ids with it. The forms' tables place
// the controls by them; the views fill the fields by them.

namespace ControlId {
// The serial control hosted by the main form.
inline constexpr int SerialControl = 1000;
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
// The main form's sampling-rate box and the meter panel's keys.
inline constexpr int SamplingRate = 1038;
inline constexpr int KeyRec = 1023;
inline constexpr int KeyFastSlow = 1024;
inline constexpr int KeyAC = 1025;
inline constexpr int KeyMaxMin = 1026;
inline constexpr int KeyHold = 1027; // hidden and disabled
inline constexpr int KeyLevel = 1028;
inline constexpr int KeyStop = 1029;
// The DataLogger window's own.
inline constexpr int RecordSets = 1043;
inline constexpr int SetMinimum = 1044;
inline constexpr int SetUnit = 1045;
inline constexpr int Title = 1046;
} // namespace ControlId
