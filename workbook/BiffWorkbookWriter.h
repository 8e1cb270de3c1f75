#pragma once

#include "workbook/Workbook.h"

#include <string>
#include <vector>

// The "Workbook" stream of a BIFF8 (.xls) file for the given sheets: the
// workbook globals (fonts, cell formats, sheet list, shared strings), then
// one worksheet substream per sheet. Texts become shared strings, numbers
// NUMBER cells, dates numbers in a date format. The first sheet is the
// selected one. The caller keeps within the format's bounds (Workbook.h).
// The stream comes in pieces (globals, then each sheet), to be written one
// after the other.
std::vector<std::string> BuildBiffWorkbookStream(const Workbook& workbook);
