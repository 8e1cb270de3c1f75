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
  xls_tool.py kept BEFORE,AFTER  prints what AFTER lost of BEFORE, one line
                          each: streams of the compound file, substreams of
                          sheets other than "Sheet", and every cell of BEFORE
                          with its type, value, boldness and number format,
                          merged cells and column widths; "kept" when nothing.
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


def sheet_bytes(path):
    import olefile
    import struct
    data = olefile.OleFileIO(path).openstream("Workbook").read()
    sheets = {}
    at = 0
    while at + 4 <= len(data):
        op, length = struct.unpack_from("<HH", data, at)
        body = data[at + 4:at + 4 + length]
        at += 4 + length
        if op == 0x0085:
            start = struct.unpack_from("<I", body, 0)[0]
            count, flags = body[6], body[7]
            name = body[8:8 + count * (2 if flags & 1 else 1)].decode("utf-16-le" if flags & 1 else "latin-1")
            end, depth = start, 0
            while True:
                op2, length2 = struct.unpack_from("<HH", data, end)
                depth += {0x0809: 1, 0x000A: -1}.get(op2, 0)
                end += 4 + length2
                if depth == 0:
                    break
            sheets[name] = data[start:end]
        if op == 0x000A:
            break
    return sheets


def kept(paths):
    import olefile
    import xlrd
    before, after = paths.split(",")
    lost = []
    old, new = olefile.OleFileIO(before), olefile.OleFileIO(after)
    for stream in old.listdir():
        if stream != ["Workbook"] and (not new.exists("/".join(stream))
                                       or old.openstream(stream).read() != new.openstream(stream).read()):
            lost.append("stream %r" % "/".join(stream))
    old_sheets, new_sheets = sheet_bytes(before), sheet_bytes(after)
    for name, body in old_sheets.items():
        if name != "Sheet" and new_sheets.get(name) != body:
            lost.append("substream of %s" % name)
    a = xlrd.open_workbook(before, formatting_info=True)
    b = xlrd.open_workbook(after, formatting_info=True)

    def look(book, sheet, r, c):
        cell = sheet.cell(r, c)
        xf = book.xf_list[cell.xf_index]
        return (cell.ctype, cell.value, book.font_list[xf.font_index].weight,
                book.format_map[xf.format_key].format_str)
    for sa in a.sheets():
        sb = b.sheet_by_name(sa.name)
        for r in range(sa.nrows):
            for c in range(sa.ncols):
                if r >= sb.nrows or c >= sb.ncols or look(a, sa, r, c) != look(b, sb, r, c):
                    lost.append("%s!%d,%d %r" % (sa.name, r, c, look(a, sa, r, c)))
        if sorted(sa.merged_cells) != sorted(sb.merged_cells):
            lost.append("merged cells of %s" % sa.name)
        if {k: v.width for k, v in sa.colinfo_map.items()} != {k: v.width for k, v in sb.colinfo_map.items()}:
            lost.append("column widths of %s" % sa.name)
    print("\n".join(lost) if lost else "kept")


if __name__ == "__main__":
    {"dump": dump, "make": make, "sparse": sparse, "headers": headers, "csv": read_csv, "kept": kept}[sys.argv[1]](sys.argv[2])
