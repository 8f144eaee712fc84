#!/usr/bin/env python3
"""Tests of check-layers.py: the includes and links it must refuse, however they are written."""

import importlib.util
import json
import os
import shutil
import subprocess
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
spec = importlib.util.spec_from_file_location("check_layers", os.path.join(HERE, "check-layers.py"))
check_layers = importlib.util.module_from_spec(spec)
spec.loader.exec_module(check_layers)

FORBIDDEN = "driver/command_line.h"


class Includes(unittest.TestCase):
    """A scratch tree, with one compiled file in service/ whose flags every other file borrows."""

    def setUp(self):
        self.root = os.path.realpath(tempfile.mkdtemp(prefix="layers-"))
        self.addCleanup(shutil.rmtree, self.root)
        self.build = os.path.join(self.root, "build")
        self.external = os.path.join(self.root, "build", "external")
        self.write("driver/command_line.h", "#pragma once\nint commandLine();\n")
        self.write("platform/messages.h", "#pragma once\nint message();\n")
        self.write("service/compiled.cpp", '#include "platform/messages.h"\n')
        for header in ("nlohmann/json.hpp", "cairo.h"):
            self.write(os.path.join(self.external, header), "#pragma once\n")
        commands = [{"directory": self.build, "file": os.path.join(self.root, path),
                     "command": "c++ -std=c++17 -I%s -isystem %s -o x.o -c %s" % (
                         self.root, self.external, os.path.join(self.root, path))}
                    for path in ("service/compiled.cpp",)]
        self.write(os.path.join(self.build, "compile_commands.json"), json.dumps(commands))

    def write(self, path, text):
        path = os.path.join(self.root, path)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as source:
            source.write(text)

    def faults(self, build=None):
        build = build or self.build
        commands = check_layers.compile_commands(self.root, build)
        return check_layers.include_faults(
            self.root, build, check_layers.files_to_read(self.root, build, commands), commands)

    def test_the_scratch_tree_passes(self):
        self.assertEqual(self.faults(), [])

    def test_every_spelling_of_a_forbidden_include_fails(self):
        for path, text in (
                ("service/compiled.cpp", "#include <%s>\n" % FORBIDDEN),
                ("service/compiled.cpp", '#include "./%s"\n' % FORBIDDEN),
                ("service/compiled.cpp", '#define UP "%s"\n#include UP\n' % FORBIDDEN),
                ("service/compiled.cpp", '#include /* x */ "%s"\n' % FORBIDDEN),
                ("service/compiled.cpp", '#include "platform/messages.h"\n#include "%s"\n'
                 % FORBIDDEN),
                ("service/parts.inc", '#include "%s"\n' % FORBIDDEN),
                ("service/parts.hpp", '#include "%s"\n' % FORBIDDEN),
                ("service/untracked.cpp", '#include "%s"\n' % FORBIDDEN),
                ("service/untracked.cc", '#include "../%s"\n' % FORBIDDEN),
                ("service/build_parts/a.h", '#include "%s"\n' % FORBIDDEN),
                ("service/.hidden/a.h", '#include "%s"\n' % FORBIDDEN),
                ("platform/a.cpp", '#include "platform/../%s"\n' % FORBIDDEN)):
            with self.subTest(path=path, text=text):
                self.setUp()
                self.write(path, text)
                faults = self.faults()
                self.assertEqual(len(faults), 1, faults)
                self.assertIn(" includes %s: " % FORBIDDEN, faults[0])
                self.assertTrue(faults[0].startswith(path + " "), faults[0])

    def test_a_file_read_through_an_allowed_header_is_blamed_on_that_header(self):
        self.write("platform/messages.h", '#pragma once\n#include "%s"\n' % FORBIDDEN)
        faults = self.faults()
        self.assertIn("platform/messages.h includes %s: platform does not use driver"
                      % FORBIDDEN, faults)

    def test_includes_along_the_map_pass(self):
        self.write("driver/a.cpp", '#include "platform/messages.h"\n#include "%s"\n' % FORBIDDEN)
        self.write("service/b.cpp", '# include "platform/messages.h"\n')
        self.assertEqual(self.faults(), [])

    def test_tests_may_use_the_platform(self):
        self.write("form/a.cpp", '#include "platform/messages.h"\n')
        self.write("form/a_test.cpp", '#include "platform/messages.h"\n')
        self.assertEqual(self.faults(), ["form/a.cpp includes platform/messages.h: form does not "
                                         "use platform"])

    def test_only_tests_read_test_support(self):
        self.write("service/a_test_support.h", "#pragma once\n")
        self.write("service/a_test.cpp", '#include "service/a_test_support.h"\n')
        self.write("service/a_fuzz.cpp", '#include "service/a_test_support.h"\n')
        self.write("service/a.cpp", '#include "service/a_test_support.h"\n')
        self.assertEqual(self.faults(), ["service/a.cpp includes service/a_test_support.h, "
                                         "which is for the tests only"])

    def test_a_file_outside_the_folders_fails(self):
        self.write("scripts/tool.cpp", "int main() {}\n")
        self.assertEqual(len(list(check_layers.folder_faults(
            check_layers.source_files(self.root, self.build)))), 1)

    def compile_too(self, path, target, flags="", build=None):
        """Adds path to the build's compile commands, as CMake writes one for target."""
        build = build or self.build
        commands_file = os.path.join(build, "compile_commands.json")
        commands = []
        if os.path.exists(commands_file):
            with open(commands_file, encoding="utf-8") as f:
                commands = json.load(f)
        source = path if path.startswith("/") else os.path.join(self.root, path)
        commands.append({"directory": build, "file": source, "command":
                         "c++ -std=c++17 -I%s %s -o CMakeFiles/%s.dir/x.cpp.o -c %s" % (
                             self.root, flags, target, source)})
        self.write(commands_file, json.dumps(commands))

    def test_a_compiled_file_is_judged_by_its_target_not_its_name(self):
        self.write("form/glyph_benchmark.cpp", '#include "platform/messages.h"\n')
        self.compile_too("form/glyph_benchmark.cpp", "timetable_form")
        self.write("form/glyph_test.cpp", '#include "platform/messages.h"\n')
        self.compile_too("form/glyph_test.cpp", "unit_tests")
        self.assertEqual(self.faults(), ["form/glyph_benchmark.cpp includes platform/messages.h: "
                                         "form does not use platform"])

    def test_a_header_generated_into_the_build_is_followed(self):
        generated = os.path.join(self.build, "generated")
        self.write(os.path.join(generated, "table.h"), '#include "%s"\n' % FORBIDDEN)
        self.write(os.path.join(generated, "table.cpp"), '#include "%s"\n' % FORBIDDEN)
        self.compile_too(os.path.join(generated, "table.cpp"), "timetable_service")
        self.write("service/a.cpp", '#include "table.h"\n')
        self.compile_too("service/a.cpp", "timetable_service", "-I" + generated)
        faults = self.faults()
        self.assertEqual(sorted(faults), sorted(
            ["%s includes %s: service does not use driver" % (os.path.join(generated, name),
                                                              FORBIDDEN)
             for name in ("table.cpp", "table.h")]), faults)

    def test_each_build_is_read_with_its_own_flags(self):
        self.write("service/compiled.cpp", '#ifdef _WIN32\n#include "%s"\n#endif\n' % FORBIDDEN)
        self.assertEqual(self.faults(), [])
        windows = os.path.join(self.root, "build-windows")
        self.compile_too("service/compiled.cpp", "timetable_service", "-D_WIN32", windows)
        self.assertEqual(self.faults(windows), ["service/compiled.cpp includes %s: service does not use driver"
                                  % FORBIDDEN])

    def test_the_heavy_headers_stay_where_they_belong(self):
        self.write("driver/main.cpp", '#include "driver/job.h"\n')
        self.write("driver/job.h", "#include <nlohmann/json.hpp>\n")
        self.write("printer/printer_stream.cpp", "#include <cairo.h>\n")
        self.write("printer/page_printer_posix.cpp", "#include <cairo.h>\n")
        self.write("form/a.cpp", "#include <nlohmann/json.hpp>\n")
        self.assertEqual(sorted(self.faults()), [
            "driver/main.cpp reads nlohmann/json.hpp, which it must not",
            "form/a.cpp reads nlohmann/json.hpp, which only json, service, timetable, driver may",
            "printer/printer_stream.cpp reads cairo.h, which it must not"])


