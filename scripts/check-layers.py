#!/usr/bin/env python3
"""The program's layers, checked over the include lines of src/.

Each folder of src/ stands on a floor; a file may include its own folder's
files and those of lower floors, never a folder of its own floor or of a
higher one. With --draw, prints the floors and what each folder uses.
Exit status 1, with each include that runs up or sideways named, when the
code says otherwise.
"""
import pathlib
import re
import sys

# Lowest first. Folders on one floor know nothing of each other.
FLOORS = [
    ["actual", "platform"],         # the date test; the system's facilities
    ["widgets", "interchange"],     # controls and pictures; the file formats
    ["info"],                       # the information and message windows
    ["tasks", "archive"],           # subsystems: store, format mapping, page
    ["appointments"],               # (its calendar files carry the tasks too)
    ["addressbook"],
    ["sync"],                       # CalDAV and CardDAV over the stores
    ["app"],                        # the program: windows and wiring
]
FLOOR = {folder: n for n, floor in enumerate(FLOORS) for folder in floor}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def main() -> int:
    src = pathlib.Path(__file__).resolve().parent.parent / "src"
    faults = []
    uses = {folder: set() for folder in FLOOR}
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        folder = path.relative_to(src).parts[0]
        if folder not in FLOOR:
            faults.append(f"{path.relative_to(src)}: folder {folder}/ stands on no floor")
            continue
        for name in INCLUDE.findall(path.read_text(encoding="utf-8")):
            parts = name.split("/")
            if len(parts) == 1:
                if not (path.parent / name).exists() and not name.endswith(".moc"):
                    faults.append(f"{path.relative_to(src)}: \"{name}\" is no file of {folder}/")
                continue
            target = parts[0]
            if target == folder:
                continue
            if target not in FLOOR:
                faults.append(f"{path.relative_to(src)}: \"{name}\" names no folder of src/")
            elif FLOOR[target] >= FLOOR[folder]:
                faults.append(f"{path.relative_to(src)}: \"{name}\" is on floor {FLOOR[target]},"
                              f" {folder}/ on floor {FLOOR[folder]}")
            else:
                uses[folder].add(target)
    if "--draw" in sys.argv:
        for n in reversed(range(len(FLOORS))):
            for folder in FLOORS[n]:
                below = ", ".join(sorted(uses[folder], key=lambda f: (-FLOOR[f], f)))
                print(f"{n}  {folder + '/':14} {('→ ' + below) if below else ''}")
    for fault in faults:
        print(fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
