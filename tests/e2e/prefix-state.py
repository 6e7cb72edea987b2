#!/usr/bin/env python3
"""Prints the state of a Wine prefix and of a program's folder, one sorted
line per file and per registry value, so that two states compare with comm:
  prefix-state.py PREFIX FOLDER
Files are named by path, size and modification time; registry values by hive,
key and value as Wine saves them (the keys' save times left out). The
program's folder is shown as <folder>, and the program's name as <program>.
"""
import os
import re
import sys

prefix, folder = (os.path.realpath(p) for p in sys.argv[1:3])
programs = [n for n in os.listdir(folder) if n.lower().endswith(".exe")]


def normalise(text):
    for name in programs:
        text = re.sub(re.escape(name), "<program>", text, flags=re.I)
        text = re.sub(re.escape(name[:-4]), "<program>", text, flags=re.I)
    return text


def files(root, label):
    for top, dirs, names in os.walk(root):
        dirs[:] = [d for d in dirs if not os.path.islink(os.path.join(top, d))]
        for name in names:
            path = os.path.join(top, name)
            if os.path.islink(path) or (top == prefix and name.endswith(".reg")):
                continue
            info = os.stat(path)
            rel = os.path.relpath(path, root)
            yield normalise(f"file {label}/{rel} size {info.st_size} mtime {info.st_mtime_ns}")


def registry(hive):
    path = os.path.join(prefix, hive)
    if not os.path.exists(path):
        return
    key = None
    with open(path, encoding="utf-8", errors="replace") as reg:
        lines = reg.read().replace("\\\n", "").splitlines()
    for line in lines:
        m = re.match(r"^\[(.*)\]( \d+)?$", line)
        if m:
            key = m.group(1)
            yield normalise(f"key {hive} [{key}]")
        elif key is not None and line and not line.startswith("#") and not line.startswith(";"):
            yield normalise(f"value {hive} [{key}] {line}")


lines = set(files(prefix, "<prefix>")) | set(files(folder, "<folder>"))
for hive in ("system.reg", "user.reg", "userdef.reg"):
    lines |= set(registry(hive))
sys.stdout.write("".join(f"{line}\n" for line in sorted(lines)))
