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

std::optional<DataFileImport> ImportDataFile(IDialogSeam& dialogs, const std::function<void()>& onAccepted)
{
    const std::optional<std::string> path = dialogs.OpenFileName(DataFileDialogRequest());
    if (!path)
        return std::nullopt;
    DataFileReadResult result = ReadDataFile(*path, [&] {
        ShowMessage(dialogs, kDataImportedText, MsgIcon::Information);
        if (onAccepted)
            onAccepted();
    });
    if (result.status != DataFileReadStatus::Ok) {
        ShowMessage(dialogs, result.error, MsgIcon::Warning);
        return std::nullopt;
    }
    const std::string truncation = DataFileTruncationText(result.data);
    if (!truncation.empty())
        ShowMessage(dialogs, truncation, MsgIcon::Warning);
    return std::move(result.data);
}
