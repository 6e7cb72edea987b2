#!/usr/bin/env python3
"""The readers of test output that decide what ./test.sh reports: which tests
skipped (tools/skipped-tests.py) and whether a failed walk under qemu earns a
rerun (tools/emulator-fault.py)."""
import importlib.util
import pathlib
import unittest

TOOLS = pathlib.Path(__file__).resolve().parents[2] / "tools"


def load(name):
    found = importlib.util.spec_from_file_location(name.replace("-", "_"), TOOLS / f"{name}.py")
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module


skipped = load("skipped-tests")
fault = load("emulator-fault")

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


if __name__ == "__main__":
    unittest.main()
