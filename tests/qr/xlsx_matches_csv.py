"""Checks that a spreadsheet (xlsx) holds a CSV data export cell for cell, with only the standard
library. The export's convention: UTF-8 with a byte-order mark, fields apart by ";", texts quoted,
numbers unquoted with a decimal comma, ISO dates unquoted. So: a quoted field is the same text
(accents and leading zeros included), an unquoted number the same number, an unquoted ISO date
the same day, an empty field an empty cell; and a code (a column named cod_...) is a text.

Usage: xlsx_matches_csv.py FILE.csv FILE.xlsx   (prints "ok ROWS" or the differences, exit 1)
"""

import csv
import datetime
import re
import sys
import zipfile
import xml.etree.ElementTree as ET

NS = {"m": "http://schemas.openxmlformats.org/spreadsheetml/2006/main"}
# Number formats built into the format that show a date.
BUILTIN_DATE_FORMATS = set(range(14, 23))
SPREADSHEET_EPOCH = datetime.date(1899, 12, 30)
ISO_DATE = re.compile(r"^\d{4}-\d{2}-\d{2}$")


def column_index(reference):
    letters = re.match(r"[A-Z]+", reference).group(0)
    index = 0
    for letter in letters:
        index = index * 26 + ord(letter) - ord("A") + 1
    return index - 1


def date_styles(book):
    styles = ET.fromstring(book.read("xl/styles.xml"))
    custom = {}
    for fmt in styles.iterfind("m:numFmts/m:numFmt", NS):
        code = fmt.get("formatCode").lower()
        custom[int(fmt.get("numFmtId"))] = "d" in code and "y" in code
    dates = set()
    for index, xf in enumerate(styles.iterfind("m:cellXfs/m:xf", NS)):
        number_format = int(xf.get("numFmtId", "0"))
        if number_format in BUILTIN_DATE_FORMATS or custom.get(number_format, False):
            dates.add(index)
    return dates


def shared_strings(book):
    if "xl/sharedStrings.xml" not in book.namelist():
        return []
    root = ET.fromstring(book.read("xl/sharedStrings.xml"))
    return ["".join(t.text or "" for t in item.iter("{%s}t" % NS["m"])) for item in root.iterfind("m:si", NS)]


def cells(path):
    """Rows of (kind, value): kind "text", "number" or "date"; missing cells are None."""
    with zipfile.ZipFile(path) as book:
        strings = shared_strings(book)
        dates = date_styles(book)
        sheet = ET.fromstring(book.read("xl/worksheets/sheet1.xml"))
    rows = []
    for row in sheet.iterfind("m:sheetData/m:row", NS):
        values = {}
        for cell in row.iterfind("m:c", NS):
            kind = cell.get("t", "n")
            value = cell.find("m:v", NS)
            inline = cell.find("m:is", NS)
            if kind == "s":
                values[column_index(cell.get("r"))] = ("text", strings[int(value.text)])
            elif kind == "inlineStr":
                values[column_index(cell.get("r"))] = ("text", "".join(t.text or "" for t in inline.iter()))
            elif kind == "str":
                values[column_index(cell.get("r"))] = ("text", value.text or "")
            elif value is not None:
                number = float(value.text)
                if int(cell.get("s", "0")) in dates:
                    values[column_index(cell.get("r"))] = ("date", SPREADSHEET_EPOCH + datetime.timedelta(days=number))
                else:
                    values[column_index(cell.get("r"))] = ("number", number)
        width = max(values) + 1 if values else 0
        rows.append([values.get(i) for i in range(width)])
    return rows


def fields_of(line):
    """The fields of one CSV line as (quoted, text)."""
    fields = []
    at = 0
    while True:
        if line.startswith('"', at):
            end = at + 1
            while True:
                end = line.index('"', end)
                if line.startswith('""', end):
                    end += 2
                else:
                    break
            fields.append((True, line[at + 1 : end].replace('""', '"')))
            at = end + 1
        else:
            end = line.find(";", at)
            end = len(line) if end < 0 else end
            fields.append((False, line[at:end]))
            at = end
        if at >= len(line):
            return fields
        at += 1  # the ";"


def expected(field):
    quoted, text = field
    if quoted:
        return ("text", text)
    if text == "":
        return None
    if ISO_DATE.match(text):
        return ("date", datetime.date.fromisoformat(text))
    return ("number", float(text.replace(",", ".")))


def main(csv_path, xlsx_path):
    # The values as the documented call reads them; which fields were quoted from the raw lines.
    with open(csv_path, encoding="utf-8-sig", newline="") as f:
        read = list(csv.reader(f, delimiter=";"))
    with open(csv_path, encoding="utf-8-sig", newline="") as f:
        raw = [fields_of(line) for line in f.read().split("\r\n") if line]
    if [[text for _, text in fields] for fields in raw] != read:
        print("Python's csv reads the file otherwise than its convention says")
        return 1
    table = raw
    sheet = cells(xlsx_path)
    problems = []
    if len(sheet) != len(table):
        problems.append("%d rows in the spreadsheet, %d in the CSV" % (len(sheet), len(table)))
    header = [cell[1] if cell and cell[0] == "text" else cell for cell in (sheet[0] if sheet else [])]
    names = [text for _, text in table[0]]
    if header != names:
        problems.append("header %r, not %r" % (header, names))
    for number, (fields, row) in enumerate(zip(table[1:], sheet[1:]), start=2):
        for column, field in enumerate(fields):
            want = expected(field)
            got = row[column] if column < len(row) else None
            same = got == want or (
                got is not None and want is not None and got[0] == want[0] == "number" and abs(got[1] - want[1]) < 1e-9
            )
            if not same:
                problems.append("row %d, %s: %r, not %r" % (number, names[column], got, want))
            elif names[column].startswith("cod_") and got is not None and got[0] != "text":
                problems.append("row %d, %s: a code read as %r" % (number, names[column], got))
    if problems:
        print("\n".join(problems[:20]))
        return 1
    print("ok", len(table) - 1)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
