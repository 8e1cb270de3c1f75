#include "logger/DataFile.h"

FileDialogRequest DataFileDialogRequest()
{
    FileDialogRequest request;
    request.filter = "Data File(*.txt)";
    request.initialName = "*.txt";
    request.defaultExtension = "txt";
    request.promptOverwrite = true;
    return request;
}

bool SaveDataFile(IDialogSeam& dialogs, const DataSample* samples, int count, double rate, std::string* savedPath)
{
    const std::optional<std::string> path = dialogs.SaveFileName(DataFileDialogRequest());
    if (!path)
        return false;
    const DataFileWriteResult result = WriteDataFile(*path, samples, count, rate);
    if (!result.ok) {
        ShowMessage(dialogs, result.error, MsgIcon::Warning);
        return false;
    }
    if (savedPath != nullptr)
        *savedPath = *path;
    return true;
}

std::string WrittenReadingsText(const std::string& verb, int count, const std::string& path)
{
    std::string number = std::to_string(count < 0 ? 0 : count);
    for (int at = static_cast<int>(number.size()) - 3; at > 0; at -= 3)
        number.insert(static_cast<std::size_t>(at), ",");
    const std::size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return verb + " " + number + (count == 1 ? " reading to " : " readings to ") + name;
}

bool ImportDataFile(IDialogSeam& dialogs, const std::function<void(DataFileImport)>& take)
{
    const std::optional<std::string> path = dialogs.OpenFileName(DataFileDialogRequest());
    if (!path)
        return false;
    DataFileReadResult result = ReadDataFile(*path);
    if (result.status != DataFileReadStatus::Ok) {
        ShowMessage(dialogs, result.error, MsgIcon::Warning);
        return false;
    }
    const std::string damage = DataFileDamageText(result.data);
    const std::string truncation = DataFileTruncationText(result.data);
    take(std::move(result.data));
    ShowMessage(dialogs, kDataImportedText, MsgIcon::Information);
    if (!damage.empty())
        ShowMessage(dialogs, damage, MsgIcon::Warning);
    if (!truncation.empty())
        ShowMessage(dialogs, truncation, MsgIcon::Warning);
    return true;
}
