"""End-to-end tests: Check."""

import os
import sys
import subprocess

import e2e_harness as harness
from e2e_harness import EndToEnd  # noqa: E402
from service_client import BASE, ONLINE_QUERY  # noqa: E402
from e2e_common import (ADDRESS)  # noqa: E402


class Check(EndToEnd):
    """timetable-print --check: every step of a run but the dialogue and the printing."""

    def check(self, *args, **variables):
        return self.run_program("", args=["--check", *args],
                                env=harness.environment_with(**variables))

    def assertFailedStep(self, run, *fragments):
        self.assertEqual(run.returncode, 1, run.stdout + run.stderr)
        failed = [line for line in run.stdout.splitlines() if line.startswith("[failed] ")]
        self.assertTrue(failed, run.stdout)
        for fragment in fragments:
            self.assertIn(fragment, failed[0])
        self.assertNotIn("TRAIN NUMBER", run.stdout)
        self.assertNothingPrinted(run)
        return failed[0]

    def test_every_step_passes_against_the_service_and_nothing_is_asked_or_printed(self):
        run = self.check()
        self.assertEqual((run.returncode, run.stderr), (0, ""), run.stdout)
        steps = [line for line in run.stdout.splitlines() if not line.startswith("    ")]
        # On Linux LPT1 is a plain file here, which passes with a warning: nothing reaches paper.
        self.assertEqual([line.split(" ")[0] for line in steps],
                         ["[ok]"] * 8 + ["[ok]" if harness.RUNNER else "[warning]"], run.stdout)
        # The copies and their setting, which never fail the check.
        self.assertIn("\n[ok] offline = 0", run.stdout)
        self.assertRegex(run.stdout, r"\n\[ok\] the support log is [^\n]*timetable-print\.log\n")
        self.assertIn("proxy for %s: direct, as no proxy is set" % ADDRESS, run.stdout)
        self.assertIn("the certificate of localhost is trusted by cacert.pem in the working folder",
                      run.stdout)
        # The end of validity in the same words in every language, when the TLS library tells
        # it (OpenSSL does; Schannel's libcurl gives none here), and never an empty one.
        if not harness.RUNNER:
            self.assertRegex(run.stdout, r"valid until \d{4}-\d\d-\d\d \d\d:\d\d UTC\n")
        self.assertNotRegex(run.stdout, r"valid until \s")
        self.assertRegex(run.stdout, r"the service answers: \d+ trains online, in \d+ ms")
        self.assertNotIn("TRAIN NUMBER", run.stdout)
        self.assertNothingPrinted(run)
        # The same request as a run's, and no other.
        self.assertEqual([line.split("\t")[0] for line in self.new_requests()],
                         [BASE + ONLINE_QUERY])

    def test_a_name_holding_the_page_number_is_checked_as_the_pages_files(self):
        run = self.check("-o", "form-%d.png")
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        # The full paths of the pages' files, as each platform spells them.
        self.assertRegex(run.stdout, r"\n\[ok\] where the form goes: the drawn form in the files "
                                     r"[^\n]*form-1\.png, [^\n]*form-2\.png and so on, one for "
                                     r"each page\n")
        self.assertNotIn("%d", run.stdout)

    def test_each_failure_fails_its_step_and_the_check(self):
        dead = harness.free_port()
        self.assertFailedStep(self.check("--service", "localhost:%d" % dead),
                              "cannot reach the timetable service at localhost:%d" % dead)
        proxy = "http://127.0.0.1:%d" % dead
        self.assertFailedStep(self.check(https_proxy=proxy),
                              "cannot reach the proxy %s (from https_proxy)" % proxy)
        self.assertFailedStep(self.check("-o", "missing/form.prn"),
                              "cannot write missing/form.prn")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                        "-subj", "/CN=Some other CA", "-keyout", "other.key",
                        "-out", "cacert.pem"], cwd=self.folder, check=True,
                       capture_output=True)
        run = self.check()
        self.assertFailedStep(run, "certificate of localhost is not trusted")
        self.assertIn("[skipped] the service's answer", run.stdout)
        # Only the check of -o, whose service steps passed, reached the service.
        self.assertEqual([line.split("\t")[0] for line in self.new_requests()],
                         [BASE + ONLINE_QUERY])

    def test_the_support_log_holds_every_line_of_the_check(self):
        dead = harness.free_port()
        run = self.check("--service", "localhost:%d" % dead)
        failed = self.assertFailedStep(run, "cannot reach the timetable service")
        # Under wine every test's runs share the prefix's log: this run's lines are the last.
        lines = self.support_log().splitlines()
        starts = [at for at, line in enumerate(lines) if " started timetable-print " in line]
        logged = [line.split(" check: ", 1)[1] for line in lines[starts[-1]:]
                  if " check: " in line]
        self.assertIn(failed, logged)
        self.assertTrue(any(line.startswith("    in libcurl's words: ") for line in logged), logged)
        self.assertEqual([line for line in logged if line != "the support log"],
                         run.stdout.splitlines())

    def test_a_log_that_cannot_be_written_fails_its_step(self):
        if harness.RUNNER:
            self.skipTest("XDG_STATE_HOME is Linux's")
        unwritable = os.path.join(self.folder, "state-file")
        open(unwritable, "w").close()
        run = self.check(XDG_STATE_HOME=unwritable)
        self.assertEqual(run.returncode, 1, run.stdout)
        self.assertIn("\n[failed] this run keeps no support log and no form for a reprint: "
                      "%s/timetable-print: " % unwritable, run.stdout)
        self.assertNotIn("[ok] the support log", run.stdout)


if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
