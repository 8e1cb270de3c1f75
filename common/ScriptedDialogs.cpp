#include "common/ScriptedDialogs.h"

MsgAnswer CScriptedDialogs::MessageBox(const std::string& caption, const std::string& text, MsgButtons buttons,
                                       MsgIcon icon)
{
    m_messages.push_back({caption, text, buttons, icon, {}});
    // Only questions take a queued answer; a plain message is always acknowledged with OK.
    if (buttons == MsgButtons::Ok || m_answers.empty())
        return MsgAnswer::Ok;
    const MsgAnswer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

int CScriptedDialogs::AskChoice(const std::string& caption, const std::string& text,
                                const std::vector<std::string>& choices)
{
    m_messages.push_back({caption, text, MsgButtons::OkCancel, MsgIcon::Question, choices});
    if (m_choices.empty())
        return 0;
    const int index = m_choices.front();
    m_choices.pop_front();
    return index;
}

std::optional<std::string> CScriptedDialogs::SaveFileName(const FileDialogRequest& request)
{
    m_fileRequests.push_back(request);
    if (m_savePaths.empty())
        return std::nullopt;
    std::string path = m_savePaths.front();
    m_savePaths.pop_front();
    return path;
}

std::optional<std::string> CScriptedDialogs::OpenFileName(const FileDialogRequest& request)
{
    m_fileRequests.push_back(request);
    if (m_openPaths.empty())
        return std::nullopt;
    std::string path = m_openPaths.front();
    m_openPaths.pop_front();
    return path;
}

std::optional<PrinterChoice> CScriptedDialogs::ChoosePrinter(int copies)
{
    ++m_printDialogsShown;
    if (m_printers.empty())
        return std::nullopt;
    PrinterChoice choice = m_printers.front();
    m_printers.pop_front();
    if (choice.copies <= 0)
        choice.copies = copies;
    return choice;
}

std::vector<std::string> CScriptedDialogs::MessageTexts() const
{
    std::vector<std::string> texts;
    texts.reserve(m_messages.size());
    for (const Shown& m : m_messages)
        texts.push_back(m.text);
    return texts;
}

void CScriptedDialogs::ClearLog()
{
    m_messages.clear();
    m_fileRequests.clear();
    m_printDialogsShown = 0;
}
