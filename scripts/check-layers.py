#!/usr/bin/env python3
"""Checks that each folder of the data source uses only the folders below it:

    entry  (DS_Entry, every triplet handler, every state change)
    xfer   (the four consumers: native bitmap, BMP file, TIFF file, strips)
    image  (reception, queue, spool, the one reader of the current image)
    caps   (the negotiated settings and their answers)
    startup (the modules bound at start-up, the scan-module adapter)
    ui     (the dialogs and the message pump)
    include/ and platform/ lie below them all.

Two views of the same rule: every #include of a source file, and every
symbol an object file of the build uses (nm), which catches an `extern`
declared by hand. Exit status 1, with each offending edge, when a folder
reaches up the stack.

    check-layers.py SOURCE_DIR OBJECT_DIR

OBJECT_DIR is the data source's object folder in a build
(BUILD/CMakeFiles/qrvm_ds.dir).
"""
import os
import re
import subprocess
import sys

STACK = ["ui", "startup", "caps", "image", "xfer", "entry"]  # bottom first
LEVEL = {folder: level for level, folder in enumerate(STACK)}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def included_folder(source_folder, source_dir, target):
    """The layer folder an include names, or None for include/ and platform/."""
    first = target.split("/", 1)[0]
    if "/" in target and first in LEVEL:
        return first
    if os.path.exists(os.path.join(source_dir, source_folder, target)):
        return source_folder
    return None


def check_includes(source_dir):
    problems = []
    for folder in STACK:
        for name in sorted(os.listdir(os.path.join(source_dir, folder))):
            if not name.endswith((".cpp", ".h")):
                continue
            with open(os.path.join(source_dir, folder, name), encoding="utf-8", errors="replace") as f:
                text = f.read()
            for target in INCLUDE.findall(text):
                used = included_folder(folder, source_dir, target)
                if used and LEVEL[used] > LEVEL[folder]:
                    problems.append(f"{folder}/{name} includes {target} ({used} is above {folder})")
    return problems


def symbols(obj, *flags):
    out = subprocess.run(["nm", "-C", *flags, obj], capture_output=True, text=True, check=True).stdout
    return [line.split(None, 2)[-1] for line in out.splitlines() if line.strip()]


def check_symbols(source_dir, object_dir):
    objects = {}  # folder -> object files of sources that still exist (a build folder keeps stale ones)
    for folder in STACK:
        path = os.path.join(object_dir, folder)
        if os.path.isdir(path):
            objects[folder] = [os.path.join(path, n) for n in sorted(os.listdir(path))
                               if n.endswith(".o") and os.path.exists(os.path.join(source_dir, folder, n[:-2]))]
    if not objects:
        return [f"no object files of the data source under {object_dir}"]
    owner = {}  # symbol -> folder that defines it
    for folder, files in objects.items():
        for obj in files:
            for line in subprocess.run(["nm", "-C", "--defined-only", obj], capture_output=True, text=True,
                                       check=True).stdout.splitlines():
                parts = line.split(None, 2)
                if len(parts) == 3 and parts[1] in "TDBRGVW":
                    owner.setdefault(parts[2], folder)
    problems = []
    for folder, files in objects.items():
        for obj in files:
            for symbol in symbols(obj, "-u"):
                used = owner.get(symbol)
                if used and LEVEL[used] > LEVEL[folder]:
                    problems.append(f"{folder}/{os.path.basename(obj)} uses {symbol} ({used} is above {folder})")
    return problems


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    problems = check_includes(sys.argv[1]) + check_symbols(sys.argv[1], sys.argv[2])
    for problem in problems:
        print(problem)
    if problems:
        return 1
    print("every folder uses only the folders below it")
    return 0


if __name__ == "__main__":
    sys.exit(main())
