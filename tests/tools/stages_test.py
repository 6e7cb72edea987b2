#!/usr/bin/env python3
"""The helpers that decide what ./test.sh reports and runs: which tests
skipped (tools/stages/skipped-tests.py), whether a failed walk under qemu
earns a rerun (tools/stages/emulator-fault.py), and whether a stage's inputs
changed since its last passing run (tools/stages/inputs.py)."""
import importlib.util
import pathlib
import subprocess
import tempfile
import unittest

TOOLS = pathlib.Path(__file__).resolve().parents[2] / "tools" / "stages"


def load(name):
    found = importlib.util.spec_from_file_location(name.replace("-", "_"), TOOLS / f"{name}.py")
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module


skipped = load("skipped-tests")
fault = load("emulator-fault")
inputs = load("inputs")

MODULES = """Modules:
Module	Address			Debug info	Name (3 modules)
PE	  400000-  40e000	Deferred        convert
PE	7b000000-7b0f0000	Deferred        kernelbase
"""


class EmulatorFault(unittest.TestCase):
    def test_table(self):
        rows = [  # log, rerun?
            ("wine: Unhandled illegal instruction at address 3FD61440 (thread 0024), starting debugger...\n" + MODULES, True),
            ("Unhandled exception: illegal instruction in 32-bit code (0x7b001234).\n" + MODULES, True),
            ("wine: Unhandled illegal instruction at address 00401234 (thread 0024)\n" + MODULES, False),
            ("x.cpp:10: Failure\nwine: Unhandled illegal instruction at address 3FD61440\n" + MODULES, False),
            ("[  FAILED  ] OneStart.Walk (3 ms)\nwine: Unhandled illegal instruction at address 3FD61440\n" + MODULES, False),
            ("wine: Unhandled illegal instruction at address 3FD61440 (thread 0024)\n", False),  # not placed
            ("wine: Unhandled page fault on read access to 00000000\n" + MODULES, False),
            ("", False),
        ]
        for log, rerun in rows:
            with self.subTest(log=log.splitlines()[:1]):
                self.assertEqual(fault.verdict(log.splitlines(), "convert")[0], rerun)


class SkippedTests(unittest.TestCase):
    def test_table(self):
        rows = [
            ("[ RUN      ] A.B\nx.cpp:3: Skipped\nno UI Automation\nhere\n[  SKIPPED ] A.B (3 ms)\n",
             ["A.B: skipped: no UI Automation here"]),
            ("[ RUN      ] A.B\nx.cpp:3: Skipped\n\n[  SKIPPED ] A.B (0 ms)\n", ["A.B: skipped: no reason given"]),
            ("  | [ RUN      ] C.D\n  | note: not checked: the link's Invoke\n", ["C.D: not checked: the link's Invoke"]),
            ("[ RUN      ] A.B\n[       OK ] A.B (1 ms)\n[  PASSED  ] 1 test.\n", []),
            # The list gtest prints at the end names no reason: not counted twice.
            ("[  SKIPPED ] 1 test, listed below:\n[  SKIPPED ] A.B\n", []),
            # The bundle's runner prints them itself, under its entry's line.
            ("skipped e2e_X     0 passed,  1 skipped\n        X.Y: skipped: needs 144 DPI\n"
             "        A.B: not checked: Invoke\nok      unit\n", ["X.Y: skipped: needs 144 DPI", "A.B: not checked: Invoke"]),
        ]
        for text, expected in rows:
            with self.subTest(text=text):
                self.assertEqual(skipped.scan(text), expected)


class Inputs(unittest.TestCase):
    """A cached stage must run again whenever a file it depends on changes."""

    def test_table(self):
        with tempfile.TemporaryDirectory() as repo:
            def run(*command):
                subprocess.run(command, cwd=repo, check=True, capture_output=True)

            def write(name, text):
                path = pathlib.Path(repo, name)
                path.parent.mkdir(parents=True, exist_ok=True)
                path.write_text(text)

            run("git", "init", "-q")
            for name in ("core/a.cpp", "core/b.h", "docs/x.md", ".gitignore"):
                write(name, name)
            write(".gitignore", "*.o\n")
            run("git", "add", "-A")
            run("git", "-c", "user.name=t", "-c", "user.email=t@t", "commit", "-qm", "x")
            rows = [  # change, whether the key of core/ changes
                (lambda: write("core/a.cpp", "changed, not committed"), True),
                (lambda: run("git", "-c", "user.name=t", "-c", "user.email=t@t", "commit", "-qam", "y"), False),
                (lambda: write("core/new.cpp", "untracked"), True),
                (lambda: pathlib.Path(repo, "core/b.h").unlink(), True),
                (lambda: run("git", "mv", "core/a.cpp", "core/c.cpp"), True),
                (lambda: write("core/ignored.o", "ignored"), False),
                (lambda: write("docs/x.md", "outside"), False),
            ]
            for change, changes_key in rows:
                before = inputs.key(["core"], cwd=repo)
                change()
                with self.subTest(change=change.__code__.co_consts):
                    self.assertEqual(inputs.key(["core"], cwd=repo) != before, changes_key)
            self.assertNotEqual(inputs.key(["core"], ["wine 8.0"], repo), inputs.key(["core"], ["wine 10.0"], repo))


if __name__ == "__main__":
    unittest.main()
