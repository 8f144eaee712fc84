#!/usr/bin/env python3
"""End-to-end tests of timetable-print against the local timetable service, one group a run.

Usage: e2e_test.py [--runner wine] --program PATH [--package ZIP] [--installer MSI]
                   [--preview PATH] GROUP [unittest arguments]

GROUP is a test class, such as Faults or WindowsProxy, kept in a file of its own beside this
one (e2e_faults.py, e2e_windows_proxy.py); Faults.test_unknown_train runs one test of it.
"""

import importlib
import os
import re
import sys

import e2e_harness as harness

OPTIONS = ("--runner", "--program", "--package", "--installer", "--preview")


def main():
    args = sys.argv[1:]
    at = 0
    while at + 1 < len(args) and args[at] in OPTIONS:
        at += 2
    group = args[at].split(".")[0] if at < len(args) else ""
    module = "e2e_" + re.sub(r"(?<!^)(?=[A-Z])", "_", group).lower()
    if not group or not os.path.exists(os.path.join(harness.HERE, module + ".py")):
        print(__doc__, file=sys.stderr)
        return 2
    sys.argv = [sys.argv[0]] + args
    return harness.main(importlib.import_module(module))


if __name__ == "__main__":
    sys.exit(main())
