#!/usr/bin/python3
"""Independent reader and writer of .xls workbooks for the tests.

  xls_tool.py dump FILE   prints the workbook as JSON: a list of sheets, each
                          {"name": ..., "rows": [[cell, ...], ...]}; a text
                          cell is its text, a number "n:<value>", a date
                          "d:<value>", an empty cell "".
  xls_tool.py make FILE   writes a workbook with the sheet "Notes" (A1 "kept",
                          B2 the number 42.5, C3 the date 2007-03-07) and the
                          sheet "Sheet" holding the export's header row and
                          one reading.
  xls_tool.py sparse FILE the sheet "Notes" with three cells: A1, B2 and
                          IV65536 (the last cell a sheet has).
  xls_tool.py headers FILE  the sheet "Sheet" with the headers A and B.
  xls_tool.py csv FILE    prints the rows Python's csv module reads as JSON.
"""
import datetime
import json
import sys


def dump(path):
    import xlrd
    book = xlrd.open_workbook(path)
    sheets = []
    for sheet in book.sheets():
        rows = []
        for r in range(sheet.nrows):
            row = []
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_TEXT:
                    row.append(cell.value)
                elif cell.ctype == xlrd.XL_CELL_NUMBER:
                    row.append("n:%r" % cell.value)
                elif cell.ctype == xlrd.XL_CELL_DATE:
                    row.append("d:%r" % cell.value)
                elif cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                    row.append("")
                else:
                    row.append("?:%r" % cell.value)
            rows.append(row)
        sheets.append({"name": sheet.name, "rows": rows})
    print(json.dumps(sheets))


def make(path):
    import xlwt
    book = xlwt.Workbook()
    notes = book.add_sheet("Notes")
    notes.write(0, 0, "kept")
    notes.write(1, 1, 42.5)
    notes.write(2, 2, datetime.date(2007, 3, 7), xlwt.easyxf(num_format_str="YYYY-MM-DD"))
    sheet = book.add_sheet("Sheet")
    for c, text in enumerate(["Date", "Time", "Value", "Unit"]):
        sheet.write(0, c, text)
    for c, text in enumerate(["6-3-2007", "8:00:00", "55.5", "dBC"]):
        sheet.write(1, c, text)
    book.save(path)


def sparse(path):
    import xlwt
    book = xlwt.Workbook()
    notes = book.add_sheet("Notes")
    notes.write(0, 0, "first")
    notes.write(1, 1, 2.5)
    notes.write(65535, 255, "last")
    book.save(path)


def headers(path):
    import xlwt
    book = xlwt.Workbook()
    sheet = book.add_sheet("Sheet")
    sheet.write(0, 0, "A")
    sheet.write(0, 1, "B")
    sheet.write(1, 0, "one")
    book.save(path)


def read_csv(path):
    import csv
    with open(path, newline="") as f:
        print(json.dumps([row for row in csv.reader(f)]))


if __name__ == "__main__":
    {"dump": dump, "make": make, "sparse": sparse, "headers": headers, "csv": read_csv}[sys.argv[1]](sys.argv[2])
