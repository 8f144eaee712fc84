#!/usr/bin/env python3
"""Tests of check-layers.py: the includes and links it must refuse."""

import importlib.util
import os
import shutil
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
spec = importlib.util.spec_from_file_location("check_layers", os.path.join(HERE, "check-layers.py"))
check_layers = importlib.util.module_from_spec(spec)
spec.loader.exec_module(check_layers)


class CheckLayers(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="layers-")
        self.addCleanup(shutil.rmtree, self.root)

    def faults(self, path, text):
        os.makedirs(os.path.join(self.root, os.path.dirname(path)), exist_ok=True)
        with open(os.path.join(self.root, path), "w", encoding="utf-8") as source:
            source.write(text)
        return list(check_layers.include_faults(self.root, [path]))

    def test_includes_outside_the_map_fail(self):
        # Edges the map lacks, downward ones too, and paths that climb out with "..".
        for path, include in (("printer/a.cpp", "service/service_request.h"),
                              ("preview/a.cpp", "timetable/stop_table.h"),
                              ("printer/a.cpp", "form/code_page.h"),
                              ("platform/messages.cpp", "../driver/print_job.h"),
                              ("platform/a.cpp", "platform/../driver/print_job.h")):
            with self.subTest(path=path, include=include):
                faults = self.faults(path, '#include <string>\n\n#include "%s"\n' % include)
                self.assertEqual(len(faults), 1, faults)
                self.assertTrue(faults[0].startswith(path + ":3: "), faults[0])

    def test_includes_along_the_map_pass(self):
        self.assertEqual(self.faults("driver/a.cpp", '#include "printer/destination.h"\n'
                                                      '#include "driver/print_job.h"\n'
                                                      '# include "platform/messages.h"\n'), [])

    def test_the_map_and_the_cmake_links_must_agree(self):
        self.assertEqual(list(check_layers.map_faults(ROOT)), [])
        os.mkdir(os.path.join(self.root, "cmake"))
        shutil.copy(os.path.join(ROOT, "cmake", "Render.cmake"), os.path.join(self.root, "cmake"))
        with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as cmake:
            text = cmake.read()
        linked = "target_link_libraries(timetable_printer PUBLIC "
        self.assertIn(linked, text)
        with open(os.path.join(self.root, "CMakeLists.txt"), "w", encoding="utf-8") as cmake:
            cmake.write(text.replace(linked, linked + "timetable_service "))
        faults = list(check_layers.map_faults(self.root))
        self.assertEqual(len(faults), 1, faults)
        self.assertTrue(faults[0].startswith("printer: "), faults[0])


if __name__ == "__main__":
    unittest.main()
