#pragma once

#include "common/CommandIds.h"

#include <QKeySequence>
#include <QString>

#include <vector>

// The command table of the main frame, kept as data in one place: the main
// menu, the toolbar and the accelerators with their command ids and the
// status-bar prompts. Menu texts are kept as the resource writes them
// ("Open\tCtrl+O(&O)"); QtMenuText turns them into what a QMenu shows.

struct MenuEntry {
    int id = 0;                   // 0: a separator
    const char* text = nullptr;   // as in the resource
    const char* prompt = nullptr; // status-bar prompt; nullptr when the item has none
    bool radio = false;           // shows a radio mark (the port items)
    bool check = false;           // shows a check mark while what it shows is shown (the View items)
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
