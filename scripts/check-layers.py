#!/usr/bin/env python3
"""Fails when a source file reads a header from a folder its own folder may not use, or when a
folder's library links one it may not.

USES is the one list of which folder uses which. Both sides are read from the tools, not from
the text, so that no spelling hides an edge:
- the includes are the compiler's. Every source file under the repository (tracked or not, of
  any C++ extension), and every file the build generates and compiles, is preprocessed with the
  flags its build gives it or its folder (compile_commands.json of a configured build), and
  gcc's -H names each header read, nested as read. A file may include from its own folder and
  from the folders its folder uses; even a folder that a used one uses is refused (a new edge is
  made here and in CMakeLists.txt, on purpose). A header generated into the build tree is
  followed as part of the folder of the file that reads it. Each build given is checked with its
  own flags, so that the Windows build's includes (inside #ifdef _WIN32) are read too.
- the links are CMake's (cmake --graphviz of the same build): each folder's library links, as
  PUBLIC, PRIVATE or INTERFACE, exactly the folders' libraries USES names.
- the libraries' headers that weigh on every file reading them stay in the folders, and out of
  the files, named in KEPT_IN and KEPT_OUT.
- no production file reads a *_test_support.h, which holds what only the tests use. A file the
  build compiles is a test or production code by the target that compiles it, whatever its
  name; another file by its name.

Usage: check-layers.py [--build DIR]... [ROOT]
  ROOT: the repository (by default the one this script is in); DIR: a configured build of it,
  as many as there are (by default ROOT/build/release, which scripts/configure-release.sh
  configures).
"""

import argparse
import concurrent.futures
import glob
import json
import os
import re
import shlex
import subprocess
import sys
import tempfile

# Each folder and the folders its library links, platform/ at the bottom and driver/ on top.
USES = {
    "platform": [],
    "json": ["platform"],
    "form": [],
    "service": ["json", "platform"],
    "timetable": ["json", "platform"],
    "preview": ["form", "platform"],
    "printer": ["preview", "platform"],
    "driver": ["printer", "preview", "timetable", "service", "json", "form", "platform"],
}
# The tests, fuzz targets and benchmarks of a folder may also use these: they link the whole
# program, and text and files come from platform/.
TESTS_ALSO_USE = ["platform"]

# The libraries of each folder, as CMake names them: the renderer's drawing and the spooler are
# libraries of their own, which the programs link or, on Linux, the modules below hold.
LIBRARIES = {folder: ["timetable_" + folder] for folder in USES}
LIBRARIES["preview"] = ["timetable_render", "timetable_drawing"]
LIBRARIES["printer"] = ["timetable_printer", "timetable_spooler"]
FOLDER_OF_LIBRARY = {library: folder for folder, names in LIBRARIES.items() for library in names}
# timetable-print's modules on Linux and the object library each is built of. A module takes the
# platform, the form and the rest from the program, so it links no other library of ours: a copy
# of one would hold state (the log, the interrupt's undo list) apart from the program's.
MODULES = {"timetable-render": "timetable_drawing", "timetable-spooler": "timetable_spooler"}
# The programs' targets, and the modules', and the folders of their own files.
PROGRAM_FOLDER = {"timetable-print": "driver", "timetable-preview": "preview",
                  "timetable-render": "preview", "timetable-spooler": "printer"}

# Third-party headers and the folders whose files may read them, directly or not: each is large
# or drags its library's link in, so it stays in the files that use it.
KEPT_IN = {
    "nlohmann/json.hpp": ["json", "service", "timetable", "driver"],
    "curl/curl.h": ["service"],
    "cairo.h": ["preview", "printer"],
    "cups/cups.h": ["printer"],
}
# Files that must not read one of those although their folder may.
KEPT_OUT = {
    "driver/main.cpp": ["nlohmann/json.hpp"],
    "printer/printer_stream.cpp": ["cairo.h"],
}

