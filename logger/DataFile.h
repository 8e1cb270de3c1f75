#pragma once

#include "DataFileReader.h"
#include "DataFileWriter.h"
#include "DialogSeam.h"

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
//   3. signature matched -> "Data has been imported.", then onAccepted runs (the
//      window releases its downloaded record sets and clears its downloaded flag
//      there), then the samples are read;
//   4. a bound reached -> a message saying how much was left out.
// Failures to open or read, and a failed store allocation ("Memory OverFlow!"),
// are reported and give nothing. The products are returned for the window to
// take over.
std::optional<DataFileImport> ImportDataFile(IDialogSeam& dialogs, const std::function<void()>& onAccepted = {});
