"""End-to-end tests: Output."""

import sys
import os
import re
import shutil
import signal
import subprocess

import e2e_harness as harness
from e2e_harness import DIALOGUE_HEAD, EndToEnd, Run, control, ok_lines  # noqa: E402
from e2e_common import (EXPRESS, NIGHT, REGIONAL, SAMPLE_STDERR, pdf_pages_and_text,
                        stop, timetable)  # noqa: E402


class Output(EndToEnd):
    """-o FILE: the printer's bytes, or the form rendered as timetable-preview renders them."""

    def pdf_text(self, name):
        return pdf_pages_and_text(self.path(name))

    def test_bytes_file_is_the_printer_stream_and_lpt1_is_not_touched(self):
        # A name with Polish letters reaches the file system whole, on Windows too.
        for (number, typed, last_row), name in zip((EXPRESS, NIGHT, REGIONAL),
                                                   ("form.prn", "nocny", "Łódź Kaliska.prn")):
            with self.subTest(train=number):
                run = self.run_program(typed, args=["-o", name])
                self.assertEqual(run.returncode, 0, run.stderr)
                self.assertEqual(run.stdout, DIALOGUE_HEAD + "%d\n" % last_row + ok_lines(last_row))
                with open(self.path(name), "rb") as f, \
                        open(os.path.join(harness.GOLDEN, number + ".prn"), "rb") as golden:
                    self.assertEqual(f.read(), golden.read())
                self.assertNothingPrinted(Run(0, "", "", 0, self.folder))
                self.assertEqual(sorted(os.listdir(self.folder)),
                                 sorted(["cacert.pem", name] + (["LPT1"] if harness.RUNNER else [])))
                os.remove(self.path(name))

    def test_only_a_drawn_form_maps_the_renderer(self):
        # The dynamic loader names every file it maps; a run to a file of printer bytes maps
        # neither cairo nor CUPS, and one to a PDF file maps the renderer alone.
        if harness.RUNNER:
            self.skipTest("the Windows program links every part")
        _, typed, last_row = EXPRESS
        mapped = {}
        for name in ("form.prn", "form.pdf"):
            log = self.path(name + ".loaded")
            run = self.run_program(typed, args=["-o", name],
                                   env=harness.environment_with(LD_DEBUG="files",
                                                                LD_DEBUG_OUTPUT=log))
            self.assertEqual(run.returncode, 0, run.stderr)
            self.assertEqual(run.stdout, DIALOGUE_HEAD + "%d\n" % last_row + ok_lines(last_row))
            files = set()
            for path in os.listdir(self.folder):
                if path.startswith(name + ".loaded."):
                    with open(self.path(path), encoding="utf-8") as f:
                        files |= set(re.findall(r"file=(\S+)", f.read()))
            mapped[name] = {os.path.basename(file) for file in files}
        named = lambda files, part: sorted(f for f in files if part in f)  # noqa: E731
        for part in ("libcairo", "libcups", "timetable-render", "timetable-spooler"):
            self.assertEqual(named(mapped["form.prn"], part), [], part)
        self.assertNotEqual(named(mapped["form.pdf"], "libcairo"), [])
        self.assertEqual(named(mapped["form.pdf"], "timetable-render"), ["timetable-render.so"])
        self.assertEqual(named(mapped["form.pdf"], "libcups"), [])
        self.assertEqual(self.pdf_text("form.pdf")[0].split()[-1], "2")

    def test_a_name_near_the_length_limit(self):
        # The temporary file beside it has a longer name. Linux: a name of 250 bytes, where a
        # name may have 255. Windows: a path of 255 characters, where a path may have 259
        # unless it is given in the \\?\ form.
        if harness.RUNNER:
            prefix = "Z:" + self.folder.replace("/", "\\") + "\\"
            folder = "x" * (255 - len(prefix) - len("\\form.prn"))
            os.mkdir(self.path(folder))
            name = folder + "\\form.prn"
            self.assertEqual(len(prefix + name), 255)
        else:
            name = "Łódź" * 35 + "x.prn"
            self.assertEqual(len(name.encode("utf-8")), 250)
        run = self.run_program(EXPRESS[1], args=["-o", name])
        self.assertEqual(run.returncode, 0, run.stderr)
        path = self.path(name.replace("\\", "/"))
        with open(path, "rb") as f, open(os.path.join(harness.GOLDEN, "5410.prn"), "rb") as golden:
            self.assertEqual(f.read(), golden.read())
        left = [entry for entry in os.listdir(os.path.dirname(path)) if entry.startswith(".")]
        self.assertEqual(left, [], "the temporary file is left")

    def test_pdf_and_png_show_what_the_preview_shows(self):
        if not harness.PREVIEW:
            self.skipTest("no timetable-preview given")
        for number, typed, _ in (EXPRESS, REGIONAL):
            with self.subTest(train=number):
                runs = {name: self.run_program(typed, args=["-o", name])
                        for name in ("form.pdf", "form.png", "form.prn")}
                for run in runs.values():
                    self.assertEqual(run.returncode, 0, run.stderr)
                # The express's form takes two pages, and one PNG shows the first.
                self.assertEqual(runs["form.png"].stderr.replace(SAMPLE_STDERR[number], ""),
                                 "" if number != "5410" else
                                 "notice: form.png shows only the first of the form's 2 pages; "
                                 "to get every page, name the file with %d: form-%d.png\n")
                self.preview(self.path("form.prn"), self.path("expected.pdf"))
                self.preview(self.path("form.prn"), self.path("expected.png"))
                self.assertEqual(self.pdf_text("form.pdf"), self.pdf_text("expected.pdf"))
                self.assertSamePixels(self.path("form.png"), self.path("expected.png"))

    def test_windows_preview_renders_as_the_reference_does(self):
        if not harness.RUNNER or not harness.PREVIEW:
            self.skipTest("compares a cross-built timetable-preview with the host's")
        preview = os.path.join(os.path.dirname(harness.PROGRAM), "timetable-preview.exe")
        golden = os.path.join(harness.GOLDEN, "5410.prn")
        shutil.copy(golden, self.path("Łódź.prn"))  # A name the ANSI code page may lack.
        for name in ("form.pdf", "form.png"):
            run = subprocess.run(harness.RUNNER + [preview, "Łódź.prn", "-o", name],
                                 cwd=self.folder, capture_output=True, timeout=120)
            self.assertEqual(run.returncode, 0, run.stderr)
            self.preview(golden, self.path("expected-" + name))
        self.assertEqual(self.pdf_text("form.pdf"), self.pdf_text("expected-form.pdf"))
        self.assertSamePixels(self.path("form.png"), self.path("expected-form.png"))

    def run_with_viewer(self, *args, viewer=True):
        """A run whose desktop viewer is a stand-in xdg-open that records the file it opens;
        without viewer, there is no xdg-open at all. The temporary folder is the run's."""
        tools = self.path("tools")
        os.mkdir(tools)
        for tool in ("sh", "cat"):  # What the stand-in itself needs.
            os.symlink(shutil.which(tool), os.path.join(tools, tool))
        if viewer:  # It records its blocked and ignored signals too.
            with open(os.path.join(tools, "xdg-open"), "w") as script:
                script.write('#!/bin/sh\necho "$1" >> "%s"\n' % self.path("viewed") +
                             'while read -r name value; do case "$name" in SigBlk:|SigIgn:) '
                             'echo "$name $value";; esac; done </proc/$$/status >"%s"\n'
                             % self.path("signals"))
            os.chmod(os.path.join(tools, "xdg-open"), 0o755)
        env = dict(os.environ, PATH=tools, TMPDIR=self.path("tmp"))
        os.mkdir(self.path("tmp"))
        return self.run_program(EXPRESS[1], args=args, env=env)

    def viewed(self):
        with open(self.path("viewed")) as record:
            return record.read().splitlines()

    def test_view_opens_the_drawn_form_once_it_is_written(self):
        if harness.RUNNER:
            self.skipTest("the desktop's viewer is started through Windows' shell")
        run = self.run_with_viewer("--view")
        self.assertEqual((run.returncode, run.stderr), (0, SAMPLE_STDERR["5410"]))
        [viewed] = self.viewed()
        # A part of the name no one can predict: another user cannot take it first.
        self.assertRegex(viewed, r"\A%s/timetable-5410-\d{8}-\d{6}-\w{6}\.pdf\Z" % re.escape(
            self.path("tmp")))
        os.remove(self.path("viewed"))
        run = self.run_program(EXPRESS[1], args=["-o", "form.pdf"])
        self.assertEqual(pdf_pages_and_text(viewed), self.pdf_text("form.pdf"))
        # A PDF holds every page under its own name, %d and all, and that file is shown.
        shutil.rmtree(self.path("tools"))
        shutil.rmtree(self.path("tmp"))
        run = self.run_with_viewer("-o", "form-%d.pdf", "--view")
        self.assertEqual((run.returncode, run.stderr), (0, SAMPLE_STDERR["5410"]))
        self.assertEqual(self.viewed(), ["form-%d.pdf"])
        self.assertEqual(self.pdf_text("form-%d.pdf"), self.pdf_text("form.pdf"))

    def test_the_viewer_starts_with_no_signal_blocked_or_ignored_by_the_program(self):
        if harness.RUNNER:
            self.skipTest("the desktop's viewer is started through Windows' shell")
        run = self.run_with_viewer("--view")
        self.assertEqual(run.returncode, 0, run.stderr)
        with open(self.path("signals")) as record:
            masks = {name: int(value, 16) for name, value in map(str.split, record)}
        self.assertEqual(masks["SigBlk:"], 0)
        ignored_here = (1 << (signal.SIGPIPE - 1)) | (1 << (signal.SIGXFSZ - 1))
        self.assertEqual(masks["SigIgn:"] & ignored_here, 0)

    def test_a_form_that_cannot_be_shown_is_named_in_a_notice(self):
        if harness.RUNNER:
            self.skipTest("the desktop's viewer is started through Windows' shell")
        run = self.run_with_viewer("-o", "form.pdf", "--view", viewer=False)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertRegex(run.stderr.replace(SAMPLE_STDERR["5410"], ""),
                         r"\Anotice: the form could not be shown; open the file form.pdf "
                         r"yourself: xdg-open cannot be started: [^\n]+\n\Z")
        self.assertTrue(os.path.exists(self.path("form.pdf")))

    def test_a_run_that_fails_leaves_an_earlier_file_as_it_was(self):
        names = ["form.pdf", "form.prn"]
        for name in names:
            with open(self.path(name), "wb") as f:
                f.write(b"earlier form")
        control(timetable="html500")
        for name in names:
            self.assertError(self.run_program(EXPRESS[1], args=["-o", name]))
        control()
        if not harness.RUNNER:  # A full disk, after the dialogue: the form cannot be written.
            for name in names:
                with self.subTest(output=name):
                    run = self.run_program(EXPRESS[1], args=["-o", name], file_size_limit=4096)
                    self.assertError(run, "cannot write " + name + ": File too large")
                    self.assertTrue(run.stdout.startswith(DIALOGUE_HEAD + "14\n"), run.stdout)
        for name in names:
            with open(self.path(name), "rb") as f:
                self.assertEqual(f.read(), b"earlier form")
        self.assertEqual(sorted(os.listdir(self.folder)),
                         sorted(["cacert.pem"] + names + (["LPT1"] if harness.RUNNER else [])))


    def test_numbered_pages_go_in_place_all_together_or_not_at_all(self):
        # A form of several sheets, over the files of an earlier run; the third sheet's name is a
        # folder, so the run fails there, after the first two sheets were drawn.
        stops = [stop("S%d" % i, "10:00", "10:01") for i in range(149)] + [stop("E", "11:00", None)]
        control(timetables={"777": timetable(*stops)})
        for page in (1, 2, 4):
            with open(self.path("form-%d.png" % page), "wb") as f:
                f.write(b"earlier page")
        os.mkdir(self.path("form-3.png"))
        run = self.run_program("777 x x x 1\n", args=["-o", "form-%d.png"])
        self.assertError(run, "cannot write form-3.png: it is a folder")
        for page in (1, 2, 4):
            with open(self.path("form-%d.png" % page), "rb") as f:
                self.assertEqual(f.read(), b"earlier page", "form-%d.png" % page)
        self.assertEqual(sorted(os.listdir(self.folder)),
                         sorted(["cacert.pem", "form-1.png", "form-2.png", "form-3.png",
                                 "form-4.png"] + (["LPT1"] if harness.RUNNER else [])))

    def test_an_interrupt_removes_the_file_not_yet_in_place(self):
        # A plain file LPT1 is put in place complete too: an interrupt leaves the earlier form.
        if harness.RUNNER:
            self.skipTest("holds the program through Linux's /proc")
        with open(self.path("LPT1"), "wb") as f:
            f.write(b"earlier form")
        for (signal_number, status), args, pending_start in (
                ((signal.SIGINT, 130), ["-o", "form.prn"], ".form.prn."),
                ((signal.SIGTERM, 143), ["-o", "form.prn"], ".form.prn."),
                ((signal.SIGQUIT, 131), ["-o", "form.prn"], ".form.prn."),
                # The other signals whose default would end the run without its cleanup.
                ((signal.SIGHUP, 129), ["-o", "form.prn"], ".form.prn."),
                ((signal.SIGUSR1, 138), ["-o", "form.prn"], ".form.prn."),
                ((signal.SIGUSR2, 140), ["-o", "form.prn"], ".form.prn."),
                ((signal.SIGALRM, 142), ["-o", "form.prn"], ".form.prn."),
                ((signal.SIGINT, 130), [], ".LPT1.")):
            with self.subTest(signal=signal_number, args=args):
                process, reader = self.start_held_at_first_row(NIGHT[1], NIGHT[2], args=args)
                pending = sorted(set(os.listdir(self.folder)) - {"cacert.pem", "LPT1"})
                self.assertEqual(len(pending), 1, pending)
                self.assertTrue(pending[0].startswith(pending_start), pending)
                run = self.end_held(process, reader, signal_number)
                self.assertEqual((run.returncode, run.stdout, run.stderr),
                                 (status, DIALOGUE_HEAD + "8\n", ""))
                self.assertEqual(sorted(os.listdir(self.folder)), ["LPT1", "cacert.pem"])
                with open(self.path("LPT1"), "rb") as f:
                    self.assertEqual(f.read(), b"earlier form")


    def test_a_lost_reader_of_the_dialogue_does_not_stop_the_form(self):
        if harness.RUNNER:
            self.skipTest("holds the program through Linux's /proc")
        process, reader = self.start_held_at_first_row(NIGHT[1], NIGHT[2], args=["-o", "form.prn"])
        os.close(reader)  # As head does once it has its lines.
        process.wait(timeout=30)
        with process.stderr:
            stderr = process.stderr.read().decode("utf-8")
        self.assertEqual((process.returncode, stderr), (
            0, "notice: the dialogue could not be shown to its end, as standard output was "
               "closed; the form was finished all the same\n"))
        with open(self.path("form.prn"), "rb") as f, \
                open(os.path.join(harness.GOLDEN, "38170.prn"), "rb") as golden:
            self.assertEqual(f.read(), golden.read())
        self.assertEqual(sorted(os.listdir(self.folder)), ["cacert.pem", "form.prn"])

    def test_a_closed_standard_output_keeps_the_dialogue_off_the_form(self):
        if harness.RUNNER:
            self.skipTest("closes a descriptor as Linux does")
        # The printer, opened after the first prompt, would take the free descriptor 1.
        run = subprocess.run([harness.PROGRAM], cwd=self.folder, input=NIGHT[1].encode("utf-8"),
                             stderr=subprocess.PIPE, timeout=90,
                             preexec_fn=lambda: os.close(1))
        stderr = run.stderr.decode("utf-8")
        self.assertEqual(run.returncode, 0, stderr)
        self.assertRegex(stderr, r"\Anotice: [^\n]*\n\Z")  # the dialogue's lost, said once
        with open(self.path("LPT1"), "rb") as f, \
                open(os.path.join(harness.GOLDEN, "38170.prn"), "rb") as golden:
            self.assertEqual(f.read(), golden.read())


if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
