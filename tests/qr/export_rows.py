"""Reads a report's data export twice, as an analyst would: the CSV with Python's csv module (the
documented call) and the workbook (.xlsx) with openpyxl, and checks that both hold the same rows.
Prints the rows as JSON (numbers as numbers, dates as ISO texts, empty fields as null) for the test
to compare with the printed page.

Usage: export_rows.py FILE.csv FILE.xlsx"""

import csv
import datetime
import json
import sys

import openpyxl


def same(text, cell):
    """A CSV field against the workbook's cell: an empty field is an empty cell, a number (decimal
    comma) the same number, a text (a code keeps its zeros) or an ISO date the same text."""
    if cell is None:
        return text == ""
    if isinstance(cell, float):
        try:
            return abs(float(text.replace(",", ".")) - cell) < 1e-9
        except ValueError:
            return False
    return text == cell


def xlsx_value(value):
    if isinstance(value, datetime.datetime):
        return value.date().isoformat()
    if isinstance(value, (int, float)):
        return float(value)
    return value


def main(csv_path, xlsx_path):
    with open(csv_path, encoding="utf-8-sig", newline="") as f:
        from_csv = list(csv.DictReader(f, delimiter=";"))
    sheet = openpyxl.load_workbook(xlsx_path)["Dados"]
    table = [[xlsx_value(cell) for cell in row] for row in sheet.iter_rows(values_only=True)]
    header = table[0]
    if list(from_csv[0].keys()) != header:
        print("header of the workbook %r, of the CSV %r" % (header, list(from_csv[0].keys())))
        return 1
    rows = []
    for number, (fields, cells) in enumerate(zip(from_csv, table[1:]), start=2):
        row = dict(zip(header, cells))
        for name, text in fields.items():
            if not same(text, row[name]):
                print("row %d, %s: CSV %r, workbook %r" % (number, name, text, row[name]))
                return 1
        rows.append(row)
    if len(rows) != len(table) - 1 or len(rows) != len(from_csv):
        print("%d rows in the CSV, %d in the workbook" % (len(from_csv), len(table) - 1))
        return 1
    print(json.dumps({"header": header, "rows": rows}, ensure_ascii=False))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
