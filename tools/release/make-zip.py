#!/usr/bin/env python3
"""Writes a zip that depends only on its inputs' bytes:
make-zip.py OUT.zip EPOCH NAME=PATH...

Entries in the order given, each dated EPOCH (seconds, shown in UTC whatever
TZ says), with fixed permissions (0755 for .exe, else 0644), no extra fields,
no directory entries; umask, LANG and the files' own dates play no part.
"""
import sys
import time
import zipfile


def main(out, epoch, entries):
    date = time.gmtime(max(int(epoch), 315532800))[:6]  # zip dates start in 1980
    with zipfile.ZipFile(out, "w") as archive:
        for entry in entries:
            name, path = entry.split("=", 1)
            info = zipfile.ZipInfo(name, date_time=date)
            info.create_system = 3  # Unix, so that the permissions below are read
            info.external_attr = (0o100755 if name.endswith(".exe") else 0o100644) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as source:
                archive.writestr(info, source.read(), compresslevel=9)


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2], sys.argv[3:])
