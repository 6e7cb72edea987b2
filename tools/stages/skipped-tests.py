#!/usr/bin/env python3
"""Lists the GoogleTest tests that skipped themselves, and the checks a test
said it could not make ("note: not checked: ..."), each with its reason, from
test output: plain logs, ctest's JUnit files, and the Windows test bundle's
runner, which prints them itself ("  Suite.Test: skipped: reason").
  tools/stages/skipped-tests.py FILE...   one line each: "Suite.Test: reason"
Files that do not exist are passed over."""
import re
import sys
import xml.etree.ElementTree as ET

# gtest: "file:line: Skipped", the message lines, then "[  SKIPPED ] Suite.Test (N ms)".
# Logs may quote test output behind "  | ".
QUOTE = re.compile(r"^\s*\|\s?")
SKIPPED = re.compile(r"^\[  SKIPPED \] ([A-Za-z0-9_]+\.[A-Za-z0-9_/]+) \(")
NOT_CHECKED = re.compile(r"^note: not checked: (.*)")
RUN = re.compile(r"^\[ RUN      \] ([A-Za-z0-9_]+\.[A-Za-z0-9_/]+)")
RUNNER = re.compile(r"^\s+((?:a test|[A-Za-z0-9_]+\.[A-Za-z0-9_/]+): (?:skipped|not checked): .*)")


def scan(text):
    found = []
    test, reason = None, None
    for raw in text.splitlines():
        line = QUOTE.sub("", raw.rstrip("\r"))
        if m := RUNNER.match(line):
            found.append(m.group(1))
        elif m := RUN.match(line):
            test, reason = m.group(1), None
        elif line.endswith(": Skipped"):
            reason = []
        elif m := SKIPPED.match(line):
            why = " ".join(r.strip() for r in (reason or []) if r.strip()) or "no reason given"
            found.append(f"{m.group(1)}: skipped: {why}")
            reason = None
        elif m := NOT_CHECKED.match(line):
            found.append(f"{test or 'a test'}: not checked: {m.group(1)}")
        elif reason is not None:
            reason.append(line)
    return found


def texts(path):
    try:
        if path.endswith(".xml"):
            for out in ET.parse(path).getroot().iter("system-out"):
                yield out.text or ""
        else:
            with open(path, encoding="utf-8", errors="replace") as f:
                yield f.read()
    except FileNotFoundError:
        return
    except ET.ParseError as e:
        print(f"{path}: unreadable JUnit file ({e})")


def main(paths):
    seen = set()
    for path in paths:
        for text in texts(path):
            for line in scan(text):
                if line not in seen:
                    seen.add(line)
                    print(line)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
