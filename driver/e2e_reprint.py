"""End-to-end tests: Reprint."""

import os
import sys

import e2e_harness as harness
from e2e_harness import EndToEnd, control  # noqa: E402
from e2e_common import EXPRESS, pdf_pages_and_text, stop, timetable  # noqa: E402


class Reprint(EndToEnd):
    """--reprint: the last form printed whole, again, without the network and without questions."""

    def setUp(self):
        super().setUp()
        # Under wine the forms are kept in the prefix, which every test shares: each starts
        # with none.
        folder = os.path.dirname(self.kept_form_path())
        if os.path.isdir(folder):
            for name in os.listdir(folder):
                if name.endswith(".kept"):
                    os.remove(os.path.join(folder, name))

    def kept_form_path(self, number=1):
        return os.path.join(os.path.dirname(self.support_log_path()), "form-%d.kept" % number)

    def print_express(self, *args):
        run = self.run_program(EXPRESS[1], args=list(args))
        self.assertEqual(run.returncode, 0, run.stderr)
        return run

    def test_reprint_gives_the_same_bytes_without_the_service_or_a_question(self):
        self.print_express("-o", "a.prn")
        harness.stop_service()
        try:
            # Nothing typed: a question would read the end of input and fail.
            run = self.run_program("", args=["--reprint", "-o", "b.prn"])
        finally:
            harness.start_service()
        self.assertEqual(run.returncode, 0, run.stderr)
        with open(self.path("a.prn"), "rb") as a, open(self.path("b.prn"), "rb") as b:
            self.assertEqual(a.read(), b.read())
        self.assertNotIn("TRAIN NUMBER", run.stdout)
        self.assertRegex(run.stdout, r"\Aprinted again: train 5410 \(EIC5410\), fetched "
                                     r"\d{4}-\d\d-\d\d \d\d:\d\d, 15 rows, to the file b\.prn\n\Z")
        self.assertEqual(run.stderr, "")
        self.assertIn("reprinted kept form 1 of train 5410", self.support_log())
        if not harness.RUNNER:  # Windows keeps the profile's own permissions.
            self.assertEqual(os.stat(self.kept_form_path()).st_mode & 0o777, 0o600)

    def test_reprint_goes_to_lpt1_by_default(self):
        first = self.print_express()
        original = first.printed()
        os.remove(self.path("LPT1"))
        run = self.run_program("", args=["--reprint"])
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.printed(), original)
        self.assertIn("to the printer LPT1", run.stdout)

    def test_reprint_to_a_pdf_renders_the_same_pages(self):
        self.print_express("-o", "first.pdf")
        run = self.run_program("", args=["--reprint", "-o", "again.pdf"])
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(pdf_pages_and_text(self.path("again.pdf")),
                         pdf_pages_and_text(self.path("first.pdf")))

    def test_list_shows_the_kept_forms_newest_first_and_n_picks_one(self):
        self.print_express("-o", "a.prn")
        stops = [stop("A", None, "10:00"), stop("B", "10:10", None)]
        control(timetables={"777": timetable(*stops)})
        self.assertEqual(self.run_program("777 x x x 1\n", args=["-o", "b.prn"]).returncode, 0)
        listed = self.run_program("", args=["--reprint", "--list"])
        self.assertEqual(listed.returncode, 0, listed.stderr)
        lines = listed.stdout.splitlines()
        self.assertEqual(len(lines), 2, listed.stdout)
        self.assertRegex(lines[0], r"^1  train 777 \(OS777\), fetched .*, 2 rows$")
        self.assertRegex(lines[1], r"^2  train 5410 \(EIC5410\), fetched .*, 15 rows$")
        run = self.run_program("", args=["--reprint", "2", "-o", "c.prn"])
        self.assertEqual(run.returncode, 0, run.stderr)
        with open(self.path("a.prn"), "rb") as a, open(self.path("c.prn"), "rb") as c:
            self.assertEqual(a.read(), c.read())

    def test_no_more_than_five_forms_are_kept(self):
        stops = [stop("A", None, "10:00"), stop("B", "10:10", None)]
        control(timetables={"777": timetable(*stops)})
        for _ in range(7):
            self.assertEqual(self.run_program("777 x x x 1\n", args=["-o", "f.prn"]).returncode, 0)
        folder = os.path.dirname(self.kept_form_path())
        self.assertEqual(sorted(name for name in os.listdir(folder) if name.endswith(".kept")),
                         ["form-%d.kept" % n for n in range(1, 6)])
        run = self.run_program("", args=["--reprint", "6", "-o", "x.prn"])
        self.assertEqual(run.returncode, 1)
        self.assertIn("there is no kept form number 6", run.stderr)

    def test_a_form_fetched_over_12_hours_ago_is_refused(self):
        self.print_express("-o", "a.prn")
        path = self.kept_form_path()
        with open(path, "rb") as kept:
            data = kept.read()
        head, _, rest = data.partition(b"\nfetched: ")
        fetched, _, tail = rest.partition(b"\n")
        with open(path, "wb") as kept:
            kept.write(head + b"\nfetched: %d\n" % (int(fetched) - 13 * 3600) + tail)
        run = self.run_program("", args=["--reprint", "-o", "b.prn"])
        self.assertEqual(run.returncode, 1)
        self.assertIn("more than 12 hours ago, so it is not printed again: the timetable may have "
                      "changed since; print the form anew", run.stderr)
        self.assertFalse(os.path.exists(self.path("b.prn")))
        # Fetched later than now: this clock did not fetch it so.
        with open(path, "wb") as kept:
            kept.write(head + b"\nfetched: %d\n" % (int(fetched) + 3600) + tail)
        run = self.run_program("", args=["--reprint", "-o", "b.prn"])
        self.assertEqual(run.returncode, 1)
        self.assertIn("later than now", run.stderr)
        self.assertFalse(os.path.exists(self.path("b.prn")))
        # Within the 12 hours it prints.
        with open(path, "wb") as kept:
            kept.write(head + b"\nfetched: %d\n" % (int(fetched) - 11 * 3600) + tail)
        self.assertEqual(self.run_program("", args=["--reprint", "-o", "b.prn"]).returncode, 0)

    def test_without_the_last_form_the_last_one_there_is_named(self):
        self.print_express("-o", "a.prn")
        self.print_express("-o", "a.prn")
        os.remove(self.kept_form_path())
        run = self.run_program("", args=["--reprint", "-o", "b.prn"])
        self.assertEqual(run.returncode, 1)
        self.assertIn("--reprint 2 ", run.stderr)

    def test_a_state_folder_of_0755_serves_the_log_and_the_forms_alike(self):
        if harness.RUNNER:
            self.skipTest("Windows keeps the profile's own permissions")
        self.print_express("-o", "a.prn")
        os.chmod(os.path.dirname(self.kept_form_path()), 0o755)
        self.print_express("-o", "a.prn")
        self.assertEqual(self.support_log().count("kept the form for a reprint in"), 2)
        run = self.run_program("", args=["--reprint", "2", "-o", "b.prn"])
        self.assertEqual(run.returncode, 0, run.stderr)

    def test_a_planted_link_in_place_of_a_kept_form_is_refused_and_not_written_through(self):
        if harness.RUNNER:
            self.skipTest("a Linux link is no reparse point to a program under wine")
        self.print_express("-o", "a.prn")
        path = self.kept_form_path()
        target = self.path("elsewhere.txt")
        with open(target, "wb") as other:
            other.write(b"not a form")
        os.remove(path)
        os.symlink(target, path)
        run = self.run_program("", args=["--reprint", "-o", "b.prn"])
        self.assertEqual(run.returncode, 1)
        self.assertIn("symbolic link", run.stderr)
        self.assertFalse(os.path.exists(self.path("b.prn")))
        # A new form is not written through the link either: it is not kept, and the log says so.
        self.print_express("-o", "c.prn")
        with open(target, "rb") as other:
            self.assertEqual(other.read(), b"not a form")
        self.assertIn("could not keep the form for a reprint", self.support_log())

    def test_a_failed_run_keeps_no_form(self):
        run = self.run_program("99999\n", args=["-o", "a.prn"])
        self.assertNotEqual(run.returncode, 0)
        self.assertFalse(os.path.lexists(self.kept_form_path()))
        again = self.run_program("", args=["--reprint", "-o", "b.prn"])
        self.assertEqual(again.returncode, 1)
        self.assertIn("no form has been printed whole yet", again.stderr)

    def test_an_incomplete_form_is_kept_and_its_warning_said_again_last(self):
        stops = [stop("S%d" % i, "10:00", "10:01") for i in range(101)] + [stop("E", "11:00", None)]
        control(timetables={"777": timetable(*stops)})
        first = self.run_program("777 x x x 1\n", args=["-o", "a.prn"])
        self.assertEqual(first.returncode, 0, first.stderr)
        run = self.run_program("", args=["--reprint", "-o", "b.prn"])
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stderr.splitlines()[-1], first.stderr.splitlines()[-1])
        self.assertIn("INCOMPLETE", run.stderr.splitlines()[-1])


if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
