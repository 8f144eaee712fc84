"""End-to-end tests: Spooler."""

import os
import re
import signal
import subprocess
import sys
import time

import e2e_harness as harness
sys.path.insert(0, os.path.join(harness.ROOT, "printer"))
import private_cupsd  # noqa: E402
from e2e_harness import DIALOGUE_HEAD, EndToEnd, ok_lines  # noqa: E402
from e2e_common import (EXPRESS, NIGHT, REGIONAL, SAMPLE_STDERR, pdf_pages_and_text)  # noqa: E402


class Spooler(EndToEnd):
    """--printer NAME: one raw job on a printer of a CUPS daemon of the tests' own."""

    @classmethod
    def setUpClass(cls):
        cls.spooler = private_cupsd.start(os.path.join(harness.WORK, "cups"))

    @classmethod
    def tearDownClass(cls):
        cls.spooler.stop()

    def print_through_spooler(self, typed, *args):
        self.spooler.remove_output()
        return self.run_program(typed, args=args, env=self.spooler.env())

    def test_forms_reach_the_printer_unchanged(self):
        for number, typed, last_row in (EXPRESS, NIGHT, REGIONAL):
            with self.subTest(train=number):
                run = self.print_through_spooler(typed, "--printer", "dotmatrix")
                self.assertEqual(run.returncode, 0, run.stderr + self.spooler.log()[-2000:])
                self.assertEqual(run.stdout, DIALOGUE_HEAD + "%d\n" % last_row + ok_lines(last_row))
                self.assertEqual(run.stderr, SAMPLE_STDERR[number])
                with open(os.path.join(harness.GOLDEN, number + ".prn"), "rb") as golden:
                    self.assertEqual(self.spooler.wait_for_output(), golden.read())
        self.assertNothingPrinted(run)
        # The help desk can find each job in the spooler's own records.
        self.assertEqual(len(re.findall(r" spooler job \d+ on the (queue|printer) ",
                                        self.support_log())), 3, self.support_log())

    def add_office_queue(self):
        """An office printer: a queue with a driver, here one that takes PDF as it is."""
        output = os.path.join(self.folder, "office.out")
        self.spooler.add_queue("office", output, ppd=private_cupsd.PDF_PRINTER_PPD)
        self.addCleanup(self.spooler.run, "lpadmin", "-x", "office")
        return output

    def test_drawn_pages_are_one_pdf_job_on_the_named_or_the_default_printer(self):
        if harness.RUNNER:
            self.skipTest("Windows prints drawn pages through GDI, tested on its own")
        output = self.add_office_queue()
        run = self.run_program(EXPRESS[1], args=["-o", "form.pdf"])
        expected = pdf_pages_and_text(os.path.join(self.folder, "form.pdf"))
        for args in (["--drawn", "--printer", "office"], ["--drawn"]):
            with self.subTest(args=args):
                if args == ["--drawn"]:
                    self.spooler.run("lpadmin", "-d", "office")
                self.spooler.remove_output(output)
                run = self.run_program(EXPRESS[1], args=args, env=self.spooler.env())
                self.assertEqual(run.returncode, 0, run.stderr + self.spooler.log()[-2000:])
                self.assertEqual(run.stderr, SAMPLE_STDERR["5410"])
                printed = self.spooler.wait_for_output(path=output)
                self.assertTrue(printed.startswith(b"%PDF-"), printed[:20])
                with open(os.path.join(self.folder, "job.pdf"), "wb") as job:
                    job.write(printed)
                self.assertEqual(pdf_pages_and_text(job.name), expected)

    def test_drawn_without_a_default_printer_fails_before_any_request(self):
        if harness.RUNNER:
            self.skipTest("wine's spooler takes the first printer as the default")
        spooler = private_cupsd.start(os.path.join(self.folder, "cups"))
        self.addCleanup(spooler.stop)
        run = self.run_program(EXPRESS[1], args=["--drawn"], env=spooler.env())
        self.assertError(run, "no default printer", "--printer", stdout="")
        self.assertEqual(self.new_requests(), [])
        # A Start-menu entry such as "Rozkład jazdy" has no command line to name a printer on.
        run = self.run_program(EXPRESS[1], args=["--drawn", "--start-menu"], env=spooler.env())
        self.assertNotIn("--", self.assertError(run, "no default printer", stdout=""))

    def test_printers_are_listed_and_an_unknown_one_fails_before_any_request(self):
        self.spooler.run("lpadmin", "-d", "dotmatrix")
        run = self.print_through_spooler("", "--list-printers")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stdout, "dotmatrix (default)\n")
        for args in (["--printer", "nosuch"], ["--drawn", "--printer", "nosuch"]):
            with self.subTest(args=args):
                run = self.print_through_spooler(EXPRESS[1], *args)
                self.assertError(run, '"nosuch"', "--list-printers", stdout="")
                self.assertEqual(self.new_requests(), [])
        # From the Start menu there is no option to add: the error names none.
        run = self.print_through_spooler(EXPRESS[1], "--printer", "nosuch", "--start-menu")
        self.assertNotIn("--", self.assertError(run, '"nosuch"', "printer settings", stdout=""))

    def drawn_pages(self, job):
        """The features of each page of a drawn job, as ghostscript renders it at 150 dpi with
        grey edges, as cairo draws the preview: a PDF from CUPS, PostScript from wine's printer
        driver."""
        with open(self.path("job"), "wb") as f:
            f.write(job)
        for name in os.listdir(self.folder):
            if name.startswith("page-"):
                os.remove(self.path(name))
        gs = subprocess.run(["gs", "-q", "-dSAFER", "-sDEVICE=pgmraw", "-r150",
                             "-dGraphicsAlphaBits=4", "-dTextAlphaBits=4", "-o", "page-%d.pgm",
                             "job"],
                            cwd=self.folder, capture_output=True, timeout=120)
        self.assertEqual(gs.returncode, 0, gs.stderr)
        count = len([name for name in os.listdir(self.folder) if name.startswith("page-")])
        return [harness.page_features(*harness.pgm_pixels(self.path("page-%d.pgm" % number)))
                for number in range(1, count + 1)]

    def assertDrawnAsPreviewed(self, job, expected):
        """Each page of the job shows what the preview's PNG of that sheet shows, at the same
        place and size: as many pages, of the same size; the box around the ink and every long
        rule within 2 pixels (a blank page has no box, a page drawn at another scale or place a
        box and rules elsewhere); about as much ink (glyphs and rules drawn, not just a frame)."""
        pages = self.drawn_pages(job)
        self.assertEqual(len(pages), len(expected), "pages of the job")
        for number, (page, reference) in enumerate(zip(pages, expected), 1):
            with self.subTest(page=number):
                self.assertEqual(page["size"], reference["size"])
                self.assertIsNotNone(page["box"], "a blank page")
                for key in ("rows", "columns"):
                    self.assertEqual(len(page[key]), len(reference[key]), key)
                for got, want in zip(page["box"] + tuple(page["rows"] + page["columns"]),
                                     reference["box"] + tuple(reference["rows"] +
                                                              reference["columns"])):
                    self.assertLessEqual(abs(got - want), 2, (page, reference))
                self.assertLess(abs(page["ink"] / reference["ink"] - 1), 0.2, (page, reference))

    def test_the_drawn_form_prints_as_the_preview_shows_it(self):
        if not harness.RUNNER:
            self.skipTest("on Linux the job is the PDF itself, compared with -o form.pdf's")
        if not harness.PREVIEW:
            self.skipTest("no timetable-preview given")
        # The express's form takes two A4 sheets.
        self.preview(os.path.join(harness.GOLDEN, "5410.prn"), self.path("expected-%d.png"))
        expected = [harness.page_features(*harness.png_first_channel(self.path(name)))
                    for name in sorted(os.listdir(self.folder)) if name.startswith("expected-")]
        self.assertEqual(len(expected), 2)
        office = os.path.join(self.folder, "office.out")
        self.spooler.add_queue("office", office)
        self.addCleanup(self.spooler.run, "lpadmin", "-x", "office")
        # Named, then as the user's default printer. Without a default, wine's spooler takes the
        # first printer by name, dotmatrix. Wine sees the user's default of lpoptions but not the
        # server's: libcups does not mark the latter when lpoptions holds options of a printer.
        for args in (["--printer", "office"], []):
            with self.subTest(args=args):
                if not args:
                    self.addCleanup(self.spooler.run, "lpoptions", "-x", "office")
                    self.spooler.run("lpoptions", "-d", "office")
                self.spooler.remove_output(office)
                run = self.print_through_spooler(EXPRESS[1], "--drawn", *args)
                self.assertEqual(run.returncode, 0, run.stderr + self.spooler.log()[-2000:])
                self.assertEqual(run.stdout, DIALOGUE_HEAD + "14\n" + ok_lines(14))
                self.assertEqual(run.stderr, SAMPLE_STDERR["5410"])
                job = self.spooler.wait_for_output(timeout=30, path=office)
                self.assertIsNotNone(job, self.spooler.log()[-2000:])
                self.assertIsNone(self.spooler.wait_for_output(timeout=0))  # Not on dotmatrix.
                self.assertDrawnAsPreviewed(job, expected)

    def test_a_job_the_spooler_rejects_is_not_reported_as_printed(self):
        if harness.RUNNER:
            self.skipTest("wine's spooler forgets a job handed to CUPS and tells no printer state")
        broken = os.path.join(self.folder, "missing", "out.prn")  # The backend cannot write it.
        self.spooler.add_queue("broken", broken)
        self.addCleanup(self.spooler.run, "lpadmin", "-x", "broken")
        run = self.print_through_spooler(REGIONAL[1], "--printer", "broken")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertRegex(run.stderr, r"\Awarning: print job broken-\d+ is not completed \(the job "
                                     r"was aborted[^\n]*\); check that the printer is switched on "
                                     r"and has paper, and look at its queue in the system's "
                                     r"printer settings\n\Z")
        self.assertNotIn("job-state", run.stderr)
        self.assertRegex(self.support_log(), r"print job broken-\d+: job-state aborted")

    def add_paused_queue(self):
        """A queue stopped as an administrator stops one, with the printer's own words."""
        self.spooler.add_queue("tractor", os.path.join(self.folder, "tractor.prn"))
        self.addCleanup(self.spooler.run, "lpadmin", "-x", "tractor")
        self.spooler.run("cupsdisable", "-r", "Brak papieru", "tractor")

    def test_a_paused_queue_is_told_in_words_and_logged_in_the_spooler_s_names(self):
        if harness.RUNNER:
            self.skipTest("wine's spooler hands the job to CUPS and tells no printer state")
        self.add_paused_queue()
        run = self.print_through_spooler(REGIONAL[1], "--printer", "tractor")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertRegex(run.stderr, r'\Awarning: print job tractor-\d+ is not completed \(the job '
                                     r'waits; the printer is stopped; the printer says "Brak '
                                     r'papieru"\); check that')
        for raw in ("job-state", "printer-state", "pending", "paused"):
            self.assertNotIn(raw, run.stderr)
        self.assertRegex(self.support_log(), r"print job tractor-\d+: job-state pending[^\n]*; "
                                             r"printer-state stopped")

    def test_the_check_fails_its_printer_step_for_a_paused_queue_naming_the_state(self):
        if harness.RUNNER:
            self.skipTest("wine's spooler tells no printer state of a CUPS queue")
        self.add_paused_queue()
        run = self.run_program("", args=["--check", "--printer", "tractor"],
                               env=self.spooler.env())
        self.assertEqual(run.returncode, 1, run.stdout + run.stderr)
        failed = [line for line in run.stdout.splitlines() if line.startswith("[failed] ")]
        self.assertEqual(failed, ['[failed] the print spooler has the printer "tractor", but '
                                  'it cannot print now (the printer is stopped; the printer says "Brak '
                                  'papieru"); make it ready in the system\'s printer settings, or '
                                  'ask the IT department'], run.stdout)
        # Once resumed, the step passes.
        self.spooler.run("cupsenable", "tractor")
        run = self.run_program("", args=["--check", "--printer", "tractor"],
                               env=self.spooler.env())
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        self.assertIn('[ok] where the form goes: a raw job on the printer "tractor"', run.stdout)

    def add_slow_queue(self):
        """A queue whose printer takes 20 s for each job, as a dot-matrix printer takes a
        minute for a form."""
        self.spooler.add_queue("slow", os.path.join(self.folder, "slow.prn"), print_seconds=20)
        self.addCleanup(self.spooler.run, "lpadmin", "-x", "slow")

    def active_jobs(self, queue):
        return [line.split()[0] for line in self.spooler.run("lpstat", "-o", queue).splitlines()]

    def job_state(self, job):
        return self.spooler.job_state(int(job.rsplit("-", 1)[1]))

    def start_printing(self, typed, *args):
        process = subprocess.Popen([harness.PROGRAM, *args], cwd=self.folder,
                                   env=self.spooler.env(), stdin=subprocess.PIPE,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.addCleanup(process.stderr.close)
        self.addCleanup(process.stdout.close)
        process.stdin.write(typed.encode("utf-8"))
        process.stdin.close()
        return process

    def read_until(self, process, end):
        """The standard output up to and with the text end (or all of it)."""
        stdout = b""
        while not stdout.endswith(end.encode("utf-8")):
            line = process.stdout.readline()
            if not line:
                break
            stdout += line
        return stdout.decode("utf-8")

    def test_a_slow_printer_ends_the_run_at_once_without_a_warning(self):
        if harness.RUNNER:
            self.skipTest("wine's spooler forgets a job handed to CUPS and tells no printer state")
        self.add_slow_queue()
        _, typed, last_row = REGIONAL
        process = self.start_printing(typed, "--printer", "slow")
        stdout = self.read_until(process, "%d OK\n" % last_row)
        last_row_reported = time.monotonic()
        process.wait(timeout=60)
        elapsed = time.monotonic() - last_row_reported
        stdout += process.stdout.read().decode("utf-8")
        stderr = process.stderr.read().decode("utf-8")
        self.assertEqual((process.returncode, stderr), (0, ""))
        self.assertEqual(stdout, DIALOGUE_HEAD + "%d\n" % last_row + ok_lines(last_row))
        self.assertLess(elapsed, 3)
        [job] = self.active_jobs("slow")
        self.assertEqual(self.job_state(job), "processing")

    def test_an_interrupt_cancels_an_open_job_and_not_one_handed_over(self):
        if harness.RUNNER:
            self.skipTest("holds the program through Linux's /proc")
        # Open: the program is held at the report of its first row, the job's document unfinished.
        self.spooler.remove_output()
        process, reader = self.start_held_at_first_row(NIGHT[1], NIGHT[2],
                                                       args=["--printer", "dotmatrix"],
                                                       env=self.spooler.env())
        [job] = self.active_jobs("dotmatrix")
        run = self.end_held(process, reader, signal.SIGINT)
        self.assertEqual((run.returncode, run.stdout, run.stderr),
                         (130, DIALOGUE_HEAD + "8\n", ""))
        self.assertEqual(self.active_jobs("dotmatrix"), [])
        self.assertEqual(self.job_state(job), "canceled")
        self.assertIsNone(self.spooler.wait_for_output(timeout=1))
        # Handed over: the program asks the spooler about the job it finished, for two seconds.
        self.add_slow_queue()
        asked = self.spooler.access_log().count("Get-Job-Attributes")
        process = self.start_printing(REGIONAL[1], "--printer", "slow")
        self.read_until(process, "%d OK\n" % REGIONAL[2])
        deadline = time.monotonic() + 10
        while self.spooler.access_log().count("Get-Job-Attributes") == asked:
            self.assertLess(time.monotonic(), deadline, "the program did not ask about its job")
            time.sleep(0.01)
        process.send_signal(signal.SIGINT)
        process.wait(timeout=30)
        self.assertEqual((process.returncode, process.stderr.read()), (130, b""))
        [job] = self.active_jobs("slow")
        self.assertEqual(self.job_state(job), "processing")

    def test_a_spooler_that_stops_during_the_dialogue_gives_a_clean_error(self):
        if harness.RUNNER:
            self.skipTest("wine's spooler keeps its own idea of the printers")
        spooler = private_cupsd.start(os.path.join(self.folder, "cups"))
        process = subprocess.Popen([harness.PROGRAM, "--printer", "dotmatrix"], cwd=self.folder,
                                   env=spooler.env(), stdin=subprocess.PIPE,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        try:
            process.stdin.write(b"5410\n")
            process.stdin.flush()
            self.assertEqual(process.stdout.read(len("TRAIN NUMBER: \n\nLOK1:")),
                             b"TRAIN NUMBER: \n\nLOK1:")
        finally:
            spooler.stop()
        stdout, stderr = process.communicate(b"EP09 x x 160\n", timeout=60)
        run = harness.Run(process.returncode, "TRAIN NUMBER: \n\nLOK1:" + stdout.decode(),
                          stderr.decode(), 0, self.folder)
        self.assertError(run, "print spooler", stdout=DIALOGUE_HEAD + "14\n")
        self.assertIsNone(spooler.wait_for_output(timeout=0))


if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
