#!/usr/bin/env python3
"""Tests of the timetable-preview command: terminal text, PDF, PNG, SVG and its errors.

Usage: preview_test.py PATH-TO-timetable-preview
"""

import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
GOLDEN = os.path.join(os.path.dirname(HERE), "driver", "golden")
PREVIEW = None

# The tests expect the English messages, whatever language the shell that runs them has chosen.
for name in ("LANGUAGE", "LC_ALL"):
    os.environ.pop(name, None)
os.environ["LC_MESSAGES"] = "C.UTF-8"


class Preview(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="preview-")
        self.addCleanup(shutil.rmtree, self.folder, True)

    def preview(self, *args, env=None):
        return subprocess.run([PREVIEW, *args], cwd=self.folder, capture_output=True, timeout=60,
                              env=env)

    def path(self, name):
        return os.path.join(self.folder, name)

    def test_terminal_preview_of_a_printer_file(self):
        run = self.preview(os.path.join(GOLDEN, "91341.prn"))
        self.assertEqual(run.returncode, 0, run.stderr)
        with open(os.path.join(HERE, "testdata", "91341.txt"), "rb") as expected:
            self.assertEqual(run.stdout, expected.read())
        self.assertEqual(run.stderr, b"")
        with open(os.path.join(GOLDEN, "91341.prn"), "rb") as piped:
            run = subprocess.run([PREVIEW, "-"], stdin=piped, capture_output=True, timeout=60)
        self.assertEqual((run.returncode, run.stderr), (0, b""))
        with open(os.path.join(HERE, "testdata", "91341.txt"), "rb") as expected:
            self.assertEqual(run.stdout, expected.read())

    def test_pdf_has_a_page_per_form_and_the_station_names(self):
        with open(os.path.join(GOLDEN, "91341.prn"), "rb") as f:
            form = f.read()
        with open(self.path("two.prn"), "wb") as f:
            f.write(form + form)
        run = self.preview("two.prn", "-o", "two.pdf")
        self.assertEqual(run.returncode, 0, run.stderr)
        info = subprocess.run(["pdfinfo", self.path("two.pdf")], capture_output=True, text=True)
        self.assertRegex(info.stdout, r"Pages:\s+2\n")
        text = subprocess.run(["pdftotext", "-layout", self.path("two.pdf"), "-"],
                              capture_output=True, text=True).stdout
        for name in ("Łódź Kaliska", "Zduńska Wola Karsznice", "Sblewo Wieś", "Dł.Poc."):
            self.assertIn(name, text)

    def test_png_of_the_first_page_or_of_every_page(self):
        run = self.preview(os.path.join(GOLDEN, "5410.prn"), "-o", "form.png")
        self.assertEqual(run.returncode, 0, run.stderr)
        with open(self.path("form.png"), "rb") as f:
            header = f.read(24)
        self.assertEqual(header[:8], b"\x89PNG\r\n\x1a\n")
        self.assertEqual(struct.unpack(">II", header[16:24]), (1240, 1754))  # A4 at 150 dpi.
        run = self.preview(os.path.join(GOLDEN, "5410.prn"), "-o", "form-%d.png")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(sorted(n for n in os.listdir(self.folder) if n.startswith("form-")),
                         ["form-1.png", "form-2.png"])  # 101 lines take two A4 sheets.

    def test_pages_left_out_or_left_over_are_named(self):
        run = self.preview(os.path.join(GOLDEN, "5410.prn"), "-o", "form.svg")
        self.assertEqual((run.returncode, run.stderr),
                         (0, b"notice: form.svg shows only the first of the form's 2 pages; to "
                             b"get every page, name the file with %d: form-%d.svg\n"))
        # An earlier, longer form's files stay, and are named.
        for printer_file in ("5410.prn", "91341.prn"):
            run = self.preview(os.path.join(GOLDEN, printer_file), "-o", "form-%d.png")
        self.assertEqual((run.returncode, run.stderr),
                         (0, b"warning: the file form-2.png is from an earlier, longer form, not "
                             b"from this one of 1 page; remove it before printing this form\n"))
        self.assertTrue(os.path.exists(self.path("form-2.png")))

    def test_the_font_is_built_in(self):
        # A machine whose font configuration knows no fonts at all draws the same pixels.
        with open(self.path("fonts.conf"), "w") as f:
            f.write('<?xml version="1.0"?>\n<fontconfig></fontconfig>\n')
        form = os.path.join(GOLDEN, "91341.prn")
        run = self.preview(form, "-o", "usual.png")
        self.assertEqual(run.returncode, 0, run.stderr)
        run = self.preview(form, "-o", "bare.png",
                           env=dict(os.environ, FONTCONFIG_FILE=self.path("fonts.conf")))
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stderr, b"")
        with open(self.path("usual.png"), "rb") as usual, open(self.path("bare.png"), "rb") as bare:
            self.assertTrue(usual.read() == bare.read(), "the pixels depend on the machine's fonts")

    def test_svg(self):
        run = self.preview(os.path.join(GOLDEN, "38170.prn"), "-o", "form.svg")
        self.assertEqual(run.returncode, 0, run.stderr)
        with open(self.path("form.svg"), encoding="utf-8") as f:
            self.assertIn("<svg", f.read(500))

    def test_unknown_printer_command_is_skipped_with_one_warning(self):
        with open(self.path("odd.prn"), "wb") as f:
            f.write(b"A\x1b@B\r\n")
        run = self.preview("odd.prn")
        self.assertEqual(run.returncode, 0)
        self.assertEqual(run.stdout, b"AB\n")
        self.assertEqual(run.stderr, b"warning: skipped the printer command ESC 0x40 at byte 1\n")

    def measured(self, *args, stdin=None):
        """Runs the preview with its output thrown away; returns its exit code, its standard error
        and its peak memory in KB. GNU time measures it: a child of this process would count the
        memory of the Python interpreter it was forked from. A sanitizer build keeps no freed
        memory in quarantine here, since that memory would count as the program's."""
        rss = self.path("rss.txt")
        asan = ":".join(filter(None, [os.environ.get("ASAN_OPTIONS"), "quarantine_size_mb=0"]))
        child = subprocess.Popen(["/usr/bin/time", "-f", "%M", "-o", rss, PREVIEW, *args],
                                 cwd=self.folder, stdin=stdin, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.PIPE, start_new_session=True,
                                 env=dict(os.environ, ASAN_OPTIONS=asan))
        try:
            _, errors = child.communicate(timeout=60)
        except subprocess.TimeoutExpired:
            os.killpg(child.pid, signal.SIGKILL)
            raise
        with open(rss) as f:
            peak = int(f.read().split()[-1])
        os.remove(rss)
        return child.returncode, errors, peak

    def test_any_input_over_the_size_limit_is_refused_at_the_limit(self):
        # A file, a file whose size the system gives as 0 although it never ends, and a pipe.
        with open(self.path("big.prn"), "wb") as f:
            f.truncate(16 * 1024 * 1024 + 1)
        for given, name in (("big.prn", b"big.prn"), ("/proc/self/pagemap", b"/proc/self/pagemap"),
                            ("-", b"standard input")):
            with self.subTest(input=name), open(self.path("big.prn"), "rb") as piped:
                code, errors, peak = self.measured(given, "-o", "big.pdf", stdin=piped)
                self.assertEqual(code, 1)
                self.assertEqual(errors, b"error: cannot read " + name + b": it holds more than "
                                         b"16777216 bytes (16 MB), the most a printer file may "
                                         b"hold\n")
                self.assertLess(peak, 100 * 1024)
        self.assertEqual(os.listdir(self.folder), ["big.prn"])

    def test_more_sheets_than_the_limit_are_refused_at_once_in_little_memory(self):
        with open(self.path("feeds.prn"), "wb") as f:
            f.write(b"\f" * (10 * 1024 * 1024))
        for output in (["-o", "feeds.pdf"], ["-o", "feeds-%d.png"], []):
            code, errors, peak = self.measured("feeds.prn", *output)
            self.assertEqual(code, 1, output)
            self.assertEqual(errors, b"error: the form takes more than 1000 A4 sheets, the most "
                                     b"that is drawn\n")
            self.assertLess(peak, 100 * 1024, output)
        self.assertEqual(os.listdir(self.folder), ["feeds.prn"])

    def test_memory_does_not_grow_with_the_pages(self):
        # Beyond the input itself, which is read once and held (at most 16 MB).
        with open(os.path.join(GOLDEN, "91341.prn"), "rb") as f:
            form = f.read()
        peaks = {}
        for pages in (5, 500):
            with open(self.path("forms.prn"), "wb") as f:
                f.write(form * pages)
            code, errors, peaks[pages] = self.measured("forms.prn", "-o", "forms.pdf")
            self.assertEqual(code, 0, errors)
            info = subprocess.run(["pdfinfo", self.path("forms.pdf")], capture_output=True,
                                  text=True)
            self.assertRegex(info.stdout, r"Pages:\s+%d\n" % pages)
        held = len(form) * (500 - 5) // 1024
        self.assertLess(peaks[500] - held, peaks[5] * 1.2, peaks)

    def test_errors(self):
        run = self.preview("missing.prn")
        self.assertEqual(run.returncode, 1)
        self.assertEqual(run.stderr,
                         b"error: cannot read missing.prn: there is no such file or folder\n")
        run = self.preview(os.path.join(GOLDEN, "5410.prn"), "-o", "no/such/folder/form.pdf")
        self.assertEqual(run.returncode, 1)
        self.assertEqual(run.stderr, b"error: cannot write no/such/folder/form.pdf: "
                                     b"there is no such file or folder\n")
        run = self.preview(os.path.join(GOLDEN, "5410.prn"), "-o", "form.doc")
        self.assertEqual(run.returncode, 1)
        self.assertIn(b"form.doc should be; end its name in .pdf, .png or .svg", run.stderr)
        self.assertEqual(self.preview().returncode, 2)

    def test_usage_errors_name_the_word_at_fault(self):
        printer_file = os.path.join(GOLDEN, "5410.prn")
        for args, named in (((printer_file, "-o", ""), b"the option -o needs a file name"),
                            (("-hx", printer_file), b"unknown option -x")):
            with self.subTest(args=args):
                run = self.preview(*args)
                self.assertEqual(run.returncode, 2)
                self.assertEqual(run.stderr, b"error: " + named +
                                 b" (timetable-preview --help shows the usage)\n")


if __name__ == "__main__":
    PREVIEW = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
