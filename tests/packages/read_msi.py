"""Reads a Windows package with msitools, as Windows Installer would, and
checks it against the build it was made from:

    read_msi.py PACKAGE.msi --arch x86|x64 --bin BUILD/bin

- it is a package for that architecture (summary template, 64-bit
  components only in the 64-bit one, the modules' PE machine type);
- extracted, it is exactly QRVM.ds, qvsmod.dll and QRVM.INI in
  twain_32/QRVM or twain_64/QRVM, byte for byte the build's files;
- the version of each module's version resource is the one in the file
  table and the product's version;
- QRVM.INI's component never overwrites an existing file.

Exits 1 with the first difference found.
"""
import argparse
import os
import struct
import subprocess
import sys
import tempfile

MACHINE = {"x86": 0x14C, "x64": 0x8664}
TEMPLATE = {"x86": "Intel;1033", "x64": "x64;1033"}
FOLDER = {"x86": "twain_32/QRVM", "x64": "twain_64/QRVM"}
FILES = ("QRVM.ds", "qvsmod.dll", "QRVM.INI")
COMPONENT_64BIT, NEVER_OVERWRITE = 0x100, 0x80


class Mismatch(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Mismatch(message)


def msiinfo(*args):
    return subprocess.run(["msiinfo", *args], capture_output=True, text=True, check=True).stdout


def table(package, name):
    """Rows of a table as dictionaries (the export's first line names the
    columns, the next two are types and keys)."""
    lines = msiinfo("export", package, name).splitlines()
    columns = lines[0].split("\t")
    return [dict(zip(columns, line.split("\t"))) for line in lines[3:]]


def pe_facts(path):
    """The PE machine type and the file version of the version resource
    (VS_FIXEDFILEINFO, found by its signature)."""
    data = open(path, "rb").read()
    check(data[:2] == b"MZ", f"{path} is not a PE file")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    check(data[pe:pe + 4] == b"PE\0\0", f"{path} has no PE header")
    machine = struct.unpack_from("<H", data, pe + 4)[0]
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    check(at >= 0, f"{path} has no version resource")
    ms, ls = struct.unpack_from("<II", data, at + 8)
    return machine, f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"


def inspect(package, arch, bin_dir):
    summary = msiinfo("suminfo", package)
    check(f"Template: {TEMPLATE[arch]}" in summary, f"the summary's template is not {TEMPLATE[arch]}")
    properties = {row["Property"]: row["Value"] for row in table(package, "Property")}
    version = properties["ProductVersion"]
    files = {row["File"]: row for row in table(package, "File")}
    check(sorted(files) == sorted(FILES), f"the package holds {sorted(files)}")
    for row in table(package, "Component"):
        attributes = int(row["Attributes"])
        check(bool(attributes & COMPONENT_64BIT) == (arch == "x64"), f"component {row['Component']} is of the wrong width")
        if row["KeyPath"] == "QRVM.INI":
            check(attributes & NEVER_OVERWRITE, "QRVM.INI's component overwrites a changed file")

    with tempfile.TemporaryDirectory() as out:
        subprocess.run(["msiextract", "-C", out, package], capture_output=True, check=True)
        found = sorted(os.path.relpath(os.path.join(d, f), out) for d, _, names in os.walk(out) for f in names)
        check(found == sorted(f"{FOLDER[arch]}/{name}" for name in FILES), f"the package installs {found}")
        for name in FILES:
            with open(os.path.join(out, FOLDER[arch], name), "rb") as got, open(os.path.join(bin_dir, name), "rb") as want:
                check(got.read() == want.read(), f"{name} in the package is not the build's")
        for name in ("QRVM.ds", "qvsmod.dll"):
            machine, file_version = pe_facts(os.path.join(out, FOLDER[arch], name))
            check(machine == MACHINE[arch], f"{name} is for machine {machine:#x}, not {arch}")
            check(file_version == files[name]["Version"] == f"{version}.0",
                  f"{name}: version resource {file_version}, file table {files[name]['Version']}, product {version}")
    return properties


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("package")
    parser.add_argument("--arch", choices=sorted(MACHINE), required=True)
    parser.add_argument("--bin", required=True)
    args = parser.parse_args()
    try:
        properties = inspect(args.package, args.arch, args.bin)
    except Mismatch as problem:
        print(f"FAILED: {args.package}: {problem}")
        return 1
    print(f"ok: {os.path.basename(args.package)}: {properties['ProductName']} {properties['ProductVersion']} "
          f"by {properties['Manufacturer']}, {FOLDER[args.arch]}, upgrade code {properties['UpgradeCode']}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
