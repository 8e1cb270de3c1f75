#pragma once

#include <string>
#include <vector>

// The tests' independent view of a workbook: python3-xlrd reads it (and
// python3-xlwt makes one) through tests/support/xls_tool.py.
struct XlsSheet {
    std::string name;
    std::vector<std::vector<std::string>> rows; // texts; numbers "n:42.5", dates "d:39148.0"
};

struct XlsReadBack {
    bool ok = false;
    std::string error; // what the reader said when !ok
    std::vector<XlsSheet> sheets;

    const XlsSheet* Sheet(const std::string& name) const;
    std::vector<std::string> SheetNames() const;
};

XlsReadBack ReadXlsWithXlrd(const std::string& path);

// A workbook written by xlwt: sheet "Notes" (A1 "kept", B2 42.5, C3 the date
// 2007-03-07) and sheet "Sheet" (the export's header row, one reading).
// kind "sparse": sheet "Notes" with A1 "first", B2 2.5 and IV65536 "last";
// kind "headers": sheet "Sheet" with the headers A and B over "one".
bool MakeXlsWithXlwt(const std::string& path, std::string* error, const std::string& kind = "make");

// The rows Python's csv module reads from a file; ok false when it fails.
struct CsvReadBack {
    bool ok = false;
    std::string error;
    std::vector<std::vector<std::string>> rows;
};
CsvReadBack ReadCsvWithPython(const std::string& path);

// What the workbook after lost of the workbook before, as python3-xlrd and
// python3-olefile see it (streams, substreams of sheets other than "Sheet",
// cells with their format, merged cells, column widths): "kept" when nothing.
std::string WhatXlrdFindsLost(const std::string& before, const std::string& after);

// A workbook LibreOffice saved from libreoffice.fods beside it: "Sheet" with
// the export's headers, a reading with a bold value and a formula beside it;
// "Notes" with a bold text, a formula, a boolean, 0.00%, #,##0.00 and date
// formats, merged cells and a wide column; document properties.
std::string LibreOfficeWorkbookPath();