SOURCE_EXTENSIONS = (".c", ".cc", ".cpp", ".cxx", ".c++", ".h", ".hh", ".hpp", ".hxx", ".inc",
                     ".ipp", ".tpp")
# gcc -H: one line per header read, as many dots as it is deep.
HEADER_LINE = re.compile(r"^(\.+) (.+)$")
# Flags of a compile command that name or make its output rather than read its input.
OUTPUT_FLAGS = {"-o", "-MF", "-MT", "-MQ"}
DROPPED_FLAGS = {"-c", "-MD", "-MMD", "-M", "-MM", "-MG", "-MP"}


def source_files(root, build):
    """Every C++ source file under root, relative to root, but for the builds and the hidden
    folders (.git) at the top."""
    found = []
    for folder, subfolders, files in os.walk(root):
        top = folder == root
        subfolders[:] = sorted(
            name for name in subfolders
            if not (top and (name.startswith(".") or name.startswith("build")))
            and os.path.realpath(os.path.join(folder, name)) != build)
        for name in files:
            if name.endswith(SOURCE_EXTENSIONS):
                found.append(os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/"))
    return sorted(found)


def ours(root, build, path):
    """path relative to root when it is a file of the repository's own, otherwise None."""
    real = os.path.realpath(path)
    if real == build or real.startswith(build + os.sep):
        return None
    relative = os.path.relpath(real, root)
    if relative.startswith(".." + os.sep) or relative == "..":
        return None
    relative = relative.replace(os.sep, "/")
    return None if relative.split("/")[0].startswith("build") else relative


def generated(build, path):
    """The absolute path of a file in the build tree, which the build made; otherwise None."""
    real = os.path.realpath(path)
    return real if real.startswith(build + os.sep) else None


def target_of(arguments):
    """The CMake target a compile command belongs to, from its object file's
    CMakeFiles/TARGET.dir/ folder; None for a command that CMake did not write."""
    for flag, value in zip(arguments, arguments[1:]):
        if flag == "-o":
            match = re.search(r"(?:^|/)CMakeFiles/([^/]+)\.dir/", value)
            return match.group(1) if match else None
    return None


def production_folder(target):
    """The folder whose production code the target builds, or None for a test's target."""
    return FOLDER_OF_LIBRARY.get(target) or PROGRAM_FOLDER.get(target)


def compile_commands(root, build):
    """The build's compile commands: each source file (relative to root, or the absolute path of
    one the build generated), and its directory, its arguments without its input, output and
    dependency files, and its target. A file that a production target and a test's both compile
    is production code."""
    path = os.path.join(build, "compile_commands.json")
    if not os.path.exists(path):
        raise SystemExit("%s is missing: configure the build first (scripts/configure-release.sh)"
                         % path)
    with open(path, encoding="utf-8") as file:
        entries = json.load(file)
    commands = {}
    for entry in entries:
        arguments = entry.get("arguments") or shlex.split(entry["command"])
        source = os.path.join(entry["directory"], entry["file"])
        kept = [arguments[0]]
        skip = False
        for argument in arguments[1:]:
            if skip:
                skip = False
            elif argument in OUTPUT_FLAGS:
                skip = True
            elif argument in DROPPED_FLAGS or any(
                    argument.startswith(flag) and len(argument) > len(flag)
                    for flag in OUTPUT_FLAGS):
                pass
            elif os.path.realpath(os.path.join(entry["directory"], argument)) == \
                    os.path.realpath(source):
                pass
            else:
                kept.append(argument)
        key = ours(root, build, source) or generated(build, source)
        target = target_of(arguments)
        if key and not (key in commands and production_folder(commands[key][2])):
            commands[key] = (entry["directory"], kept, target)
    return commands


def flags_for(path, commands):
    """The compile command of path, or of another file of its folder (a test's for a test, a
    library file's otherwise), for a file the build does not compile here."""
    if path in commands:
        return commands[path]
    folder = path.split("/")[0]
    candidates = sorted(other for other in commands if other.split("/")[0] == folder) or \
        sorted(commands)
    candidates.sort(key=lambda other: is_test(other, commands) != is_test(path, commands))
    return commands[candidates[0]]


def read_headers(root, build, path, commands):
    """Runs the preprocessor on path with its flags: (the include edges it read, as pairs of an
    includer, ours or generated, as (name, folder, whether a test's) and the header, ours
    relative and others absolute; every header read; the compiler's error, if it failed)."""
    directory, arguments, _ = flags_for(path, commands)
    run = subprocess.run(arguments + ["-MM", "-MG", "-H", "-x", "c++",
                                      path if path.startswith("/") else os.path.join(root, path)],
                         cwd=directory, capture_output=True, text=True)
    edges = []
    read = set()
    chain = [(path, file_folder(path, commands), is_test(path, commands))]
    errors = []
    for line in run.stderr.splitlines():
        match = HEADER_LINE.match(line)
        if not match:
            if run.returncode != 0:
                errors.append(line)
            continue
        depth = len(match.group(1))
        header = os.path.normpath(os.path.join(directory, match.group(2)))
        del chain[depth:]
        includer = chain[-1]
        entry = ours(root, build, header)
        read.add(header)
        if entry:
            node = (entry, folder_of(entry), is_test(entry))
        elif generated(build, header):
            # Made by the build for the file that reads it, and judged as part of it.
            entry = header
            node = (header, includer[1], includer[2])
        else:
            entry = header
            node = (header, None, False)
        if includer[1] is not None:
            edges.append((includer, entry))
        chain.append(node)
    return edges, read, "\n".join(errors) if run.returncode != 0 else ""


def is_test(path, commands=None):
    """Whether path is a test's, a fuzz target's or a benchmark's: by the target that compiles it
    when the build compiles it, else by its name."""
    if commands and path in commands and commands[path][2]:
        return production_folder(commands[path][2]) is None
    return re.search(r"_(test|fuzz|benchmark)\.[a-z+]+$|_test_support\.", path) is not None


def file_folder(path, commands):
    """The folder whose rules hold for path: its own, or for a file the build generated, that of
    the target compiling it (None when that is a test's)."""
    if path.startswith("/"):
        return production_folder(commands.get(path, (None, None, None))[2])
    return folder_of(path)


def folder_of(path):
    parts = path.split("/")
    return parts[0] if len(parts) > 1 else ""


def include_faults(root, build, paths, commands):
    """The edges that the map does not allow and the third-party headers read where they may
    not be, for every file in paths; each fault once."""
    def run(path):
        return path, read_headers(root, build, path, commands)

    faults = []
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        results = list(pool.map(run, paths))
    seen = set()
    for path, (edges, read, error) in results:
        if error:
            faults.append("%s: the compiler could not read it:\n%s" % (path, error))
        for (includer, mine, test), header in edges:
            if header.startswith("/") or (includer, header) in seen:
                continue
            seen.add((includer, header))
            theirs = folder_of(header)
            if "_test_support." in header and not test:
                faults.append("%s includes %s, which is for the tests only" % (includer, header))
            elif theirs not in USES:
                faults.append("%s includes %s, which lies outside the folders" % (includer, header))
            elif mine in USES and theirs != mine and theirs not in USES[mine] and not (
                    test and theirs in TESTS_ALSO_USE):
                faults.append("%s includes %s: %s does not use %s" % (includer, header, mine,
                                                                      theirs))
        folder = file_folder(path, commands)
        for kept, folders in KEPT_IN.items():
            if any(header.endswith("/" + kept) for header in read):
                if folder not in folders:
                    faults.append("%s reads %s, which only %s may" % (path, kept,
                                                                      ", ".join(folders)))
                elif kept in KEPT_OUT.get(path, []):
                    faults.append("%s reads %s, which it must not" % (path, kept))
    return faults


def cmake_links(build):
    """Each folder's library and the folders' libraries it links, PUBLIC, PRIVATE or INTERFACE,
    as CMake's own graph of the configured build shows them."""
    with tempfile.TemporaryDirectory(prefix="layers-") as folder:
        graph = os.path.join(folder, "links.dot")
        run = subprocess.run(["cmake", "--graphviz=" + graph, build], capture_output=True,
                             text=True)
        if run.returncode != 0:
            raise SystemExit("cmake could not draw the links:\n" + run.stdout + run.stderr)
        with open(graph, encoding="utf-8") as file:
            return links_of_graph(file.read())


def links_of_graph(text):
    """Each folder's links to other folders, and each module's (named "module NAME") to any
    folder; a module the build makes has an entry even when it links nothing of ours."""
    names = dict(re.findall(r'^\s*"(\w+)" \[ label = "([^"]*)"', text, re.MULTILINE))
    links = {folder: set() for folder in USES}
    for module in MODULES:
        if module in names.values():
            links["module " + module] = set()
    for user, used in re.findall(r'^\s*"(\w+)" -> "(\w+)"', text, re.MULTILINE):
        user, used = names.get(user), names.get(used)
        if used not in FOLDER_OF_LIBRARY:
            continue
        if user in MODULES:
            if used != MODULES[user]:
                links["module " + user].add(FOLDER_OF_LIBRARY[used])
        elif user in FOLDER_OF_LIBRARY and FOLDER_OF_LIBRARY[user] != FOLDER_OF_LIBRARY[used]:
            links[FOLDER_OF_LIBRARY[user]].add(FOLDER_OF_LIBRARY[used])
    return links


def builds_for_linux(build):
    """Whether the configured build makes Linux programs, which hold the modules (a Windows
    build, cross-compiled here, holds none), as CMake's record of the target system says."""
    for path in glob.glob(os.path.join(build, "CMakeFiles", "*", "CMakeSystem.cmake")):
        with open(path, encoding="utf-8") as system:
            match = re.search(r'^set\(CMAKE_SYSTEM_NAME "([^"]*)"\)', system.read(), re.MULTILINE)
        if match:
            return match.group(1) == "Linux"
    return sys.platform.startswith("linux")


def map_faults(links, linux=sys.platform.startswith("linux")):
    for folder in USES:
        if links[folder] != set(USES[folder]):
            yield ("%s: CMake links %s, the list in check-layers.py %s" % (
                folder, sorted(links[folder]) or "nothing", sorted(USES[folder]) or "nothing"))
    for module in MODULES:
        used = links.get("module " + module)
        if used is None:
            if linux:
                yield "the module %s is missing from the build" % module
        elif used:
            yield "the module %s links %s, which it must take from the program" % (
                module, ", ".join(sorted(used)))


def folder_faults(paths):
    unknown = sorted({folder_of(path) or path for path in paths if not path.startswith("/")} -
                     set(USES))
    if unknown:
        yield "source files outside the folders of the layers: " + ", ".join(unknown)


def main(arguments):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument("root", nargs="?", default=here)
    parser.add_argument("--build", action="append")
    options = parser.parse_args(arguments)
    root = os.path.realpath(options.root)
    faults = []
    for build in options.build or [os.path.join(root, "build", "release")]:
        build_faults, files = check_build(root, os.path.realpath(build))
        faults += [fault for fault in build_faults if fault not in faults]
        print("layers of %s: %d files" % (build, files))
    for fault in faults:
        print(fault)
    print("layers: %d faults" % len(faults))
    return 1 if faults else 0


def files_to_read(root, build, commands):
    """The repository's source files and those the build generated and compiles."""
    return sorted(set(source_files(root, build)) | set(commands))


def check_build(root, build):
    """The faults one configured build shows, and how many files were read."""
    commands = compile_commands(root, build)
    paths = files_to_read(root, build, commands)
    faults = list(folder_faults(paths))
    faults += list(map_faults(cmake_links(build), builds_for_linux(build)))
    faults += include_faults(root, build, paths, commands)
    return faults, len(paths)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
