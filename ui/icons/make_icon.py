#!/usr/bin/env python3
"""Turns a text-art icon source into a Windows .ico file.

    make_icon.py SOURCE.txt OUTPUT.ico

The source holds "colour <char> <RRGGBB>" lines, then one or more
"image <size>" blocks of <size> rows of <size> characters each; "." is a
transparent pixel and "#" starts a comment line. Each image becomes a 32-bit
entry (blue, green, red, alpha, bottom-up) with its 1-bit mask, which every
Windows since XP and Wine read. Only the standard library is used, so the
build needs nothing beyond Python 3.
"""
import struct
import sys


class SourceError(Exception):
    pass


def parse(text):
    colours = {".": None}
    images = []
    current = None
    for number, raw in enumerate(text.splitlines(), 1):
        line = raw.strip()
        if not line or line.startswith("#"):
            continue
        words = line.split()
        if words[0] == "colour" and len(words) == 3 and len(words[1]) == 1:
            colours[words[1]] = int(words[2], 16)
        elif words[0] == "image" and len(words) == 2:
            size = int(words[1])
            if not 1 <= size <= 256:
                raise SourceError(f"line {number}: image size {size} out of 1..256")
            current = (size, [])
            images.append(current)
        elif current is not None:
            size, rows = current
            if len(line) != size or len(rows) == size:
                raise SourceError(f"line {number}: expected {size} rows of {size} pixels")
            unknown = set(line) - set(colours)
            if unknown:
                raise SourceError(f"line {number}: no colour for {''.join(sorted(unknown))}")
            rows.append(line)
        else:
            raise SourceError(f"line {number}: pixels before any 'image' line")
    for size, rows in images:
        if len(rows) != size:
            raise SourceError(f"image {size}: {len(rows)} rows instead of {size}")
    if not images:
        raise SourceError("no image")
    return colours, images


def image_bytes(colours, size, rows):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    mask = bytearray()
    mask_row_bytes = ((size + 31) // 32) * 4
    for row in reversed(rows):  # bottom-up
        bits = bytearray(mask_row_bytes)
        for x, char in enumerate(row):
            colour = colours[char]
            if colour is None:
                pixels += b"\0\0\0\0"
                bits[x // 8] |= 0x80 >> (x % 8)
            else:
                pixels += bytes((colour & 0xFF, (colour >> 8) & 0xFF, colour >> 16, 0xFF))
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def build_icon(colours, images):
    bodies = [image_bytes(colours, size, rows) for size, rows in images]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for (size, _), body in zip(images, bodies):
        side = size if size < 256 else 0
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(body), offset)
        offset += len(body)
    return directory + entries + b"".join(bodies)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], encoding="ascii") as source:
        try:
            colours, images = parse(source.read())
        except SourceError as error:
            sys.stderr.write(f"{argv[1]}: {error}\n")
            return 1
    with open(argv[2], "wb") as out:
        out.write(build_icon(colours, images))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
