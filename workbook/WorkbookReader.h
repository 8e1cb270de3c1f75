#pragma once

#include "workbook/Workbook.h"

#include <atomic>
#include <string>

// Reads the cell values of every sheet of an existing .xls workbook through
// FreeXL. A file that FreeXL cannot read as a workbook, one protected by a
// password, or one larger than the driver is prepared to hold fails with
// *error saying why. Texts come back as UTF-8, numbers as numbers, dates and
// times as date numbers.
//
// FreeXL does not survive every damaged file, so it reads in a program of
// its own (kWorkbookReaderName) that hands the cells back through a pipe: a
// reader that crashes or hangs on a file makes that file fail here, and the
// program goes on. The reader is found through VEXALOG_XLS_READER, beside the
// running program, where it is installed, or where it was built.
// Once *cancel is set the child is stopped and the reading fails.
bool LoadWorkbook(const std::string& path, Workbook& workbook, std::string* error,
                  const std::atomic<bool>* cancel = nullptr);

inline constexpr const char* kWorkbookReaderName = "vexalog-xls-reader";
// The reader program's path, or empty when there is none.
std::string WorkbookReaderProgram();

// The reading itself, as the reader program does it (linked into that
// program only, with FreeXL).
bool LoadWorkbookInProcess(const std::string& path, Workbook& workbook, std::string* error);

// How long the child may take over one workbook.
inline constexpr int kWorkbookReadSeconds = 120;

// The most cells holding something (over all sheets) a workbook may have to
// be read: one full sheet's worth. The area its sheets span does not count.
inline constexpr unsigned long long kWorkbookMaxLoadedCells =
    static_cast<unsigned long long>(kWorkbookMaxRows) * kWorkbookMaxColumns;
// The most room the rows holding them take (a row up to its last cell, plus
// one for the row itself), so sparse cells far apart stay bounded too.
inline constexpr unsigned long long kWorkbookMaxLoadedSlots = kWorkbookMaxLoadedCells;

// The most memory the reading child may take: FreeXL sets aside room for
// the whole area each sheet claims, and a file claiming more is refused.
inline constexpr unsigned long long kWorkbookReaderMemory = 3ull << 30;

// The most text (bytes of UTF-8, over all cells) a workbook may hold to be read.
inline constexpr std::size_t kWorkbookMaxLoadedText = std::size_t{256} << 20;

// Days since 1899-12-30 of "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" or "HH:MM:SS";
// false when the text is none of these.
bool DateTextToSerial(const std::string& text, double& serial);
