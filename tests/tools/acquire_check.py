"""Runs qrscan against the real chain (Source Manager, QRVM.ds, the
simulated scanner) the way a user would, and checks what it leaves behind.

    acquire_check.py --list
    acquire_check.py CASE --qrscan PATH --bin DIR --tiffinfo PATH --tiffdump PATH --work DIR

Each case writes a [Simulator] section into a private sources folder that
holds copies of QRVM.ds and qvsmod.dll, runs qrscan there with TMPDIR pointed
at a folder of its own, and checks the exit status, the output, and every
file: BMP headers by hand, TIFF directories with tiffdump and tiffinfo, the
strip bytes with tiffinfo -d (libtiff), and the pixels with Pillow. The
pixels are compared one by one with the simulator's ramp pattern, computed
here from its formula, and for an enlarged image with the replication rule:
output pixel i shows source pixel floor((2i + 1) m / 2n), n/m the reduced
ratio of the requested to the scanned resolution.
"""
import argparse
import fcntl
import math
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import time

try:
    from PIL import Image
except ImportError:
    sys.exit("Pillow is missing: run this with a python3 that has python3-pil")

DEPTH = {0: 1, 1: 8, 2: 24}


# ---------------------------------------------------------------- the pattern

def ramp_row(ptype, width, y, page):
    """Row y of the ramp as rows are stored unpadded: 1-bit packed from the
    high bit (1 white), grey bytes, or red, green, blue."""
    if ptype == 2:
        row = bytearray(3 * width)
        for x in range(width):
            row[3 * x] = (x + 2 * y + 37 * page) & 255
            row[3 * x + 1] = (x + 5 * y + 11) & 255
            row[3 * x + 2] = (3 * x + y + 101) & 255
        return bytes(row)
    if ptype == 1:
        return bytes((x + 3 * y + 37 * page) & 255 for x in range(width))
    row = bytearray((width + 7) // 8)
    for x in range(width):
        if (x + y + page) % 3 == 0:
            row[x // 8] |= 0x80 >> (x % 8)
    return bytes(row)


def source_index(i, n, m):
    return (2 * i + 1) * m // (2 * n)


def unpack(row, ptype, width):
    """One value per pixel: (r, g, b) tuples, grey levels, or 0/1."""
    if ptype == 2:
        return [tuple(row[3 * x:3 * x + 3]) for x in range(width)]
    if ptype == 1:
        return list(row[:width])
    return [(row[x // 8] >> (7 - x % 8)) & 1 for x in range(width)]


def pack(values, ptype):
    if ptype == 2:
        return bytes(v for pixel in values for v in pixel)
    if ptype == 1:
        return bytes(values)
    row = bytearray((len(values) + 7) // 8)
    for x, bit in enumerate(values):
        if bit:
            row[x // 8] |= 0x80 >> (x % 8)
    return bytes(row)


def expected_rows(sheet, page):
    """The page as the application must receive it, top row first."""
    n, m = sheet["ratio"]
    width, length = sheet["width"], sheet["length"]
    out_w, out_l = width * n // m, length * n // m
    columns = [source_index(i, n, m) for i in range(out_w)]
    rows = []
    for j in range(out_l):
        source = unpack(ramp_row(sheet["ptype"], width, source_index(j, n, m), page), sheet["ptype"], width)
        rows.append(pack([source[k] for k in columns], sheet["ptype"]))
    return out_w, out_l, rows


# ------------------------------------------------------------------- readers

class Mismatch(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Mismatch(message)


def compare_rows(what, got_rows, want_rows, ptype, width):
    check(len(got_rows) == len(want_rows), f"{what}: {len(got_rows)} rows, expected {len(want_rows)}")
    for y, (got, want) in enumerate(zip(got_rows, want_rows)):
        if got == want:
            continue
        got_px, want_px = unpack(got, ptype, width), unpack(want, ptype, width)
        x = next(i for i in range(width) if got_px[i] != want_px[i])
        hint = ""
        if y > 0 and got == want_rows[y - 1] or y + 1 < len(want_rows) and got == want_rows[y + 1]:
            hint = " (the row belongs one row away)"
        elif ptype == 2 and got_px[x] == want_px[x][::-1]:
            hint = " (red and blue swapped)"
        raise Mismatch(f"{what}: pixel ({x}, {y}) is {got_px[x]}, expected {want_px[x]}{hint}")


def pillow_rows(path, ptype, width, length):
    with Image.open(path) as image:
        check(image.size == (width, length), f"Pillow: {path} is {image.size}, expected {(width, length)}")
        if ptype == 2:
            data = image.convert("RGB").tobytes()
            return [data[3 * width * y:3 * width * (y + 1)] for y in range(length)]
        grey = image.convert("L").tobytes()
        rows = [grey[width * y:width * (y + 1)] for y in range(length)]
        if ptype == 1:
            return rows
        for row in rows:
            check(all(v in (0, 255) for v in row), f"Pillow: {path} has greys in a black-and-white image")
        return [pack([1 if v else 0 for v in row], 0) for row in rows]


def check_bmp(path, ptype, width, length):
    data = open(path, "rb").read()
    check(data[:2] == b"BM", f"{path}: no BM signature")
    file_size, off_bits = struct.unpack_from("<I4xI", data, 2)
    header, w, h, planes, bits, compression, size_image = struct.unpack_from("<IiiHHII", data, 14)
    used = struct.unpack_from("<I", data, 46)[0]
    stride = (w * bits + 31) // 32 * 4
    palette = (used or (1 << bits if bits <= 8 else 0)) * 4
    check(file_size == len(data), f"{path}: bfSize {file_size}, the file has {len(data)} bytes")
    check((w, abs(h), bits, planes, compression) == (width, length, DEPTH[ptype], 1, 0),
          f"{path}: {w} x {h} at {bits} bits (planes {planes}, compression {compression})")
    check(off_bits == 14 + header + palette, f"{path}: bfOffBits {off_bits}, expected {14 + header + palette}")
    check(off_bits + stride * abs(h) <= len(data), f"{path}: the pixel array runs past the end")
    check(size_image in (0, stride * abs(h)), f"{path}: biSizeImage {size_image}, expected {stride * abs(h)}")


def tool_output(tool, *args):
    run = subprocess.run([tool, *args], capture_output=True, text=True, timeout=30)
    check(run.returncode == 0, f"{os.path.basename(tool)} {' '.join(args)} failed: {run.stderr.strip()}")
    return run.stdout


def check_tiff(path, ptype, width, length, rows, tools):
    dump = tool_output(tools.tiffdump, path)
    tags = {int(tag): value for tag, value in re.findall(r"\((\d+)\) \w+ \(\d+\) \d+<([^>]*)>", dump)}
    for tag in (256, 257, 258, 259, 262, 273, 277, 278, 279):
        check(tag in tags, f"tiffdump: {path} lacks tag {tag}")
    offset, count = int(tags[273]), int(tags[279])
    check(offset + count <= os.path.getsize(path), f"tiffdump: {path}: the strip runs past the end")
    info = tool_output(tools.tiffinfo, "-d", path)
    match = re.search(r"Image Width: (\d+) Image Length: (\d+)", info)
    check(match and (int(match[1]), int(match[2])) == (width, length), f"tiffinfo: {path}: wrong size")
    photometric = "RGB color" if ptype == 2 else "min-is-black"
    check(photometric in info, f"tiffinfo: {path} is not {photometric}")
    strip = bytes.fromhex(" ".join(re.findall(r"^ ((?:[0-9a-f]{2} ?)+)$", info.split("Strip 0:")[-1], re.M)))
    row_bytes = len(rows[0]) if rows else 0
    compare_rows(f"libtiff strip of {path}", [strip[row_bytes * y:row_bytes * (y + 1)] for y in range(length)],
                 rows, ptype, width)


def check_image(path, sheet, page, tools):
    width, length, rows = expected_rows(sheet, page)
    check(os.path.exists(path), f"{path} was not written")
    if path.lower().endswith(".bmp"):
        check_bmp(path, sheet["ptype"], width, length)
    else:
        check_tiff(path, sheet["ptype"], width, length, rows, tools)
    compare_rows(f"Pillow's {path}", pillow_rows(path, sheet["ptype"], width, length), rows, sheet["ptype"], width)


# --------------------------------------------------------------------- cases

def scan(ptype, width, length, dpi=100, requested=None, open_length=False, block_kb=None, **ini):
    """A page of width x length pixels scanned at dpi; with `requested` the
    session asks for more and the data source enlarges."""
    mils_w, mils_h = width * 1000 // dpi, length * 1000 // dpi
    assert mils_w * dpi == width * 1000 and mils_h * dpi == length * 1000, "pick sizes exact in mils"
    keys = {"PixelType": ptype, "Resolution": requested or dpi,
            "WidthInches": f"{mils_w // 1000}.{mils_w % 1000:03d}",
            "HeightInches": f"{mils_h // 1000}.{mils_h % 1000:03d}"}
    ratio = (1, 1)
    if requested:
        assert open_length and requested > 300, "the simulator enlarges only such pages"
        keys["OpticalResolution"] = dpi
        g = math.gcd(requested, dpi)
        ratio = (requested // g, dpi // g)
    if open_length:
        keys["UnknownLength"] = 1
    if block_kb:
        keys["BlockKB"] = block_kb
    keys.update(ini)
    return {"ptype": ptype, "width": width, "length": length, "ratio": ratio, "ini": keys}


CASES = {}


def case(name, sheet, args, exit_code=0, files=(), absent=(), output=None):
    CASES[name] = {"sheet": sheet, "args": args, "exit": exit_code, "files": list(files), "absent": list(absent),
                   "output": output}


def image_case(name, xfer, fmt, sheet):
    out = f"out.{fmt}"
    case(name, sheet, ["--xfer", xfer, "-o", out], files=[(out, 0)])


# Known length: the scan module delivers the image itself (a DIB, strips,
# the memory transfer's file, the application's file).
for xfer in ("native", "memory", "file"):
    for fmt in ("bmp", "tiff"):
        for ptype, size in ((0, (43, 21)), (1, (37, 23)), (2, (29, 17))):
            image_case(f"Direct{xfer.title()}{fmt.title()}Depth{DEPTH[ptype]}", xfer, fmt, scan(ptype, *size))
for ptype, size in ((0, (45, 19)), (1, (31, 22)), (2, (27, 26))):
    for fmt in ("bmp", "tiff"):
        image_case(f"MemoryThroughScanFile{fmt.title()}Depth{DEPTH[ptype]}", "memory", fmt,
                   scan(ptype, *size, FileMode=1, BlockKB=1))

# Open length: the data source pulls the page into its queue first; one
# block, or many of 1 KB.
for xfer in ("native", "memory", "file"):
    # At 1 KB a block these make 3, 3 and 4 blocks.
    for ptype, size in ((0, (53, 300)), (1, (61, 50)), (2, (40, 30))):
        fmt = "tiff" if ptype == 1 else "bmp"
        image_case(f"Queued{xfer.title()}Depth{DEPTH[ptype]}OneBlock", xfer, fmt,
                   scan(ptype, *size, open_length=True, block_kb=64))
        image_case(f"Queued{xfer.title()}Depth{DEPTH[ptype]}ManyBlocks", xfer,
                   "bmp" if fmt == "tiff" else "tiff", scan(ptype, *size, open_length=True, block_kb=1))

# Enlarged: scanned at 300 dpi, asked for 400 (4/3), 450 (3/2) or 600 (2/1).
for xfer in ("native", "memory", "file"):
    for ptype, requested in ((0, 400), (1, 450), (2, 600), (2, 400)):
        for fmt in ("bmp", "tiff"):
            image_case(f"Enlarged{xfer.title()}{fmt.title()}Depth{DEPTH[ptype]}To{requested}", xfer, fmt,
                       scan(ptype, 45, 33, dpi=300, requested=requested, open_length=True, block_kb=1))
case("EnlargedWhenAskedThroughSet", scan(1, 45, 33, dpi=300, requested=400, open_length=True, Resolution=300),
     ["--xfer", "memory", "--set", "ICAP_XRESOLUTION=400", "-o", "out.tif"], files=[("out.tif", 0)])

# Spooled: more than the data source keeps in memory (about 512 KB).
for xfer, fmt in (("native", "bmp"), ("memory", "tiff"), ("file", "tiff")):
    image_case(f"Spooled{xfer.title()}", xfer, fmt, scan(2, 520, 410, open_length=True, block_kb=16))
image_case("SpooledAndEnlarged", "memory", "bmp",
           scan(1, 600, 450, dpi=300, requested=400, open_length=True, block_kb=8))

# Jobs of several pages.
case("BatchGivesOneFilePerPage", scan(2, 20, 10, Pages=3), ["--xfer", "memory", "-b", "-o", "page%02d.tif"],
     files=[("page01.tif", 0), ("page02.tif", 1), ("page03.tif", 2)], absent=["page04.tif"])
case("FeederJobProfileInBatch", scan(1, 30, 20, Profile="feeder-job", Resolution=100),
     ["--xfer", "native", "--batch", "-o", "sheet%d.bmp"],
     files=[(f"sheet{p + 1}.bmp", p) for p in range(5)], absent=["sheet6.bmp"])
case("WithoutBatchOnlyTheFirstPage", scan(0, 20, 10, Pages=3), ["--xfer", "file", "-o", "page%d.bmp"],
     files=[("page1.bmp", 0)], absent=["page2.bmp"])
case("QueuedBatch", scan(0, 24, 12, open_length=True, Pages=2), ["--xfer", "file", "-b", "-o", "p%d.tif"],
     files=[("p1.tif", 0), ("p2.tif", 1)])

# Failures a script must be able to tell apart.
SMALL = (1, 16, 200)  # four blocks of 1 KB
case("ScannerFailureIsATwainFailure", scan(*SMALL, FailAtBlock=2, BlockKB=1),
     ["--xfer", "memory", "-o", "out.tif"], exit_code=2, absent=["out.tif"], output=r"TWCC_OPERATIONERROR")
case("ScannerCancelIsACancel", scan(*SMALL, CancelAtBlock=2, BlockKB=1),
     ["--xfer", "memory", "-o", "out.tif"], exit_code=3, absent=["out.tif"], output=r"page 1 was cancelled")
# A reception the scanner cancelled: the memory and TIFF file transfers
# answer TWRC_CANCEL, the native transfer TWRC_FAILURE.
for xfer, code in (("native", 2), ("memory", 3), ("file", 3)):
    case(f"CancelledReception{xfer.title()}", scan(*SMALL, open_length=True, block_kb=1, CancelAtBlock=3),
         ["--xfer", xfer, "-o", "out.tif"], exit_code=code, absent=["out.tif"])
case("CancelInTheSecondPageKeepsTheFirst", scan(1, 16, 8, Pages=2, CancelAtBlock=1, FaultPage=2),
     ["--xfer", "native", "-b", "-o", "p%d.bmp"], exit_code=3, files=[("p1.bmp", 0)], absent=["p2.bmp"])
case("ScannerSwitchedOff", scan(*SMALL, Connect=0), ["-o", "out.bmp"], exit_code=2, absent=["out.bmp"],
     output=r"opening the data source failed")
# The data source must fail cleanly, and delete the scan module's file.
for fault in ("short", "missing", "nooffset", "badcount"):
    case(f"BadScanFile{fault.title()}Fails", scan(*SMALL, FileMode=1, FileFault=fault),
         ["--xfer", "memory", "-o", "out.tif"], exit_code=2, absent=["out.tif"])
case("MissingApplicationFileIsNoticed", scan(*SMALL, FileFault="missing"), ["--xfer", "file", "-o", "out.tif"],
     exit_code=2, absent=["out.tif"], output=r"no such file")
case("UnwritableOutputIsAnIOError", scan(*SMALL), ["--xfer", "memory", "-o", "missing-folder/out.tif"],
     exit_code=4, output=r"cannot write missing-folder/out.tif")
case("BatchWithoutPageNumberIsAUsageError", scan(*SMALL), ["-b", "-o", "out.tif"], exit_code=1,
     output=r"--batch needs a page number")
case("UnknownCapabilityIsAUsageError", scan(*SMALL), ["--set", "ICAP_NOSUCH=1"], exit_code=1,
     output=r"unknown capability 'ICAP_NOSUCH'")
case("BadCapabilityValueIsAUsageError", scan(*SMALL), ["--set", "ICAP_PIXELTYPE=TWPT_PURPLE"], exit_code=1,
     output=r"'TWPT_PURPLE' is no value for ICAP_PIXELTYPE")
case("RefusedCapabilityIsATwainFailure", scan(*SMALL), ["--set", "ICAP_XRESOLUTION=650"], exit_code=2,
     output=r"setting ICAP_XRESOLUTION to 650 failed: TWRC_FAILURE, TWCC_BADVALUE")

# Setting capabilities, listing them, and the trace.
case("PixelTypeSetByName", scan(2, 18, 12), ["--set", "icap_pixeltype=twpt_gray", "-x", "memory", "-o", "o.tif"],
     files=[("o.tif", 0)], output=r"Page 1: +18 x 12 pixels, 8 bits per pixel, grey")
CASES["PixelTypeSetByName"]["sheet"]["ptype"] = 1
case("ListsCapabilities", scan(*SMALL), ["-A"],
     output=r"ICAP_PIXELTYPE +TWPT_GRAY \(default TWPT_GRAY\) \[TWPT_BW, TWPT_GRAY, TWPT_RGB\].*"
            r"ICAP_XRESOLUTION +100 \(default 100\) \[36, 72, 100,")
case("ListsWhatATwain24SourceSupports", scan(*SMALL), ["-A"],
     output=r"Protocol: +2\.4.*the source's CAP_SUPPORTEDCAPS.*"
            r"CAP_XFERCOUNT +-1 \(default -1\) \{GET GETCURRENT GETDEFAULT SET RESET\}.*"
            r"CAP_DEVICEONLINE +TRUE \(default TRUE\) \[TRUE\] \{GET GETCURRENT GETDEFAULT\}.*"
            r"ICAP_PHYSICALHEIGHT +2 \(default 2\) \{GET GETCURRENT GETDEFAULT\}")
CASES["ListsWhatATwain24SourceSupports"]["sheet"]["protocol"] = "2.4"
case("TraceNamesEveryTriplet", scan(*SMALL), ["--trace", "-x", "memory", "-o", "o.tif"], files=[("o.tif", 0)],
     output=r"trace: DG_CONTROL DAT_CAPABILITY MSG_SET ICAP_XFERMECH -> TWRC_SUCCESS.*"
            r"trace: DG_IMAGE DAT_IMAGEMEMXFER MSG_GET -> TWRC_XFERDONE.*"
            r"trace: DG_CONTROL DAT_PENDINGXFERS MSG_ENDXFER -> TWRC_SUCCESS")
case("TraceShowsTheConditionCode", scan(*SMALL), ["--trace", "--set", "ICAP_XRESOLUTION=650"], exit_code=2,
     output=r"trace: DG_CONTROL DAT_CAPABILITY MSG_SET ICAP_XRESOLUTION -> TWRC_FAILURE \(TWCC_BADVALUE\)")
case("ProgressOfAMemoryTransfer", scan(1, 40, 200, BlockKB=1), ["-p", "-x", "memory", "-o", "o.tif"],
     files=[("o.tif", 0)], output=r"page 1: +\d+% \(25 of 200 rows\).*page 1: 100% \(200 of 200 rows\)")

# Ctrl-C: deterministic points to press it, read from qrscan's own output.
CASES["CtrlCDuringASpooledTransfer"] = {
    "sheet": scan(2, 600, 480, open_length=True, block_kb=4), "signal_after": r"page 1: ",
    "args": ["-p", "--trace", "-x", "memory", "-o", "big.tif"], "exit": 3, "files": [], "absent": ["big.tif"],
    "output": r"DAT_IMAGEMEMXFER MSG_GET -> TWRC_CANCEL.*page 1 was cancelled"}
CASES["CtrlCWhileWaitingForTheUser"] = {
    "sheet": scan(*SMALL, AutoScan=0), "signal_after": r"Groups:", "args": ["--ui", "-o", "out.bmp"], "exit": 3,
    "files": [], "absent": ["out.bmp"], "output": r"cancelled before an image was ready"}


# ------------------------------------------------------------------- running

def prepare(work, sheet, bin_dir):
    shutil.rmtree(work, ignore_errors=True)
    sources, temp = os.path.join(work, "sources"), os.path.join(work, "tmp")
    os.makedirs(sources)
    os.makedirs(temp)
    for module in ("QRVM.ds", "qvsmod.dll"):
        shutil.copy(os.path.join(bin_dir, module), sources)
    with open(os.path.join(sources, "QRVM.INI"), "w") as ini:
        ini.write("[Scanner]\nScanDll=qvsmod.dll\n")
        if "protocol" in sheet:
            ini.write(f"[Source]\nProtocol={sheet['protocol']}\n")
        ini.write("[Simulator]\n")
        ini.writelines(f"{key}={value}\n" for key, value in sheet["ini"].items())
    # The stand-in Source Manager, whatever else is installed.
    env = dict(os.environ, WINDIR=bin_dir, QR_TWAIN_DSM=os.path.join(bin_dir, "TWAIN_32.DLL"),
               QR_TWAIN_SOURCES=sources, TMPDIR=temp, QR_NO_TERMINAL_PROGRESS="1")
    env.pop("QR_DSM_LOG", None)
    return env, temp


def run_plain(command, env, work):
    run = subprocess.run(command, cwd=work, env=env, capture_output=True, text=True, timeout=60)
    return run.returncode, run.stdout + run.stderr


def run_with_signal(command, env, work, pattern):
    """Starts qrscan, presses Ctrl-C (SIGINT) once its output matches
    `pattern`, and collects the rest. The output goes through a pipe of one
    page that is not read while the signal is on its way, so qrscan stalls a
    few dozen strips further on instead of racing to the end."""
    read_end, write_end = os.pipe()
    fcntl.fcntl(write_end, fcntl.F_SETPIPE_SZ, 4096)
    process = subprocess.Popen(command, cwd=work, env=env, stdout=write_end, stderr=write_end)
    os.close(write_end)
    text, pending, sent = "", b"", False
    deadline = time.time() + 30
    while time.time() < deadline:
        chunk = os.read(read_end, 256)
        if not chunk:
            break
        pending += chunk
        *lines, pending = pending.split(b"\n")
        for line in lines:
            text += line.decode(errors="replace") + "\n"
            if not sent and re.search(pattern, text):
                process.send_signal(signal.SIGINT)
                sent = True
                time.sleep(0.3)
    os.close(read_end)
    if time.time() >= deadline:
        process.kill()
    process.wait(timeout=30)
    text += pending.decode(errors="replace")
    if not sent:
        text += "\n(acquire_check: never saw the point to press Ctrl-C)"
    return process.returncode, text


def run_case(name, args):
    c = CASES[name]
    work = os.path.abspath(args.work)
    env, temp = prepare(work, c["sheet"], os.path.abspath(args.bin))
    command = [os.path.abspath(args.qrscan), *c["args"]]
    if "signal_after" in c:
        code, text = run_with_signal(command, env, work, c["signal_after"])
    else:
        code, text = run_plain(command, env, work)
    print(f"$ {' '.join(command)}\n{text}")
    check(code == c["exit"], f"qrscan exited with {code}, expected {c['exit']}")
    if c["output"]:
        check(re.search(c["output"], text, re.S), f"the output does not match {c['output']!r}")
    for file_name, page in c["files"]:
        check_image(os.path.join(work, file_name), c["sheet"], page, args)
    for file_name in c["absent"]:
        check(not os.path.exists(os.path.join(work, file_name)), f"{file_name} was left behind")
    left = os.listdir(temp)
    check(not left, f"the temporary folder still holds {left}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("case", nargs="?")
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--qrscan")
    parser.add_argument("--bin")
    parser.add_argument("--tiffinfo")
    parser.add_argument("--tiffdump")
    parser.add_argument("--work")
    args = parser.parse_args()
    if args.list:
        print(";".join(CASES))
        return 0
    try:
        run_case(args.case, args)
    except Mismatch as problem:
        print(f"FAILED: {problem}")
        return 1
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
