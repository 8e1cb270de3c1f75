#include "tools/cli/ConsoleDialogs.h"

#include <cstdio>

MsgAnswer CConsoleDialogs::MessageBox(const std::string& caption, const std::string& text, MsgButtons buttons,
                                      MsgIcon /*icon*/)
{
    std::string oneLine = text;
    for (char& c : oneLine)
        if (c == '\r' || c == '\n')
            c = ' ';
    std::fprintf(stderr, "%s: %s%s\n", caption.c_str(), oneLine.c_str(), buttons == MsgButtons::OkCancel ? " [OK]" : "");
    return MsgAnswer::Ok;
}

std::optional<std::string> CConsoleDialogs::SaveFileName(const FileDialogRequest& /*request*/)
{
    return m_savePath;
}

std::optional<std::string> CConsoleDialogs::OpenFileName(const FileDialogRequest& /*request*/)
{
    return std::nullopt;
}
