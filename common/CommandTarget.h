#pragma once

#include <string>

// The receiver of menu and toolbar commands (the main view). The frame asks it
// for each command's state whenever menus or the toolbar are brought up to date.
class ICommandTarget {
public:
    virtual ~ICommandTarget() = default;

    // True when the command has a handler here; the frame handles the rest itself.
    virtual bool HandlesCommand(int id) const = 0;
    virtual bool IsCommandEnabled(int id) const = 0;
    // Radio mark of the port items (Com1..Com5); false for everything else.
    virtual bool IsCommandMarked(int id) const = 0;
    virtual void OnCommand(int id) = 0;
    // The main window is about to close (Exit or its close box): false keeps it open.
    virtual bool QueryClose() { return true; }
    // A status-bar prompt that follows the target's state (the port items
    // name their device); empty leaves the command table's prompt.
    virtual std::string LivePrompt(int /*id*/) const { return {}; }
};
