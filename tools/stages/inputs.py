#!/usr/bin/env python3
"""The key of a stage's inputs, for ./test.sh to skip a stage whose inputs
have not changed since its last passing run:
  tools/stages/inputs.py [--with TEXT]... PATH...
prints one hash over the names and contents of the files under the PATHs
that git tracks or would track (committed or not, untracked but not
ignored), and each TEXT (tool versions, settings). A file changed, added,
removed or renamed under a PATH changes the key."""
import hashlib
import subprocess
import sys


def key(paths, texts=(), cwd="."):
    listed = subprocess.run(["git", "ls-files", "-z", "-co", "--exclude-standard", "--", *paths],
                            cwd=cwd, check=True, capture_output=True).stdout
    digest = hashlib.sha256()
    for text in texts:
        digest.update(b"with\0" + text.encode() + b"\0")
    for name in sorted(set(listed.split(b"\0")) - {b""}):
        digest.update(b"file\0" + name + b"\0")
        try:
            with open(f"{cwd}/{name.decode()}", "rb") as f:
                digest.update(hashlib.sha256(f.read()).digest())
        except FileNotFoundError:  # tracked, but gone from the work tree
            digest.update(b"gone")
    return digest.hexdigest()


def main(args):
    texts = []
    while args[:1] == ["--with"] and len(args) > 1:
        texts.append(args[1])
        args = args[2:]
    if not args:
        print(__doc__.split("\n")[2].strip(), file=sys.stderr)
        return 2
    print(key(args, texts))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
