#pragma once

#include <optional>
#include <string>
#include <vector>

// Every message box, file dialog and print dialog of the program goes through
// this seam. The program answers it with real Qt dialogs, the command-line
// companion on the console (CConsoleDialogs), and the tests from a script
// (CScriptedDialogs, in the test support).

enum class MsgButtons { Ok, OkCancel };
enum class MsgIcon { None, Information, Warning, Question, Error };
enum class MsgAnswer { Ok, Cancel };

struct FileDialogRequest {
    std::string filter;          // Qt filter text, e.g. "Data File(*.txt)"
    std::string initialName;     // e.g. "*.txt"
    std::string defaultExtension; // e.g. "txt", appended when the user gives none
    bool promptOverwrite = true;
};

// What the print dialog hands back: an installed printer by name, or a PDF
// file, with the copies and the paper the user chose there.
struct PrinterChoice {
    std::string printerName; // empty when the output is a file
    std::string outputFile;  // the PDF file chosen in the dialog
    int copies = 1;
    std::string pageSize;    // the paper's key, e.g. "A4"; empty for the printer's default
    bool landscape = false;
};

class IDialogSeam {
public:
    virtual ~IDialogSeam() = default;

    virtual MsgAnswer MessageBox(const std::string& caption, const std::string& text, MsgButtons buttons,
                                 MsgIcon icon) = 0;

    // A question answered with one of the named buttons ("Save", "Discard",
    // "Cancel"): the index of the one pressed. The first is the default
    // button; closing the box presses the last. Where a seam has no buttons
    // of its own, OK stands for the first and Cancel for the last.
    virtual int AskChoice(const std::string& caption, const std::string& text,
                          const std::vector<std::string>& choices)
    {
        const MsgAnswer answer = MessageBox(caption, text, MsgButtons::OkCancel, MsgIcon::Question);
        return answer == MsgAnswer::Ok || choices.empty() ? 0 : static_cast<int>(choices.size()) - 1;
    }

    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> SaveFileName(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> OpenFileName(const FileDialogRequest& request) = 0;

    // The print dialog, offering the installed printers and a PDF file;
    // nothing when the user cancelled.
    virtual std::optional<PrinterChoice> ChoosePrinter(int copies) = 0;
};

// The caption of every message box of the program unless a caller says otherwise.
inline constexpr const char* kMessageCaption = "LX47";

// The usual "caption LX47, OK button" message.
inline void ShowMessage(IDialogSeam& seam, const std::string& text, MsgIcon icon = MsgIcon::Warning)
{
    seam.MessageBox(kMessageCaption, text, MsgButtons::Ok, icon);
}

inline bool AskOkCancel(IDialogSeam& seam, const std::string& text)
{
    return seam.MessageBox(kMessageCaption, text, MsgButtons::OkCancel, MsgIcon::Question) == MsgAnswer::Ok;
}
