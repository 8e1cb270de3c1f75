#include "DataFile.h"

FileDialogRequest DataFileDialogRequest()
{
    FileDialogRequest request;
    request.filter = "Data File(*.txt)";
    request.initialName = "*.txt";
    request.defaultExtension = "txt";
    request.promptOverwrite = true;
    return request;
}

bool SaveDataFile(IDialogSeam& dialogs, const DataSample* samples, int count, double rate)
{
    const std::optional<std::string> path = dialogs.SaveFileName(DataFileDialogRequest());
    if (!path)
        return false;
    const DataFileWriteResult result = WriteDataFile(*path, samples, count, rate);
    if (!result.ok) {
        ShowMessage(dialogs, result.error, MsgIcon::Warning);
        return false;
    }
    return true;
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
