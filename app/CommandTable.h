#pragma once

#include <QKeySequence>
#include <QString>

#include <vector>

// The command table of the main frame, kept as data in one place: the main
// menu, the toolbar and the accelerators with their command ids and the
// status-bar prompts. Menu texts are kept as the resource writes them
// ("Open\tCtrl+O(&O)"); QtMenuText turns them into what a QMenu shows.

namespace CommandId {
// Commands of the main menu and the toolbar.
inline constexpr int Open = 32792;
inline constexpr int ExportData = 32778;
inline constexpr int SaveAs = 1033;
inline constexpr int Print = 32797;
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

struct MenuEntry {
    int id = 0;                   // 0: a separator
    const char* text = nullptr;   // as in the resource
    const char* prompt = nullptr; // status-bar prompt; nullptr when the item has none
    bool radio = false;           // shows a radio mark (the port items)
};

// A popup of the menu bar, or (when id is non-zero) a command placed
// directly on the menu bar.
struct TopMenu {
    const char* text = nullptr;
    int id = 0;
    const char* prompt = nullptr;
    std::vector<MenuEntry> entries;
};

struct ToolbarButton {
    int id = 0;    // 0: a separator
    int image = -1; // index into the strip of ten 16x15 images
};

struct Accelerator {
    QKeySequence key;
    int id = 0;
};

const std::vector<TopMenu>& MainMenuTable();
const std::vector<ToolbarButton>& ToolbarTable();
const std::vector<Accelerator>& AcceleratorTable();

// The prompt of a command as the menu table gives it (empty when none).
QString CommandPrompt(int id);

// A resource menu text taken apart: the label, the shortcut text after the
// tab, and the mnemonic of a "(&X)" suffix (null when there is none).
struct ResourceMenuText {
    QString label;
    QString shortcut;
    QChar mnemonic;
};
ResourceMenuText SplitResourceText(const char* text);

// The text a QMenu shows for a resource text: the label with '&' before the
// mnemonic letter, then "\t" and the shortcut text. The shortcut is only shown;
// it is never a real QAction shortcut.
QString QtMenuText(const char* text);

// Toolbar buttons and the size of one image in the strip.
inline constexpr int kToolbarImageWidth = 16;
inline constexpr int kToolbarImageHeight = 15;
inline constexpr int kToolbarImageCount = 10;
