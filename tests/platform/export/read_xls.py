"""Reads an exported workbook with xlrd and prints what it holds as JSON:
sheet names, every cell's type and value, bold and number format per cell,
merged ranges, column widths, row heights, fonts and each sheet's print setup. With --stream NAME it prints the size and
MD5 of one compound-file stream instead; with --extsst it checks that every
EXTSST bucket points at the start of its shared string."""
import hashlib
import json
import struct
import sys

import xlrd
import xlrd.compdoc


def stream_digest(path, name):
    with open(path, "rb") as f:
        data = f.read()
    doc = xlrd.compdoc.CompDoc(data, logfile=sys.stderr)
    stream = doc.get_named_stream(name)
    return {"size": len(stream), "md5": hashlib.md5(stream).hexdigest()}


def records(stream):
    pos = 0
    while pos + 4 <= len(stream):
        rtype, size = struct.unpack_from("<HH", stream, pos)
        yield pos, rtype, stream[pos + 4:pos + 4 + size]
        if rtype == 0x000A and pos > 0:
            return  # the globals' EOF
        pos += 4 + size


def extsst(path):
    with open(path, "rb") as f:
        stream = xlrd.compdoc.CompDoc(f.read(), logfile=sys.stderr).get_named_stream("Workbook")
    book = xlrd.open_workbook(path, on_demand=True)  # keeps the shared strings
    shared = book._sharedstrings
    starts = []  # (record start, record end) of SST and its CONTINUE records
    buckets = None
    dsst = 0
    for pos, rtype, data in records(stream):
        if rtype in (0x00FC, 0x003C):
            starts.append((pos, pos + 4 + len(data)))
        elif rtype == 0x00FF:
            dsst = struct.unpack_from("<H", data, 0)[0]
            buckets = [struct.unpack_from("<IH", data, 2 + 8 * i) for i in range((len(data) - 2) // 8)]
    problems = []
    if buckets is None:
        problems.append("no EXTSST")
        buckets = []
    expected = (len(shared) + dsst - 1) // dsst if dsst else -1
    if len(buckets) != expected:
        problems.append("%d buckets for %d strings of %d per bucket" % (len(buckets), len(shared), dsst))
    for k, (ib, cb) in enumerate(buckets):
        holder = [s for s in starts if s[0] <= ib < s[1]]
        if not holder or ib - holder[0][0] != cb:
            problems.append("bucket %d: offset %d does not match its record" % (k, cb))
            continue
        cch, flags = struct.unpack_from("<HB", stream, ib)
        width = 2 if flags & 1 else 1
        take = min(cch, (holder[0][1] - ib - 3) // width)
        raw = stream[ib + 3:ib + 3 + take * width]
        text = raw.decode("utf-16-le") if width == 2 else raw.decode("latin-1")
        want = shared[k * dsst]
        if cch != len(want.encode("utf-16-le")) // 2 or not want.startswith(text):
            problems.append("bucket %d does not start string %d" % (k, k * dsst))
    return {"buckets": len(buckets), "perBucket": dsst, "problems": problems}


def print_setup(path):
    """Each worksheet's WSBOOL fit-to-page flag and its SETUP: fit width and
    height, landscape, and whether it is selected (WINDOW2)."""
    with open(path, "rb") as f:
        stream = xlrd.compdoc.CompDoc(f.read(), logfile=sys.stderr).get_named_stream("Workbook")
    offsets = [struct.unpack_from("<I", data, 0)[0] for _, rtype, data in records(stream) if rtype == 0x0085]
    setups = []
    for start in offsets:
        pos, found = start, {}
        while pos + 4 <= len(stream):
            rtype, size = struct.unpack_from("<HH", stream, pos)
            data = stream[pos + 4:pos + 4 + size]
            if rtype == 0x0081:
                found["fitToPage"] = bool(struct.unpack_from("<H", data)[0] & 0x0100)
            elif rtype == 0x00A1:
                _, _, _, width, height, flags = struct.unpack_from("<6H", data)
                found.update(fitWidth=width, fitHeight=height, landscape=not flags & 0x0002)
            elif rtype == 0x023E:
                found["selected"] = bool(struct.unpack_from("<H", data)[0] & 0x0200)
            elif rtype == 0x000A:
                break
            pos += 4 + size
        setups.append(found)
    return setups


def workbook(path):
    book = xlrd.open_workbook(path, formatting_info=True)
    setups = print_setup(path)
    sheets = []
    for sheet in book.sheets():
        rows = []
        for r in range(sheet.nrows):
            cells = []
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                xf = book.xf_list[cell.xf_index]
                font = book.font_list[xf.font_index]
                fmt = book.format_map[xf.format_key].format_str
                cells.append({"type": cell.ctype, "value": cell.value,
                              "bold": bool(font.bold), "format": fmt,
                              "align": xf.alignment.hor_align,
                              "height": font.height, "font": font.name,
                              "italic": bool(font.italic),
                              "wrap": bool(xf.alignment.text_wrapped)})
            rows.append(cells)
        sheets.append({"name": sheet.name, "rows": rows,
                       "merged": [list(m) for m in sheet.merged_cells],
                       "widths": {str(c): info.width for c, info in sheet.colinfo_map.items()},
                       "rowHeights": {str(r): info.height for r, info in sheet.rowinfo_map.items()},
                       "setup": setups[len(sheets)]})
    return {"sheets": sheets}


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[2] == "--extsst":
        result = extsst(sys.argv[1])
    elif len(sys.argv) == 4 and sys.argv[2] == "--stream":
        result = stream_digest(sys.argv[1], sys.argv[3])
    else:
        result = workbook(sys.argv[1])
    json.dump(result, sys.stdout, ensure_ascii=True)
