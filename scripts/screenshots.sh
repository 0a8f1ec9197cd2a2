#!/usr/bin/env bash
# Takes the pictures of the progress dialog and the debug dialog that the
# README shows (docs/*.png), under Wine in a virtual display, from an
# existing 64-bit Windows build:
#   scripts/screenshots.sh [BUILD_DIR]     (default build-win-x86_64)
# Run scripts/test-wine.sh on the build once first: it makes the Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-win-x86_64}
cmake --build "$build" -j"${JOBS:-2}" --target dialog_screenshots
bin=$(cd "$build/bin" && pwd)
export WINEPREFIX
WINEPREFIX=$(cd "$build" && pwd)/wine-prefix
export WINEDEBUG=-all
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
(cd "$shots" && xvfb-run -a -s "-screen 0 1024x768x24" /usr/lib/wine/wine64 "$bin/dialog_screenshots.exe" \
  progress.bmp debug.bmp)
/usr/lib/wine/wineserver -k 2>/dev/null || true

mkdir -p docs
python3 - "$shots" docs <<'PY'
import struct, sys, zlib

def bmp_to_png(source, target):
    """A 24-bit BMP as an 8-bit RGB PNG, with nothing but the standard library."""
    data = open(source, "rb").read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24:
        raise SystemExit(f"{source}: {bits} bits per pixel, expected 24")
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    for y in range(abs(height)):
        source_row = abs(height) - 1 - y if height > 0 else y
        bgr = data[offset + source_row * stride: offset + source_row * stride + width * 3]
        rgb = bytearray(width * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
        rows.append(b"\0" + bytes(rgb))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    header = struct.pack(">IIBBBBB", width, abs(height), 8, 2, 0, 0, 0)
    with open(target, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                  + chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))

shots, docs = sys.argv[1], sys.argv[2]
bmp_to_png(f"{shots}/progress.bmp", f"{docs}/progress-dialog.png")
bmp_to_png(f"{shots}/debug.bmp", f"{docs}/debug-dialog.png")
PY
echo "Wrote docs/progress-dialog.png and docs/debug-dialog.png"
