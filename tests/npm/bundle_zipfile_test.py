#!/usr/bin/env python3
"""A bundle read with Python's zipfile, a reader independent of libzip: every CRC, one PNG a
frame of every action of the sheet's tags as character.json counts them, each the sheet's
cell that sheet.json names, and the README. Usage: bundle_zipfile_test.py BUNDLE.zip"""
import json
import struct
import sys
import zipfile
import zlib


def decode_png(data):
    """8-bit RGB or RGBA, not interlaced, as RGBA rows."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "a PNG"
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and colour in (2, 6)
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw, stride = zlib.decompress(idat), width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b, c = previous[i], previous[i - channels] if i >= channels else 0
            if kind == 1: line[i] = (line[i] + a) & 255
            elif kind == 2: line[i] = (line[i] + b) & 255
            elif kind == 3: line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(line) if channels == 4 else
                    b"".join(bytes(line[x * 3:x * 3 + 3]) + b"\xff" for x in range(width)))
        previous = line
    return width, height, rows


def main(bundle):
    failures = []
    with zipfile.ZipFile(bundle) as archive:
        bad = archive.testzip()
        if bad:
            failures.append("bad CRC: " + bad)
        names = archive.namelist()
        character = json.loads(archive.read("character.json"))
        sheet = json.loads(archive.read("sheet.json"))
        readme = archive.read("README.txt").decode()
        # The actions of the sheet's tags, with the frame counts character.json gives them.
        counts = {f"m{m['motion']}-d{d['direction']}": d["frames"]
                  for m in character["motions"] for d in m["directions"]}
        tags = [tag["name"] for tag in sheet["meta"]["frameTags"]]
        expected = [f"frames/{tag}-f{f}.png" for tag in tags for f in range(1, counts[tag] + 1)]
        frames = [name for name in names if name.startswith("frames/")]
        if frames != expected:
            failures.append(f"{len(frames)} frames, {len(expected)} listed in character.json")
        for name in ("sheet.png", "sheet.json", "character.json", "README.txt"):
            if name not in names:
                failures.append("no " + name)
        if archive.getinfo(frames[0]).compress_type != zipfile.ZIP_STORED:
            failures.append("pictures are stored, already compressed")
        if archive.getinfo("sheet.json").compress_type != zipfile.ZIP_DEFLATED:
            failures.append("texts are deflated")
        if "frames/m{M}-d{D}-f{F}.png" not in readme or "character.json" not in readme:
            failures.append("the README says what is what")
        _, _, cells = decode_png(archive.read("sheet.png"))
        for name in frames:
            key = name[len("frames/"):-len(".png")]
            cell = sheet["frames"][key]["frame"]
            width, height, rows = decode_png(archive.read(name))
            if (width, height) != (cell["w"], cell["h"]):
                failures.append(key + " is not the size of its cell")
                continue
            for y in range(height):
                want = cells[cell["y"] + y][cell["x"] * 4:(cell["x"] + width) * 4]
                if rows[y] != want:
                    failures.append(f"{key} differs from its cell in row {y}")
                    break
    for failure in failures:
        print("FAIL " + failure)
    print(f"{len(failures)} failures" if failures else f"ok: {len(names)} entries")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
