#!/usr/bin/env python3
"""Checks the exports of a Windows build with the mingw objdump.

    check-exports.py BUILD_DIR

The Source Manager finds DS_Entry, and the scan module finds ReadytoScan and
ReadytoCloseSM, by their plain names, and calls them with the Windows
standard calling convention: on 32-bit Windows the callee removes its
arguments from the stack. A decorated name ("DS_Entry@20") would not be
found; a cdecl function would leave the caller's stack 20 bytes off. So:

- QRVM.ds exports exactly DS_Entry, ReadytoScan and ReadytoCloseSM, by those
  names; qvsmod.dll exports its fourteen operations, and the three optional
  ones the data source looks for, by their plain names.
- On i686, the function behind each export is the __stdcall one (its symbol
  is decorated with the size of its arguments), and every return in it
  removes that many bytes: "ret $0x14" for DS_Entry's five arguments,
  "ret $0x4" for ReadytoScan, a plain "ret" for ReadytoCloseSM.
- On x86_64 there is one calling convention; the exports must be the plain
  functions themselves.

Exits non-zero, listing every fault, when a check fails.
"""
import os
import re
import subprocess
import sys

DATA_SOURCE_EXPORTS = {"DS_Entry": 20, "ReadytoScan": 4, "ReadytoCloseSM": 0}
SCAN_MODULE_EXPORTS = [
    "GetProductName", "ConnectScanner", "GetDefValue", "SetDefValue", "OpenSMUI",
    "CkUseBufXfer", "UpdateImageInfo", "Button_Scan", "GetSMImage_Buf",
    "GetSMImage_File", "GetSMImage_DIB", "CloseSMUI", "NoUItoXferImage",
    "CheckScanJob", "GetOpticalResolution", "GetGlassSize", "IsDeviceOnline",
]
OBJDUMP = {"pei-i386": "i686-w64-mingw32-objdump", "pei-x86-64": "x86_64-w64-mingw32-objdump"}


def run(tool, *args):
    return subprocess.run([tool, *args], check=True, capture_output=True, text=True).stdout


def file_format(path):
    for tool in OBJDUMP.values():
        try:
            match = re.search(r"file format (\S+)", run(tool, "-f", path))
        except (OSError, subprocess.CalledProcessError):
            continue
        if match and match.group(1) in OBJDUMP:
            return match.group(1)
    raise SystemExit(f"{path}: not a PE image either objdump reads")


def exports(tool, path):
    """Export name -> absolute address."""
    text = run(tool, "-p", path)
    base = int(re.search(r"^ImageBase\s+([0-9a-fA-F]+)", text, re.M).group(1), 16)
    rvas = [int(m.group(1), 16) for m in re.finditer(r"^\s*\[\s*\d+\] \+base\[\s*\d+\] ([0-9a-fA-F]+) Export RVA", text, re.M)]
    names = {}
    table = text.split("[Ordinal/Name Pointer] Table", 1)
    if len(table) == 2:
        for m in re.finditer(r"^\s*\[\s*(\d+)\] (\S+)\s*$", table[1], re.M):
            index = int(m.group(1))
            if index < len(rvas):
                names[m.group(2)] = base + rvas[index]
    return names


def functions(tool, path):
    """Symbol -> (address, [return instructions]) from the disassembly."""
    found = {}
    current = None
    for line in run(tool, "-d", "--no-show-raw-insn", path).splitlines():
        header = re.match(r"^([0-9a-f]+) <([^>]+)>:$", line)
        if header:
            current = header.group(2)
            found[current] = (int(header.group(1), 16), [])
        elif current and re.search(r":\s+ret[lq]?\b", line):
            found[current][1].append(line.split(":", 1)[1].strip())
    return found


def check_data_source(tool, path, i686, faults):
    exported = exports(tool, path)
    if set(exported) != set(DATA_SOURCE_EXPORTS):
        faults.append(f"{path}: exports {sorted(exported)}, expected {sorted(DATA_SOURCE_EXPORTS)}")
    code = functions(tool, path)
    for name, argument_bytes in DATA_SOURCE_EXPORTS.items():
        if name not in exported:
            continue
        symbol = f"_{name}@{argument_bytes}" if i686 else name
        if symbol not in code:
            faults.append(f"{path}: no function {symbol} (wrong calling convention or argument size)")
            continue
        address, returns = code[symbol]
        if address != exported[name]:
            faults.append(f"{path}: export {name} is at {exported[name]:#x}, not at {symbol} ({address:#x})")
        if not i686:
            continue
        expected = f"ret    $0x{argument_bytes:x}" if argument_bytes else "ret"
        if not returns:
            faults.append(f"{path}: {symbol} has no return instruction to check")
        for instruction in returns:
            if " ".join(instruction.split()) != " ".join(expected.split()):
                faults.append(f"{path}: {symbol} returns with '{instruction}', expected '{expected}'")


def check_scan_module(tool, path, faults):
    exported = exports(tool, path)
    missing = [name for name in SCAN_MODULE_EXPORTS if name not in exported]
    if missing:
        faults.append(f"{path}: missing plain-named exports {missing} (has {sorted(exported)})")


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    bin_dir = os.path.join(argv[1], "bin")
    data_source = os.path.join(bin_dir, "QRVM.ds")
    scan_module = os.path.join(bin_dir, "qvsmod.dll")
    kind = file_format(data_source)
    tool = OBJDUMP[kind]
    faults = []
    check_data_source(tool, data_source, kind == "pei-i386", faults)
    check_scan_module(tool, scan_module, faults)
    for fault in faults:
        print(f"export check: {fault}", file=sys.stderr)
    if not faults:
        print(f"export check: {kind}: DS_Entry, ReadytoScan, ReadytoCloseSM and the scan module's operations are exported as expected")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
