#!/usr/bin/env python3
"""What the shipped .exe is made of: builds the program of a Windows preset
(win32, the shipped 32-bit build, by default) and prints its stripped size and
the bytes it takes from each library and object, largest first, read from the
linker's map file (app/convert.map beside the program).

    bench/size-report.py [PRESET] [TOP]     (default: win32 20)
    bench/size-report.py --map FILE [TOP]   (a map file of any build)

Counts the input sections placed in the image's loaded sections (.bss and
debug sections excluded: they take no room in a stripped file) and prints
them by library, then by library member or object file, largest first.
"""
import collections
import os
import pathlib
import re
import subprocess
import sys

LOADED = re.compile(r"^\.(text|data|rdata|eh_frame|pdata|xdata|idata|CRT|tls|rsrc|reloc|edata)\b")
ENTRY = re.compile(r"^ (\S+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$")
FILL = re.compile(r"^ \*fill\*\s+0x[0-9a-f]+\s+0x([0-9a-f]+)")


def owner(path):
    """(library, member) for lib.a(member.o); (object, object) otherwise."""
    if re.search(r"ltrans[0-9]*\.ltrans\.o$", path):
        return "program code (link-time optimised)", "program code (link-time optimised)"
    m = re.match(r"^(.*?)\((.*)\)$", path)
    if m:
        return os.path.basename(m.group(1)), m.group(2)
    return os.path.basename(path), os.path.basename(path)


def report(map_file, top):
    lines = open(map_file, encoding="utf-8", errors="replace").read().split("\n")
    start = next(i for i, l in enumerate(lines) if l.startswith("Linker script and memory map"))
    by_lib = collections.Counter()
    by_obj = collections.Counter()
    fill = 0
    output = None
    pending = None  # an input section name whose address wrapped to the next line
    for line in lines[start:]:
        if line and not line[0].isspace():
            output = line.split()[0]
            pending = None
            continue
        if output is None or not LOADED.match(output):
            continue
        m = FILL.match(line)
        if m:
            fill += int(m.group(1), 16)
            continue
        if pending is not None and line.startswith("                0x"):
            line = " " + pending + " " + line.strip()
            pending = None
        m = ENTRY.match(line)
        if m and m.group(1) and m.group(1).startswith("."):
            size = int(m.group(3), 16)
            if size:
                lib, member = owner(m.group(4).strip())
                by_lib[lib] += size
                by_obj[(lib, member)] += size
            continue
        stripped = line.strip()
        if line.startswith(" .") and len(stripped.split()) == 1:
            pending = stripped
    total = sum(by_lib.values())
    print(f"{'bytes':>8}  library (loaded sections; total {total}, alignment fill {fill})")
    for lib, size in by_lib.most_common():
        print(f"{size:8d}  {lib}")
    print()
    print(f"{'bytes':>8}  object (largest {top})")
    for (lib, member), size in by_obj.most_common(top):
        print(f"{size:8d}  {member}" + ("" if lib == member else f"  [{lib}]"))


def main(args):
    if args[:1] == ["--map"]:
        report(args[1], int(args[2]) if len(args) > 2 else 20)
        return
    preset = args[0] if args else "win32"
    top = int(args[1]) if len(args) > 1 else 20
    root = pathlib.Path(__file__).resolve().parents[1]
    subprocess.run(["cmake", "--preset", preset], cwd=root, check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", "--preset", preset, "--target", "convert"], cwd=root, check=True,
                   stdout=subprocess.DEVNULL)
    exe = root / "build" / preset / "app" / "convert.exe"
    print(f"build/{preset}/app/convert.exe: {exe.stat().st_size} bytes stripped\n")
    report(exe.with_name("convert.map"), top)


if __name__ == "__main__":
    main(sys.argv[1:])
