#!/usr/bin/env python3
"""Checks the shipped Windows programs: hardening fields and stated minimum in
their PE headers, and their import table against the reviewed list.

  tools/release/pe-check.py EXE...                  check (the architecture is read from each file)
  tools/release/pe-check.py --update-imports EXE... rewrite tests/release/imports-<arch>.txt from EXE

A missing field, or an import that is not in the reviewed list, fails with the
difference printed. Review a new import (is it in Windows 7? if not, look it
up at run time with a fallback) before --update-imports takes it in.
"""
import pathlib
import re
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
OBJDUMP = "x86_64-w64-mingw32-objdump"  # reads both PE32 and PE32+

ARCHES = {"pei-i386": "win32", "pei-x86-64": "win64"}

# (what, field, expected): a field of `objdump -p`, or a DllCharacteristics flag.
COMMON = [
    ("Windows GUI program", "Subsystem", "00000002"),
    ("subsystem version 6.1 (Windows 7)", "MajorSubsystemVersion", "6"),
    ("", "MinorSubsystemVersion", "1"),
    ("OS version 6.1 (Windows 7)", "MajorOSystemVersion", "6"),
    ("", "MinorOSystemVersion", "1"),
    ("ASLR", "flag", "DYNAMIC_BASE"),
    ("DEP", "flag", "NX_COMPAT"),
    ("terminal-server aware", "flag", "TERMINAL_SERVICE_AWARE"),
]
ONLY = {"win32": [], "win64": [("high-entropy ASLR", "flag", "HIGH_ENTROPY_VA")]}


def objdump(args, exe):
    return subprocess.run([OBJDUMP, *args, str(exe)], check=True, capture_output=True, text=True).stdout


def arch_of(exe):
    match = re.search(r"file format (\S+)", objdump(["-f"], exe))
    if not match or match.group(1) not in ARCHES:
        sys.exit(f"{exe}: not a Windows x86 program")
    return ARCHES[match.group(1)]


def header_fields(text):
    fields, flags = {}, set()
    in_flags = False
    for line in text.splitlines():
        m = re.match(r"^(\w+)\s+(\S+)", line)
        if m:
            fields[m.group(1)] = m.group(2)
            in_flags = m.group(1) == "DllCharacteristics"
        elif in_flags and re.match(r"^\s+[A-Z_]+$", line):
            flags.add(line.strip())
        else:
            in_flags = False
    return fields, flags


def pe_checksum(data, checksum_offset):
    """The PE image checksum, as Windows' CheckSumMappedFile computes it."""
    total = 0
    padded = data + b"\0" * (len(data) % 2)
    for i in range(0, len(padded), 2):
        if i in (checksum_offset, checksum_offset + 2):
            continue
        total += padded[i] | padded[i + 1] << 8
        total = (total & 0xFFFF) + (total >> 16)
    return ((total & 0xFFFF) + (total >> 16)) + len(data)


def check_fields(exe, arch):
    text = objdump(["-p"], exe)
    fields, flags = header_fields(text)
    failures = []
    for what, field, expected in COMMON + ONLY[arch]:
        actual = "present" if field == "flag" and expected in flags else fields.get(field, "missing")
        ok = actual == "present" if field == "flag" else actual == expected
        if not ok:
            failures.append(f"{what or field}: {field if field != 'flag' else expected} is {actual}, want {expected}")
    if not re.search(r"\s\.reloc\s", objdump(["-h"], exe)):
        failures.append("no .reloc section: DYNAMIC_BASE would have no effect")
    data = pathlib.Path(exe).read_bytes()
    pe = int.from_bytes(data[0x3C:0x40], "little")
    checksum_offset = pe + 4 + 20 + 64
    stored = int.from_bytes(data[checksum_offset:checksum_offset + 4], "little")
    if stored != pe_checksum(data, checksum_offset):
        failures.append(f"PE checksum {stored:08x} is not the file's ({pe_checksum(data, checksum_offset):08x})")
    return failures


def imports(exe):
    found, dll = set(), None
    for line in objdump(["-p"], exe).splitlines():
        m = re.match(r"^\tDLL Name: (\S+)", line)
        if m:
            dll = m.group(1).lower()
            continue
        m = re.match(r"^\t[0-9a-f]+\s+\d+\s+(\S+)", line)
        if dll and m:
            found.add(f"{dll} {m.group(1)}")
        elif not line.strip():
            dll = None
    return found


def list_path(arch):
    return ROOT / "tests" / "release" / f"imports-{arch}.txt"


def read_list(arch):
    path = list_path(arch)
    if not path.exists():
        return set()
    return {line.strip() for line in path.read_text().splitlines() if line.strip() and not line.startswith("#")}


HEADER = """# The functions convert.exe ({arch}) imports, reviewed: each one is in Windows 7,
# the stated minimum. Anything newer is looked up at run time with a fallback.
# Regenerate after a review: tools/release/pe-check.py --update-imports build/{arch}/app/convert.exe
"""


def main(argv):
    update = "--update-imports" in argv
    exes = [a for a in argv if a != "--update-imports"]
    if not exes:
        sys.exit(__doc__)
    failed = False
    for exe in exes:
        arch = arch_of(exe)
        found = imports(exe)
        if not found:
            # A program imports from kernel32 at least: none found means the
            # table was not read, and nothing below would be checked.
            print(f"FAIL {exe} ({arch}): no import found in `objdump -p` (its format changed?)")
            failed = True
            continue
        if update:
            list_path(arch).write_text(HEADER.format(arch=arch) + "".join(f"{i}\n" for i in sorted(found)))
            print(f"{list_path(arch).relative_to(ROOT)}: {len(found)} imports written")
            continue
        failures = check_fields(exe, arch)
        reviewed = read_list(arch)
        new, gone = sorted(found - reviewed), sorted(reviewed - found)
        if new:
            failures.append(f"imports not in {list_path(arch).relative_to(ROOT)} (review them, then "
                            f"tools/release/pe-check.py --update-imports {exe}):\n" + "".join(f"  + {i}\n" for i in new))
        for line in failures:
            print(f"FAIL {exe} ({arch}): {line}")
        if gone:
            print(f"note {exe}: no longer imported (--update-imports drops them): " + ", ".join(gone))
        if not failures:
            print(f"ok {exe} ({arch}): subsystem 6.1, ASLR with relocations, DEP, TS-aware"
                  f"{', high-entropy ASLR' if arch == 'win64' else ''}, checksum valid, "
                  f"{len(found)} imports all reviewed")
        failed = failed or bool(failures)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
