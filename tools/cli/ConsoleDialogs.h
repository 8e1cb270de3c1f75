#pragma once

#include "common/DialogSeam.h"

#include <optional>
#include <string>

// The dialog seam of the command line: messages go to standard error, every
// question is answered with OK, and the save dialog gets the path given on the
// command line (or is cancelled when there is none).
class CConsoleDialogs final : public IDialogSeam {
public:
    explicit CConsoleDialogs(std::optional<std::string> savePath = std::nullopt) : m_savePath(std::move(savePath)) {}

    MsgAnswer MessageBox(const std::string& caption, const std::string& text, MsgButtons buttons,
                         MsgIcon icon) override;
    std::optional<std::string> SaveFileName(const FileDialogRequest& request) override;
    std::optional<std::string> OpenFileName(const FileDialogRequest& request) override;
    // A print dialog has nobody to answer it here: printing names its target.
    std::optional<PrinterChoice> ChoosePrinter(int /*copies*/) override { return std::nullopt; }

private:
    std::optional<std::string> m_savePath;
};
