#!/usr/bin/env python3
"""Fails when a source file includes from a folder its own folder may not use.

USES is the one list of which folder uses which: each folder's library links exactly these
folders' libraries in CMakeLists.txt (target_link_libraries), and this script fails when the two
differ. A file may include from its own folder and from the folders its folder uses; any other
include between the folders fails, even of a folder that a used one uses (a new edge is made
here and in CMakeLists.txt, on purpose), and so does an include that climbs out of the folders
with "..", which would pass for an include of the folder it starts in.

Usage: check-layers.py [ROOT]   (the repository's root; by default the one this script is in)
"""

import os
import re
import subprocess
import sys

# Each folder and the folders its library links, platform/ at the bottom and driver/ on top.
USES = {
    "platform": [],
    "form": ["platform"],
    "service": ["platform"],
    "timetable": ["service", "platform"],
    "preview": ["form", "platform"],
    "printer": ["preview", "platform"],
    "driver": ["printer", "preview", "timetable", "service", "form", "platform"],
}

# The library of each folder, as CMake names it.
LIBRARY = {folder: "timetable_" + folder for folder in USES}
LIBRARY["preview"] = "timetable_render"
FOLDER_OF_LIBRARY = {library: folder for folder, library in LIBRARY.items()}

INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]+"([^"]+)"', re.MULTILINE)
LINKS = re.compile(r"target_link_libraries\(\s*(\w+)\s+PUBLIC([^)]*)\)")


def cmake_links(root):
    """Each folder's library and the folders' libraries it links, as the CMake files say."""
    links = {folder: set() for folder in USES}
    for name in ("CMakeLists.txt", os.path.join("cmake", "Render.cmake")):
        with open(os.path.join(root, name), encoding="utf-8") as cmake:
            for library, linked in LINKS.findall(cmake.read()):
                if library in FOLDER_OF_LIBRARY:
                    links[FOLDER_OF_LIBRARY[library]] |= {
                        FOLDER_OF_LIBRARY[word] for word in linked.split()
                        if word in FOLDER_OF_LIBRARY}
    return links


def map_faults(root):
    links = cmake_links(root)
    for folder in USES:
        if links[folder] != set(USES[folder]):
            yield ("%s: CMakeLists.txt links %s, the list in check-layers.py %s" % (
                folder, sorted(links[folder]) or "nothing", sorted(USES[folder]) or "nothing"))


def include_faults(root, paths):
    for path in paths:
        folder = path.split("/")[0]
        if folder not in USES:
            continue
        with open(os.path.join(root, path), encoding="utf-8") as source:
            text = source.read()
        allowed = {folder, *USES[folder]}
        for match in INCLUDE.finditer(text):
            included = match.group(1)
            line = text.count("\n", 0, match.start(1)) + 1
            parts = included.split("/")
            if ".." in parts or included.startswith("/"):
                yield "%s:%d: includes %s, a path out of the folders" % (path, line, included)
            elif len(parts) > 1 and parts[0] in USES and parts[0] not in allowed:
                yield "%s:%d: %s includes from %s/, which %s does not use" % (
                    path, line, folder, parts[0], folder)


def main(root):
    files = subprocess.run(["git", "ls-files", "*.cpp", "*.h"], cwd=root, capture_output=True,
                           text=True, check=True).stdout.split()
    unknown = sorted({path.split("/")[0] for path in files if "/" in path} - set(USES))
    if unknown:
        print("folders of source files missing from the layers: " + ", ".join(unknown))
        return 1
    faults = list(map_faults(root)) + list(include_faults(root, files))
    for fault in faults:
        print(fault)
    print("layers: %d faults" % len(faults))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else
                  os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
