"""What a package left in a Wine prefix: the files under drive_c and the
registry's keys, before installing and after uninstalling.

    wine_traces.py snapshot PREFIX STATE.json
    wine_traces.py compare STATE.json PREFIX --guid GUID... --word WORD...

compare fails when, after the uninstall, the prefix holds a file or folder
or registry key that it did not hold before (other than the empty containers
Windows Installer makes for itself on its first use, which every Windows
has), or when any file name or any registry text (keys, value names, values)
names one of the GUIDs, braced or in Windows Installer's packed form, or
one of the words. Run it once the Wine server has written the registry
(wineserver -w).
"""
import argparse
import json
import os
import re
import sys

HIVES = ("system.reg", "user.reg", "userdef.reg")
# Windows Installer's own containers, made empty on its first install.
INSTALLER_CONTAINERS = {
    "drive_c/windows/Installer",
    r"system.reg:Software\Classes\Installer\Features",
    r"system.reg:Software\Classes\Installer\Products",
    r"system.reg:Software\Classes\Installer\UpgradeCodes",
    r"system.reg:Software\Microsoft\Windows\CurrentVersion\Installer\UpgradeCodes",
    r"system.reg:Software\Microsoft\Windows\CurrentVersion\Installer\UserData\S-1-5-18\Components",
    r"system.reg:Software\Microsoft\Windows\CurrentVersion\Installer\UserData\S-1-5-18\Products",
}


def packed(guid):
    """Windows Installer's packed GUID: the first three groups reversed, the
    rest in swapped pairs."""
    g = guid.strip("{}").replace("-", "").upper()
    return g[7::-1] + g[11:7:-1] + g[15:11:-1] + "".join(g[i + 1] + g[i] for i in range(16, 32, 2))


def hive_text(prefix, hive):
    path = os.path.join(prefix, hive)
    return open(path, encoding="utf-8", errors="replace").read() if os.path.exists(path) else ""


def state(prefix):
    entries = []
    for folder, dirs, files in os.walk(os.path.join(prefix, "drive_c")):
        for name in dirs + files:
            entries.append(os.path.relpath(os.path.join(folder, name), prefix))
    for hive in HIVES:
        for key in re.findall(r"^\[(.*)\](?: \d+)?$", hive_text(prefix, hive), re.M):
            entries.append(f"{hive}:{key.replace(chr(92) * 2, chr(92))}")
    return sorted(entries)


def is_key(entry):
    return entry.split(":", 1)[0] in HIVES


def compare(before_file, prefix, guids, words):
    before = set(json.load(open(before_file)))
    after = state(prefix)
    new = [entry for entry in after if entry not in before and entry not in INSTALLER_CONTAINERS]
    needles = [w.upper() for w in words] + [g.strip("{}").upper() for g in guids] + [packed(g) for g in guids]
    text = "\n".join(hive_text(prefix, hive) for hive in HIVES).upper()
    named = [n for n in needles if n in text or any(n in entry.upper() for entry in after if not is_key(entry))]
    files = sum(1 for entry in after if not is_key(entry))
    print(f"compared {files} files and folders under drive_c and {len(after) - files} registry keys "
          f"({', '.join(HIVES)}) with the state before the install; looked for {len(needles)} names "
          f"({', '.join(words)}, {len(guids)} GUIDs braced and packed) in file names and in every key, "
          f"value name and value")
    for entry in new:
        print(f"  left behind: {entry}")
    for needle in named:
        print(f"  still named: {needle}")
    return not new and not named


def main():
    parser = argparse.ArgumentParser()
    sub = parser.add_subparsers(dest="command", required=True)
    snap = sub.add_parser("snapshot")
    snap.add_argument("prefix")
    snap.add_argument("state")
    comp = sub.add_parser("compare")
    comp.add_argument("state")
    comp.add_argument("prefix")
    comp.add_argument("--guid", nargs="*", default=[])
    comp.add_argument("--word", nargs="*", default=[])
    args = parser.parse_args()
    if args.command == "snapshot":
        with open(args.state, "w") as out:
            json.dump(state(args.prefix), out)
        return 0
    if compare(args.state, args.prefix, args.guid, args.word):
        print("ok: the uninstall left nothing of ours")
        return 0
    print("FAILED: the uninstall left traces")
    return 1


if __name__ == "__main__":
    sys.exit(main())
