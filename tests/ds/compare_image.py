"""Decodes a BMP or TIFF with decoders of its own and compares it, pixel by
pixel, with the rows the test expects.

    compare_image.py FILE RAW WIDTH LENGTH BITS [--tiffinfo PATH --tiffdump PATH] [--dpi X Y]

RAW holds the expected rows top-down, unpadded: 1-bit pixels packed from the
high bit (1 is white), 8-bit grey bytes, 24-bit red, green, blue. Pillow
decodes every file; a TIFF is also read by libtiff: tiffdump for its
directory, tiffinfo -d for its strip. With --dpi, both must also report that
resolution in pixels per inch. Exit status 0 when all agree.
"""
import argparse
import re
import subprocess
import sys

try:
    from PIL import Image
except ImportError:
    sys.exit("Pillow is missing: run this with a python3 that has python3-pil")


def expected_pixels(raw, width, length, bits):
    row_bytes = (width * bits + 7) // 8
    if len(raw) != row_bytes * length:
        sys.exit(f"expected rows hold {len(raw)} bytes, not {row_bytes * length}")
    pixels = []
    for y in range(length):
        row = raw[y * row_bytes:(y + 1) * row_bytes]
        for x in range(width):
            if bits == 1:
                pixels.append(255 if row[x // 8] >> (7 - x % 8) & 1 else 0)
            elif bits == 8:
                pixels.append(row[x])
            else:
                pixels.append(tuple(row[3 * x:3 * x + 3]))
    return pixels


def decoded_pixels(path, bits):
    with Image.open(path) as image:
        image.load()
        mode = "RGB" if bits == 24 else "L"
        return image.size, list(image.convert(mode).getdata()), image.info.get("dpi")


def check_resolution(path, pillow_dpi, dpi, tiffinfo):
    if pillow_dpi is None or tuple(round(v) for v in pillow_dpi) != tuple(dpi):
        return f"Pillow: resolution {pillow_dpi}, expected {tuple(dpi)}"
    if tiffinfo:
        wanted = f"Resolution: {dpi[0]}, {dpi[1]} pixels/inch"
        if wanted not in run(tiffinfo, path):
            return f"tiffinfo: no '{wanted}'"
    return None


def compare(what, got, want, width):
    for i, (g, w) in enumerate(zip(got, want)):
        if g != w:
            return f"{what}: pixel ({i % width}, {i // width}) is {g}, expected {w}"
    return None


def run(tool, *args):
    result = subprocess.run([tool, *args], capture_output=True, text=True)
    if result.returncode != 0 or result.stderr.strip():
        sys.exit(f"{tool} {' '.join(args)} failed ({result.returncode}): {result.stderr.strip()}")
    return result.stdout


def tag_value(dump, name):
    match = re.search(rf"^{name} \(\d+\) \w+ \(\d+\) \d+<([^>]*)>", dump, re.MULTILINE)
    if not match:
        sys.exit(f"tiffdump shows no {name}")
    return match.group(1)


def check_with_libtiff(path, raw, width, length, bits, tiffinfo, tiffdump):
    dump = run(tiffdump, path)
    samples = 3 if bits == 24 else 1
    wanted = {
        "ImageWidth": str(width),
        "ImageLength": str(length),
        "BitsPerSample": "8 8 8" if bits == 24 else str(bits),
        "SamplesPerPixel": str(samples),
        "Compression": "1",
        "StripByteCounts": str(len(raw)),
    }
    for name, value in wanted.items():
        if tag_value(dump, name) != value:
            return f"tiffdump: {name} is {tag_value(dump, name)}, expected {value}"
    info = run(tiffinfo, "-d", path)
    strip = info.split("Strip 0:", 1)
    if len(strip) != 2:
        return "tiffinfo -d shows no strip"
    data = bytes(int(token, 16) for token in re.findall(r"\b[0-9a-f]{2}\b", strip[1]))
    if data != raw:
        first = next((i for i, (a, b) in enumerate(zip(data, raw)) if a != b), min(len(data), len(raw)))
        return f"tiffinfo -d: strip differs from byte {first} ({len(data)} bytes, expected {len(raw)})"
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("file")
    parser.add_argument("raw")
    parser.add_argument("width", type=int)
    parser.add_argument("length", type=int)
    parser.add_argument("bits", type=int, choices=(1, 8, 24))
    parser.add_argument("--tiffinfo")
    parser.add_argument("--tiffdump")
    parser.add_argument("--dpi", type=int, nargs=2)
    args = parser.parse_args()

    with open(args.raw, "rb") as f:
        raw = f.read()
    want = expected_pixels(raw, args.width, args.length, args.bits)
    size, got, pillow_dpi = decoded_pixels(args.file, args.bits)
    if size != (args.width, args.length):
        sys.exit(f"Pillow: size {size}, expected {(args.width, args.length)}")
    problem = compare("Pillow", got, want, args.width)
    with open(args.file, "rb") as f:
        is_tiff = f.read(4) == b"II*\0"
    if not problem and is_tiff:
        if not (args.tiffinfo and args.tiffdump):
            sys.exit("a TIFF needs --tiffinfo and --tiffdump")
        problem = check_with_libtiff(args.file, raw, args.width, args.length, args.bits,
                                     args.tiffinfo, args.tiffdump)
    if not problem and args.dpi:
        problem = check_resolution(args.file, pillow_dpi, args.dpi, args.tiffinfo if is_tiff else None)
    if problem:
        sys.exit(problem)


if __name__ == "__main__":
    main()
