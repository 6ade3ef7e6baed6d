"""Reads a workbook the report wrote (.xlsx) with openpyxl, as an analyst's script would, and holds
it to the CSV data export of the same report: the sheet "Dados" has the CSV's header and rows,
numbers as numbers of the same value, texts as the same texts (codes with their leading zeros),
dates as dates; its header is frozen and filtered. Prints "ok ROWS" and then the sheet
"Relatório" one row a line (cells apart by a tab), or the differences (exit 1).

Usage: xlsx_export_check.py FILE.csv FILE.xlsx
"""

import datetime
import sys

import openpyxl

from xlsx_matches_csv import expected, fields_of

# The CSV keeps six decimals of a number, the workbook the stored value: they agree to half the
# CSV's last decimal.
CSV_HALF_DECIMAL = 0.5e-6 + 1e-12


def cell_of(value):
    if value is None or value == "":
        return None
    if isinstance(value, datetime.datetime):
        return ("date", value.date())
    if isinstance(value, bool):
        return ("text", str(value))
    if isinstance(value, (int, float)):
        return ("number", float(value))
    return ("text", value)


def main(csv_path, xlsx_path):
    with open(csv_path, encoding="utf-8-sig", newline="") as f:
        table = [fields_of(line) for line in f.read().split("\r\n") if line]
    book = openpyxl.load_workbook(xlsx_path)
    problems = []
    if book.sheetnames != ["Dados", "Relatório"]:
        problems.append("sheets %r" % book.sheetnames)
    data = book["Dados"]
    rows = [[cell_of(c) for c in row] for row in data.iter_rows(values_only=True)]
    names = [text for _, text in table[0]]
    if [c[1] if c else None for c in rows[0]] != names:
        problems.append("header %r, not %r" % (rows[0], names))
    if len(rows) != len(table):
        problems.append("%d rows, not %d" % (len(rows), len(table)))
    if data.freeze_panes != "A2":
        problems.append("frozen at %r" % data.freeze_panes)
    if not data.auto_filter.ref or not data.auto_filter.ref.startswith("A1:"):
        problems.append("auto-filter %r" % data.auto_filter.ref)
    for number, (fields, row) in enumerate(zip(table[1:], rows[1:]), start=2):
        for column, field in enumerate(fields):
            want = expected(field)
            got = row[column] if column < len(row) else None
            same = got == want or (
                got and want and got[0] == want[0] == "number" and abs(got[1] - want[1]) <= CSV_HALF_DECIMAL
            )
            if not same:
                problems.append("row %d, %s: %r, not %r" % (number, names[column], got, want))
    if problems:
        print("\n".join(problems[:20]))
        return 1
    print("ok", len(table) - 1)
    for row in book["Relatório"].iter_rows(values_only=True):
        print("\t".join("" if v is None else str(v) for v in row))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
