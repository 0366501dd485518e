"""Reference for bench_tolvan: the export and import of a form-1887
declaration done by a short script with openpyxl in its fast modes
(write-only and read-only workbooks).

usage: openpyxl_exchange.py export[-default] DATA_FILE WORKBOOK TIME_FILE
       openpyxl_exchange.py import[-default] WORKBOOK DATA_FILE TIME_FILE

export: reads the key=value data file and writes the title row and one row per
line ("MAX_ROWS" lines of 19 fields, column A numbered from 1, values that are
numbers written as numbers). import: reads the first worksheet from row 2
until the first empty A cell into ITEM pairs and "MAX_ROWS", and writes them
as a data file. Each prints its own time into TIME_FILE. With "-default" the
script uses openpyxl's ordinary workbooks instead of the fast modes.
"""

import re
import sys
import time

import openpyxl

FIELDS = 19
TITLES = ["NUM", "RUT", "DV", "RENTA NETA", "IMPUESTO UNICO", "MAYOR RETENCION", "ENERO",
          "FEBRERO", "MARZO", "ABRIL", "MAYO", "JUNIO", "JULIO", "AGOSTO", "SEPTIEMBRE",
          "OCTUBRE", "NOVIEMBRE", "DICIEMBRE", "CERTIFICADO"]
WHOLE = re.compile(r"-?(0|[1-9][0-9]{0,14})$")


def read_pairs(path):
    with open(path, "rb") as f:
        data = f.read().decode("cp1252")
    pairs = {}
    for segment in data.split("&"):
        key, sep, value = segment.partition("=")
        if sep and key.upper() not in pairs:
            pairs[key.upper()] = value
    return pairs


def cell(value):
    return int(value) if WHOLE.match(value) else (value or None)


def export(source, target, fast=True):
    pairs = read_pairs(source)
    count = int(pairs.get("MAX_ROWS", "0") or 0)
    wb = openpyxl.Workbook(write_only=fast)
    if fast:
        ws = wb.create_sheet("Hoja1")
    else:
        ws = wb.active
        ws.title = "Hoja1"
    ws.append(TITLES)
    for i in range(1, count + 1):
        base = FIELDS * (i - 1) + 1
        ws.append([i] + [cell(pairs.get("ITEM%d" % (base + j), "")) for j in range(1, FIELDS)])
    wb.save(target)


def text(value):
    if value is None:
        return ""
    if isinstance(value, bool):
        return "TRUE" if value else "FALSE"
    if isinstance(value, float):
        return "%.15G" % value
    return str(value)


def import_(source, target, fast=True):
    wb = openpyxl.load_workbook(source, read_only=fast)
    ws = wb.worksheets[0]
    pairs = {}
    lines = 0
    item = 1
    for row in ws.iter_rows(min_row=2, max_col=FIELDS, values_only=True):
        if row[0] is None or row[0] == "":
            break
        for j in range(FIELDS):
            pairs["ITEM%d" % (item + j)] = text(row[j] if j < len(row) else None)
        item += FIELDS
        lines += 1
    wb.close()
    pairs["MAX_ROWS"] = str(lines)
    with open(target, "wb") as f:
        f.write("".join("%s=%s&" % kv for kv in pairs.items() if kv[1].strip()).encode("cp1252"))


def main(action, source, target, time_file):
    start = time.perf_counter()
    work = export if action.startswith("export") else import_
    work(source, target, fast=not action.endswith("-default"))
    elapsed = time.perf_counter() - start
    with open(time_file, "w") as f:
        f.write("%.6f\n" % elapsed)


if __name__ == "__main__":
    main(*sys.argv[1:5])
