#pragma once

// The ids of the main menu's and the toolbar's commands, and of the framework's
// commands that the accelerators reach. The frame builds its menus from them
// and the main view answers them.

namespace CommandId {
// Commands of the main menu and the toolbar.
inline constexpr int Open = 32792;
inline constexpr int ExportData = 32778;
inline constexpr int SaveAs = 1033;
inline constexpr int Print = 32797;
inline constexpr int Report = 32800;
inline constexpr int Exit = 57665;
inline constexpr int Run = 32780;
inline constexpr int Stop = 32781;
inline constexpr int Setup = 32782;
inline constexpr int CleanData = 32783;
inline constexpr int DataLogger = 32784;
inline constexpr int Histogram = 32771;
inline constexpr int Line = 32772;
inline constexpr int Com1 = 32786;
inline constexpr int Com2 = 32787;
inline constexpr int Com3 = 32788;
inline constexpr int Com4 = 32789;
inline constexpr int Com5 = 32790;
inline constexpr int OtherPort = 32799;
inline constexpr int ViewToolBar = 59392;
inline constexpr int ViewStatusBar = 59393;
inline constexpr int NoiseIndicators = 32802;
inline constexpr int HelpContents = 32798;
inline constexpr int About = 57664;
// Toolbar buttons no command handles.
inline constexpr int Unhandled1 = 32775;
inline constexpr int Unhandled2 = 32793;
inline constexpr int Unhandled3 = 32794;
// The framework's commands reached through accelerators.
inline constexpr int FileNew = 57600;
inline constexpr int FileOpen = 57601;
inline constexpr int FileSave = 57603;
inline constexpr int EditUndo = 57643;
inline constexpr int EditCut = 57635;
inline constexpr int EditCopy = 57634;
inline constexpr int EditPaste = 57637;
inline constexpr int NextPane = 57680;
inline constexpr int PrevPane = 57681;
} // namespace CommandId
