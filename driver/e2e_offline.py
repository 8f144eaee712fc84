"""End-to-end tests: Offline."""

import os
import re
import subprocess
import sys
import time

import e2e_harness as harness
from e2e_harness import EndToEnd, control  # noqa: E402
from e2e_common import EXPRESS, stop, timetable  # noqa: E402


class Offline(EndToEnd):
    """With the setting offline, a form from the last copy of the timetable when the service
    cannot be used, marked on the paper as one."""

    def setUp(self):
        super().setUp()
        self.use_user_settings_file("the copies' unit tests")
        self.write_config("offline = 2\n")

    def copy_fetched(self, train):
        """The copy's fetch time as the mark gives it, in UTC."""
        path = os.path.join(os.environ["XDG_STATE_HOME"], "timetable-print", "copies",
                            train + ".copy")
        with open(path, "rb") as f:
            fetched = int(re.search(rb"\nfetched: (\d+)\n", f.read()).group(1))
        return time.strftime("%Y-%m-%d %H:%M", time.gmtime(fetched))

    def print_without_service(self, typed):
        harness.stop_service()
        try:
            return self.run_program(typed)
        finally:
            harness.start_service()

    @staticmethod
    def mark(fetched):
        return (b"\x1bE" + ("UWAGA: ROZKŁAD Z KOPII. Pobrany %s UTC; serwer rozkładów "
                            "niedostępny." % fetched).encode("cp852") + b"\x1bF\r\n")

    def test_a_service_still_unavailable_gives_the_form_from_the_copy_marked_as_one(self):
        self.assertEqual(self.run_program(EXPRESS[1]).returncode, 0)
        fetched = self.copy_fetched(EXPRESS[0])
        # The timetable alone fails, after its retries; the list of trains online still gives
        # mass and length, so the form is the sample's own with the mark.
        control(timetable="unavailable")
        run = self.run_program(EXPRESS[1])
        self.assertEqual(run.returncode, 0, run.stderr)
        with open(os.path.join(harness.GOLDEN, "5410.prn"), "rb") as f:
            golden = f.read()
        self.assertEqual(run.printed(), golden[:-1] + b"\r\n" + self.mark(fetched) + b"\x0c")
        # The first warning, after the retries' notices and before the locomotive questions,
        # gives the copy's time and age.
        warnings = [line for line in run.stderr.splitlines() if line.startswith("warning: ")]
        self.assertIn(fetched + " UTC, 0 min", warnings[0], run.stderr)
        self.assertIn("from a copy of the timetable fetched " + fetched, self.support_log())

    def test_a_stopped_service_gives_an_incomplete_form_with_both_marks_in_order(self):
        stops = [stop("S%d" % i, "10:00", "10:01") for i in range(99)] + [stop("Hel", "11:00", None)]
        control(timetables={"777": timetable(*stops)})
        self.assertEqual(self.run_program("777 x x x 1\n").returncode, 0)
        fetched = self.copy_fetched("777")
        run = self.print_without_service("777 x x x 1\n")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertTrue(run.printed().endswith(
            b"\xd9\r\n\x1bEUWAGA: FORMULARZ NIEPE\x9dNY. Brak dalszych punkt\xa2w trasy: 1 (Hel)"
            b"\x1bF\r\n" + self.mark(fetched) + b"\x0c"), run.printed()[-300:])


    def test_prefetch_stores_each_train_and_says_why_one_is_not(self):
        if os.geteuid() == 0:
            # Root keeps the machine's copies: in a private mount namespace, over a /var/cache of
            # its own, so that the machine's is never changed.
            script = ('mount -t tmpfs tmpfs /var/cache && "$0" "$@"; echo "status $?"; '
                      'stat -c "%a %u" /var/cache/timetable-print/5410.copy')
            if subprocess.run(["unshare", "-m", "true"], capture_output=True).returncode != 0:
                self.skipTest("unshare -m is not permitted here, and the test needs its own mounts")
            run = self.run_program("", program="unshare",
                                   args=["-m", "sh", "-c", script, harness.PROGRAM, "--prefetch",
                                         "5410", "99999"])
            lines = run.stdout.splitlines()
            self.assertEqual(lines[-2:], ["status 1", "644 0"], run.stdout + run.stderr)
        else:
            run = self.run_program("", args=["--prefetch", "5410", "99999"])
            self.assertEqual(run.returncode, 1, run.stderr)
            lines = run.stdout.splitlines()
            self.copy_fetched("5410")
        self.assertEqual(lines[0], "5410: stored")
        self.assertTrue(lines[1].startswith("99999: not stored: "), run.stdout)


if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
