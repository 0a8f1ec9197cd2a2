"""Checks a page that qrscan saved from the simulated scanner of an installed
package: its size, and every pixel against the simulator's ramp as
tests/tools/acquire_check.py computes it (Pillow reads the file).

    check_page.py FILE --ptype 0|1|2 --width W --length L
"""
import argparse
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
from acquire_check import Mismatch, compare_rows, expected_rows, pillow_rows  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("file")
    parser.add_argument("--ptype", type=int, choices=(0, 1, 2), required=True)
    parser.add_argument("--width", type=int, required=True)
    parser.add_argument("--length", type=int, required=True)
    args = parser.parse_args()
    sheet = {"ptype": args.ptype, "width": args.width, "length": args.length, "ratio": (1, 1)}
    width, length, rows = expected_rows(sheet, 0)
    try:
        if not os.path.exists(args.file):
            raise Mismatch("it was not written")
        compare_rows(args.file, pillow_rows(args.file, args.ptype, width, length), rows, args.ptype, width)
    except Mismatch as problem:
        print(f"FAILED: {args.file}: {problem}")
        return 1
    print(f"ok: {args.file}: {width} x {length}, every pixel as scanned")
    return 0


if __name__ == "__main__":
    sys.exit(main())
