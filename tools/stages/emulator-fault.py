#!/usr/bin/env python3
"""Tells whether a failed test run under qemu's emulation failed for the
emulator's own fault, so that one more run is fair: Wine reported an
illegal instruction, at an address outside the program's own module (code
Wine made at run time, or one of its DLLs), and no check had failed before.
  tools/stages/emulator-fault.py LOG MODULE
Exit 0 with the reason on standard output when it did; 1 with the reason
on standard error when the failure is the program's or the test's own."""
import re
import sys

UNHANDLED = re.compile(r"Unhandled illegal instruction at address ([0-9A-Fa-f]+)")
WINEDBG = re.compile(r"Unhandled exception: illegal instruction in \d+-bit code \(0x([0-9A-Fa-f]+)\)")
MODULE = re.compile(r"^(?:PE|ELF)\s+([0-9A-Fa-f]+)-\s*([0-9A-Fa-f]+)\s+\S+(?:\s+\S+)*?\s+(\S+)\s*$")
FAILURE = re.compile(r"(: Failure$|^\[  FAILED  \] [A-Za-z0-9_]+\.)")


def verdict(lines, module):
    fault = None
    for number, line in enumerate(lines):
        if FAILURE.search(line) and fault is None:
            return False, f"a check failed before any emulator fault (line {number + 1}: {line.strip()})"
        m = UNHANDLED.search(line) or WINEDBG.search(line)
        if m and fault is None:
            fault = int(m.group(1), 16)
    if fault is None:
        return False, "no illegal instruction was reported"
    ranges = [(int(m.group(1), 16), int(m.group(2), 16))
              for m in map(MODULE.match, lines) if m and m.group(3).lower() == module.lower()]
    if not ranges:
        return False, f"an illegal instruction at {fault:#x}, but the debugger listed no module {module} to place it"
    if any(start <= fault < end for start, end in ranges):
        return False, f"an illegal instruction at {fault:#x}, inside {module} itself"
    return True, f"the emulator stopped a thread on an illegal instruction at {fault:#x}, outside {module}"


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    with open(argv[1], encoding="utf-8", errors="replace") as f:
        lines = f.read().splitlines()
    ok, why = verdict(lines, argv[2])
    print(why, file=sys.stdout if ok else sys.stderr)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
