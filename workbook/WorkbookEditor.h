#pragma once

#include "workbook/Workbook.h"

#include <set>
#include <string>

// Writing back an existing .xls file at record level, so that what the
// driver does not understand stays as it was:
// - every sheet not named in written keeps its substream byte for byte (only
//   the stream offsets of its INDEX record follow where it now starts);
// - the workbook globals keep their records; only the sheet list's offsets
//   (and entries for new sheets), the shared-string table (extended at its
//   end, so the indices the kept sheets use stay valid) and its EXTSST
//   index are rewritten;
// - a written sheet that existed keeps its records but for the cell table;
//   a cell whose content is what was read from it keeps its record (and so
//   its format, formula, boolean or error); a changed cell keeps its format;
// - every other stream of the compound file is carried over unchanged.
//
// file: the workbook's bytes as read; original: its cells as read; edited:
// the cells now, its sheets those of original in order and then new ones.
// Fails with *error naming what cannot be kept (nothing is written then).
bool EditWorkbookFile(const std::string& file, const Workbook& original, const Workbook& edited,
                      const std::set<std::string>& written, std::string& out, std::string* error);
