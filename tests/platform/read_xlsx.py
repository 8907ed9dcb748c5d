"""Prints what openpyxl reads from a workbook as JSON, for the Excel tests:
cell values and kinds, number formats, fonts, fills, borders, alignment,
merged ranges, row breaks, sizes, pictures and page setup of the first sheet.
Usage: read_xlsx.py FILE"""
import datetime
import json
import sys
import xml.etree.ElementTree as ElementTree
import zipfile

import openpyxl


def colour(c):
    if c is None or c.type != "rgb" or not isinstance(c.rgb, str):
        return None
    return c.rgb[-6:]


def drawing_pictures(file_name):
    """openpyxl keeps pictures only with Pillow; their anchors are read from
    the drawing part directly: the cell of the top-left corner and the size
    in pixels (9525 EMU each)."""
    ns = {"xdr": "http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing",
          "a": "http://schemas.openxmlformats.org/drawingml/2006/main"}
    pictures = []
    with zipfile.ZipFile(file_name) as archive:
        for name in sorted(n for n in archive.namelist() if n.startswith("xl/drawings/drawing")):
            root = ElementTree.fromstring(archive.read(name))
            for anchor in root:
                start = anchor.find("xdr:from", ns)
                extent = anchor.find(".//a:xfrm/a:ext", ns)
                if start is None or extent is None or anchor.find("xdr:pic", ns) is None:
                    continue
                pictures.append({"col": int(start.find("xdr:col", ns).text) + 1,
                                 "row": int(start.find("xdr:row", ns).text) + 1,
                                 "w": round(int(extent.get("cx")) / 9525),
                                 "h": round(int(extent.get("cy")) / 9525)})
    return pictures


def main():
    book = openpyxl.load_workbook(sys.argv[1])
    sheet = book.worksheets[0]
    cells = {}
    for row in sheet.iter_rows():
        for c in row:
            if c.__class__.__name__ == "MergedCell":
                continue
            value = c.value
            if isinstance(value, datetime.datetime):
                value = value.isoformat()
            entry = {
                "v": value,
                "t": c.data_type,
                "nf": c.number_format,
                "font": {
                    "name": c.font.name,
                    "size": c.font.sz,
                    "b": bool(c.font.b),
                    "i": bool(c.font.i),
                    "u": c.font.u,
                    "color": colour(c.font.color),
                },
                "fill": colour(c.fill.fgColor) if c.fill.fill_type == "solid" else None,
                "border": "".join(k for k in "lrtb" if getattr(c.border, {"l": "left", "r": "right", "t": "top",
                                                                           "b": "bottom"}[k]).style),
                "h": c.alignment.horizontal,
                "v_align": c.alignment.vertical,
                "wrap": bool(c.alignment.wrap_text),
                "rot": c.alignment.textRotation,
            }
            cells[c.coordinate] = entry
    pictures = drawing_pictures(sys.argv[1])
    out = {
        "cells": cells,
        "merged": sorted(str(r) for r in sheet.merged_cells.ranges),
        "breaks": [b.id for b in sheet.row_breaks.brk],
        "rows": {str(k): v.height for k, v in sheet.row_dimensions.items() if v.height is not None},
        "cols": {k: v.width for k, v in sheet.column_dimensions.items() if v.customWidth},
        "pictures": pictures,
        "margins": [sheet.page_margins.left, sheet.page_margins.right, sheet.page_margins.top,
                    sheet.page_margins.bottom],
        "orientation": sheet.page_setup.orientation,
        "paper": int(sheet.page_setup.paperSize or 0),
        "max_row": sheet.max_row,
        "max_col": sheet.max_column,
    }
    json.dump(out, sys.stdout)


main()
