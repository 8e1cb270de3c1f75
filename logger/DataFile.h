#pragma once

#include "common/DialogSeam.h"
#include "logger/DataFileReader.h"
#include "logger/DataFileWriter.h"

#include <functional>
#include <optional>
#include <string>

// The file dialog of both data-file commands: "Data File(*.txt)", initial name
// "*.txt", default extension "txt", ask before overwriting.
FileDialogRequest DataFileDialogRequest();

// "Save as" of the main view and "Save Data" of the DataLogger window: asks for
// a file through the save dialog and writes samples[0 .. count-1] with rate.
// Cancel writes nothing; a failure is reported in a message box naming the file
// and the reason, and leaves any old file untouched; success shows nothing.
// Returns whether the file was saved; savedPath, when given, learns where.
bool SaveDataFile(IDialogSeam& dialogs, const DataSample* samples, int count, double rate,
                  std::string* savedPath = nullptr);

// The status line once readings are written: "Saved 1,234 readings to
// street.txt" (verb "Saved"), the file's name without its folder, the count
// with a comma between thousands whatever the locale.
std::string WrittenReadingsText(const std::string& verb, int count, const std::string& path);

// "Import Data" of the DataLogger window (and the main menu's "Open"). The
// window resets itself before calling (so a cancelled dialog still leaves it
// reset). Order of events:
//   1. open dialog; cancel -> nothing;
//   2. a bad signature -> "Data Format is wrong!", nothing;
//   3. the file read whole -> take(data) (the window releases what it held,
//      takes the import over and shows it), then "Data has been imported.",
//      then the damaged lines left out and a bound reached, if any.
// Failures to open or read, and a failed store allocation ("Memory OverFlow!"),
// are reported and give nothing: the window keeps what it had. The
// confirmation comes only once there is something imported to confirm.
// Returns whether a file was imported.
bool ImportDataFile(IDialogSeam& dialogs, const std::function<void(DataFileImport)>& take);
