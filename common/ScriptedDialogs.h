#pragma once

#include "common/DialogSeam.h"

#include <deque>
#include <string>
#include <vector>

// A dialog seam answered from a script: questions (OK and Cancel) take the
// queued answers (OK when the queue is empty), file dialogs the queued paths (cancel when the
// queue is empty), the print dialog the queued printers (cancel when the queue
// is empty). Everything asked is logged so a caller can check it.
class CScriptedDialogs final : public IDialogSeam {
public:
    struct Shown {
        std::string caption;
        std::string text;
        MsgButtons buttons = MsgButtons::Ok;
        MsgIcon icon = MsgIcon::None;
        std::vector<std::string> choices; // the buttons of AskChoice
    };

    MsgAnswer MessageBox(const std::string& caption, const std::string& text, MsgButtons buttons,
                         MsgIcon icon) override;
    // Takes the queued choice (the first button when none is queued).
    int AskChoice(const std::string& caption, const std::string& text,
                  const std::vector<std::string>& choices) override;
    std::optional<std::string> SaveFileName(const FileDialogRequest& request) override;
    std::optional<std::string> OpenFileName(const FileDialogRequest& request) override;
    std::optional<PrinterChoice> ChoosePrinter(int copies) override;

    void QueueAnswer(MsgAnswer answer) { m_answers.push_back(answer); }
    void QueueChoice(int index) { m_choices.push_back(index); }
    void QueueSavePath(std::string path) { m_savePaths.push_back(std::move(path)); }
    void QueueOpenPath(std::string path) { m_openPaths.push_back(std::move(path)); }
    void QueuePrinter(PrinterChoice choice) { m_printers.push_back(std::move(choice)); }

    const std::vector<Shown>& Messages() const { return m_messages; }
    const std::vector<FileDialogRequest>& FileRequests() const { return m_fileRequests; }
    int PrintDialogsShown() const { return m_printDialogsShown; }
    std::vector<std::string> MessageTexts() const;
    void ClearLog();

private:
    std::deque<MsgAnswer> m_answers;
    std::deque<int> m_choices;
    std::deque<std::string> m_savePaths;
    std::deque<std::string> m_openPaths;
    std::deque<PrinterChoice> m_printers;
    std::vector<Shown> m_messages;
    std::vector<FileDialogRequest> m_fileRequests;
    int m_printDialogsShown = 0;
};