class Links(unittest.TestCase):
    def test_the_graph_gives_every_kind_of_link(self):
        graph = """digraph "timetable_print" {
    "node0" [ label = "timetable_service", shape = octagon ];
    "node1" [ label = "timetable_platform", shape = octagon ];
    "node2" [ label = "timetable_driver", shape = octagon ];
    "node3" [ label = "timetable_form", shape = octagon ];
    "node0" -> "node1"  // timetable_service -> timetable_platform
    "node0" -> "node2" [ style = dotted ] // timetable_service -> timetable_driver
    "node3" -> "node1" [ style = dashed ] // timetable_form -> timetable_platform
}"""
        links = check_layers.links_of_graph(graph)
        self.assertEqual(links["service"], {"platform", "driver"})
        self.assertEqual(links["form"], {"platform"})
        faults = list(check_layers.map_faults(links))
        self.assertTrue(any(fault.startswith("service: ") for fault in faults), faults)
        self.assertTrue(any(fault.startswith("form: ") for fault in faults), faults)

    def test_a_module_takes_our_libraries_from_the_program(self):
        graph = """digraph "timetable_print" {
    "node0" [ label = "timetable-render", shape = doubleoctagon ];
    "node1" [ label = "timetable_platform", shape = octagon ];
    "node2" [ label = "timetable_drawing", shape = octagon ];
    "node0" -> "node1"  // timetable-render -> timetable_platform
    "node0" -> "node2"  // timetable-render -> timetable_drawing
    "node2" -> "node1"  // timetable_drawing -> timetable_platform
}"""
        links = check_layers.links_of_graph(graph)
        self.assertEqual(links["module timetable-render"], {"platform"})
        self.assertEqual(links["preview"], {"platform"})
        faults = [fault for fault in check_layers.map_faults(links, linux=True)
                  if fault.startswith("the module")]
        self.assertEqual(faults, [
            "the module timetable-render links platform, which it must take from the program",
            "the module timetable-spooler is missing from the build"])

    @unittest.skipUnless(shutil.which("cmake"), "needs cmake")
    def test_a_link_added_in_cmake_fails(self):
        scratch = os.path.realpath(tempfile.mkdtemp(prefix="layers-"))
        self.addCleanup(shutil.rmtree, scratch)
        tree = os.path.join(scratch, "tree")
        shutil.copytree(ROOT, tree, ignore=lambda folder, names: [
            name for name in names if name.startswith(".") or (
                folder == ROOT and (name.startswith("build") or name == "demo"))])
        with open(os.path.join(tree, "CMakeLists.txt"), "a", encoding="utf-8") as cmake:
            cmake.write("\ntarget_link_libraries(timetable_service PRIVATE timetable_driver)\n")
        build = os.path.join(scratch, "build")
        subprocess.run(["cmake", "-S", tree, "-B", build, "-DTIMETABLE_TESTS=OFF"], check=True,
                       stdout=subprocess.DEVNULL)
        faults = list(check_layers.map_faults(check_layers.cmake_links(build)))
        self.assertEqual(len(faults), 1, faults)
        self.assertTrue(faults[0].startswith("service: CMake links ['driver', "), faults[0])


if __name__ == "__main__":
    unittest.main()
