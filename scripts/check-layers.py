#!/usr/bin/env python3
"""Fails when a source file includes from a folder above its own.

The folders stand in layers, top to bottom; a file may include from its own folder and from any
folder in a lower layer. Folders that share a layer may not include each other.
"""

import re
import subprocess
import sys

LAYERS = [
    ["driver"],
    ["printer"],
    ["preview"],
    ["timetable"],
    ["service", "form"],
    ["platform"],
]

LAYER_OF = {folder: depth for depth, folders in enumerate(LAYERS) for folder in folders}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^/"]+)/[^"]+"', re.MULTILINE)


def upward_includes(paths):
    for path in paths:
        folder = path.split("/")[0]
        if folder not in LAYER_OF:
            continue
        with open(path, encoding="utf-8") as source:
            text = source.read()
        for match in INCLUDE.finditer(text):
            target = match.group(1)
            if target == folder or target not in LAYER_OF:
                continue
            if LAYER_OF[target] <= LAYER_OF[folder]:
                line = text.count("\n", 0, match.start()) + 1
                yield "%s:%d: %s includes from %s/, which is not below it" % (
                    path, line, folder, target)


def main():
    files = subprocess.run(["git", "ls-files", "*.cpp", "*.h"], capture_output=True, text=True,
                           check=True).stdout.split()
    unknown = sorted({path.split("/")[0] for path in files if "/" in path} - set(LAYER_OF))
    if unknown:
        print("folders of source files missing from the layers: " + ", ".join(unknown))
        return 1
    faults = list(upward_includes(files))
    for fault in faults:
        print(fault)
    print("layers: %d upward includes" % len(faults))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
