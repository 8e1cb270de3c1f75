#pragma once

#include "Workbook.h"

#include <string>

// Reads the cell values of every sheet of an existing .xls workbook through
// FreeXL. A file that FreeXL cannot read as a workbook, one protected by a
// password, or one larger than the driver is prepared to hold fails with
// *error saying why. Texts come back as UTF-8, numbers as numbers, dates and
// times as date numbers.
bool LoadWorkbook(const std::string& path, Workbook& workbook, std::string* error);

// The most cells (rows x columns over all sheets) a workbook may span to be
// read: one full sheet's worth.
inline constexpr unsigned long long kWorkbookMaxLoadedCells =
    static_cast<unsigned long long>(kWorkbookMaxRows) * kWorkbookMaxColumns;

// Days since 1899-12-30 of "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" or "HH:MM:SS";
// false when the text is none of these.
bool DateTextToSerial(const std::string& text, double& serial);
